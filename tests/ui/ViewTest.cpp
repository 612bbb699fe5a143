// The item list: sorting on header clicks, the read timer, Cut and Delete with their question,
// paste and drop of item page addresses, cell shortening, and the screenshots of a sample list.

#include "UiTestSupport.h"

#include "core/document/LotwardDoc.h"
#include "core/item/Item.h"
#include "ui/CommandIds.h"
#include "ui/ItemListModel.h"
#include "ui/LotwardView.h"
#include "ui/MainFrame.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QFocusEvent>
#include <QFont>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMimeData>
#include <QTest>

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Numbers(CLotwardDoc& doc)
{
    std::vector<std::string> out;
    for (int i = 0; i < doc.GetItemCount(); ++i)
        out.push_back(doc.GetItem(i)->GetItemNumber());
    return out;
}

std::vector<std::string> RowNumbers(CLotwardView& view)
{
    std::vector<std::string> out;
    for (int row = 0; row < view.ItemModel()->rowCount(); ++row)
        out.push_back(view.ItemModel()->ItemAt(row)->GetItemNumber());
    return out;
}

int ColumnOf(CLotwardView& view, int columnId)
{
    for (int i = 0; i < view.ItemModel()->columnCount(); ++i)
        if (view.ItemModel()->ColumnId(i) == columnId)
            return i;
    return -1;
}

void SelectRow(CLotwardView& view, int row, QItemSelectionModel::SelectionFlags flags)
{
    view.selectionModel()->setCurrentIndex(view.ItemModel()->index(row, 0), flags | QItemSelectionModel::Rows);
}

} // namespace

TEST(ViewSort, HeaderClicksSortAscendingThenDescendingAndRowsKeepTheirSelection)
{
    RunningApp run;
    AddEbayItems(run.Doc(), {"30", "10", "20", "40"});
    CLotwardView& view = run.View();
    const int column = ColumnOf(view, kColItemNumber);
    ASSERT_GE(column, 0);
    SelectRow(view, 1, QItemSelectionModel::ClearAndSelect); // "10"
    SelectRow(view, 3, QItemSelectionModel::Select);         // "40", focused
    run.Doc().SetModifiedFlag(false);

    view.SortByColumn(column);
    EXPECT_EQ(Numbers(run.Doc()), (std::vector<std::string>{"10", "20", "30", "40"}));
    EXPECT_EQ(RowNumbers(view), Numbers(run.Doc()));
    EXPECT_TRUE(run.Doc().IsModified());
    std::vector<std::string> selected;
    for (CItem* item : view.SelectedItems())
        selected.push_back(item->GetItemNumber());
    EXPECT_EQ(selected, (std::vector<std::string>{"10", "40"}));
    EXPECT_EQ(view.FocusedItem()->GetItemNumber(), "40");

    view.SortByColumn(column);
    EXPECT_EQ(RowNumbers(view), (std::vector<std::string>{"40", "30", "20", "10"}));
    EXPECT_EQ(view.FocusedItem()->GetItemNumber(), "40");

    // Another column, then the first again: ascending once more.
    view.SortByColumn(ColumnOf(view, kColServer));
    view.SortByColumn(column);
    EXPECT_EQ(RowNumbers(view), (std::vector<std::string>{"10", "20", "30", "40"}));

    // Sorting a sorted list changes nothing.
    view.SortByColumn(ColumnOf(view, kColServer));
    run.Doc().SetModifiedFlag(false);
    view.SortByColumn(ColumnOf(view, kColServer));
    view.SortByColumn(ColumnOf(view, kColServer)); // descending of equal keys: order kept
    EXPECT_FALSE(run.Doc().IsModified());
}

TEST(ViewReadTimer, FocusedItemTurnsReadAndMarkAsUnreadKeepsItUnread)
{
    RunningApp run([](CMemorySettingsStore& s) { s.WriteInt("Settings", "ReadTime", 0); });
    AddEbayItems(run.Doc(), {"1", "2"});
    CLotwardView& view = run.View();
    CItem* first = run.Doc().GetItem(0);
    ASSERT_EQ(first->readState, 0);
    EXPECT_EQ(view.ItemModel()->data(view.ItemModel()->index(0, 0), Qt::FontRole).value<QFont>().bold(), true);

    SelectRow(view, 0, QItemSelectionModel::ClearAndSelect);
    EXPECT_TRUE(QTest::qWaitFor([&] { return first->readState == 1; }, 5000));
    EXPECT_FALSE(view.ItemModel()->data(view.ItemModel()->index(0, 0), Qt::FontRole).value<QFont>().bold());

    run.Frame().OnCommand(kCmdMarkUnread);
    EXPECT_EQ(first->readState, 0);
    EXPECT_FALSE(view.ReadTimerArmed());
    QTest::qWait(200);
    EXPECT_EQ(first->readState, 0);

    // Moving the focus away and back arms the timer again.
    SelectRow(view, 1, QItemSelectionModel::ClearAndSelect);
    SelectRow(view, 0, QItemSelectionModel::ClearAndSelect);
    EXPECT_TRUE(QTest::qWaitFor([&] { return first->readState == 1; }, 5000));
}

