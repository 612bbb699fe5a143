// The main frame: command enabling, menus and toolbar, window placement, the result hand-off
// from the download scheduler thread, and what closing the frame writes.

#include "UiTestSupport.h"

#include "core/document/LotwardDoc.h"
#include "core/item/Item.h"
#include "sites/ItemInfo.h"
#include "ui/CommandIds.h"
#include "ui/ItemListModel.h"
#include "ui/LotwardView.h"
#include "ui/MainFrame.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

struct EnablingCase
{
    const char* state;
    bool items, select, tracking;
    std::vector<int> enabled;
    std::vector<int> disabled;
};

void Prepare(RunningApp& run, const EnablingCase& c)
{
    if (c.items)
        AddEbayItems(run.Doc(), {"100", "200", "300"});
    run.View().SetTrackChanges(c.tracking);
    if (c.select)
        run.View().setCurrentIndex(run.View().ItemModel()->index(1, 0));
    run.Frame().UpdateCommandUI();
}

} // namespace

TEST(FrameCommands, EachCommandIsEnabledExactlyByItsRule)
{
    const std::vector<int> always = {kCmdFileNew, kCmdFileOpen, kCmdFileSave,   kCmdFileSaveAs,  kCmdFileSendMail,
                                     kCmdAppExit, kCmdRefresh,  kCmdStop,       kCmdItemAdd,     kCmdItemImport,
                                     kCmdSearchItems, kCmdHelpFaq, kCmdAppAbout, kCmdViewOptions, kCmdViewDisplayPrefs};
    const std::vector<int> selectionBound = {kCmdEditCut, kCmdEditCopy, kCmdEditClear, kCmdRefreshItem,
                                             kCmdOpenInBrowser, kCmdProperties};
    const EnablingCase cases[] = {
        {"empty document", false, false, true, always,
         {kCmdFileExport, kCmdEditSelectAll, kCmdEditCut, kCmdEditCopy, kCmdEditClear, kCmdMarkRead, kCmdMarkUnread,
          kCmdRefreshItem, kCmdOpenInBrowser, kCmdProperties}},
        {"items, nothing selected", true, false, true, {kCmdFileExport, kCmdEditSelectAll}, selectionBound},
        {"one item selected", true, true, true, {kCmdEditCut, kCmdEditCopy, kCmdEditClear, kCmdRefreshItem,
                                                kCmdOpenInBrowser, kCmdProperties, kCmdMarkRead, kCmdMarkUnread}, {}},
        {"selected, change tracking off", true, true, false, {kCmdEditCut, kCmdRefreshItem}, {kCmdMarkRead, kCmdMarkUnread}},
    };
    for (const EnablingCase& c : cases) {
        RunningApp run;
        Prepare(run, c);
        for (int id : c.enabled)
            EXPECT_TRUE(run.Frame().Action(id)->isEnabled()) << c.state << ": command " << id;
        for (int id : c.disabled)
            EXPECT_FALSE(run.Frame().Action(id)->isEnabled()) << c.state << ": command " << id;
    }
}

TEST(FrameCommands, DisabledCommandIsNotRun)
{
    RunningApp run;
    EXPECT_FALSE(run.Frame().OnCommand(kCmdEditSelectAll));
    AddEbayItems(run.Doc(), {"1"});
    EXPECT_TRUE(run.Frame().OnCommand(kCmdEditSelectAll));
    EXPECT_TRUE(run.View().HasSelection());
}

TEST(FrameMenus, LabelsAndSeparatorsFollowTheCommandGroups)
{
    RunningApp run;
    QStringList titles;
    std::vector<QStringList> entries;
    for (QAction* top : run.Frame().menuBar()->actions()) {
        titles << top->text();
        QStringList texts;
        for (QAction* a : top->menu()->actions())
            texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
        entries.push_back(texts);
    }
    EXPECT_EQ(titles, QStringList({"&File", "&Edit", "&View", "&Item", "&Help"}));
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0], QStringList({"&New", "&Open...", "&Save", "Save &As...", "-", "Sen&d...", "-", "&Export...",
                                       "-", "Recent File", "-", "E&xit"}));
    EXPECT_EQ(entries[1], QStringList({"Cu&t", "&Copy", "&Paste", "&Delete", "Select &All"}));
    EXPECT_EQ(entries[2], QStringList({"&Toolbar", "&Status Bar", "&Item Description", "-", "&Display Preferences...",
                                       "&Options...", "-", "&Refresh\tF5"}));
    EXPECT_EQ(entries[3], QStringList({"&Add...", "Add from &Bookmarks/Favorites...", "-", "&Search Items..."}));
    EXPECT_EQ(entries[4], QStringList({"FA&Q", "-", "&About Lotwarden..."}));

    QStringList context;
    for (QAction* a : run.Frame().ContextMenu()->actions())
        context << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(context, QStringList({"&Open in Browser...", "-", "Cu&t", "&Copy", "&Delete", "-", "Mark as &Read",
                                    "Mark as &Unread", "-", "Re&fresh Item", "-", "&Properties..."}));
    EXPECT_EQ(run.Frame().ContextMenu()->defaultAction(), run.Frame().Action(kCmdOpenInBrowser));
    EXPECT_EQ(run.Frame().Action(kCmdEditCut)->statusTip(), "Cut the selection and put it on the Clipboard");
    EXPECT_EQ(run.Frame().Action(kCmdStop)->shortcut(), QKeySequence(Qt::Key_Escape));
}

