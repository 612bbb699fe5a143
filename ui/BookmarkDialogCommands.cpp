#include "ui/BookmarkDialogCommands.h"

#include "browser/BookmarkFile.h"
#include "browser/DocumentBookmarks.h"
#include "browser/Favorites.h"
#include "ui/BookmarkDialog.h"
#include "ui/CommandIds.h"
#include "ui/MainFrame.h"
#include "ui/MessageBox.h"
#include "ui/UiText.h"

namespace {

void Report(QWidget* parent, const BookmarkReport& report)
{
    LwMessage::Show(parent, ToQt(report.text), LwMessage::Ok,
                    report.warning ? QMessageBox::Warning : QMessageBox::Information);
}

} // namespace

int RunBookmarkImport(CLotwardDoc& doc, ISettingsStore& settings, QWidget* parent)
{
    CBookmarkDialog dialog(CBookmarkDialog::Mode::Import, settings, parent);
    if (dialog.exec() != QDialog::Accepted)
        return -1;
    CDocumentImportTarget target(doc);
    int count = 0;
    // A walk that fails part way keeps what it reached; the count says how far it got.
    if (dialog.ChosenBrowser() == CBookmarkDialog::kFavorites)
        ImportFavorites(target, dialog.FavoritesDirectory(), dialog.Recurse(), dialog.DeleteItems(), count);
    else
        ImportNetscapeBookmarks(target, dialog.BookmarkFile(), dialog.FolderPath(), dialog.Recurse(),
                                dialog.DeleteItems(), count);
    Report(parent, ImportReport(count));
    return count;
}

int RunBookmarkExport(const CLotwardDoc& doc, ISettingsStore& settings, QWidget* parent)
{
    CBookmarkDialog dialog(CBookmarkDialog::Mode::Export, settings, parent);
    if (dialog.exec() != QDialog::Accepted)
        return -1;
    const std::vector<ExportEntry> entries = DocumentExportEntries(doc);
    const int count = dialog.ChosenBrowser() == CBookmarkDialog::kFavorites
                          ? ExportFavorites(dialog.FavoritesDirectory(), entries)
                          : ExportNetscapeBookmarks(dialog.BookmarkFile(), dialog.FolderPath(), entries);
    Report(parent, ExportReport(count));
    return count;
}

void InstallBookmarkCommands(CMainFrame& frame, ISettingsStore& settings)
{
    CMainFrame* owner = &frame;
    ISettingsStore* store = &settings;
    frame.SetCommandHandler(kCmdItemImport, [owner, store] {
        RunBookmarkImport(owner->Document(), *store, owner);
        owner->UpdateTitle();
    });
    frame.SetCommandHandler(kCmdFileExport,
                            [owner, store] { RunBookmarkExport(owner->Document(), *store, owner); });
}