TEST(ViewReadTimer, OnlyAFocusChangeTheUserMakesStartsTheTimer)
{
    RunningApp run([](CMemorySettingsStore& s) { s.WriteInt("Settings", "ReadTime", 0); });
    AddEbayItems(run.Doc(), {"1", "2"});
    CLotwardView& view = run.View();
    ASSERT_EQ(view.FocusedItem(), nullptr);
    run.Doc().SetModifiedFlag(false);

    // The list gains the focus (as when a file opens): Qt focuses the first row by itself.
    QFocusEvent focusIn(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(&view, &focusIn);
    ASSERT_EQ(view.FocusedItem(), run.Doc().GetItem(0));
    EXPECT_FALSE(view.ReadTimerArmed());
    QCoreApplication::processEvents();
    EXPECT_EQ(run.Doc().GetItem(0)->readState, 0);
    EXPECT_FALSE(run.Doc().IsModified()) << "Exit would ask to save a list nobody touched";

    // A key the user presses moves the focus and starts the timer.
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(view.FocusedItem(), run.Doc().GetItem(1));
    EXPECT_TRUE(QTest::qWaitFor([&] { return run.Doc().GetItem(1)->readState == 1; }, 5000));
    EXPECT_TRUE(run.Doc().IsModified());
}

TEST(ViewReadTimer, AlarmIconUntilMarkedRead)
{
    CItem item("5", nullptr);
    const struct
    {
        int alarm, finished, icon;
    } cases[] = {{0, 0, 0}, {0, 1, 1}, {0, 2, 0}, {1, 0, 2}, {1, 1, 2}};
    for (const auto& c : cases) {
        item.alarmRaised = c.alarm;
        item.finished = c.finished;
        EXPECT_EQ(CItemListModel::IconIndex(item), c.icon) << c.alarm << c.finished;
    }
    item.alarmRaised = 1;
    item.SetReadState(1);
    EXPECT_EQ(CItemListModel::IconIndex(item), 1);
}

TEST(ViewDelete, CutAnsweredNoChangesNothingAndYesRemovesTheSelection)
{
    RunningApp run;
    AddEbayItems(run.Doc(), {"1", "2", "3"});
    CLotwardView& view = run.View();
    QApplication::clipboard()->setText(QStringLiteral("before"));
    SelectRow(view, 0, QItemSelectionModel::ClearAndSelect);
    SelectRow(view, 2, QItemSelectionModel::Select);

    QString asked;
    PressInNextModal(QStringLiteral("&No"), &asked);
    run.Frame().OnCommand(kCmdEditCut);
    EXPECT_EQ(asked, "Are you sure you wish to delete these item(s)?");
    EXPECT_EQ(run.Doc().GetItemCount(), 3);
    EXPECT_EQ(QApplication::clipboard()->text(), "before");
    EXPECT_FALSE(QApplication::clipboard()->mimeData()->hasFormat(kItemMimeType));

    PressInNextModal(QStringLiteral("&Yes"));
    run.Frame().OnCommand(kCmdEditCut);
    EXPECT_EQ(Numbers(run.Doc()), (std::vector<std::string>{"2"}));
    EXPECT_EQ(RowNumbers(view), Numbers(run.Doc()));
    const QByteArray copied = QApplication::clipboard()->mimeData()->data(kItemMimeType);
    EXPECT_EQ(copied.toStdString(), EbayUrl("1") + "\n" + EbayUrl("3") + "\n");
}

TEST(ViewClipboard, PasteAcceptsOnlyTextWhoseEveryLineIsAnItemAddress)
{
    const struct
    {
        const char* name;
        std::string text;
        bool enabled;
        int added;
    } cases[] = {
        {"two addresses with CR LF", EbayUrl("11") + "\r\n" + EbayUrl("12") + "\r\n", true, 2},
        {"address and empty lines", "\n" + EbayUrl("13") + "\n\n", true, 1},
        {"a line that is no address", EbayUrl("14") + "\nhello\n", false, 0},
        {"an address already held", EbayUrl("1") + "\n", true, 0},
        {"plain words", "nothing here", false, 0},
    };
    for (const auto& c : cases) {
        RunningApp run;
        AddEbayItems(run.Doc(), {"1"});
        QApplication::clipboard()->setText(QString::fromStdString(c.text));
        run.Frame().UpdateCommandUI();
        EXPECT_EQ(run.Frame().Action(kCmdEditPaste)->isEnabled(), c.enabled) << c.name;
        // Run directly, past the enabling, so that the command itself must refuse a bad text.
        run.View().OnCommand(kCmdEditPaste);
        EXPECT_EQ(run.Doc().GetItemCount(), 1 + c.added) << c.name;
        EXPECT_EQ(run.View().ItemModel()->rowCount(), 1 + c.added) << c.name;
    }
}

TEST(ViewClipboard, CopyThenPasteIntoAnotherDocumentUsesThePrivateFormat)
{
    RunningApp run;
    AddEbayItems(run.Doc(), {"21", "22"});
    run.View().selectAll();
    run.Frame().OnCommand(kCmdEditCopy);
    EXPECT_FALSE(QApplication::clipboard()->mimeData()->hasText());
    run.app->NewDocument();
    EXPECT_EQ(run.Doc().GetItemCount(), 0);
    run.Frame().UpdateCommandUI();
    EXPECT_TRUE(run.Frame().Action(kCmdEditPaste)->isEnabled());
    run.Frame().OnCommand(kCmdEditPaste);
    EXPECT_EQ(Numbers(run.Doc()), (std::vector<std::string>{"21", "22"}));
}

TEST(ViewDrop, DropIsAcceptedOnlyWhenEveryLineIsAnItemAddress)
{
    const struct
    {
        const char* name;
        std::function<void(QMimeData&)> fill;
        bool accepted;
        int added;
    } cases[] = {
        {"private format", [](QMimeData& m) { m.setData(kItemMimeType, QByteArray::fromStdString(EbayUrl("31") + "\n")); },
         true, 1},
        {"URL", [](QMimeData& m) { m.setUrls({QUrl(QString::fromStdString(EbayUrl("32")))}); }, true, 1},
        {"text with two addresses",
         [](QMimeData& m) { m.setText(QString::fromStdString(EbayUrl("33") + "\n" + EbayUrl("34"))); }, true, 2},
        {"text with a stray line", [](QMimeData& m) { m.setText(QString::fromStdString(EbayUrl("35") + "\nx")); },
         false, 0},
        {"a local file", [](QMimeData& m) { m.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/list.lwd"))}); }, false,
         0},
    };
    for (const auto& c : cases) {
        RunningApp run;
        QMimeData mime;
        c.fill(mime);
        QWidget* target = run.View().viewport();
        const QPoint at(10, 10);
        EXPECT_EQ(!run.View().AcceptableDropText(&mime).isEmpty(), c.accepted) << c.name;
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        // A local file the list refuses goes on to the frame, which opens it as a document.
        EXPECT_EQ(enter.isAccepted(), c.accepted || (mime.hasUrls() && mime.urls().value(0).isLocalFile())) << c.name;
        EXPECT_EQ(run.Doc().GetItemCount(), 0) << c.name << ": checking adds nothing";
        if (c.accepted) {
            QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &drop);
        }
        EXPECT_EQ(run.Doc().GetItemCount(), c.added) << c.name;
    }
}

TEST(ViewCells, TooLongTextIsCutWithThreeDots)
{
    const QFontMetrics metrics(QApplication::font());
    const QString text = QStringLiteral("A very long item description that cannot fit");
    bool shortened = false;
    EXPECT_EQ(CItemDelegate::FitText(text, metrics, metrics.horizontalAdvance(text), &shortened), text);
    EXPECT_FALSE(shortened);
    const int width = metrics.horizontalAdvance(QStringLiteral("A very long..."));
    const QString cut = CItemDelegate::FitText(text, metrics, width, &shortened);
    EXPECT_TRUE(shortened);
    EXPECT_TRUE(cut.endsWith(QStringLiteral("...")));
    EXPECT_LE(metrics.horizontalAdvance(cut), width);
    EXPECT_TRUE(text.startsWith(cut.chopped(3)));
    EXPECT_EQ(CItemDelegate::FitText(text, metrics, 1, &shortened), QStringLiteral("..."));
}
