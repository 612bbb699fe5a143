#include "cli/BookmarkCommands.h"
#include "cli/CliSupport.h"

#include "browser/BookmarkFile.h"
#include "browser/BookmarkImport.h"
#include "browser/BrowserProfiles.h"
#include "browser/DocumentBookmarks.h"
#include "browser/Favorites.h"
#include "core/Encoding.h"
#include "core/StringTable.h"
#include "core/document/LotwardDoc.h"
#include "core/document/OpenStep.h"
#include "platform/FileLock.h"
#include "sites/AuctionServer.h"

#include <filesystem>
#include <optional>
#include <ostream>

namespace cli {

namespace {

namespace fs = std::filesystem;

// The options of import and export after the watch list's name.
struct BookmarkOptions
{
    std::string document;
    std::optional<std::string> favorites;
    std::optional<std::string> netscape;
    std::optional<std::string> browser; // "chromium" or "firefox"
    std::optional<std::string> profile;
    std::optional<std::string> folder;
    bool recurse = true;
    bool deleteItems = false;
    bool backup = false;
};

// Parses the words; false (with the reason in `why`) on anything unknown, repeated or missing.
bool ParseOptions(const Args& args, bool importing, BookmarkOptions& options, std::string& why)
{
    auto takeValue = [&](std::size_t& i, std::optional<std::string>& slot) {
        if (slot) {
            why = args[i] + " is given twice";
            return false;
        }
        if (i + 1 >= args.size()) {
            why = args[i] + " needs a value";
            return false;
        }
        slot = args[++i];
        return true;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        bool ok = true;
        if (word == "--favorites") {
            ok = takeValue(i, options.favorites);
        } else if (word == "--netscape") {
            ok = takeValue(i, options.netscape);
        } else if (word == "--folder") {
            ok = takeValue(i, options.folder);
        } else if (importing && word == "--browser") {
            ok = takeValue(i, options.browser);
        } else if (importing && word == "--profile") {
            ok = takeValue(i, options.profile);
        } else if (importing && word == "--recurse") {
            options.recurse = true;
        } else if (importing && word == "--no-recurse") {
            options.recurse = false;
        } else if (importing && word == "--delete") {
            options.deleteItems = true;
        } else if (word == "--backup") {
            options.backup = true;
        } else if (word.rfind("--", 0) == 0 || !options.document.empty()) {
            why = "unexpected \"" + word + "\"";
            return false;
        } else {
            options.document = word;
        }
        if (!ok)
            return false;
    }
    if (options.document.empty()) {
        why = "the watch list is missing";
        return false;
    }
    const int stores =
        options.favorites.has_value() + options.netscape.has_value() + options.browser.has_value();
    if (stores != 1) {
        why = importing ? "give one of --favorites DIR, --netscape BOOKMARKS or --browser chromium|firefox"
                        : "give either --favorites DIR or --netscape BOOKMARKS";
        return false;
    }
    if (options.browser && *options.browser != "chromium" && *options.browser != "firefox") {
        why = "--browser is chromium or firefox";
        return false;
    }
    if (options.profile && !options.browser) {
        why = "--profile goes with --browser";
        return false;
    }
    if (options.browser && options.deleteItems) {
        why = "a browser's profile is only read: --delete goes with --favorites or --netscape";
        return false;
    }
    if (options.favorites && options.folder) {
        why = "--folder goes with --netscape or --browser";
        return false;
    }
    if (!importing && options.netscape && !options.folder) {
        why = "export to a bookmark file needs --folder PATH";
        return false;
    }
    return true;
}

bool OpenWatchList(CLotwardDoc& doc, const BookmarkOptions& options, std::ostream& err)
{
    CCliQuestions questions(err, options.backup);
    std::string error;
    if (!OpenDocumentFile(doc, options.document, questions, &error)) {
        err << "lotwarden: " << options.document << ": " << Windows1252ToUtf8(error) << "\n";
        return false;
    }
    return true;
}

// String `id` ("... \"%s\" ...") with texts already in the terminal's encoding.
std::string PathMessage(int id, const std::vector<std::string>& texts)
{
    return FormatText(Windows1252ToUtf8(LoadResString(id)), texts);
}

// The store named on the command line, checked: the directory or file must be there, a
// browser's profile found, and the folder must be in the file (typed as the user sees it).
bool ResolveSource(const BookmarkOptions& options, BookmarkSource& source, std::ostream& out,
                   std::ostream& err)
{
    std::error_code ec;
    source.recurse = options.recurse;
    source.folderPath = CommandLineFolderPath(options.folder.value_or(std::string()));
    if (options.favorites) {
        source.store = BookmarkStore::Favorites;
        source.path = *options.favorites;
        if (!fs::is_directory(source.path, ec)) {
            err << "lotwarden: " << PathMessage(36, {source.path}) << "\n";
            return false;
        }
        return true;
    }
    if (options.netscape) {
        source.store = BookmarkStore::Netscape;
        source.path = *options.netscape;
        if (!fs::is_regular_file(source.path, ec)) {
            err << "lotwarden: " << PathMessage(37, {source.path}) << "\n";
            return false;
        }
        const std::string typed = source.folderPath;
        source.folderPath = ResolveBookmarkFolder(source.path, typed);
        if (source.folderPath.empty()) {
            err << "lotwarden: " << source.path << " has no folder " << typed << "\n";
            return false;
        }
        return true;
    }
    const BrowserFamily family =
        *options.browser == "firefox" ? BrowserFamily::Firefox : BrowserFamily::Chromium;
    source.store = family == BrowserFamily::Firefox ? BookmarkStore::Firefox : BookmarkStore::Chromium;
    if (options.profile) {
        source.path = ProfileBookmarkStore(family, *options.profile);
        if (source.path.empty()) {
            err << "lotwarden: " << PathMessage(37, {*options.profile}) << "\n";
            return false;
        }
    } else {
        const std::vector<BrowserProfile> profiles = FindBrowserProfiles(family);
        if (profiles.empty()) {
            err << "lotwarden: " << Windows1252ToUtf8(LoadResString(22524)) << "\n";
            return false;
        }
        source.path = profiles.front().path;
        out << "Reading " << profiles.front().name << ": " << source.path << "\n";
    }
    return true;
}

std::string ItemLabel(const CItem& item)
{
    const CAuctionServer* server = item.GetServer();
    return "#" + item.GetItemNumber() + " on " +
           (server ? server->GetDisplayName() : "server " + std::to_string(item.GetServerId()));
}

} // namespace

std::string CommandLineFolderPath(const std::string& text)
{
    const char separator = text.find('\\') != std::string::npos ? '\\' : '/';
    std::string path = "\\";
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            path += text.substr(start, end - start) + "\\";
        start = end + 1;
    }
    return path;
}

