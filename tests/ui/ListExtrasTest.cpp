// The Time Left column (text, colour within the alarm lead, sorting, the one-second tick that
// repaints only its cells), the filter box and the sort indicator, on the real window.

#include "UiTestSupport.h"

#include "core/document/LotwardDoc.h"
#include "core/item/Item.h"
#include "ui/ItemListModel.h"
#include "ui/LotwardView.h"
#include "ui/MainFrame.h"
#include "ui/TimeLeft.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr std::time_t kNow = 975060000;

// Sets the site end date that lands on `localEnd` on the user's clock.
void SetLocalEnd(CItem& item, std::time_t localEnd)
{
    item.SetEndDate(localEnd);
    item.SetEndDate(localEnd + (localEnd - item.GetEndDateLocal()));
}

int ColumnOf(CLotwardView& view, int columnId)
{
    for (int i = 0; i < view.ItemModel()->columnCount(); ++i)
        if (view.ItemModel()->ColumnId(i) == columnId)
            return i;
    return -1;
}

QString Cell(CLotwardView& view, int row, int column, int role = Qt::DisplayRole)
{
    return view.ItemModel()->data(view.ItemModel()->index(row, column), role).toString();
}

std::vector<std::string> ShownNumbers(CLotwardView& view)
{
    std::vector<std::string> out;
    for (int row = 0; row < view.ItemModel()->rowCount(); ++row)
        if (view.RowShown(row))
            out.push_back(view.ItemModel()->ItemAt(row)->GetItemNumber());
    return out;
}

} // namespace

TEST(TimeLeft, TextCountsDaysHoursMinutesAndSecondsInTheLastHour)
{
    RunningApp run; // the string table
    const struct
    {
        long long left;
        const char* text;
    } cases[] = {{-5, "Ended"},      {0, "Ended"},         {1, "0m 01s"},
                 {59, "0m 59s"},     {3599, "59m 59s"},    {3600, "1h 00m"},
                 {86399, "23h 59m"}, {86400, "1d 0h 00m"}, {86400 * 3 + 3600 * 4 + 65, "3d 4h 01m"}};
    for (const auto& c : cases)
        EXPECT_EQ(TimeLeftText(kNow + c.left, kNow), QString::fromLatin1(c.text)) << c.left;
    EXPECT_EQ(TimeLeftText(0, kNow), QString()) << "no end date known";
}

