// The bookmark dialog, the Netscape folder chooser, the directory picker and the two commands
// that use them: settings read and written under their exact names, the checks on OK, the
// folder tree, and the counts the commands report.

#include "../bookmarks/ProfileFixtures.h"
#include "../bookmarks/TestSupport.h"
#include "BookmarkFiles.h"

#include "core/document/LotwardDoc.h"
#include "platform/MemorySettingsStore.h"
#include "ui/BookmarkDialog.h"
#include "ui/BrowseDirectory.h"
#include "ui/CommandIds.h"
#include "ui/MainFrame.h"
#include "ui/NetscapeFolderDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace bmui;

namespace {

using Mode = CBookmarkDialog::Mode;

QStringList TreeTexts(QTreeWidgetItem* item, const QString& indent = QString())
{
    QStringList lines{indent + item->text(0)};
    for (int i = 0; i < item->childCount(); ++i)
        lines += TreeTexts(item->child(i), indent + QStringLiteral("  "));
    return lines;
}

QTreeWidgetItem* FindNode(QTreeWidget* tree, const QString& text)
{
    const QList<QTreeWidgetItem*> found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

// Accepts the dialog and returns the text of the message box it showed, if any.
QString AcceptAndReadMessage(CBookmarkDialog& dialog, QMessageBox::Icon* icon = nullptr)
{
    MessageAnswer message;
    dialog.accept();
    if (icon)
        *icon = message.icon;
    return message.text;
}

} // namespace

TEST(BookmarkDialog, ReadsAndWritesItsOwnSectionUnderTheStoredNames)
{
    SampleStores stores;
    CMemorySettingsStore settings;
    settings.WriteInt("Import", "Browser", 1);
    settings.WriteString("Import", "NetcapeFile", Native(stores.bookmarks));
    settings.WriteString("Import", "NetscapeFolder", "\\Auctions\\Old\\");
    settings.WriteString("Import", "IEFavoriteFolder", Native(stores.favorites));
    settings.WriteInt("Import", "Recurse", 0);
    settings.WriteInt("Import", "DeleteItems", 1);

    CBookmarkDialog dialog(Mode::Import, settings);
    EXPECT_TRUE(dialog.NetscapeButton()->isChecked());
    EXPECT_EQ(dialog.FileEdit()->text(), stores.bookmarks);
    EXPECT_EQ(dialog.FolderEdit()->text(), QStringLiteral("\\Auctions\\Old\\"));
    EXPECT_TRUE(dialog.FolderEdit()->isReadOnly());
    EXPECT_EQ(dialog.DirectoryEdit()->text(), stores.favorites);
    EXPECT_FALSE(dialog.RecurseBox()->isChecked());
    EXPECT_TRUE(dialog.DeleteBox()->isChecked());

    dialog.FavoritesButton()->setChecked(true);
    dialog.RecurseBox()->setChecked(true);
    dialog.DeleteBox()->setChecked(false);
    dialog.SetFolderPath("\\Other\\");
    EXPECT_TRUE(AcceptAndReadMessage(dialog).isEmpty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(settings.GetInt("Import", "Browser", -1), 0);
    EXPECT_EQ(settings.GetString("Import", "NetcapeFile"), Native(stores.bookmarks));
    EXPECT_EQ(settings.GetString("Import", "NetscapeFolder"), "\\Other\\");
    EXPECT_EQ(settings.GetString("Import", "IEFavoriteFolder"), Native(stores.favorites));
    EXPECT_EQ(settings.GetInt("Import", "Recurse", -1), 1);
    EXPECT_EQ(settings.GetInt("Import", "DeleteItems", -1), 0);
    EXPECT_TRUE(settings.GetValueNames("Export").empty()) << "import and export keep their own values";

    // Export reads only its own section and has neither check box nor their values.
    CBookmarkDialog exporting(Mode::Export, settings);
    EXPECT_EQ(exporting.RecurseBox(), nullptr);
    EXPECT_EQ(exporting.DeleteBox(), nullptr);
    EXPECT_TRUE(exporting.FavoritesButton()->isChecked());
    EXPECT_EQ(exporting.FolderEdit()->text(), QStringLiteral("\\"));
    exporting.NetscapeButton()->setChecked(true);
    exporting.FileEdit()->setText(stores.bookmarks);
    exporting.SetFolderPath("\\Auctions\\");
    EXPECT_TRUE(AcceptAndReadMessage(exporting).isEmpty());
    EXPECT_EQ(settings.GetInt("Export", "Browser", -1), 1);
    EXPECT_EQ(settings.GetString("Export", "NetscapeFolder"), "\\Auctions\\");
    EXPECT_FALSE(settings.HasValue("Export", "Recurse"));
    EXPECT_FALSE(settings.HasValue("Export", "DeleteItems"));
    EXPECT_EQ(settings.GetString("Import", "NetscapeFolder"), "\\Other\\");
}

TEST(BookmarkDialog, StartsFromTheDesktopsStoresAndForgetsAVanishedFolder)
{
    // The tests run with a private HOME: put a Favorites folder and an exported file there.
    const QString home = QDir::homePath();
    QDir().mkpath(home + QStringLiteral("/Favorites"));
    WriteText(home + QStringLiteral("/bookmarks.html"), SampleBookmarks());

    CMemorySettingsStore settings;
    settings.WriteString("Import", "NetscapeFolder", "\\Auctions\\Gone\\");
    {
        CBookmarkDialog dialog(Mode::Import, settings);
        EXPECT_TRUE(dialog.FavoritesButton()->isChecked());
        EXPECT_EQ(QFileInfo(dialog.DirectoryEdit()->text()).canonicalFilePath(),
                  QFileInfo(home + QStringLiteral("/Favorites")).canonicalFilePath());
        EXPECT_EQ(QFileInfo(dialog.FileEdit()->text()).canonicalFilePath(),
                  QFileInfo(home + QStringLiteral("/bookmarks.html")).canonicalFilePath());
        EXPECT_EQ(dialog.FolderPath(), "\\");
        EXPECT_TRUE(dialog.RecurseBox()->isChecked());
        EXPECT_FALSE(dialog.DeleteBox()->isChecked());
    }
    QDir(home + QStringLiteral("/Favorites")).removeRecursively();
    QFile::remove(home + QStringLiteral("/bookmarks.html"));
    CBookmarkDialog dialog(Mode::Export, settings);
    EXPECT_TRUE(dialog.DirectoryEdit()->text().isEmpty());
    EXPECT_TRUE(dialog.FileEdit()->text().isEmpty());
}

TEST(BookmarkDialog, OkChecksOnlyTheChosenStore)
{
    SampleStores stores;
    const QString missing = stores.dir.filePath(QStringLiteral("missing"));
    const struct
    {
        bool netscape;
        QString directory;
        QString file;
        QString message; // empty: accepted
    } cases[] = {
        {false, stores.favorites, missing, QString()},
        {false, missing, stores.bookmarks, QStringLiteral("Directory \"%1\" does not exist").arg(missing)},
        {false, stores.bookmarks, stores.bookmarks,
         QStringLiteral("Directory \"%1\" does not exist").arg(stores.bookmarks)},
        {false, QString(), QString(), QStringLiteral("Directory \"\" does not exist")},
        {true, missing, stores.bookmarks, QString()},
        {true, stores.favorites, missing, QStringLiteral("File \"%1\" does not exist").arg(missing)},
        {true, stores.favorites, stores.favorites, QStringLiteral("File \"%1\" does not exist").arg(stores.favorites)},
    };
    for (const auto& c : cases) {
        CMemorySettingsStore settings;
        CBookmarkDialog dialog(Mode::Import, settings);
        (c.netscape ? dialog.NetscapeButton() : dialog.FavoritesButton())->setChecked(true);
        dialog.DirectoryEdit()->setText(c.directory);
        dialog.FileEdit()->setText(c.file);
        dialog.show();
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        const QString seen = AcceptAndReadMessage(dialog, &icon);
        EXPECT_EQ(seen, c.message) << c.directory.toStdString() << " " << c.file.toStdString();
        if (c.message.isEmpty()) {
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
            EXPECT_TRUE(settings.HasValue("Import", "Browser"));
        } else {
            EXPECT_EQ(icon, QMessageBox::Warning);
            EXPECT_TRUE(dialog.isVisible()) << "the dialog stays open";
            EXPECT_FALSE(settings.HasValue("Import", "Browser")) << "nothing is written before the checks pass";
        }
        dialog.reject();
    }
}

TEST(BookmarkDialog, StoreChoiceEnablesItsFieldsAndANewFileResetsTheFolder)
{
    SampleStores stores;
    CMemorySettingsStore settings;
    settings.WriteInt("Export", "Browser", 1);
    settings.WriteString("Export", "NetcapeFile", Native(stores.bookmarks));
    settings.WriteString("Export", "NetscapeFolder", "\\Auctions\\");
    CBookmarkDialog dialog(Mode::Export, settings);
    dialog.show();
    const auto favoritesOn = [&dialog] {
        return std::vector<bool>{dialog.DirectoryEdit()->isEnabled(), dialog.BrowseDirectoryButton()->isEnabled()};
    };
    const auto netscapeOn = [&dialog] {
        return std::vector<bool>{dialog.FileEdit()->isEnabled(), dialog.BrowseFileButton()->isEnabled(),
                                 dialog.FolderEdit()->isEnabled(), dialog.BrowseFolderButton()->isEnabled()};
    };
    EXPECT_EQ(favoritesOn(), (std::vector<bool>{false, false}));
    EXPECT_EQ(netscapeOn(), (std::vector<bool>{true, true, true, true}));
    dialog.FavoritesButton()->click();
    EXPECT_EQ(favoritesOn(), (std::vector<bool>{true, true}));
    EXPECT_EQ(netscapeOn(), (std::vector<bool>{false, false, false, false}));
    dialog.NetscapeButton()->click();

    EXPECT_EQ(dialog.FolderPath(), "\\Auctions\\");
    QTest::keyClick(dialog.FileEdit(), Qt::Key_End);
    QTest::keyClicks(dialog.FileEdit(), QStringLiteral("x"));
    EXPECT_EQ(dialog.FolderPath(), "\\");
    EXPECT_EQ(dialog.FolderEdit()->text(), QStringLiteral("\\"));
}

TEST(NetscapeFolderDialog, ShowsTheFileAsTheTopAndSelectsTheCurrentFolder)
{
    SampleStores stores;
    const struct
    {
        std::string folder;
        QString selected;
    } cases[] = {
        {"\\Auctions\\Old\\", QStringLiteral("Old")},
        {"\\Auctions\\Pens &amp; Ink\\", QStringLiteral("Pens & Ink")},
        {"\\", QStringLiteral("bookmarks.html")},
        {"\\Auctions\\Gone\\", QStringLiteral("Auctions")},
        {"\\Gone\\", QStringLiteral("bookmarks.html")},
    };
    for (const auto& c : cases) {
        CNetscapeFolderDialog dialog(Native(stores.bookmarks), c.folder);
        ASSERT_TRUE(dialog.IsLoaded());
        QTreeWidget* tree = dialog.Tree();
        ASSERT_EQ(tree->topLevelItemCount(), 1);
        EXPECT_EQ(TreeTexts(tree->topLevelItem(0)),
                  (QStringList{"bookmarks.html", "  Auctions", "    Old", "    Pens & Ink", "  Toolbar", "  Other"}));
        EXPECT_TRUE(tree->topLevelItem(0)->isExpanded());
        ASSERT_NE(tree->currentItem(), nullptr);
        EXPECT_EQ(tree->currentItem()->text(0), c.selected) << c.folder;
        if (c.folder.find("Gone") == std::string::npos) {
            EXPECT_EQ(dialog.SelectedFolderPath(), c.folder);
        }
    }

    CNetscapeFolderDialog dialog(Native(stores.bookmarks), "\\");
    dialog.Tree()->setCurrentItem(FindNode(dialog.Tree(), QStringLiteral("Other")));
    EXPECT_EQ(dialog.SelectedFolderPath(), "\\Other\\");

    CNetscapeFolderDialog unreadable(Native(stores.dir.filePath(QStringLiteral("missing.html"))), "\\");
    EXPECT_FALSE(unreadable.IsLoaded());
    EXPECT_EQ(unreadable.exec(), QDialog::Rejected) << "a file that cannot be read closes the chooser as cancelled";
}

TEST(NetscapeFolderDialog, BrowseButtonPutsTheChosenFolderInTheDialog)
{
    SampleStores stores;
    CMemorySettingsStore settings;
    settings.WriteInt("Import", "Browser", 1);
    settings.WriteString("Import", "NetcapeFile", Native(stores.bookmarks));
    CBookmarkDialog dialog(Mode::Import, settings);
    dialog.show();
    ModalAnswer<CNetscapeFolderDialog> choose([](CNetscapeFolderDialog* chooser) {
        chooser->Tree()->setCurrentItem(FindNode(chooser->Tree(), QStringLiteral("Pens & Ink")));
        chooser->accept();
    });
    dialog.BrowseFolderButton()->click();
    EXPECT_TRUE(choose.answered);
    EXPECT_EQ(dialog.FolderPath(), "\\Auctions\\Pens &amp; Ink\\");
    EXPECT_EQ(dialog.FolderEdit()->text(), QStringLiteral("\\Auctions\\Pens & Ink\\"));
}

TEST(BrowseDirectory, OkGivesTheDirectoryWithASeparatorCancelKeepsIt)
{
    SampleStores stores;
    const QString start = stores.dir.path();
    const QString currentBefore = QDir::currentPath();
    CBrowseDirectory browse;

    QString directory = start;
    {
        ModalAnswer<QFileDialog> choose([&stores](QFileDialog* dialog) {
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Select Internet Explorer Favorites folder"));
            dialog->setDirectory(stores.favorites);
            dialog->selectFile(stores.favorites);
            static_cast<QDialog*>(dialog)->accept();
        });
        EXPECT_TRUE(
            browse.BrowseForDirectory(directory, QStringLiteral("Select Internet Explorer Favorites folder")));
        EXPECT_TRUE(choose.answered);
    }
    EXPECT_EQ(directory, stores.favorites + QLatin1Char('/'));

    ModalAnswer<QFileDialog> cancel([](QFileDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Directory Browse"));
        dialog->close();
    });
    EXPECT_FALSE(browse.BrowseForDirectory(directory));
    EXPECT_TRUE(cancel.answered);
    EXPECT_EQ(directory, stores.favorites + QLatin1Char('/'));
    EXPECT_EQ(QDir::currentPath(), currentBefore);
}

TEST(BookmarkDialog, FileFilterListsTodaysBookmarkFilesToo)
{
    EXPECT_EQ(BookmarkFileFilter(38), QStringLiteral("Bookmark Files (*.htm *.html)"));
}

TEST(BookmarkCommands, ImportAndExportReportTheirCounts)
{
    SampleStores stores;
    RunningApp running([&stores](CMemorySettingsStore& settings) {
        settings.WriteInt("Import", "Browser", 0);
        settings.WriteString("Import", "IEFavoriteFolder", Native(stores.favorites));
        settings.WriteInt("Import", "Recurse", 1);
        settings.WriteInt("Export", "Browser", 1);
        settings.WriteString("Export", "NetcapeFile", Native(stores.bookmarks));
        settings.WriteString("Export", "NetscapeFolder", "\\Toolbar\\");
    });
    // Runs a command whose dialog is answered with OK; returns the report and its icon.
    auto run = [&running](int command, QMessageBox::Icon& icon) {
        ModalAnswer<CBookmarkDialog> ok([](CBookmarkDialog* dialog) { dialog->OkButton()->click(); });
        MessageAnswer report;
        EXPECT_TRUE(running.Frame().OnCommand(command));
        EXPECT_TRUE(ok.answered);
        icon = report.icon;
        return report.text;
    };

    QMessageBox::Icon icon = QMessageBox::NoIcon;
    EXPECT_EQ(run(kCmdItemImport, icon), QStringLiteral("2 items have been imported"));
    EXPECT_EQ(icon, QMessageBox::Information);
    ASSERT_EQ(running.Doc().GetItemCount(), 2);
    EXPECT_EQ(running.Doc().GetItem(0)->GetItemNumber(), "11");
    EXPECT_EQ(running.Doc().GetItem(1)->GetItemNumber(), "12");
    EXPECT_TRUE(running.Doc().IsModified());

    EXPECT_EQ(run(kCmdFileExport, icon), QStringLiteral("2 items have been exported"));
    EXPECT_EQ(icon, QMessageBox::Information);
    QFile file(stores.bookmarks);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("<DT><H3>Toolbar</H3>\n<DL><p>\n<DT><A HREF=\"" + QByteArray::fromStdString(EbayUrl("11"))))
        << "inside the folder's own list";
    EXPECT_TRUE(text.contains(">Item #11 (Ebay)</A>\n<DT><A HREF=\""));

    running.settings.WriteInt("Import", "Browser", 1);
    running.settings.WriteString("Import", "NetcapeFile", Native(stores.bookmarks));
    running.settings.WriteString("Import", "NetscapeFolder", "\\Toolbar\\");
    running.settings.WriteInt("Import", "Recurse", 0);
    EXPECT_EQ(run(kCmdItemImport, icon), QStringLiteral("2 items have been imported"))
        << "the exported items are in the list already, and are still counted";
    EXPECT_EQ(running.Doc().GetItemCount(), 2);

    running.settings.WriteInt("Export", "Browser", 0);
    const QString emptyDir = stores.dir.filePath(QStringLiteral("Empty"));
    QDir().mkpath(emptyDir);
    running.settings.WriteString("Export", "IEFavoriteFolder", Native(emptyDir));
    EXPECT_EQ(run(kCmdFileExport, icon), QStringLiteral("2 items have been exported"));
    EXPECT_EQ(run(kCmdFileExport, icon), QStringLiteral("No item has been exported"));
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_TRUE(QFileInfo::exists(emptyDir + QStringLiteral("/Item #12 (Ebay).url")));
}

namespace {

// Runs the import command with its dialog answered OK, answering the Save As dialog (when the
// list has no name yet) with `saveAs` or cancelling it when empty; returns the report.
QString ImportWithDelete(RunningApp& running, const QString& saveAs, QMessageBox::Icon& icon, bool* askedName = nullptr)
{
    ModalAnswer<CBookmarkDialog> ok([](CBookmarkDialog* dialog) { dialog->OkButton()->click(); });
    ModalAnswer<QFileDialog> name([&saveAs](QFileDialog* dialog) {
        if (saveAs.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->selectFile(saveAs);
        static_cast<QDialog*>(dialog)->accept();
    });
    MessageAnswer report;
    EXPECT_TRUE(running.Frame().OnCommand(kCmdItemImport));
    if (askedName)
        *askedName = name.answered;
    icon = report.icon;
    return report.text;
}

} // namespace

TEST(BookmarkCommands, DeleteWaitsForTheWatchListToBeSaved)
{
    SampleStores stores;
    RunningApp running([&stores](CMemorySettingsStore& settings) {
        settings.WriteInt("Import", "Browser", 1);
        settings.WriteString("Import", "NetcapeFile", Native(stores.bookmarks));
        settings.WriteString("Import", "NetscapeFolder", "\\Other\\");
        settings.WriteInt("Import", "DeleteItems", 1);
    });
    const std::string before = bmtest::ReadFile(Native(stores.bookmarks));
    QMessageBox::Icon icon = QMessageBox::NoIcon;

    // The new list is not saved (its Save As is cancelled): the bookmark stays where it was.
    bool askedName = false;
    QString report = ImportWithDelete(running, QString(), icon, &askedName);
    EXPECT_TRUE(askedName);
    EXPECT_EQ(report, QStringLiteral("1 item has been imported\n\nThe imported bookmarks were kept in \"%1\": the "
                                     "watch list was not saved.")
                          .arg(stores.bookmarks));
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(running.Doc().GetItemCount(), 1);
    EXPECT_EQ(bmtest::ReadFile(Native(stores.bookmarks)), before);

    // Saved under a name: then the bookmark leaves the file, its folder stays.
    const QString list = stores.dir.filePath(QStringLiteral("watch.lwd"));
    report = ImportWithDelete(running, list, icon);
    EXPECT_EQ(report, QStringLiteral("1 item has been imported"));
    EXPECT_TRUE(QFileInfo::exists(list));
    EXPECT_FALSE(running.Doc().IsModified());
    const std::string after = bmtest::ReadFile(Native(stores.bookmarks));
    EXPECT_EQ(after.find(EbayUrl("400")), std::string::npos);
    EXPECT_NE(after.find("<DT><H3>Other</H3>"), std::string::npos);
}

TEST(BookmarkCommands, AnUnchangeableFileIsImportedKeptAndSaysWhy)
{
    SampleStores stores;
    const QString list = stores.dir.filePath(QStringLiteral("watch.lwd"));
    RunningApp running([&stores](CMemorySettingsStore& settings) {
        settings.WriteInt("Import", "Browser", 1);
        settings.WriteString("Import", "NetcapeFile", Native(stores.bookmarks));
        settings.WriteString("Import", "NetscapeFolder", "\\Auctions\\");
        settings.WriteInt("Import", "DeleteItems", 1);
    });
    bmtest::UnchangeableFile locked(Native(stores.bookmarks));
    if (!locked.ok)
        GTEST_SKIP() << "files cannot be made unchangeable here";
    const std::string before = bmtest::ReadFile(Native(stores.bookmarks));
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    const QString report = ImportWithDelete(running, list, icon);
    EXPECT_TRUE(report.startsWith(QStringLiteral("3 items have been imported\n\nThe imported bookmarks could not be "
                                                 "deleted from \"%1\": %1: ")
                                      .arg(stores.bookmarks)))
        << report.toStdString();
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(running.Doc().GetItemCount(), 3);
    EXPECT_FALSE(running.Doc().IsModified()) << "the items are safe in the saved list";
    EXPECT_EQ(bmtest::ReadFile(Native(stores.bookmarks)), before);
}

TEST(BookmarkDialog, ImportsStraightFromABrowserProfileWithoutDeleting)
{
    // A Chromium profile where the browser keeps it.
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    ASSERT_FALSE(config.isEmpty());
    const QString profileDir = config + QStringLiteral("/chromium/Default");
    QDir().mkpath(profileDir);
    struct Cleanup
    {
        QString dir;
        ~Cleanup() { QDir(dir).removeRecursively(); }
    } cleanup{config + QStringLiteral("/chromium")};
    bmtest::WriteChromiumBookmarks(
        Native(profileDir + QStringLiteral("/Bookmarks")),
        {bmtest::Bookmark("Lamp", EbayUrl("81")),
         bmtest::Folder("Auctions & Deals", {bmtest::Bookmark("Clock", EbayUrl("82"))})},
        {});

    RunningApp running([](CMemorySettingsStore& settings) {
        settings.WriteInt("Import", "Browser", 2);
        settings.WriteInt("Import", "DeleteItems", 1);
    });
    {
        CMemorySettingsStore settings;
        settings.WriteInt("Import", "Browser", 2);
        CBookmarkDialog dialog(Mode::Import, settings);
        ASSERT_NE(dialog.ProfileButton(), nullptr);
        EXPECT_TRUE(dialog.ProfileButton()->isChecked());
        EXPECT_EQ(dialog.ProfileCombo()->currentText(), QStringLiteral("Chromium (Default)"));
        EXPECT_FALSE(dialog.DeleteBox()->isEnabled()) << "a browser's profile is only read";
        EXPECT_FALSE(dialog.FileEdit()->isEnabled());
        ModalAnswer<CNetscapeFolderDialog> choose([](CNetscapeFolderDialog* chooser) {
            EXPECT_EQ(TreeTexts(chooser->Tree()->topLevelItem(0)),
                      (QStringList{"Chromium (Default)", "  Bookmarks bar", "    Auctions & Deals",
                                   "  Other bookmarks", "  Mobile bookmarks"}));
            chooser->Tree()->setCurrentItem(FindNode(chooser->Tree(), QStringLiteral("Auctions & Deals")));
            chooser->accept();
        });
        dialog.BrowseProfileFolderButton()->click();
        EXPECT_TRUE(choose.answered);
        EXPECT_EQ(dialog.ProfileFolderPath(), "\\Bookmarks bar\\Auctions & Deals\\");
        EXPECT_TRUE(AcceptAndReadMessage(dialog).isEmpty());
        EXPECT_EQ(settings.GetString("Import", "BrowserFolder"), "\\Bookmarks bar\\Auctions & Deals\\");
        EXPECT_EQ(settings.GetString("Import", "BrowserProfile"), Native(profileDir + QStringLiteral("/Bookmarks")));
    }
    const std::string before = bmtest::ReadFile(Native(profileDir + QStringLiteral("/Bookmarks")));
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool askedName = true;
    EXPECT_EQ(ImportWithDelete(running, QString(), icon, &askedName), QStringLiteral("2 items have been imported"));
    EXPECT_FALSE(askedName) << "nothing is to be deleted, so nothing needs saving first";
    EXPECT_EQ(running.Doc().GetItemCount(), 2);
    EXPECT_EQ(bmtest::ReadFile(Native(profileDir + QStringLiteral("/Bookmarks"))), before);
}

TEST(NetscapeFolderDialog, OpensAndClosesOnFortyThousandNestedFolders)
{
    SampleStores stores;
    const QString file = stores.dir.filePath(QStringLiteral("deep.html"));
    constexpr int kDepth = 40000;
    std::string text = "<DL><p>\n";
    for (int i = 0; i < kDepth; ++i)
        text += "<DT><H3>F" + std::to_string(i) + "</H3>\n<DL><p>\n";
    for (int i = 0; i < kDepth; ++i)
        text += "</DL><p>\n";
    WriteText(file, text);
    std::string deepest = "\\";
    for (int i = 0; i < kDepth; ++i)
        deepest += "F" + std::to_string(i) + "\\";
    {
        CNetscapeFolderDialog dialog(Native(file), deepest);
        ASSERT_TRUE(dialog.IsLoaded());
        EXPECT_EQ(dialog.Nodes().size(), static_cast<std::size_t>(kDepth + 1));
        dialog.show();
        QTest::qWait(20);
        // The view shows the folders as deep as it can lay them out; the chosen one stays chosen.
        ASSERT_NE(dialog.Tree()->currentItem(), nullptr);
        EXPECT_EQ(dialog.Tree()->currentItem()->text(0),
                  QStringLiteral("F%1").arg(CNetscapeFolderDialog::kMaxShownDepth - 1));
        EXPECT_EQ(dialog.SelectedFolderPath(), deepest);
        dialog.Tree()->setCurrentItem(FindNode(dialog.Tree(), QStringLiteral("F1")));
        EXPECT_EQ(dialog.SelectedFolderPath(), "\\F0\\F1\\");
    }
}
