#include "cli/Commands.h"
#include "cli/BookmarkCommands.h"
#include "cli/CliSupport.h"
#include "cli/RefreshCommands.h"

#include "core/Encoding.h"
#include "core/StringTable.h"
#include "core/Version.h"
#include "core/document/LotwardDoc.h"
#include "core/document/OpenStep.h"
#include "platform/FileLock.h"
#include "sites/AuctionServer.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <ostream>

namespace cli {

namespace {

bool TakeFlag(Args& args, const std::string& flag)
{
    for (auto it = args.begin(); it != args.end(); ++it) {
        if (*it == flag) {
            args.erase(it);
            return true;
        }
    }
    return false;
}

bool ParseInt(const std::string& text, int& value)
{
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

// Opens an existing watch list; on failure prints why.
bool OpenExisting(CLotwardDoc& doc, const std::string& path, bool backup, std::ostream& err)
{
    CCliQuestions questions(err, backup);
    std::string error;
    if (!OpenDocumentFile(doc, path, questions, &error)) {
        err << "lotwarden: " << path << ": " << Windows1252ToUtf8(error) << "\n";
        return false;
    }
    return true;
}

// Saves a watch list that a command changed, naming first the items that "Purge" leaves out.
bool Save(CLotwardDoc& doc, const std::string& path, std::ostream& out, std::ostream& err)
{
    ReportPurgedItems(doc, out);
    std::string error;
    if (!doc.OnSaveDocument(path, &error)) {
        err << "lotwarden: " << Windows1252ToUtf8(error) << "\n";
        return false;
    }
    return true;
}

std::string ColumnTitle(int id)
{
    const std::string title = LoadResString(id);
    return title.empty() ? "#" + std::to_string(id) : title;
}

void PrintItemJson(const CItem& item, std::ostream& out)
{
    const CAuctionServer* server = item.GetServer();
    out << "    {\"itemNumber\": " << JsonString(item.GetItemNumber()) << ", \"serverId\": " << item.GetServerId()
        << ", \"server\": " << JsonString(server ? server->GetDisplayName() : std::string())
        << ", \"url\": " << JsonString(item.GetUrl()) << ", \"description\": " << JsonString(item.description)
        << ", \"quantity\": " << item.quantity << ", \"bidCount\": " << item.bidCount
        << ", \"finished\": " << item.finished << ", \"startDate\": " << item.GetStartDate()
        << ", \"endDate\": " << item.GetEndDate() << ", \"startDateLocal\": " << item.GetStartDateLocal()
        << ", \"endDateLocal\": " << item.GetEndDateLocal() << ", \"retrievalDate\": " << item.retrievalDate
        << ", \"category\": " << JsonString(item.category) << ", \"currentPrice\": " << JsonString(item.currentPrice)
        << ", \"initialPrice\": " << JsonString(item.initialPrice) << ", \"location\": " << JsonString(item.location)
        << ", \"seller\": " << JsonString(item.seller) << ", \"currentBuyer\": " << JsonString(item.currentBuyer)
        << ", \"shippingCharges\": " << JsonString(item.shippingCharges) << ", \"memo\": " << JsonString(item.memo)
        << ", \"pageText\": " << JsonString(item.pageText) << ", \"readState\": " << item.readState
        << ", \"alarmSeconds\": " << item.alarmSeconds << ", \"alarmMode\": " << item.alarmMode
        << ", \"inAlarmWindow\": " << item.inAlarmWindow << ", \"firstResultPending\": " << item.firstResultPending
        << "}";
}

} // namespace

void PrintUsage(std::ostream& out)
{
    out << "Usage: lotwarden COMMAND ...\n"
           "  new FILE                    create an empty watch list\n"
           "  show FILE [--json]          list the items (the document's columns, or every field)\n"
           "  add FILE URL...             add items from their page URLs\n"
           "  add FILE --server ID NUMBER add an item by server id and item number\n"
           "  remove FILE NUMBER...       remove the items with these item numbers\n"
           "  servers                     list the auction servers\n";
    PrintRefreshUsage(out);
    PrintBookmarkUsage(out);
    out << "  --version                   print the version\n"
           "Commands that open a file in an older format accept --backup to keep a .old copy.\n";
}

int CmdNew(const Args& args, std::ostream& out, std::ostream& err)
{
    if (args.size() != 1) {
        err << "usage: lotwarden new FILE\n";
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
    if (!Save(doc, path, out, err))
        return kExitFailed;
    out << "Created " << path << "\n";
    return kExitOk;
}

int CmdShow(const Args& input, std::ostream& out, std::ostream& err)
{
    Args args = input;
    const bool json = TakeFlag(args, "--json");
    const bool backup = TakeFlag(args, "--backup");
    if (args.size() != 1) {
        err << "usage: lotwarden show FILE [--json]\n";
        return kExitUsage;
    }
    CLotwardDoc doc;
    if (!OpenExisting(doc, args[0], backup, err))
        return kExitFailed;
    const CColumnInfoList& columns = doc.Columns();
    if (json) {
        out << "{\n  \"columns\": [";
        for (int c = 0; c < columns.GetCount(); ++c)
            out << (c ? ", " : "") << "{\"id\": " << columns.GetId(c) << ", \"title\": "
                << JsonString(ColumnTitle(columns.GetId(c))) << ", \"width\": " << columns.GetWidth(c) << "}";
        out << "],\n  \"items\": [\n";
        for (int i = 0; i < doc.GetItemCount(); ++i) {
            PrintItemJson(*doc.GetItem(i), out);
            out << (i + 1 < doc.GetItemCount() ? ",\n" : "\n");
        }
        out << "  ]\n}\n";
        return kExitOk;
    }
    for (int c = 0; c < columns.GetCount(); ++c)
        out << (c ? "\t" : "") << Windows1252ToUtf8(ColumnTitle(columns.GetId(c)));
    out << "\n";
    for (int i = 0; i < doc.GetItemCount(); ++i) {
        for (int c = 0; c < columns.GetCount(); ++c) {
            std::string cell = doc.GetItem(i)->GetDisplayText(columns.GetId(c));
            // One row per line: tabs and line breaks inside a cell would split it.
            for (char& ch : cell)
                if (ch == '\t' || ch == '\n' || ch == '\r')
                    ch = ' ';
            out << (c ? "\t" : "") << Windows1252ToUtf8(cell);
        }
        out << "\n";
    }
    return kExitOk;
}

int CmdAdd(const Args& input, std::ostream& out, std::ostream& err)
{
    Args args = input;
    const bool backup = TakeFlag(args, "--backup");
    if (args.size() < 2) {
        err << "usage: lotwarden add FILE URL... | lotwarden add FILE --server ID NUMBER\n";
        return kExitUsage;
    }
    const std::string path = args[0];
    CUserOptions options;
    CFileLock lock;
    CLotwardDoc doc;
    if (args[1] == "--server") {
        int id = 0;
        if (args.size() != 4 || !ParseInt(args[2], id)) {
            err << "usage: lotwarden add FILE --server ID NUMBER\n";
            return kExitUsage;
        }
        CAuctionServer* server = FindServer(id);
        if (!server) {
            err << "lotwarden: no server has the id " << args[2] << " (see lotwarden servers)\n";
            return kExitFailed;
        }
        std::string number;
        if (!ArgToWindows1252(args[3], number, err))
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
        if (!LockWatchList(lock, path, err) || !OpenExisting(doc, path, backup, err))
            return kExitFailed;
        if (CItem* present = doc.AddItem(number, server)) {
            out << "Already in the list: " << DescribeItem(*present) << "\n";
            return kExitOk;
        }
        if (!Save(doc, path, out, err))
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
    if (!LockWatchList(lock, path, err) || !OpenExisting(doc, path, backup, err))
        return kExitFailed;
    const int before = doc.GetItemCount();
    bool found = false;
    if (doc.AddFromText(text, true, &found) == 0) {
        err << "lotwarden: the URLs name no item\n";
        return kExitFailed;
    }
    // Reported only once saved: a command that says "Added" has the item in the file.
    if (doc.GetItemCount() > before && !Save(doc, path, out, err))
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
    if (args.size() < 2) {
        err << "usage: lotwarden remove FILE NUMBER...\n";
        return kExitUsage;
    }
    std::vector<std::string> numbers;
    for (std::size_t i = 1; i < args.size(); ++i) {
        numbers.emplace_back();
        if (!ArgToWindows1252(args[i], numbers.back(), err))
            return kExitFailed;
    }
    CUserOptions options;
    CFileLock lock;
    CLotwardDoc doc;
    if (!LockWatchList(lock, args[0], err) || !OpenExisting(doc, args[0], backup, err))
        return kExitFailed;
    std::vector<CItem*> doomed;
    for (const std::string& number : numbers) {
        bool matched = false;
        for (int p = 0; p < doc.GetItemCount(); ++p) {
            CItem* item = doc.GetItem(p);
            if (item->GetItemNumber() == number) {
                matched = true;
                if (std::find(doomed.begin(), doomed.end(), item) == doomed.end())
                    doomed.push_back(item);
            }
        }
        if (!matched) {
            err << "lotwarden: no item #" << TerminalText(number) << " in " << args[0]
                << "; nothing removed\n";
            return kExitFailed;
        }
    }
    std::vector<std::string> labels;
    for (CItem* item : doomed) {
        labels.push_back(DescribeItem(*item));
        doc.RemoveItem(item);
    }
    if (!Save(doc, args[0], out, err))
        return kExitFailed;
    for (const std::string& label : labels)
        out << "Removed " << label << "\n";
    return kExitOk;
}

int CmdServers(const Args& args, std::ostream& out, std::ostream& err)
{
    if (!args.empty()) {
        err << "usage: lotwarden servers\n";
        return kExitUsage;
    }
    out << "Id\tName\tRegion\tTime zone\tCategory prefix\n";
    for (const CAuctionServer* server : AllServers())
        out << server->serverId << "\t" << Windows1252ToUtf8(server->GetDisplayName()) << "\t"
            << Windows1252ToUtf8(LoadResString(server->regionId)) << "\t" << server->timeZoneName << "\t"
            << server->categoryPrefix << "\n";
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
    if (command == "--help" || command == "-h" || command == "help") {
        PrintUsage(out);
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
    err << "lotwarden: unknown command \"" << command << "\"\n";
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
