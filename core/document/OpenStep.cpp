#include "core/document/OpenStep.h"

#include "core/StringTable.h"
#include "core/document/AppState.h"
#include "core/document/LotwardDoc.h"

#include <filesystem>

namespace {

constexpr int kStrBackupQuestion = 27;
constexpr int kStrBackupFailed = 31;
constexpr int kStrBackupFailedWithReason = 50;

} // namespace

std::string BackupFileName(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart)
        return path + ".old";
    return path.substr(0, dot) + ".old";
}

bool OpenDocumentFile(CLotwardDoc& doc, const std::string& path, IOpenQuestions& questions, std::string* error)
{
    AppState().formatChanged = false;
    const bool ok = doc.OnOpenDocument(path, error);
    if (ok && AppState().formatChanged) {
        const std::string backup = BackupFileName(path);
        if (questions.AskYesNo(FormatText(LoadResString(kStrBackupQuestion), {backup}))) {
            std::error_code ec;
            std::filesystem::copy_file(path, backup, std::filesystem::copy_options::overwrite_existing, ec);
            if (ec) {
                const std::string reason = ec.message();
                const std::string message =
                    reason.empty() ? FormatText(LoadResString(kStrBackupFailed), {backup})
                                   : FormatText(LoadResString(kStrBackupFailedWithReason), {backup, reason});
                if (questions.KeepOpenWithoutBackup()) {
                    questions.ShowError(message);
                } else {
                    doc.OnNewDocument();
                    AppState().formatChanged = false;
                    if (error)
                        *error = message;
                    return false;
                }
            }
        }
    }
    AppState().formatChanged = false;
    return ok;
}
