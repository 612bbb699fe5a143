#include "cli/Commands.h"
#include "cli/BookmarkCommands.h"
#include "cli/CliSupport.h"
#include "cli/Help.h"
#include "cli/Listing.h"
#include "cli/RefreshCommands.h"

#include "core/Encoding.h"
#include "core/StringTable.h"
#include "core/Version.h"
#include "core/document/AppState.h"
#include "core/document/LotwardDoc.h"
#include "core/document/OpenStep.h"
#include "platform/Cp1252.h"
#include "platform/FileLock.h"
#include "sites/AuctionServer.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <ostream>

namespace cli {

namespace {

bool ParseInt(const std::string& text, int& value)
{
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

// A cell for the table (control characters shown as escapes) or for CSV (kept: a CSV reader
// takes line breaks inside quoted fields).
std::string TerminalSafe(const std::string& cell1252, ListFormat format)
{
    return format == ListFormat::kCsv ? Windows1252ToUtf8(cell1252) : TerminalText(cell1252);
}

// Width of a column in the list's own set, 0 when the list does not show it.
int WidthInList(const CColumnInfoList& columns, int id)
{
    for (int c = 0; c < columns.GetCount(); ++c)
        if (columns.GetId(c) == id)
            return columns.GetWidth(c);
    return 0;
}

} // namespace

int CmdNew(const Args& input, std::ostream& out, std::ostream& err)
{
    Args args = input;
    if (!FinishOptions(args, err) || args.size() != 1) {
        PrintCommandUsage("new", err);
        return kExitUsage;
    }
    const std::string& path = args[0];
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
        err << "lotwarden: " << path << " already exists; not replaced\n";
        return kExitFailed;
    }
    CLotwardDoc doc;
    doc.OnNewDocument();
    if (!SaveWatchList(doc, path, out, err))
        return kExitFailed;
    out << "Created " << path << "\n";
    return kExitOk;
}

int CmdShow(const Args& input, std::ostream& out, std::ostream& err)
{
    Args args = input;
    ListFormat format = ListFormat::kTable;
    if (!TakeListFormat(args, format, err))
        return kExitUsage;
    ShowQuery query;
    query.unreadOnly = TakeFlag(args, "--unread");
    query.descending = TakeFlag(args, "--descending");
    const bool pageText = TakeFlag(args, "--page-text");
    // show writes nothing of its own; a .old copy of an older file is made only when asked for.
    const bool backup = TakeFlag(args, "--backup");
    std::vector<std::string> sorts, within, servers, finished, matches, columnLists;
    if (!TakeValues(args, "--sort", sorts) || !TakeValues(args, "--ending-within", within) ||
        !TakeValues(args, "--server", servers) || !TakeValues(args, "--finished", finished) ||
        !TakeValues(args, "--match", matches) || !TakeValues(args, "--columns", columnLists) ||
        sorts.size() > 1 || within.size() > 1 || servers.size() > 1 || finished.size() > 1 ||
        matches.size() > 1 || columnLists.size() > 1 || !FinishOptions(args, err) || args.size() != 1) {
        PrintCommandUsage("show", err);
        return kExitUsage;
    }
    if (!sorts.empty() && !ParseColumnName(sorts[0], query.sortColumn)) {
        err << "lotwarden: no column is called \"" << TerminalText(Utf8ToWindows1252(sorts[0]))
            << "\" (see lotwarden columns FILE)\n";
        return kExitUsage;
    }
    if (!within.empty() && !ParseDuration(within[0], query.endingWithin)) {
        err << "lotwarden: --ending-within takes a duration such as 30m, 2h or 1d12h\n";
        return kExitUsage;
    }
    if (!servers.empty() && !ParseInt(servers[0], query.serverId)) {
        err << "lotwarden: the server id is a number (see lotwarden servers): " << servers[0] << "\n";
        return kExitUsage;
    }
    if (!finished.empty()) {
        if (finished[0] != "yes" && finished[0] != "no") {
            err << "lotwarden: --finished takes yes or no\n";
            return kExitUsage;
        }
        query.finished = finished[0] == "yes" ? 1 : 0;
    }
    if (!matches.empty() && !ArgToWindows1252(matches[0], query.match, err))
        return kExitUsage;
    std::vector<int> chosen;
    if (!columnLists.empty() && !ParseColumnList(columnLists[0], chosen, err))
        return kExitUsage;

    CLotwardDoc doc;
    if (!(backup ? OpenWatchList(doc, args[0], true, err) : OpenForReading(doc, args[0], err)))
        return kExitFailed;
    if (chosen.empty()) {
        doc.Columns().GetColumnIds(chosen);
        chosen.push_back(kColTimeLeft);
    }
    const std::time_t now = std::time(nullptr);
    const std::vector<const CItem*> items = SelectItems(doc, query, now);
    if (format == ListFormat::kJson) {
        out << "{\n  \"file\": " << JsonString(Utf8ToWindows1252(args[0])) << ",\n  \"now\": " << now
            << ",\n  \"nowIso\": \"" << IsoDate(now, 0) << "\",\n  \"columns\": [";
        for (std::size_t c = 0; c < chosen.size(); ++c) {
            out << (c ? ", " : "") << "{\"id\": " << chosen[c] << ", \"name\": \""
                << ColumnShortName(chosen[c]) << "\", \"title\": " << JsonString(ColumnTitleText(chosen[c]))
                << ", \"width\": " << WidthInList(doc.Columns(), chosen[c]) << "}";
        }
        out << "],\n  \"items\": [\n";
        for (std::size_t i = 0; i < items.size(); ++i) {
            PrintItemJson(*items[i], pageText, now, out);
            out << (i + 1 < items.size() ? ",\n" : "\n");
        }
        out << "  ]\n}\n";
        return kExitOk;
    }
    std::vector<std::string> header;
    for (int id : chosen)
        header.push_back(Windows1252ToUtf8(ColumnTitleText(id)));
    std::vector<std::vector<std::string>> rows;
    for (const CItem* item : items) {
        rows.emplace_back();
        for (int id : chosen)
            rows.back().push_back(TerminalSafe(CellText(*item, id, now), format));
    }
    PrintRows(header, {}, rows, format, out);
    return kExitOk;
}

int CmdAdd(const Args& input, std::ostream& out, std::ostream& err)
{
    Args args = input;
    const bool backup = TakeFlag(args, "--backup");
    const bool create = TakeFlag(args, "--create");
    std::vector<std::string> servers;
    if (!TakeValues(args, "--server", servers) || servers.size() > 1 || !FinishOptions(args, err) ||
        args.size() < 2 || (!servers.empty() && args.size() != 2)) {
        PrintCommandUsage("add", err);
        return kExitUsage;
    }
    const std::string path = args[0];
    CUserOptions options;
    CFileLock lock;
    CLotwardDoc doc;
    // With --create a missing file starts as a new, empty list; it exists once saved.
    auto open = [&] {
        std::error_code ec;
        if (create && !std::filesystem::exists(path, ec) && !std::filesystem::is_symlink(path, ec)) {
            doc.OnNewDocument();
            return true;
        }
        return OpenWatchList(doc, path, backup, err);
    };
    if (!servers.empty()) {
        int id = 0;
        if (!ParseInt(servers[0], id)) {
            PrintCommandUsage("add", err);
            return kExitUsage;
        }
        if (!ParseServerId(servers[0], id, err))
            return kExitFailed;
        CAuctionServer* server = FindServer(id);
        std::string number;
        if (!ArgToWindows1252(args[1], number, err))
            return kExitFailed;
        if (number.empty()) {
            err << "lotwarden: the item number is empty\n";
            return kExitUsage;
        }
        if (std::any_of(number.begin(), number.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
            err << "lotwarden: the item number " << TerminalText(number) << " holds a control character\n";
            return kExitFailed;
        }
        if (!LockWatchList(lock, path, err) || !open())
            return kExitFailed;
        if (CItem* present = doc.AddItem(number, server)) {
            out << "Already in the list: " << DescribeItem(*present) << "\n";
            return kExitOk;
        }
        if (!SaveWatchList(doc, path, out, err))
            return kExitFailed;
        out << "Added " << DescribeItem(*doc.GetItem(doc.GetItemCount() - 1)) << "\n";
        return kExitOk;
    }
    // Every URL must name an item of a known server; one that does not fails the command
    // before anything is written.
    std::string text;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string url;
        if (!ArgToWindows1252(args[i], url, err))
            return kExitFailed;
        if (url.find_first_of("\r\n") != std::string::npos || !FindServerForUrl(url, nullptr)) {
            err << "lotwarden: not an item page of any server: " << TerminalText(url) << "\n";
            return kExitFailed;
        }
        text += url + "\n";
    }
    if (!LockWatchList(lock, path, err) || !open())
        return kExitFailed;
    const int before = doc.GetItemCount();
    bool found = false;
    if (doc.AddFromText(text, true, &found) == 0) {
        err << "lotwarden: the URLs name no item\n";
        return kExitFailed;
    }
    // Reported only once saved: a command that says "Added" has the item in the file.
    if ((doc.GetItemCount() > before || !std::filesystem::exists(path)) &&
        !SaveWatchList(doc, path, out, err))
        return kExitFailed;
    for (int i = before; i < doc.GetItemCount(); ++i)
        out << "Added " << DescribeItem(*doc.GetItem(i)) << "\n";
    if (found)
        out << "Some items were already in the list.\n";
    return kExitOk;
}

int CmdRemove(const Args& input, std::ostream& out, std::ostream& err)
{
    Args args = input;
    const bool backup = TakeFlag(args, "--backup");
    std::vector<std::string> servers;
    int serverId = -1;
    if (!TakeValues(args, "--server", servers) || servers.size() > 1 || !FinishOptions(args, err) ||
        args.size() < 2) {
        PrintCommandUsage("remove", err);
        return kExitUsage;
    }
    if (!servers.empty() && !ParseServerId(servers[0], serverId, err))
        return kExitUsage;
    std::vector<std::string> words;
    for (std::size_t i = 1; i < args.size(); ++i) {
        words.emplace_back();
        if (!ArgToWindows1252(args[i], words.back(), err))
            return kExitFailed;
    }
    CUserOptions options;
    CFileLock lock;
    CLotwardDoc doc;
    if (!LockWatchList(lock, args[0], err) || !OpenWatchList(doc, args[0], backup, err))
        return kExitFailed;
    std::vector<CItem*> doomed;
    for (const std::string& word : words) {
        CItem* item = FindItemArg(doc, word, serverId, args[0], err);
        if (!item) {
            err << "lotwarden: nothing removed\n";
            return kExitFailed;
        }
        if (std::find(doomed.begin(), doomed.end(), item) == doomed.end())
            doomed.push_back(item);
    }
    std::vector<std::string> labels;
    for (CItem* item : doomed) {
        labels.push_back(DescribeItem(*item));
        doc.RemoveItem(item);
    }
    if (!SaveWatchList(doc, args[0], out, err))
        return kExitFailed;
    for (const std::string& label : labels)
        out << "Removed " << label << "\n";
    return kExitOk;
}

int CmdServers(const Args& input, std::ostream& out, std::ostream& err)
{
    Args args = input;
    ListFormat format = ListFormat::kTable;
    if (!TakeListFormat(args, format, err) || !FinishOptions(args, err) || !args.empty()) {
        PrintCommandUsage("servers", err);
        return kExitUsage;
    }
    std::vector<std::vector<std::string>> rows;
    for (const CAuctionServer* server : AllServers())
        rows.push_back({std::to_string(server->serverId), Windows1252ToUtf8(server->GetDisplayName()),
                        Windows1252ToUtf8(LoadResString(server->regionId)), server->timeZoneName,
                        server->categoryPrefix});
    PrintRows({"Id", "Name", "Region", "Time zone", "Category prefix"},
              {"id", "name", "region", "timeZone", "categoryPrefix"}, rows, format, out);
    return kExitOk;
}

namespace {

int Dispatch(const Args& args, std::ostream& out, std::ostream& err)
{
    if (args.empty()) {
        PrintUsage(err);
        return kExitUsage;
    }
    const std::string& command = args[0];
    const Args rest(args.begin() + 1, args.end());
    if (command == "--version") {
        out << "lotwarden " << Version::ProductVersion << "\n";
        return kExitOk;
    }
    if (command == "--help" || command == "-h" || (command == "help" && rest.empty())) {
        PrintUsage(out);
        return kExitOk;
    }
    const auto optionsEnd = std::find(rest.begin(), rest.end(), "--");
    if (command == "help" || std::find(rest.begin(), optionsEnd, "--help") != optionsEnd) {
        const std::string& name = command == "help" ? rest[0] : command;
        if (name == "--man") {
            PrintManPage(out);
            return kExitOk;
        }
        if (name == "--bash-completion") {
            PrintBashCompletion(out);
            return kExitOk;
        }
        const CommandHelp* help = FindCommandHelp(name);
        if (!help) {
            err << "lotwarden: unknown command \"" << TerminalText(Cp1252FromUtf8(name)) << "\"\n";
            PrintUsage(err);
            return kExitUsage;
        }
        PrintCommandHelp(*help, out);
        return kExitOk;
    }
    if (command == "new")
        return CmdNew(rest, out, err);
    if (command == "show")
        return CmdShow(rest, out, err);
    if (command == "add")
        return CmdAdd(rest, out, err);
    if (command == "remove")
        return CmdRemove(rest, out, err);
    if (command == "servers")
        return CmdServers(rest, out, err);
    if (command == "set")
        return CmdSet(rest, out, err);
    if (command == "columns")
        return CmdColumns(rest, out, err);
    if (command == "watch")
        return CmdWatch(rest, out, err);
    if (command == "refresh")
        return CmdRefresh(rest, out, err);
    if (command == "parse-page")
        return CmdParsePage(rest, out, err);
    if (command == "search-url")
        return CmdSearchUrl(rest, out, err);
    if (command == "import")
        return CmdImport(rest, out, err);
    if (command == "export")
        return CmdExport(rest, out, err);
    err << "lotwarden: unknown command \"" << TerminalText(Cp1252FromUtf8(command)) << "\"\n";
    PrintUsage(err);
    return kExitUsage;
}

} // namespace

int RunCommand(const Args& args, std::ostream& out, std::ostream& err)
{
    // Everything a command prints passes a filter that shows control characters as escapes,
    // whatever page or file the text came from.
    CTerminalSafeBuf safeOut(out.rdbuf());
    CTerminalSafeBuf safeErr(err.rdbuf());
    std::ostream terminalOut(&safeOut);
    std::ostream terminalErr(&safeErr);
    int result = Dispatch(args, terminalOut, terminalErr);
    terminalOut.flush();
    const int error = errno;
    if (!terminalOut) {
        terminalErr << "lotwarden: the output could not be written: " << std::strerror(error) << "\n";
        result = kExitFailed;
    }
    terminalErr.flush();
    return result;
}

} // namespace cli
