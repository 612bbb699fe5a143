// The display preferences sheet: what it shows of the frame and the list, the order and the
// effects of applying it on OK and on Apply, the columns chooser, and its refusals.

#include "UiTestSupport.h"

#include "core/document/LotwardDoc.h"
#include "core/item/Item.h"
#include "ui/ChooserPage.h"
#include "ui/CommandIds.h"
#include "ui/ItemListModel.h"
#include "ui/LotwardView.h"
#include "ui/MainFrame.h"
#include "ui/PageDisplayGeneral.h"
#include "ui/SheetDisplayOpt.h"
#include "ui/SheetOptionSpin.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>

#include <gtest/gtest.h>

namespace {

void RunDisplaySheet(RunningApp& running, std::function<void(CSheetDisplayOpt&)> drive)
{
    AnswerNextModal([drive](QWidget* modal) {
        auto* sheet = qobject_cast<CSheetDisplayOpt*>(modal);
        ASSERT_NE(sheet, nullptr);
        drive(*sheet);
    });
    ASSERT_TRUE(running.Frame().OnCommand(kCmdViewDisplayPrefs));
}

std::vector<int> DocColumnIds(CLotwardDoc& doc)
{
    std::vector<int> ids;
    doc.Columns().GetColumnIds(ids);
    return ids;
}

int DocColumnWidth(CLotwardDoc& doc, int id)
{
    for (int position = 0; position < doc.Columns().GetCount(); ++position)
        if (doc.Columns().GetId(position) == id)
            return doc.Columns().GetWidth(position);
    return -1;
}

void SelectChosen(CChooserPage* page, int id)
{
    QListWidget* list = page->ChosenList();
    for (int row = 0; row < list->count(); ++row)
        if (list->item(row)->data(Qt::UserRole).toInt() == id)
            list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

void SelectAvailable(CChooserPage* page, int id)
{
    QListWidget* list = page->AvailableList();
    list->clearSelection();
    for (int row = 0; row < list->count(); ++row)
        if (list->item(row)->data(Qt::UserRole).toInt() == id)
            list->item(row)->setSelected(true);
}

TEST(DisplaySheet, ShowsTheFrameAndTheListAsTheyAre)
{
    RunningApp running([](CMemorySettingsStore& s) {
        s.WriteInt("Main Window", "FontSize", 3);
        s.WriteInt("Main Window", "ToolBarText", 0);
        s.WriteInt("Settings", "ReadTime", 3);
        s.WriteInt("Settings", "TrackChanges", 1);
    });
    RunDisplaySheet(running, [&](CSheetDisplayOpt& sheet) {
        CPageDisplayGeneral* page = sheet.GeneralPage();
        EXPECT_EQ(sheet.windowTitle(), QStringLiteral("Display Preferences"));
        EXPECT_EQ(sheet.Tabs()->tabText(0), QStringLiteral("General"));
        EXPECT_EQ(sheet.Tabs()->tabText(1), QStringLiteral("Columns"));
        EXPECT_TRUE(page->ToolbarCheck()->isChecked());
        EXPECT_FALSE(page->TextLabelsCheck()->isChecked());
        EXPECT_TRUE(page->BigIconsCheck()->isChecked());
        EXPECT_FALSE(page->ViewerCheck()->isChecked());
        EXPECT_FALSE(page->FontSizeList()->isEnabled());
        EXPECT_EQ(page->FontSizeList()->currentText(), QStringLiteral("Large"));
        EXPECT_TRUE(page->TrackChangesCheck()->isChecked());
        EXPECT_EQ(page->ReadTimeField()->value(), 3);
        EXPECT_EQ(sheet.ColumnsPage()->ChosenIds(), DocColumnIds(running.Doc()));
        EXPECT_FALSE(sheet.ColumnsPage()->UpButton()->isHidden());
        EXPECT_FALSE(sheet.ApplyButton()->isEnabled());

        page->ToolbarCheck()->setChecked(false);
        EXPECT_FALSE(page->TextLabelsCheck()->isEnabled());
        EXPECT_FALSE(page->BigIconsCheck()->isEnabled());
        page->TrackChangesCheck()->setChecked(false);
        EXPECT_FALSE(page->ReadTimeField()->isEnabled());
        EXPECT_FALSE(page->ReadTimeLabel()->isEnabled());
        EXPECT_FALSE(page->ReadTimeUnit()->isEnabled());
        page->ViewerCheck()->setChecked(true);
        EXPECT_TRUE(page->FontSizeList()->isEnabled());
        EXPECT_TRUE(sheet.ApplyButton()->isEnabled());
        sheet.reject();
    });
    // Cancel changes nothing.
    EXPECT_TRUE(running.Frame().ToolBar()->isVisible());
    EXPECT_EQ(running.Frame().DescriptionPane(), nullptr);
}

TEST(DisplaySheet, ToolbarOffAndBigIconsOnInOneApplyHidesTheToolbar)
{
    RunningApp running;
    CMainFrame& frame = running.Frame();
    frame.SetToolbarStyle(true, false);
    const QSize smallIcons = frame.ToolBar()->iconSize();
    bool hiddenWhileOpen = false;
    RunDisplaySheet(running, [&](CSheetDisplayOpt& sheet) {
        sheet.GeneralPage()->BigIconsCheck()->setChecked(true);
        sheet.GeneralPage()->ToolbarCheck()->setChecked(false);
        sheet.ApplyButton()->click();
        hiddenWhileOpen = !frame.ToolBar()->isVisible();
        EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
        sheet.reject();
    });
    EXPECT_TRUE(hiddenWhileOpen);
    EXPECT_FALSE(frame.ToolBar()->isVisible());
    EXPECT_TRUE(frame.ToolbarBig());
    // Shown again, the toolbar keeps its small buttons until the next start.
    frame.OnCommand(kCmdViewToolbar);
    EXPECT_TRUE(frame.ToolBar()->isVisible());
    EXPECT_EQ(frame.ToolBar()->iconSize(), smallIcons);
}

TEST(DisplaySheet, StyleChangeOfAVisibleToolbarLaysItOutAtOnce)
{
    RunningApp running;
    CMainFrame& frame = running.Frame();
    const QSize bigIcons = frame.ToolBar()->iconSize();
    RunDisplaySheet(running, [&](CSheetDisplayOpt& sheet) {
        sheet.GeneralPage()->BigIconsCheck()->setChecked(false);
        sheet.GeneralPage()->TextLabelsCheck()->setChecked(false);
        sheet.accept();
    });
    EXPECT_FALSE(frame.ToolbarBig());
    EXPECT_FALSE(frame.ToolbarText());
    EXPECT_LT(frame.ToolBar()->iconSize().width(), bigIcons.width());
    EXPECT_EQ(frame.ToolBar()->toolButtonStyle(), Qt::ToolButtonIconOnly);
}

TEST(DisplaySheet, ReadTimeZeroMarksTheFocusedItemReadAtOnce)
{
    RunningApp running;
    AddEbayItems(running.Doc(), {"1001", "1002"});
    for (int i = 0; i < 2; ++i)
        running.Doc().GetItem(i)->readState = 0;
    RunDisplaySheet(running, [](CSheetDisplayOpt& sheet) {
        sheet.GeneralPage()->ReadTimeField()->setValue(0);
        sheet.accept();
    });
    EXPECT_EQ(running.View().ReadTime(), 0);
    EXPECT_EQ(running.settings.GetInt("Settings", "ReadTime", -1), 0);

    CLotwardView& view = running.View();
    view.setFocus();
    view.setCurrentIndex(view.ItemModel()->index(1, 0));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    CItem* focused = view.FocusedItem();
    ASSERT_NE(focused, nullptr);
    EXPECT_EQ(focused->readState, 1);
}

TEST(DisplaySheet, TrackingAndFontSizeAreWrittenOnlyWhenTheyChange)
{
    RunningApp running;
    RunDisplaySheet(running, [](CSheetDisplayOpt& sheet) { sheet.accept(); });
    // "FontSize" absent counts as -1, so the first OK writes the shown size.
    EXPECT_EQ(running.settings.GetInt("Main Window", "FontSize", -1), 0);

    RunDisplaySheet(running, [](CSheetDisplayOpt& sheet) {
        sheet.GeneralPage()->ViewerCheck()->setChecked(true);
        sheet.GeneralPage()->FontSizeList()->setCurrentIndex(4);
        sheet.GeneralPage()->TrackChangesCheck()->setChecked(false);
        sheet.accept();
    });
    EXPECT_EQ(running.settings.GetInt("Main Window", "FontSize", -1), 4);
    EXPECT_NE(running.Frame().DescriptionPane(), nullptr);
    EXPECT_FALSE(running.View().TrackChanges());
    EXPECT_EQ(running.settings.GetInt("Settings", "TrackChanges", -1), 0);

    RunDisplaySheet(running, [](CSheetDisplayOpt& sheet) {
        sheet.GeneralPage()->ViewerCheck()->setChecked(false);
        sheet.accept();
    });
    EXPECT_EQ(running.Frame().DescriptionPane(), nullptr);
}

TEST(DisplaySheet, OutOfRangeReadTimeKeepsTheSheetOpen)
{
    RunningApp running;
    QString seen;
    bool stayedOpen = false;
    RunDisplaySheet(running, [&](CSheetDisplayOpt& sheet) {
        sheet.Tabs()->setCurrentIndex(1);
        sheet.GeneralPage()->ReadTimeField()->setValue(501);
        PressInNextModal(QStringLiteral("OK"), &seen);
        sheet.accept();
        stayedOpen = sheet.isVisible() && sheet.Tabs()->currentIndex() == 0;
        sheet.reject();
    });
    EXPECT_EQ(seen, QStringLiteral("Please enter an integer between 0 and 500."));
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(running.View().ReadTime(), 3);
}

TEST(DisplaySheet, EmptyColumnChoiceKeepsTheSheetOpenWithItsMessage)
{
    RunningApp running;
    const std::vector<int> before = DocColumnIds(running.Doc());
    QString seen;
    bool stayedOpen = false;
    RunDisplaySheet(running, [&](CSheetDisplayOpt& sheet) {
        sheet.ColumnsPage()->ChosenList()->selectAll();
        sheet.ColumnsPage()->RemoveButton()->click();
        PressInNextModal(QStringLiteral("OK"), &seen);
        sheet.accept();
        stayedOpen = sheet.isVisible() && sheet.Tabs()->currentIndex() == 1;
        sheet.reject();
    });
    EXPECT_EQ(seen, QStringLiteral("You must choose at least one column!"));
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(DocColumnIds(running.Doc()), before);
}

TEST(DisplaySheet, ColumnsChooserKeepsUserWidthsOfMovedColumns)
{
    RunningApp running;
    CLotwardDoc& doc = running.Doc();
    ASSERT_EQ(DocColumnIds(doc), (std::vector<int>{103, 106, 104, 112, 127, 115, 105, 118}));
    running.View().header()->resizeSection(2, 333); // "Description", by the user
    doc.SetModifiedFlag(false);

    RunDisplaySheet(running, [](CSheetDisplayOpt& sheet) {
        CChooserPage* page = sheet.ColumnsPage();
        SelectChosen(page, 104);
        page->UpButton()->click();
        page->UpButton()->click();
        EXPECT_FALSE(page->UpButton()->isEnabled());
        SelectChosen(page, 105);
        page->RemoveButton()->click();
        SelectAvailable(page, 119);
        page->AddButton()->click();
        sheet.accept();
    });
    EXPECT_EQ(DocColumnIds(doc), (std::vector<int>{104, 103, 106, 112, 127, 115, 118, 119}));
    EXPECT_EQ(DocColumnWidth(doc, 104), 333);
    EXPECT_EQ(DocColumnWidth(doc, 119), 100);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(running.View().header()->sectionSize(0), 333);

    // Chosen again later, a removed column starts from the table's width.
    RunDisplaySheet(running, [](CSheetDisplayOpt& sheet) {
        SelectAvailable(sheet.ColumnsPage(), 105);
        sheet.ColumnsPage()->AddSelected();
        sheet.accept();
    });
    EXPECT_EQ(DocColumnIds(doc).back(), 105);
    EXPECT_EQ(DocColumnWidth(doc, 105), 200);
    EXPECT_EQ(DocColumnWidth(doc, 104), 333);
}

TEST(DisplaySheet, ColumnsAvailableAreTheTableOnesInAlphabeticalOrder)
{
    RunningApp running;
    RunDisplaySheet(running, [](CSheetDisplayOpt& sheet) {
        QListWidget* list = sheet.ColumnsPage()->AvailableList();
        QStringList texts;
        for (int row = 0; row < list->count(); ++row)
            texts << list->item(row)->text();
        EXPECT_EQ(texts.size(), 20 - 8);
        QStringList sorted = texts;
        sorted.sort(Qt::CaseInsensitive);
        EXPECT_EQ(texts, sorted);
        EXPECT_TRUE(texts.contains(QStringLiteral("Shipping Charges")));
        EXPECT_FALSE(texts.contains(QStringLiteral("Description")));
        sheet.reject();
    });
}

} // namespace
