// Pictures of the import dialog and of the Netscape folder chooser over a sample bookmark file,
// for a person to look at. Written only when LW_SCREENSHOT_DIR names a folder; skipped otherwise.

#include "BookmarkFiles.h"

#include "platform/MemorySettingsStore.h"
#include "ui/BookmarkDialog.h"
#include "ui/NetscapeFolderDialog.h"

#include <QDir>
#include <QPixmap>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace bmui;

namespace {

QString ShotDir()
{
    return qEnvironmentVariable("LW_SCREENSHOT_DIR");
}

void Save(QWidget& widget, const QString& name)
{
    QTest::qWait(150);
    EXPECT_TRUE(widget.grab().save(QDir(ShotDir()).filePath(name)));
}

} // namespace

TEST(BookmarkDialogShots, ImportDialogAndFolderTree)
{
    if (ShotDir().isEmpty())
        GTEST_SKIP() << "LW_SCREENSHOT_DIR not set";
    QDir().mkpath(ShotDir());
    SampleStores stores;
    CMemorySettingsStore settings;
    settings.WriteInt("Import", "Browser", 1);
    settings.WriteString("Import", "NetcapeFile", Native(stores.bookmarks));
    settings.WriteString("Import", "NetscapeFolder", "\\Auctions\\Pens &amp; Ink\\");
    settings.WriteString("Import", "IEFavoriteFolder", Native(stores.favorites));
    {
        CBookmarkDialog dialog(CBookmarkDialog::Mode::Import, settings);
        dialog.show();
        Save(dialog, QStringLiteral("import-dialog.png"));
    }
    {
        CBookmarkDialog dialog(CBookmarkDialog::Mode::Export, settings);
        dialog.show();
        Save(dialog, QStringLiteral("export-dialog.png"));
    }
    CNetscapeFolderDialog chooser(Native(stores.bookmarks), "\\Auctions\\Pens &amp; Ink\\");
    ASSERT_TRUE(chooser.IsLoaded());
    chooser.show();
    Save(chooser, QStringLiteral("netscape-folder-tree.png"));
}
