#include "cli/Listing.h"
#include "cli/CliSupport.h"

#include "core/Encoding.h"
#include "core/StringTable.h"
#include "core/document/ColumnInfo.h"
#include "core/document/LotwardDoc.h"
#include "core/item/Item.h"
#include "sites/AuctionServer.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <ostream>
#include <utility>

namespace cli {

namespace {

struct ColumnName
{
    int id;
    const char* shortName;
};

// Short names for the command line, in the order the display preferences offer the columns.
constexpr ColumnName kColumnNames[] = {
    {kColItemNumber, "item-number"},
    {kColDescription, "description"},
    {kColQuantity, "quantity"},
    {kColServer, "server"},
    {kColCategory, "category"},
    {kColFinished, "finished"},
    {kColCurrentPrice, "current-price"},
    {kColInitialPrice, "initial-price"},
    {kColLocation, "location"},
    {kColBidCount, "bids"},
    {kColStartDate, "start-date"},
    {kColEndDate, "end-date"},
    {kColStartDateLocal, "start-date-local"},
    {kColEndDateLocal, "end-date-local"},
    {kColRetrievalDate, "retrieval-date"},
    {kColSeller, "seller"},
    {kColCurrentBuyer, "current-buyer"},
    {kColMemo, "memo"},
    {kColShippingCharges, "shipping"},
    {kColTimeLeft, "time-left"},
};

// Case folding of Windows-1252 letters (ASCII and the accented Latin-1 ones).
std::string Folded(std::string text)
{
    for (char& c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7))
            c = static_cast<char>(byte + 0x20);
    }
    return text;
}

bool Matches(const CItem& item, const std::string& folded)
{
    for (const std::string* field : {&item.GetItemNumber(), &item.description, &item.memo, &item.seller,
                                     &item.currentBuyer, &item.category, &item.location})
        if (Folded(*field).find(folded) != std::string::npos)
            return true;
    return false;
}

std::string JsonDate(const char* name, std::time_t value, long long siteClockOffset)
{
    return std::string(", \"") + name + "\": " + std::to_string(static_cast<long long>(value)) + ", \"" +
           name + "Iso\": " + (value ? "\"" + IsoDate(value, siteClockOffset) + "\"" : std::string("null"));
}

} // namespace

bool TakeListFormat(Args& args, ListFormat& format, std::ostream& err)
{
    const bool csv = TakeFlag(args, "--csv");
    const bool json = TakeFlag(args, "--json");
    if (csv && json) {
        err << "lotwarden: --csv and --json exclude each other\n";
        return false;
    }
    format = csv ? ListFormat::kCsv : json ? ListFormat::kJson : ListFormat::kTable;
    return true;
}

std::string CsvField(const std::string& utf8)
{
    if (utf8.find_first_of(",\"\r\n") == std::string::npos)
        return utf8;
    std::string quoted = "\"";
    for (char c : utf8)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

void PrintRows(const std::vector<std::string>& header, const std::vector<std::string>& keys,
               const std::vector<std::vector<std::string>>& rows, ListFormat format, std::ostream& out)
{
    if (format == ListFormat::kJson) {
        out << "[\n";
        for (std::size_t r = 0; r < rows.size(); ++r) {
            out << "  {";
            for (std::size_t c = 0; c < keys.size() && c < rows[r].size(); ++c)
                out << (c ? ", " : "") << JsonString(Utf8ToWindows1252(keys[c])) << ": "
                    << JsonString(Utf8ToWindows1252(rows[r][c]));
            out << (r + 1 < rows.size() ? "},\n" : "}\n");
        }
        out << "]\n";
        return;
    }
    const bool csv = format == ListFormat::kCsv;
    auto line = [&](const std::vector<std::string>& cells) {
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (c)
                out << (csv ? "," : "\t");
            if (csv) {
                out << CsvField(cells[c]);
            } else {
                // One row per line: tabs and line breaks inside a cell would split it.
                std::string cell = cells[c];
                std::replace_if(
                    cell.begin(), cell.end(), [](char ch) { return ch == '\t' || ch == '\n' || ch == '\r'; },
                    ' ');
                out << cell;
            }
        }
        out << (csv ? "\r\n" : "\n");
    };
    line(header);
    for (const auto& row : rows)
        line(row);
}