TEST(TimeLeft, ColumnShowsSortsColoursAndTicksOnlyItsOwnCells)
{
    RunningApp run;
    CLotwardDoc& doc = run.Doc();
    AddEbayItems(doc, {"1", "2", "3", "4"});
    const std::time_t ends[] = {kNow + 7200, kNow + 300, 0, kNow + 90000};
    for (int i = 0; i < 4; ++i) {
        CItem* item = doc.GetItem(i);
        if (ends[i])
            SetLocalEnd(*item, ends[i]);
        item->alarmMode = kAlarmEnd;
        item->alarmSeconds = 600;
    }
    std::time_t now = kNow;
    CLotwardView& view = run.View();
    view.ItemModel()->SetClock([&now] { return now; });
    EXPECT_FALSE(view.TimeLeftTicking());
    doc.SetDocumentColumns({kColItemNumber, kColTimeLeft});
    const int column = ColumnOf(view, kColTimeLeft);
    ASSERT_EQ(column, 1);
    EXPECT_EQ(view.ItemModel()->headerData(column, Qt::Horizontal).toString(), "Time Left");
    EXPECT_TRUE(view.TimeLeftTicking());

    EXPECT_EQ(Cell(view, 0, column), "2h 00m");
    EXPECT_EQ(Cell(view, 1, column), "5m 00s");
    EXPECT_EQ(Cell(view, 2, column), "");
    EXPECT_EQ(Cell(view, 3, column), "1d 1h 00m");
    // Within its 600 s lead time only the second item shows in the alarm colour.
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(view.ItemModel()->data(view.ItemModel()->index(row, column), Qt::ForegroundRole).isValid(),
                  row == 1)
            << row;

    // The clock moves on: the tick announces the Time Left cells only; nothing is rebuilt.
    QSignalSpy changed(view.ItemModel(), &QAbstractItemModel::dataChanged);
    QSignalSpy reset(view.ItemModel(), &QAbstractItemModel::modelReset);
    QSignalSpy layout(view.ItemModel(), &QAbstractItemModel::layoutChanged);
    now += 61;
    view.TickTimeLeft();
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][0].value<QModelIndex>().column(), column);
    EXPECT_EQ(changed[0][1].value<QModelIndex>().column(), column);
    EXPECT_EQ(reset.size() + layout.size(), 0);
    EXPECT_EQ(Cell(view, 1, column), "3m 59s");
    // And the window's own timer does the same every second.
    EXPECT_TRUE(changed.wait(5000));

    // Sorting runs in the order of the end; the header shows the sorted column.
    view.SortByColumn(column);
    std::vector<std::string> order;
    for (int i = 0; i < doc.GetItemCount(); ++i)
        order.push_back(doc.GetItem(i)->GetItemNumber());
    EXPECT_EQ(order, (std::vector<std::string>{"3", "2", "1", "4"}));
    EXPECT_TRUE(view.header()->isSortIndicatorShown());
    EXPECT_EQ(view.header()->sortIndicatorSection(), column);
    EXPECT_EQ(view.header()->sortIndicatorOrder(), Qt::AscendingOrder);
    view.SortByColumn(column);
    EXPECT_EQ(view.header()->sortIndicatorOrder(), Qt::DescendingOrder);

    // Without the column the tick stops, and the indicator goes with its column.
    doc.SetDocumentColumns({kColItemNumber, kColDescription});
    EXPECT_FALSE(view.TimeLeftTicking());
    EXPECT_FALSE(view.header()->isSortIndicatorShown());
}

TEST(ListFilter, CtrlFNarrowsTheRowsToThoseHoldingEveryWord)
{
    RunningApp run;
    CLotwardDoc& doc = run.Doc();
    AddEbayItems(doc, {"11", "12", "13"});
    doc.GetItem(0)->description = "Brass telescope";
    doc.GetItem(1)->description = "Brass lamp";
    doc.GetItem(2)->description = "Oak telescope stand";
    doc.UpdateAllViews(0, nullptr);
    CMainFrame& frame = run.Frame();
    CLotwardView& view = run.View();
    frame.show();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    view.setFocus();
    view.selectAll();

    QTest::keyClick(&frame, Qt::Key_F, Qt::ControlModifier);
    ASSERT_EQ(QApplication::focusWidget(), frame.FilterEdit());
    QTest::keyClicks(frame.FilterEdit(), QStringLiteral("TELESCOPE"));
    EXPECT_EQ(ShownNumbers(view), (std::vector<std::string>{"11", "13"}));
    // Rows out of sight leave the selection: a Delete now reaches only what is shown.
    std::vector<std::string> selected;
    for (CItem* item : view.SelectedItems())
        selected.push_back(item->GetItemNumber());
    EXPECT_EQ(selected, (std::vector<std::string>{"11", "13"}));

    frame.FilterEdit()->setText(QStringLiteral("brass  telescope"));
    EXPECT_EQ(ShownNumbers(view), (std::vector<std::string>{"11"}));
    frame.FilterEdit()->setText(QStringLiteral("13"));
    EXPECT_EQ(ShownNumbers(view), (std::vector<std::string>{"13"})) << "the item number is shown text too";

    // An item changing or arriving is judged by the same words.
    doc.GetItem(1)->description = "Lamp no. 13";
    doc.UpdateAllViews(kHintItemChanged, doc.GetItem(1));
    AddEbayItems(doc, {"99"});
    EXPECT_EQ(ShownNumbers(view), (std::vector<std::string>{"12", "13"}));

    frame.FilterEdit()->clear();
    EXPECT_EQ(ShownNumbers(view), (std::vector<std::string>{"11", "12", "13", "99"}));
}
