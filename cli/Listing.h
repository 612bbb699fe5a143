#pragma once
// How lotwarden lists things: a table for people (tab-separated, one row per line), CSV for
// spreadsheets (RFC 4180: quoted fields, CRLF line ends, UTF-8) or JSON for scripts; and the
// pieces of `show`: column names, filters, sorting and the live Time Left column.

#include "cli/Commands.h"

#include <ctime>
#include <iosfwd>
#include <string>
#include <vector>

class CItem;
class CLotwardDoc;

namespace cli {

enum class ListFormat
{
    kTable,
    kCsv,
    kJson
};

// Takes --csv / --json out of `args`; false (with the message in `err`) when both are given.
bool TakeListFormat(Args& args, ListFormat& format, std::ostream& err);

// One CSV field: quoted when it holds a comma, a quote or a line break, quotes doubled.
std::string CsvField(const std::string& utf8);

// Rows of UTF-8 cells under a header, as a table or CSV; for JSON, an array of objects whose
// keys are `keys` and whose values are all strings.
void PrintRows(const std::vector<std::string>& header, const std::vector<std::string>& keys,
               const std::vector<std::vector<std::string>>& rows, ListFormat format, std::ostream& out);

// The pseudo column that counts down to the end of an item; not a column a watch list stores.
inline constexpr int kColTimeLeft = -1;

// A column of `show`: a column id (103, 104, ...), its short name ("item-number",
// "time-left") or its title, case-insensitive. False when nothing has that name.
bool ParseColumnName(const std::string& word, int& id);
// Comma-separated column names; names the first unknown one in `err`.
bool ParseColumnList(const std::string& text, std::vector<int>& ids, std::ostream& err);
std::string ColumnShortName(int id);
// Title of a column (Windows-1252), "Time Left" included.
std::string ColumnTitleText(int id);
// Every column `show` knows, in the order `lotwarden columns` lists them.
std::vector<int> KnownColumns();

// A duration such as "90", "45s", "30m", "2h", "1d" or "1d2h30m"; false when not one.
bool ParseDuration(const std::string& text, long long& seconds);

// Seconds until the item ends by the user's clock, or false when that is not known (no end
// date, finished).
bool SecondsLeft(const CItem& item, std::time_t now, long long& seconds);
// "2d 03h 04m", "12m 05s", "Ended", "Finished" or empty (no end date).
std::string TimeLeftText(const CItem& item, std::time_t now);
// The cell text of a column (Windows-1252), Time Left included.
std::string CellText(const CItem& item, int id, std::time_t now);

// `show`'s choice of items: filters, then order.
struct ShowQuery
{
    bool unreadOnly = false;
    long long endingWithin = -1; // seconds; -1 no filter
    int serverId = -1;           // -1 any server
    int finished = -1;           // -1 any, 0 not finished, 1 finished
    std::string match;           // Windows-1252, case-insensitive; empty matches all
    int sortColumn = 0;          // 0 the file's order
    bool descending = false;
};

std::vector<const CItem*> SelectItems(CLotwardDoc& doc, const ShowQuery& query, std::time_t now);

// A date as ISO 8601 with its offset ("2026-12-09T10:00:00+01:00"). `siteClockOffset` is how
// many seconds the reading is ahead of the user's clock (0 for dates on the user's clock).
std::string IsoDate(std::time_t value, long long siteClockOffset);

// The JSON object of one item, on one line; the page text only when asked for.
void PrintItemJson(const CItem& item, bool pageText, std::time_t now, std::ostream& out);

} // namespace cli