bool ParseColumnName(const std::string& word, int& id)
{
    int number = 0;
    const auto result = std::from_chars(word.data(), word.data() + word.size(), number);
    const std::string folded = Folded(Utf8ToWindows1252(word));
    for (const ColumnName& column : kColumnNames) {
        const bool byNumber = result.ec == std::errc() && result.ptr == word.data() + word.size() &&
                              number == column.id && column.id > 0;
        if (byNumber || folded == column.shortName || folded == Folded(ColumnTitleText(column.id))) {
            id = column.id;
            return true;
        }
    }
    return false;
}

bool ParseColumnList(const std::string& text, std::vector<int>& ids, std::ostream& err)
{
    ids.clear();
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string word = text.substr(start, comma - start);
        int id = 0;
        if (!ParseColumnName(word, id)) {
            err << "lotwarden: no column is called \"" << TerminalText(Utf8ToWindows1252(word))
                << "\" (see lotwarden columns FILE)\n";
            return false;
        }
        ids.push_back(id);
        start = comma + 1;
    }
    return true;
}

std::string ColumnShortName(int id)
{
    for (const ColumnName& column : kColumnNames)
        if (column.id == id)
            return column.shortName;
    return std::to_string(id);
}

std::string ColumnTitleText(int id)
{
    if (id == kColTimeLeft)
        return "Time Left";
    const std::string title = LoadResString(id);
    return title.empty() ? "#" + std::to_string(id) : title;
}

std::vector<int> KnownColumns()
{
    std::vector<int> ids;
    for (const ColumnName& column : kColumnNames)
        ids.push_back(column.id);
    return ids;
}

bool ParseDuration(const std::string& text, long long& seconds)
{
    if (text.empty())
        return false;
    seconds = 0;
    const char* pos = text.data();
    const char* end = text.data() + text.size();
    while (pos < end) {
        long long value = 0;
        const auto result = std::from_chars(pos, end, value);
        if (result.ec != std::errc() || value < 0 || value > 100LL * 365 * 86400)
            return false;
        pos = result.ptr;
        long long unit = 1;
        if (pos < end) {
            switch (*pos++) {
            case 's':
                unit = 1;
                break;
            case 'm':
                unit = 60;
                break;
            case 'h':
                unit = 3600;
                break;
            case 'd':
                unit = 86400;
                break;
            default:
                return false;
            }
        } else if (pos != text.data() + text.size() || seconds != 0) {
            return false; // a bare number only on its own ("1h30" is unclear)
        }
        seconds += value * unit;
    }
    return seconds <= 100LL * 365 * 86400;
}

bool SecondsLeft(const CItem& item, std::time_t now, long long& seconds)
{
    if (item.finished == 1 || item.GetEndDateLocal() == 0)
        return false;
    seconds = static_cast<long long>(item.GetEndDateLocal()) - static_cast<long long>(now);
    return true;
}

std::string TimeLeftText(const CItem& item, std::time_t now)
{
    if (item.finished == 1)
        return "Finished";
    long long left = 0;
    if (!SecondsLeft(item, now, left))
        return std::string();
    if (left <= 0)
        return "Ended";
    char text[48];
    const long long days = left / 86400, hours = left / 3600 % 24, minutes = left / 60 % 60, secs = left % 60;
    if (days > 0)
        std::snprintf(text, sizeof text, "%lldd %02lldh %02lldm", days, hours, minutes);
    else if (hours > 0)
        std::snprintf(text, sizeof text, "%lldh %02lldm", hours, minutes);
    else
        std::snprintf(text, sizeof text, "%lldm %02llds", minutes, secs);
    return text;
}

std::string CellText(const CItem& item, int id, std::time_t now)
{
    return id == kColTimeLeft ? TimeLeftText(item, now) : item.GetDisplayText(id);
}