TEST(FrameToolbar, FourteenEntriesWithLabelsAndTheFourSizes)
{
    RunningApp run;
    QStringList labels;
    for (QAction* a : run.Frame().ToolBar()->actions())
        labels << (a->isSeparator() ? QStringLiteral("-") : a->iconText());
    EXPECT_EQ(labels, QStringList({"New", "Open", "Save", "-", "Erase", "Cut", "Copy", "Paste", "Properties", "-",
                                   "Stop", "Refresh", "-", "Search"}));
    const struct
    {
        bool big, text;
        QSize button, image;
    } layouts[] = {{true, true, {70, 45}, {22, 20}},
                   {true, false, {29, 26}, {22, 20}},
                   {false, true, {70, 40}, {16, 15}},
                   {false, false, {23, 21}, {16, 15}}};
    for (const auto& l : layouts) {
        run.Frame().SetToolbarStyle(l.text, l.big);
        QWidget* button = run.Frame().ToolBar()->widgetForAction(run.Frame().Action(kCmdFileNew));
        EXPECT_EQ(button->size(), l.button) << l.big << l.text;
        EXPECT_EQ(run.Frame().ToolBar()->iconSize(), l.image);
        // Without labels the texts stay set but do not show.
        EXPECT_EQ(run.Frame().Action(kCmdFileNew)->iconText(), "New");
    }
}

TEST(FramePlacement, StoredRectangleIsPulledBackOntoASmallerScreen)
{
    const QRect screen(0, 0, 800, 600);
    const struct
    {
        QRect stored;
        QPoint expected;
    } cases[] = {
        {{100, 80, 400, 300}, {100, 80}},     // fits: unchanged
        {{1500, 80, 400, 300}, {768, 80}},    // beyond the right edge: an icon's width stays visible
        {{100, 1200, 400, 300}, {100, 568}},  // below the bottom edge
        {{-900, -50, 400, 300}, {-368, 0}},   // off to the left and above
    };
    for (const auto& c : cases)
        EXPECT_EQ(CMainFrame::ClampPlacement(c.stored, screen).topLeft(), c.expected) << c.stored.x() << "," << c.stored.y();
}

TEST(FramePlacement, ClosingWritesTheLayoutValues)
{
    CMemorySettingsStore* store = nullptr;
    {
        RunningApp run([](CMemorySettingsStore& s) {
            s.WriteInt("Main Window", "Split", 1);
            s.WriteInt("Main Window", "SplitPos", 0);
            s.WriteInt("Main Window", "ToolBarText", 0);
        });
        store = &run.settings;
        ASSERT_NE(run.Frame().DescriptionPane(), nullptr);
        EXPECT_FALSE(run.Frame().ToolbarText());
        run.Frame().showMinimized();
        run.Frame().close();
        EXPECT_EQ(store->GetInt("Main Window", "Split", -5), 1);
        EXPECT_GT(store->GetInt("Main Window", "SplitPos", 0), 0);
        EXPECT_EQ(store->GetInt("Main Window", "ToolBarText", -5), 0);
        EXPECT_EQ(store->GetInt("Main Window", "ToolBarBig", -5), 1);
        EXPECT_EQ(store->GetInt("Main Window", "ShowCmd", -5), 1); // never stored minimized
        EXPECT_NE(store->GetInt("Main Window", "Right", -1), -1);
        EXPECT_FALSE(store->GetString("BarSettings", "State").empty());
    }
}

TEST(FrameSplitter, DescriptionPaneTogglesAndTabMovesTheFocus)
{
    RunningApp run;
    EXPECT_EQ(run.Frame().DescriptionPane(), nullptr);
    run.Frame().OnCommand(kCmdViewDescription);
    ASSERT_NE(run.Frame().DescriptionPane(), nullptr);
    EXPECT_TRUE(run.Frame().Action(kCmdViewDescription)->isChecked());
    run.Frame().OnCommand(kCmdViewDescription);
    EXPECT_EQ(run.Frame().DescriptionPane(), nullptr);
    EXPECT_FALSE(run.Frame().Action(kCmdViewDescription)->isChecked());
}

TEST(FrameTitle, NewDocumentIsUntitled)
{
    RunningApp run;
    EXPECT_EQ(run.Frame().windowTitle(), "Untitled[*] - Lotwarden");
    EXPECT_EQ(run.Frame().PendingPane()->text(), "Nb of Items pending: 00000");
    // The title bar carries the unsaved-changes mark while the list has changes.
    EXPECT_FALSE(run.Frame().isWindowModified());
    AddEbayItems(run.Doc(), {"5"});
    EXPECT_TRUE(run.Frame().isWindowModified());
    run.Doc().SetModifiedFlag(false);
    run.Frame().UpdateCommandUI();
    EXPECT_FALSE(run.Frame().isWindowModified());
}