int CmdImport(const Args& args, std::ostream& out, std::ostream& err)
{
    BookmarkOptions options;
    std::string why;
    if (!ParseOptions(args, true, options, why)) {
        err << "lotwarden import: " << why << "\n"
            << "usage: lotwarden import FILE --favorites DIR | --netscape BOOKMARKS | --browser "
               "chromium|firefox"
               " [--profile DIR] [--folder PATH] [--no-recurse] [--delete]\n";
        return kExitUsage;
    }
    BookmarkSource source;
    if (!ResolveSource(options, source, out, err))
        return kExitFailed;
    CUserOptions userOptions;
    CFileLock lock;
    CLotwardDoc doc;
    if (!LockWatchList(lock, options.document, err) || !OpenWatchList(doc, options, err))
        return kExitFailed;

    // The store is only read here; the imported links are deleted once the watch list that
    // holds their items has been saved, so that a failed save never loses them.
    const int before = doc.GetItemCount();
    CDocumentImportTarget target(doc);
    const BookmarkImportResult result = ImportBookmarks(target, source);
    if (!result.read) {
        err << "lotwarden: " << (result.error.empty() ? "the bookmarks could not be read" : result.error)
            << "; the watch list is unchanged\n";
        return kExitFailed;
    }
    for (const std::string& skipped : result.skipped)
        err << "lotwarden: skipped " << skipped << "\n";
    if (doc.GetItemCount() > before) {
        ReportPurgedItems(doc, out);
        std::string saveError;
        if (!doc.OnSaveDocument(options.document, &saveError)) {
            err << "lotwarden: " << Windows1252ToUtf8(saveError) << "; no bookmark was deleted\n";
            return kExitFailed;
        }
    }
    for (int i = before; i < doc.GetItemCount(); ++i)
        out << "Added " << Windows1252ToUtf8(ItemLabel(*doc.GetItem(i))) << "\n";
    if (result.count > doc.GetItemCount() - before)
        out << "Some items were already in the list.\n";
    out << Windows1252ToUtf8(ImportReport(result.count).text) << "\n";

    if (options.deleteItems && result.count > 0) {
        int deleted = 0;
        std::string error;
        if (!DeleteImportedBookmarks(source, result.taken, deleted, &error)) {
            err << "lotwarden: " << PathMessage(22522, {source.path, error}) << "\n";
            return kExitFailed;
        }
        out << "Deleted " << deleted << (deleted == 1 ? " bookmark" : " bookmarks") << " from " << source.path
            << "\n";
    }
    return kExitOk;
}

int CmdExport(const Args& args, std::ostream& out, std::ostream& err)
{
    BookmarkOptions options;
    std::string why;
    if (!ParseOptions(args, false, options, why)) {
        err << "lotwarden export: " << why << "\n"
            << "usage: lotwarden export FILE --favorites DIR | --netscape BOOKMARKS --folder PATH\n";
        return kExitUsage;
    }
    if (options.netscape && CommandLineFolderPath(*options.folder) == "\\") {
        err << "lotwarden: the top of a bookmark file has no heading to write after; name a folder\n";
        return kExitUsage;
    }
    BookmarkSource source;
    if (!ResolveSource(options, source, out, err))
        return kExitFailed;
    CLotwardDoc doc;
    if (!OpenWatchList(doc, options, err))
        return kExitFailed;
    const std::vector<ExportEntry> entries = DocumentExportEntries(doc);
    std::string error;
    const int count = options.favorites
                          ? ExportFavorites(source.path, entries, &error)
                          : ExportNetscapeBookmarks(source.path, source.folderPath, entries, &error);
    out << Windows1252ToUtf8(ExportReport(count).text) << "\n";
    if (!error.empty()) {
        err << "lotwarden: " << error << "\n";
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace cli
