#include "cli/RefreshCommands.h"
#include "cli/CliSupport.h"
#include "cli/Help.h"
#include "cli/Listing.h"

#include "core/Encoding.h"
#include "core/StringTable.h"
#include "core/document/LotwardDoc.h"
#include "core/document/OpenStep.h"
#include "core/options/AppOptions.h"
#include "core/refresh/RefreshService.h"
#include "platform/FileLock.h"
#include "sites/AuctionServer.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <ostream>
#include <set>
#include <thread>
#include <utility>

namespace cli {

namespace {

// A failed item is asked again at most this often under --on-error retry, then ignored: a
// site that keeps failing must not hold the command for ever.
constexpr int kMaxRetriesPerItem = 3;

// Columns whose change a refresh reports, in display order of the item's fields.
constexpr int kReportedColumns[] = {104, 105, 111, 112, 113, 115, 110, 114, 119, 120, 116, 117};

// Answers the download engine's Abort/Retry/Ignore question with the --on-error choice. Asked
// on the download scheduler thread; the main thread reads the record only once the queue is idle.
// A proxy that wants a password gets none from a program without dialogs: the user is told
// once which proxy asks and how to give it, and the items fail as any refused download does.
class CUnattendedQuestions : public IErrorQuestion, public IProxyCredentialsProvider
{
public:
    CUnattendedQuestions(int choice, std::ostream& errors) : answer(choice), err(errors) {}

    int AskAbortRetryIgnore(const std::string& message) override
    {
        std::lock_guard guard(lock);
        int given = answer;
        if (given == kRetry && ++retries[message] > kMaxRetriesPerItem)
            given = kIgnore;
        const char* word = given == kRetry ? "retry" : given == kAbort ? "abort" : "ignore";
        std::string oneLine = Windows1252ToUtf8(message);
        std::replace(oneLine.begin(), oneLine.end(), '\n', ' ');
        err << oneLine << " -> " << word << "\n";
        if (given == kAbort)
            aborted = true;
        return given;
    }

    bool AskProxyCredentials(const std::string& proxy, std::string&, std::string&) override
    {
        std::lock_guard guard(lock);
        if (!proxyExplained) {
            proxyExplained = true;
            const std::size_t scheme = proxy.find("://");
            const std::string host = scheme == std::string::npos ? proxy : proxy.substr(scheme + 3);
            err << "lotwarden: the proxy " << proxy
                << " asks for a user name and password; give them in the proxy variable, as in"
                   " http_proxy=http://USER:PASSWORD@"
                << host << "\n";
        }
        return false;
    }

