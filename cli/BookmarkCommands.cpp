#include "cli/BookmarkCommands.h"
#include "cli/CliSupport.h"

#include "browser/BookmarkFile.h"
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
    std::optional<std::string> folder;
    bool recurse = false;
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
        if (word == "--favorites") {
            if (!takeValue(i, options.favorites))
                return false;
        } else if (word == "--netscape") {
            if (!takeValue(i, options.netscape))
                return false;
        } else if (word == "--folder") {
            if (!takeValue(i, options.folder))
                return false;
        } else if (importing && word == "--recurse") {
            options.recurse = true;
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
    }
    if (options.document.empty()) {
        why = "the watch list is missing";
        return false;
    }
    if (options.favorites.has_value() == options.netscape.has_value()) {
        why = "give either --favorites DIR or --netscape BOOKMARKS";
        return false;
    }
    if (options.favorites && options.folder) {
        why = "--folder goes with --netscape";
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

// String `id` ("... \"%s\" ...") about a path given on the command line, which is already
// in the terminal's encoding.
std::string PathMessage(int id, const std::string& path)
{
    return FormatText(Windows1252ToUtf8(LoadResString(id)), {path});
}

// Checks that the chosen store is there (and, for a bookmark file, that the folder is in it).
bool CheckSource(const BookmarkOptions& options, const std::string& folderPath, std::ostream& err)
{
    std::error_code ec;
    if (options.favorites) {
        if (!fs::is_directory(*options.favorites, ec)) {
            err << "lotwarden: " << PathMessage(36, *options.favorites) << "\n";
            return false;
        }
        return true;
    }
    if (!fs::is_regular_file(*options.netscape, ec)) {
        err << "lotwarden: " << PathMessage(37, *options.netscape) << "\n";
        return false;
    }
    if (folderPath != "\\" && !FolderExists(*options.netscape, folderPath)) {
        err << "lotwarden: " << *options.netscape << " has no folder " << folderPath << "\n";
        return false;
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

void PrintBookmarkUsage(std::ostream& out)
{
    out << "  import FILE --favorites DIR [--recurse] [--delete]\n"
           "                              add the items that the .url shortcuts of DIR link to\n"
           "  import FILE --netscape BOOKMARKS [--folder PATH] [--recurse] [--delete]\n"
           "                              add the items linked in a folder of a bookmark file\n"
           "                              (PATH like Auctions/eBay; the whole file by default)\n"
           "  export FILE --favorites DIR  write one .url shortcut per item into DIR\n"
           "  export FILE --netscape BOOKMARKS --folder PATH\n"
           "                              add one bookmark per item to that folder of the file\n";
}

int CmdImport(const Args& args, std::ostream& out, std::ostream& err)
{
    BookmarkOptions options;
    std::string why;
    if (!ParseOptions(args, true, options, why)) {
        err << "lotwarden import: " << why << "\n"
            << "usage: lotwarden import FILE --favorites DIR | --netscape BOOKMARKS [--folder PATH]"
               " [--recurse] [--delete]\n";
        return kExitUsage;
    }
    const std::string folderPath = CommandLineFolderPath(options.folder.value_or(std::string()));
    if (!CheckSource(options, folderPath, err))
        return kExitFailed;
    CUserOptions userOptions;
    CFileLock lock;
    CLotwardDoc doc;
    if (!LockWatchList(lock, options.document, err) || !OpenWatchList(doc, options, err))
        return kExitFailed;

    // The sources are read first and the watch list saved; only then are the imported links
    // deleted, so that a failed save never loses them.
    auto runImport = [&](bool deleting, int& count, std::string& error) {
        CDocumentImportTarget target(doc);
        return options.favorites
                   ? ImportFavorites(target, *options.favorites, options.recurse, deleting, count, &error)
                   : ImportNetscapeBookmarks(target, *options.netscape, folderPath, options.recurse, deleting, count,
                                             &error);
    };
    const int before = doc.GetItemCount();
    int count = 0;
    std::string error;
    if (!runImport(false, count, error)) {
        err << "lotwarden: " << (error.empty() ? "the bookmarks could not be read" : error)
            << "; the watch list is unchanged\n";
        return kExitFailed;
    }
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
    if (count > doc.GetItemCount() - before)
        out << "Some items were already in the list.\n";
    out << Windows1252ToUtf8(ImportReport(count).text) << "\n";

    if (options.deleteItems && count > 0) {
        int deleted = 0;
        error.clear();
        if (!runImport(true, deleted, error)) {
            err << "lotwarden: the imported bookmarks could not be deleted: "
                << (error.empty() ? "the bookmarks could not be rewritten" : error) << "\n";
            return kExitFailed;
        }
        out << "Deleted " << deleted << (deleted == 1 ? " bookmark" : " bookmarks") << " from "
            << (options.favorites ? *options.favorites : *options.netscape) << "\n";
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
    const std::string folderPath = CommandLineFolderPath(options.folder.value_or(std::string()));
    if (options.netscape && folderPath == "\\") {
        err << "lotwarden: the top of a bookmark file has no heading to write after; name a folder\n";
        return kExitUsage;
    }
    if (!CheckSource(options, folderPath, err))
        return kExitFailed;
    CLotwardDoc doc;
    if (!OpenWatchList(doc, options, err))
        return kExitFailed;
    const std::vector<ExportEntry> entries = DocumentExportEntries(doc);
    std::string error;
    const int count = options.favorites ? ExportFavorites(*options.favorites, entries, &error)
                                        : ExportNetscapeBookmarks(*options.netscape, folderPath, entries, &error);
    out << Windows1252ToUtf8(ExportReport(count).text) << "\n";
    if (!error.empty()) {
        err << "lotwarden: " << error << "\n";
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace cli
