// The bookmark dialog, the Netscape folder chooser, the directory picker and the two commands
// that use them: settings read and written under their exact names, the checks on OK, the
// folder tree, and the counts the commands report.

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
    EXPECT_TRUE(text.contains("<DT><H3>Toolbar</H3>\n<DT><A HREF=\"" + QByteArray::fromStdString(EbayUrl("11"))));
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