std::vector<const CItem*> SelectItems(CLotwardDoc& doc, const ShowQuery& query, std::time_t now)
{
    if (query.sortColumn > 0)
        doc.SortItems(query.sortColumn, !query.descending);
    const std::string match = Folded(query.match);
    std::vector<const CItem*> chosen;
    for (int i = 0; i < doc.GetItemCount(); ++i) {
        const CItem& item = *doc.GetItem(i);
        long long left = 0;
        if ((query.unreadOnly && item.readState != 0) ||
            (query.serverId >= 0 && item.GetServerId() != static_cast<std::uint32_t>(query.serverId)) ||
            (query.finished == 1 && item.finished != 1) || (query.finished == 0 && item.finished == 1) ||
            (query.endingWithin >= 0 &&
             !(SecondsLeft(item, now, left) && left >= 0 && left <= query.endingWithin)) ||
            (!match.empty() && !Matches(item, match)))
            continue;
        chosen.push_back(&item);
    }
    if (query.sortColumn == kColTimeLeft) {
        // Items without a known end come last whichever way the others go.
        auto key = [now](const CItem* item) {
            long long left = 0;
            return std::make_pair(!SecondsLeft(*item, now, left), left);
        };
        std::stable_sort(chosen.begin(), chosen.end(), [&](const CItem* a, const CItem* b) {
            const auto ka = key(a), kb = key(b);
            if (ka.first != kb.first)
                return !ka.first;
            return query.descending ? ka.second > kb.second : ka.second < kb.second;
        });
    }
    return chosen;
}

std::string IsoDate(std::time_t value, long long siteClockOffset)
{
    std::tm fields{};
    localtime_r(&value, &fields);
    const long long offset = fields.tm_gmtoff + siteClockOffset;
    const int minutes = static_cast<int>((offset < 0 ? -offset : offset) / 60 % (24 * 60));
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", fields.tm_year + 1900,
                  fields.tm_mon + 1, fields.tm_mday, fields.tm_hour, fields.tm_min, fields.tm_sec,
                  offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
    return text;
}

void PrintItemJson(const CItem& item, bool pageText, std::time_t now, std::ostream& out)
{
    const CAuctionServer* server = item.GetServer();
    // A site date is the reading of the site's clock; how far it is ahead of the user's clock
    // gives its offset from UTC.
    const long long startAhead = static_cast<long long>(item.GetStartDate()) - item.GetStartDateLocal();
    const long long endAhead = static_cast<long long>(item.GetEndDate()) - item.GetEndDateLocal();
    long long left = 0;
    out << "    {\"itemNumber\": " << JsonString(item.GetItemNumber())
        << ", \"serverId\": " << item.GetServerId()
        << ", \"server\": " << JsonString(server ? server->GetDisplayName() : std::string())
        << ", \"url\": " << JsonString(item.GetUrl()) << ", \"description\": " << JsonString(item.description)
        << ", \"quantity\": " << item.quantity << ", \"bidCount\": " << item.bidCount
        << ", \"finished\": " << item.finished << JsonDate("startDate", item.GetStartDate(), startAhead)
        << JsonDate("endDate", item.GetEndDate(), endAhead)
        << JsonDate("startDateLocal", item.GetStartDateLocal(), 0)
        << JsonDate("endDateLocal", item.GetEndDateLocal(), 0)
        << JsonDate("retrievalDate", item.retrievalDate, 0)
        << ", \"timeLeftSeconds\": " << (SecondsLeft(item, now, left) ? std::to_string(left) : "null")
        << ", \"timeLeft\": " << JsonString(TimeLeftText(item, now))
        << ", \"category\": " << JsonString(item.category)
        << ", \"currentPrice\": " << JsonString(item.currentPrice)
        << ", \"initialPrice\": " << JsonString(item.initialPrice)
        << ", \"location\": " << JsonString(item.location) << ", \"seller\": " << JsonString(item.seller)
        << ", \"currentBuyer\": " << JsonString(item.currentBuyer)
        << ", \"shippingCharges\": " << JsonString(item.shippingCharges)
        << ", \"memo\": " << JsonString(item.memo);
    if (pageText)
        out << ", \"pageText\": " << JsonString(item.pageText);
    out << ", \"readState\": " << item.readState << ", \"alarmSeconds\": " << item.alarmSeconds
        << ", \"alarmMode\": " << item.alarmMode << ", \"inAlarmWindow\": " << item.inAlarmWindow
        << ", \"firstResultPending\": " << item.firstResultPending << "}";
}

} // namespace cli