    bool Aborted()
    {
        std::lock_guard guard(lock);
        return aborted;
    }

private:
    const int answer;
    std::ostream& err;
    std::mutex lock;
    std::map<std::string, int> retries;
    bool aborted = false;
    bool proxyExplained = false;
};

bool ParseInt(const std::string& text, int& value)
{
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

std::vector<std::string> Snapshot(const CItem& item)
{
    std::vector<std::string> texts;
    for (int column : kReportedColumns)
        texts.push_back(item.GetDisplayText(column));
    return texts;
}

// "separator Title: old -> new" for every reported field that changed.
std::string DescribeChanges(const std::vector<std::string>& old, const std::vector<std::string>& now,
                            const char* separator)
{
    std::string changes;
    for (std::size_t c = 0; c < now.size(); ++c) {
        if (now[c] == old[c])
            continue;
        changes += separator + Windows1252ToUtf8(LoadResString(kReportedColumns[c])) + ": " +
                   (old[c].empty() ? std::string("(none)") : TerminalText(old[c])) + " -> " +
                   (now[c].empty() ? std::string("(none)") : TerminalText(now[c]));
    }
    return changes;
}

// What an alarm that just rang is about: the end coming, or a new buyer.
std::string DescribeAlarm(const CItem& item, std::time_t now)
{
    std::string text = "Alarm " + DescribeItem(item);
    if (item.GetEndDateLocal() != 0 && item.finished != 1 && item.GetEndDateLocal() >= now)
        text += ": ends in " + TimeLeftText(item, now);
    else if (item.GetEndDateLocal() != 0 && item.finished != 1)
        text += ": ended";
    if (!item.currentBuyer.empty())
        text += "; buyer " + TerminalText(item.currentBuyer);
    return text;
}

bool ParseOnError(const std::vector<std::string>& onError, int& choice, std::ostream& err)
{
    choice = IErrorQuestion::kIgnore;
    if (onError.empty() || onError[0] == "ignore")
        return true;
    if (onError[0] == "retry")
        choice = IErrorQuestion::kRetry;
    else if (onError[0] == "abort")
        choice = IErrorQuestion::kAbort;
    else {
        err << "lotwarden: --on-error takes ignore, retry or abort\n";
        return false;
    }
    return true;
}

CAuctionServer* ServerArgument(const std::string& text, std::ostream& err)
{
    int id = 0;
    if (!ParseInt(text, id)) {
        err << "lotwarden: the server id is a number (see lotwarden servers): " << text << "\n";
        return nullptr;
    }
    CAuctionServer* server = FindServer(id);
    if (!server)
        err << "lotwarden: no server has the id " << text << " (see lotwarden servers)\n";
    return server;
}

} // namespace

int CmdRefresh(const Args& input, std::ostream& out, std::ostream& err)
{
    Args args = input;
    std::vector<std::string> numbers, onError;
    const bool backup = TakeFlag(args, "--backup");
    if (!TakeValues(args, "--item", numbers) || !TakeValues(args, "--on-error", onError) ||
        !FinishOptions(args, err) || args.size() != 1 || onError.size() > 1) {
        PrintCommandUsage("refresh", err);
        return kExitUsage;
    }
    if (!RequireReferenceData(err))
        return kExitFailed;
    int choice = IErrorQuestion::kIgnore;
    if (!ParseOnError(onError, choice, err))
        return kExitUsage;
    const std::string path = args[0];

    // The user's own options steer the refresh ("Simult Download", "Purge" on save).
    CUserOptions options;
    // Held from reading the list to saving it, so that no other command's change is lost.
    CFileLock lock;
    if (!LockWatchList(lock, path, err))
        return kExitFailed;
    CLotwardDoc doc;
    {
        CCliQuestions questions(err, backup);
        std::string error;
        if (!OpenDocumentFile(doc, path, questions, &error)) {
            err << "lotwarden: " << path << ": " << Windows1252ToUtf8(error) << "\n";
            return kExitFailed;
        }
    }
    std::vector<CItem*> chosen;
    for (const std::string& number : numbers) {
        const std::string wanted = Utf8ToWindows1252(number);
        bool matched = false;
        for (int p = 0; p < doc.GetItemCount(); ++p) {
            CItem* item = doc.GetItem(p);
            if (item->GetItemNumber() == wanted) {
                matched = true;
                if (std::find(chosen.begin(), chosen.end(), item) == chosen.end())
                    chosen.push_back(item);
            }
        }
        if (!matched) {
            err << "lotwarden: no item #" << number << " in " << path << "; nothing refreshed\n";
            return kExitFailed;
        }
    }

    CUnattendedQuestions questions(choice, err);
    CRefreshService refresh(doc, options.Get(), questions, questions);
    std::set<CItem*> refreshed;
    refresh.SetResultListener([&](CItem& item, bool) { refreshed.insert(&item); });

    std::vector<CItem*> queued;
    auto queue = [&](CItem* item) {
        if (item->GetServer() == nullptr) {
            err << "Skipped " << DescribeItem(*item) << ": no such server\n";
            return;
        }
        doc.RefreshItem(item);
        queued.push_back(item);
    };
    if (!numbers.empty()) {
        for (CItem* item : chosen)
            queue(item); // finished or not, as Refresh Item does
    } else {
        for (int p = 0; p < doc.GetItemCount(); ++p)
            if (doc.GetItem(p)->finished != 1)
                queue(doc.GetItem(p));
    }
    std::map<CItem*, std::vector<std::string>> before;
    for (CItem* item : queued)
        before[item] = Snapshot(*item);
    out << "Refreshing " << queued.size() << (queued.size() == 1 ? " item" : " items") << " of " << path
        << "\n";
    out.flush();

    // This thread owns the document: it applies every result the scheduler hands over and
    // stops once the download engine has nothing left to do.
    while (refresh.IsBusy())
        refresh.WaitAndApply(std::chrono::milliseconds(50));
    refresh.ApplyPendingResults();

    int failed = 0;
    for (CItem* item : queued) {
        const std::string label = DescribeItem(*item);
        if (!refreshed.count(item)) {
            ++failed;
            out << "Failed " << label << "\n";
            continue;
        }
        const std::string changes = DescribeChanges(before[item], Snapshot(*item), "\n    ");
        out << (changes.empty() ? "Unchanged " : "Changed ") << label << changes << "\n";
    }
    if (questions.Aborted())
        out << "Refresh aborted.\n";

    if (doc.IsModified()) {
        ReportPurgedItems(doc, out);
        std::string error;
        if (!doc.OnSaveDocument(path, &error)) {
            err << "lotwarden: " << Windows1252ToUtf8(error) << "\n";
            return kExitFailed;
        }
        out << "Saved " << path << "\n";
    }
    out << refreshed.size() << " refreshed, " << failed << " failed\n";
    return failed == 0 ? kExitOk : kExitSomeFailed;
}

int CmdParsePage(const Args& input, std::ostream& out, std::ostream& err)
{
    Args args = input;
    std::vector<std::string> servers, pages, items;
    if (!TakeValues(args, "--server", servers) || !TakeValues(args, "--page", pages) ||
        !TakeValues(args, "--item", items) || servers.size() != 1 || pages.size() > 1 || items.size() > 1 ||
        args.empty()) {
        PrintCommandUsage("parse-page", err);
        return kExitUsage;
    }
    if (!RequireReferenceData(err))
        return kExitFailed;
    CAuctionServer* server = ServerArgument(servers[0], err);
    if (!server)
        return kExitFailed;
    int page = 0;
    if (!pages.empty() && (!ParseInt(pages[0], page) || page < 0)) {
        err << "lotwarden: --page takes a page number from 0\n";
        return kExitUsage;
    }
    const std::string itemNumber = items.empty() ? std::string() : Utf8ToWindows1252(items[0]);

    CItemInfo info;
    std::string url = server->GetPageUrl(itemNumber);
    bool fetchAgain = false;
    int result = 0;
    for (const std::string& file : args) {
        fetchAgain = false;
        result = server->ParsePage(file, info, url, fetchAgain, page, itemNumber);
        if (result != 0)
            break;
        ++page;
    }
    static const std::pair<std::uint32_t, const char*> kFlagNames[] = {{kFoundQuantity, "quantity"},
                                                                       {kFoundDescription, "description"},
                                                                       {kFoundBidCount, "bidCount"},
                                                                       {kFoundFinished, "finished"},
                                                                       {kFoundStartDate, "startDate"},
                                                                       {kFoundEndDate, "endDate"},
                                                                       {kFoundRetrievalDate, "retrievalDate"},
                                                                       {kFoundCategory, "category"},
                                                                       {kFoundCurrentPrice, "currentPrice"},
                                                                       {kFoundInitialPrice, "initialPrice"},
                                                                       {kFoundLocation, "location"},
                                                                       {kFoundSeller, "seller"},
                                                                       {kFoundCurrentBuyer, "currentBuyer"},
                                                                       {kFoundNextBidPrice, "nextBidPrice"},
                                                                       {kFoundPageText, "pageText"}};
    out << "{\n  \"result\": " << result << ",\n  \"foundFlags\": " << info.foundFlags << ",\n  \"found\": [";
    bool first = true;
    for (const auto& [bit, name] : kFlagNames) {
        if (info.foundFlags & bit) {
            out << (first ? "" : ", ") << "\"" << name << "\"";
            first = false;
        }
    }
    out << "],\n  \"quantity\": " << info.quantity << ",\n  \"description\": " << JsonString(info.description)
        << ",\n  \"bidCount\": " << info.bidCount << ",\n  \"finished\": " << info.finished
        << ",\n  \"startDate\": " << info.startDate << ",\n  \"endDate\": " << info.endDate
        << ",\n  \"retrievalDate\": " << info.retrievalDate
        << ",\n  \"category\": " << JsonString(info.category)
        << ",\n  \"currentPrice\": " << JsonString(info.currentPrice)
        << ",\n  \"initialPrice\": " << JsonString(info.initialPrice)
        << ",\n  \"location\": " << JsonString(info.location)
        << ",\n  \"seller\": " << JsonString(info.seller)
        << ",\n  \"currentBuyer\": " << JsonString(info.currentBuyer)
        << ",\n  \"nextBidPrice\": " << JsonString(info.nextBidPrice)
        << ",\n  \"pageText\": " << JsonString(info.pageText)
        << ",\n  \"fetchAgain\": " << (fetchAgain ? "true" : "false")
        << ",\n  \"nextUrl\": " << JsonString(fetchAgain ? url : std::string()) << "\n}\n";
    if (result != 0) {
        err << "lotwarden: no item data found in the page\n";
        return kExitFailed;
    }
    return kExitOk;
}

int CmdSearchUrl(const Args& input, std::ostream& out, std::ostream& err)
{
    Args args = input;
    std::vector<std::string> servers, queries, categories, sorts;
    const bool descending = TakeFlag(args, "--descending");
    const bool ascending = TakeFlag(args, "--ascending");
    const bool descriptions = TakeFlag(args, "--descriptions");
    const bool textOnly = TakeFlag(args, "--text-only");
    if (!TakeValues(args, "--server", servers) || !TakeValues(args, "--query", queries) ||
        !TakeValues(args, "--category", categories) || !TakeValues(args, "--sort", sorts) ||
        !FinishOptions(args, err) || !args.empty() || servers.size() != 1 || queries.size() > 1 ||
        categories.size() > 1 || sorts.size() > 1 || (ascending && descending)) {
        PrintCommandUsage("search-url", err);
        return kExitUsage;
    }
    CAuctionServer* server = ServerArgument(servers[0], err);
    if (!server)
        return kExitFailed;
    CSearchRequest request;
    server->GetSearchDefaults(request);
    if (!queries.empty())
        if (!ArgToWindows1252(queries[0], request.query, err))
            return kExitUsage;
    if (!categories.empty() &&
        (!ParseInt(categories[0], request.categoryIndex) || request.categoryIndex < 0)) {
        err << "lotwarden: --category takes a category index from 0\n";
        return kExitUsage;
    }
    if (!categories.empty()) {
        // An index past the server's categories would silently search all of them.
        std::vector<std::string> names;
        server->GetCategoryNames(names);
        if (request.categoryIndex >= static_cast<int>(names.size())) {
            err << "lotwarden: " << Windows1252ToUtf8(server->GetDisplayName()) << " has "
                << (names.empty() ? "no categories"
                                  : "the categories 0 to " + std::to_string(names.size() - 1))
                << "; --category " << request.categoryIndex << " is not one of them\n";
            return kExitUsage;
        }
    }
    if (!sorts.empty()) {
        static const std::pair<const char*, int> kSortNames[] = {
            {"end", CSearchRequest::kSortEndDate},        {"start", CSearchRequest::kSortStartDate},
            {"price", CSearchRequest::kSortCurrentPrice}, {"rank", CSearchRequest::kSortRanking},
            {"photo", CSearchRequest::kSortPhoto},        {"description", CSearchRequest::kSortDescription},
            {"bids", CSearchRequest::kSortBidCount}};
        const auto named = std::find_if(std::begin(kSortNames), std::end(kSortNames),
                                        [&](const auto& entry) { return sorts[0] == entry.first; });
        if (named != std::end(kSortNames)) {
            request.sortKey = named->second;
        } else if (!ParseInt(sorts[0], request.sortKey)) {
            err << "lotwarden: --sort takes end, start, price, rank, photo, description, bids or a number\n";
            return kExitUsage;
        }
        if ((request.sortKey & request.sortMask) == 0 || (request.sortKey & (request.sortKey - 1)) != 0) {
            err << "lotwarden: " << Windows1252ToUtf8(server->GetDisplayName()) << " cannot sort by "
                << sorts[0] << "\n";
            return kExitUsage;
        }
    }
    if (descending)
        request.ascending = false;
    if (ascending)
        request.ascending = true;
    if (descriptions)
        request.searchDescriptions = true;
    if (textOnly)
        request.textOnly = true;
    const std::string url = server->BuildSearchUrl(request);
    if (url.empty() && !RequireReferenceData(err))
        return kExitFailed;
    if (url.empty()) {
        err << "lotwarden: no search URL (the search words are empty)\n";
        return kExitFailed;
    }
    out << Windows1252ToUtf8(url) << "\n";
    return kExitOk;
}

} // namespace cli

namespace cli {

int CmdWatch(const Args& input, std::ostream& out, std::ostream& err)
{
    Args args = input;
    const bool backup = TakeFlag(args, "--backup");
    std::vector<std::string> onError, periods, roundLimits;
    if (!TakeValues(args, "--on-error", onError) || !TakeValues(args, "--period", periods) ||
        !TakeValues(args, "--rounds", roundLimits) || onError.size() > 1 || periods.size() > 1 ||
        roundLimits.size() > 1 || !FinishOptions(args, err) || args.size() != 1) {
        PrintCommandUsage("watch", err);
        return kExitUsage;
    }
    int choice = IErrorQuestion::kIgnore;
    if (!ParseOnError(onError, choice, err))
        return kExitUsage;
    CUserOptions options;
    int minutes = std::max(options.Get().refreshPeriod, 1);
    int maxRounds = 0;
    if ((!periods.empty() && (!ParseInt(periods[0], minutes) || minutes < 1)) ||
        (!roundLimits.empty() && (!ParseInt(roundLimits[0], maxRounds) || maxRounds < 1))) {
        err << "lotwarden: --period takes minutes and --rounds a count, both from 1\n";
        return kExitUsage;
    }
    if (!RequireReferenceData(err))
        return kExitFailed;
    const std::string path = args[0];
    out << "Watching " << path << ": refresh every " << minutes << (minutes == 1 ? " minute" : " minutes")
        << ", alarms every 5 seconds; interrupt (Ctrl+C) to stop\n";
    out.flush();

    CLotwardDoc doc;
    bool loaded = false;
    auto nextRefresh = std::chrono::steady_clock::now();
    for (int rounds = 0;;) {
        {
            // Held for one tick only, so that other commands can change the list in between;
            // the list is read again whenever one did.
            CFileLock lock;
            if (!LockWatchList(lock, path, err))
                return kExitFailed;
            if (!loaded || doc.FileChangedOnDisk(path)) {
                if (!OpenWatchList(doc, path, backup, err))
                    return kExitFailed;
                loaded = true;
            }
            if (std::chrono::steady_clock::now() >= nextRefresh) {
                CUnattendedQuestions questions(choice, err);
                CRefreshService refresh(doc, options.Get(), questions, questions);
                std::set<CItem*> refreshed;
                refresh.SetResultListener([&](CItem& item, bool) { refreshed.insert(&item); });
                std::map<CItem*, std::vector<std::string>> before;
                for (int p = 0; p < doc.GetItemCount(); ++p) {
                    CItem* item = doc.GetItem(p);
                    if (item->finished != 1 && item->GetServer()) {
                        before[item] = Snapshot(*item);
                        doc.RefreshItem(item);
                    }
                }
                while (refresh.IsBusy())
                    refresh.WaitAndApply(std::chrono::milliseconds(50));
                refresh.ApplyPendingResults();
                for (int p = 0; p < doc.GetItemCount(); ++p) {
                    CItem* item = doc.GetItem(p);
                    const auto old = before.find(item);
                    if (old == before.end())
                        continue;
                    if (!refreshed.count(item)) {
                        out << "Failed " << DescribeItem(*item) << "\n";
                        continue;
                    }
                    const std::string changes = DescribeChanges(old->second, Snapshot(*item), "; ");
                    if (!changes.empty())
                        out << (item->finished == 1 ? "Finished " : "Changed ") << DescribeItem(*item) << ": "
                            << changes.substr(2) << "\n";
                }
                nextRefresh = std::chrono::steady_clock::now() + std::chrono::minutes(minutes);
                ++rounds;
            }
            // The alarm check of the desktop program: an item whose alarm rings becomes unread.
            const std::time_t now = std::time(nullptr);
            for (int p = 0; p < doc.GetItemCount(); ++p) {
                CItem* item = doc.GetItem(p);
                if (item->CheckAlarm(now)) {
                    item->SetReadState(0);
                    doc.SetModifiedFlag();
                    out << DescribeAlarm(*item, now) << "\n";
                }
            }
            if (doc.IsModified() && !SaveWatchList(doc, path, out, err))
                return kExitFailed;
        }
        out.flush();
        if (!out)
            return kExitFailed;
        if (maxRounds > 0 && rounds >= maxRounds)
            return kExitOk;
        // Interrupting ends the program from the signal thread, removing its temporary files.
        std::this_thread::sleep_for(std::chrono::seconds(5));
    }
}

} // namespace cli
