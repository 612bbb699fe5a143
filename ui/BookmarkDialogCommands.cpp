#include "ui/BookmarkDialogCommands.h"

#include "browser/BookmarkFile.h"
#include "browser/BookmarkImport.h"
#include "browser/DocumentBookmarks.h"
#include "browser/Favorites.h"
#include "core/document/LotwardDoc.h"
#include "ui/BookmarkDialog.h"
#include "ui/BookmarkDialogStrings.h"
#include "ui/CommandIds.h"
#include "ui/MainFrame.h"
#include "ui/MessageBox.h"
#include "ui/UiText.h"

#include <QFile>
#include <QStringList>

namespace {

void Report(QWidget* parent, const BookmarkReport& report)
{
    LwMessage::Show(parent, ToQt(report.text), LwMessage::Ok,
                    report.warning ? QMessageBox::Warning : QMessageBox::Information);
}

} // namespace

int RunBookmarkImport(CLotwardDoc& doc, ISettingsStore& settings, QWidget* parent,
                      const std::function<bool()>& saveDocument)
{
    CBookmarkDialog dialog(CBookmarkDialog::Mode::Import, settings, parent);
    if (dialog.exec() != QDialog::Accepted)
        return -1;
    const BookmarkSource source = dialog.Source();
    CDocumentImportTarget target(doc);
    // A store that fails part way keeps what it reached; the count says how far it got.
    const BookmarkImportResult result = ImportBookmarks(target, source);
    BookmarkReport report = ImportReport(result.count);
    QString text = ToQt(report.text);
    bool warning = report.warning;
    if (!result.skipped.empty()) {
        QStringList skipped;
        for (const std::string& folder : result.skipped)
            skipped << QFile::decodeName(QByteArray::fromStdString(folder));
        text += QStringLiteral("\n\n") + ResFormat(kStrBookmarkSkipped, {skipped.join(QLatin1Char('\n'))});
        warning = true;
    }

    // A bookmark is deleted only once its item is safely in a saved watch list: the list is
    // saved first (the ordinary Save, which asks for a name when the list has none).
    if (dialog.DeleteItems() && CanDeleteFrom(source.store) && result.count > 0) {
        const QString where = QFile::decodeName(QByteArray::fromStdString(source.path));
        const bool saved = !doc.IsModified() || (saveDocument && saveDocument() && !doc.IsModified());
        int deleted = 0;
        std::string error;
        if (!saved) {
            text += QStringLiteral("\n\n") + ResFormat(kStrBookmarkKeptUnsaved, {where});
            warning = true;
        } else if (!DeleteImportedBookmarks(source, result.taken, deleted, &error)) {
            text += QStringLiteral("\n\n") +
                    ResFormat(kStrBookmarkNotDeleted,
                              {where, QFile::decodeName(QByteArray::fromStdString(error))});
            warning = true;
        }
    }
    LwMessage::Show(parent, text, LwMessage::Ok, warning ? QMessageBox::Warning : QMessageBox::Information);
    return result.count;
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
        RunBookmarkImport(owner->Document(), *store, owner, [owner] {
            owner->OnCommand(kCmdFileSave);
            return true;
        });
        owner->UpdateTitle();
    });
    frame.SetCommandHandler(kCmdFileExport,
                            [owner, store] { RunBookmarkExport(owner->Document(), *store, owner); });
}
