#include "text/SiteDate.h"

#include "text/HtmlText.h"
#include "text/ReferenceData.h"

#include <array>
#include <cerrno>
#include <climits>
#include <initializer_list>
#include <mutex>
#include <string_view>
#include <vector>

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

int Saturate(long long value)
{
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

// Reads an optional sign and decimal digits from `text` at `pos`, at most `width` bytes (0 = no
// limit). False, with `pos` unchanged, when there is no digit. The value saturates at the int
// range instead of overflowing.
bool ReadInt(std::string_view text, std::size_t& pos, std::size_t width, int& value)
{
    const std::size_t end = width == 0 ? text.size() : std::min(text.size(), pos + width);
    std::size_t at = pos;
    bool negative = false;
    if (at < end && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    const std::size_t digits = at;
    long long magnitude = 0;
    while (at < end && text[at] >= '0' && text[at] <= '9')
    {
        if (magnitude <= INT_MAX)
            magnitude = magnitude * 10 + (text[at] - '0');
        ++at;
    }
    if (at == digits)
        return false;
    value = Saturate(negative ? -magnitude : magnitude);
    pos = at;
    return true;
}

// A word read by "%s" is kept in a 48-byte buffer on the sites' side of things: a longer word
// is read whole but kept as empty, so it names no month.
constexpr std::size_t kWordBuffer = 48;

// One output of ScanText: a number for "%d", a word for "%s".
struct Slot
{
    Slot(int& n) : number(&n) {}
    Slot(std::string& w) : word(&w) {}
    int* number = nullptr;
    std::string* word = nullptr;
};

// The subset of sscanf the site dates use: "%d" and "%Nd" skip white space and read a signed
// decimal number, "%s" skips white space and reads a word, a blank in the format matches any
// run of white space (also none), any other byte must match exactly. Returns how many values
// were stored before the first mismatch; text after the format is ignored.
int ScanText(std::string_view text, std::string_view format, std::initializer_list<Slot> slots)
{
    auto slot = slots.begin();
    int stored = 0;
    std::size_t pos = 0;
    for (std::size_t f = 0; f < format.size(); ++f)
    {
        const char fc = format[f];
        if (IsSpace(fc))
        {
            while (pos < text.size() && IsSpace(text[pos]))
                ++pos;
            continue;
        }
        if (fc != '%')
        {
            if (pos >= text.size() || text[pos] != fc)
                return stored;
            ++pos;
            continue;
        }
        std::size_t width = 0;
        while (f + 1 < format.size() && format[f + 1] >= '0' && format[f + 1] <= '9')
            width = width * 10 + static_cast<std::size_t>(format[++f] - '0');
        if (f + 1 >= format.size() || slot == slots.end())
            return stored;
        const char conversion = format[++f];
        while (pos < text.size() && IsSpace(text[pos]))
            ++pos;
        if (conversion == 'd')
        {
            if (slot->number == nullptr || !ReadInt(text, pos, width, *slot->number))
                return stored;
        }
        else if (conversion == 's')
        {
            const std::size_t start = pos;
            while (pos < text.size() && !IsSpace(text[pos]) && (width == 0 || pos - start < width))
                ++pos;
            if (pos == start || slot->word == nullptr)
                return stored;
            const std::string_view word = text.substr(start, pos - start);
            *slot->word = word.size() < kWordBuffer ? std::string(word) : std::string();
        }
        else
            return stored;
        ++slot;
        ++stored;
    }
    return stored;
}

// atoi-style reading: leading white space, a sign, digits up to the first other byte; 0 when
// there are no digits.
int LeadingInt(std::string_view text)
{
    std::size_t pos = 0;
    while (pos < text.size() && IsSpace(text[pos]))
        ++pos;
    int value = 0;
    return ReadInt(text, pos, 0, value) ? value : 0;
}

std::string FoldAccents(std::string text)
{
    for (char& c : text)
    {
        switch (static_cast<unsigned char>(c))
        {
        case 233: c = 'e'; break;
        case 251: c = 'u'; break;
        case 242: c = 'o'; break;
        case 231: c = 'c'; break;
        case 228: c = 'a'; break;
        default: break;
        }
    }
    return text;
}

// French, English, Italian, Spanish, Portuguese, German; Windows-1252 bytes.
constexpr std::array<std::array<const char*, 12>, 6> kMonthNames = {{
    {"janvier", "fevrier", "mars", "avril", "mai", "juin", "juillet", "aout", "septembre", "octobre", "novembre",
     "decembre"},
    {"january", "february", "march", "april", "may", "june", "july", "august", "september", "october", "november",
     "december"},
    {"Gennaio", "Febbraio", "Marzo", "Aprile", "Puo", "Giugno", "Luglio", "Agosto", "Settembre", "Ottobre",
     "Novembre", "Dicembre"},
    {"Enero", "Febrero", "Marcha", "Abril", "Puede", "Junio", "Julio", "Agosto", "Septiembre", "Octubre",
     "Noviembre", "Diciembre"},
    {"Janeiro", "Fevereiro", "Mar\xE7o", "Abril", "Pode", "Junho", "Julho", "Agosto", "Setembro", "Outubro",
     "Novembro", "Dezembro"},
    {"Januar", "Februar", "M\xE4rz", "April", "Mag", "Juni", "Juli", "August", "September", "Oktober", "November",
     "Dezember"},
}};

// Builds the value whose local-time reading shows the given calendar fields, daylight saving
// decided by the C library. Fields out of range are normalised by mktime; values that do not
// fit at all are refused.
bool BuildLocalTime(long long year, long long month, long long day, long long hour, long long minute,
                    long long second, std::time_t& out)
{
    const long long tmYear = year - 1900, tmMonth = month - 1;
    for (const long long field : {tmYear, tmMonth, day, hour, minute, second})
        if (field < INT_MIN || field > INT_MAX)
            return false;
    std::tm fields{};
    fields.tm_year = static_cast<int>(tmYear);
    fields.tm_mon = static_cast<int>(tmMonth);
    fields.tm_mday = static_cast<int>(day);
    fields.tm_hour = static_cast<int>(hour);
    fields.tm_min = static_cast<int>(minute);
    fields.tm_sec = static_cast<int>(second);
    fields.tm_isdst = -1;
    errno = 0;
    const std::time_t value = std::mktime(&fields);
    if (value == static_cast<std::time_t>(-1) && errno != 0)
        return false;
    out = value;
    return true;
}

// "PM" becomes "AM" (noting it), then every "AM" gets a blank before it, so "12PM" reads as the
// number 12 followed by a word.
bool NormaliseMeridiem(std::string& s)
{
    const bool pm = ReplaceAll(s, "PM", "AM") > 0;
    ReplaceAll(s, "AM", " AM");
    return pm;
}

long long TwelveHourClock(int hour, bool pm)
{
    long long result = hour == 12 ? 0 : hour;
    return pm ? result + 12 : result;
}

void RemoveFrenchPrefixes(std::string& s)
{
    ReplacePrefix(s, "Le ");
    ReplacePrefix(s, "Il ");
    ReplacePrefix(s, "1er", "1");
}

bool ParseDuration(std::string s, std::time_t& out)
{
    static const std::vector<std::pair<std::string_view, std::string_view>> kWords = {
        {"giorno", "day"},     {"giorni", "day"},    {"jours", "day"},      {"jour", "day"},
        {"days", "day"},       {"dias", "day"},      {"heures", "hour"},    {"heure", "hour"},
        {"hours", "hour"},     {"horas", "hour"},    {"hora", "hour"},      {"ora", "hour"},
        {"ore", "hour"},       {"minutes", "minute"}, {"minuti", "minute"}, {"minutos", "minute"},
        {"minuto", "minute"},  {"seconds", "second"}, {"secondes", "second"}, {"seconde", "second"},
        {"secondo", "second"}};
    for (const auto& [from, to] : kWords)
        ReplaceAll(s, from, to);

    static constexpr std::array<std::string_view, 4> kUnits = {"day", "hour", "minute", "second"};
    static constexpr std::array<long long, 4> kSeconds = {86400, 3600, 60, 1};
    long long span = 0;
    bool timeFound = false;
    for (std::size_t i = 0; i < kUnits.size(); ++i)
    {
        if (s.find(kUnits[i]) == std::string::npos)
            continue;
        span += LeadingInt(s) * kSeconds[i];
        KeepAfter(s, kUnits[i]);
        if (i > 0)
            timeFound = true;
    }
    if (!timeFound)
        return false;
    out = CurrentTime() + static_cast<std::time_t>(span);
    return true;
}

std::mutex nowLock;
NowFunction nowFunction;

} // namespace

int MonthFromAbbreviation(const std::string& text)
{
    static constexpr std::array<const char*, 12> kAbbreviations = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (std::size_t i = 0; i < kAbbreviations.size(); ++i)
        if (EqualNoCase(text, kAbbreviations[i]))
            return static_cast<int>(i) + 1;
    return 0;
}

int MonthFromName(const std::string& text)
{
    static const std::vector<std::string> foldedNames = [] {
        std::vector<std::string> names;
        for (const auto& language : kMonthNames)
            for (const char* name : language)
                names.push_back(FoldAccents(name));
        return names;
    }();
    const std::string folded = FoldAccents(text);
    for (std::size_t i = 0; i < foldedNames.size(); ++i)
        if (EqualNoCase(folded, foldedNames[i]))
            return static_cast<int>(i % 12) + 1;
    return 0;
}

bool ParseSiteDate(const std::string& text, std::time_t& out, int style, int defaultYear, int defaultSecond)
{
    const std::size_t first = text.find_first_not_of(" \t");
    std::string s = first == std::string::npos ? std::string() : text.substr(first);

    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    long long hours = 0; // after the 12-hour clock adjustment
    std::string word;
    switch (style)
    {
    case 1:
        if (ScanText(s, "%d/%d/%d %d:%d:%d", {month, day, year, hour, minute, second}) != 6)
        {
            const std::size_t dash = s.find('-');
            if (dash == std::string::npos)
                return false;
            month = MonthFromAbbreviation(s.substr(0, dash));
            if (ScanText(std::string_view(s).substr(dash + 1), "%d-%d %d:%d:%d", {day, year, hour, minute, second}) != 5
                || month == 0)
                return false;
        }
        hours = hour;
        break;
    case 2:
        if (ScanText(s, "%04d%02d%02dt%02d%02d%02d", {year, month, day, hour, minute, second}) != 6)
            return false;
        hours = hour;
        break;
    case 3:
        if (ScanText(s, "%s %d %d:%d", {word, day, hour, minute}) != 4)
            return false;
        month = MonthFromAbbreviation(word);
        if (month == 0)
            return false;
        year = defaultYear;
        second = defaultSecond;
        hours = hour;
        break;
    case 4:
        return ParseDuration(std::move(s), out);
    case 5: {
        ReplaceAll(s, "/", " ");
        const bool pm = NormaliseMeridiem(s);
        if (ScanText(s, "%d %d %d", {month, day, hour}) != 3)
            return false;
        year = defaultYear;
        hours = TwelveHourClock(hour, pm);
        break;
    }
    case 6:
        RemoveFrenchPrefixes(s);
        if (ScanText(s, "%d %s %d", {day, word, year}) != 3)
            return false;
        month = MonthFromName(word);
        if (month == 0)
            return false;
        break;
    case 7:
        RemoveFrenchPrefixes(s);
        ReplaceAll(s, "\xE0 ", "");
        if (ScanText(s, "%d %s %dh%d", {day, word, hour, minute}) == 4 && MonthFromName(word) != 0)
            hours = hour;
        else if (ScanText(s, "%d %s", {day, word}) == 2 && MonthFromName(word) != 0)
        {
            hours = 23;
            minute = 59;
        }
        else
            return false;
        month = MonthFromName(word);
        year = defaultYear;
        break;
    case 8: {
        ReplaceAll(s, "/", " ");
        ReplaceAll(s, ":", " ");
        const bool pm = NormaliseMeridiem(s);
        if (ScanText(s, "%d %d %d %d %d", {month, day, year, hour, minute}) != 5)
            return false;
        hours = TwelveHourClock(hour, pm);
        break;
    }
    default:
        return false;
    }

    long long fullYear = year;
    if (fullYear < 100)
        fullYear += 1900;
    if (fullYear < 1950)
        fullYear += 100;
    return BuildLocalTime(fullYear, month, day, hours, minute, second, out);
}

namespace {

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// The day-by-day walk below, computed directly: while the hour of the change keeps clear of
// midnight, a local clock shift cannot move a step's reading to another day, so the readings
// are the calendar days of the month. The result is checked and the walk taken when in doubt.
bool QuickTransitionDate(const TransitionRule& date, int year, std::time_t first, std::time_t& result)
{
    if (date.wHour < 2 || date.wHour > 21 || date.wMonth < 1 || date.wMonth > 12 || date.wDayOfWeek > 6)
        return false;
    std::tm reading{};
    if (localtime_r(&first, &reading) == nullptr || reading.tm_mon + 1 != date.wMonth || reading.tm_mday != 1)
        return false;
    const int firstOffset = (date.wDayOfWeek - reading.tm_wday + 7) % 7;
    const int occurrences = (DaysInMonth(year, date.wMonth) - 1 - firstOffset) / 7 + 1;
    const int wanted = date.wDay >= 1 && date.wDay <= occurrences ? date.wDay : occurrences;
    const int dayOffset = firstOffset + 7 * (wanted - 1);
    const std::time_t candidate = first + static_cast<std::time_t>(dayOffset) * 24 * 60 * 60;
    if (localtime_r(&candidate, &reading) == nullptr || reading.tm_mon + 1 != date.wMonth
        || reading.tm_mday != 1 + dayOffset || reading.tm_wday != date.wDayOfWeek)
        return false;
    result = candidate;
    return true;
}

} // namespace

std::time_t TransitionDate(const TransitionRule& date, int year)
{
    std::time_t first = 0;
    if (!BuildLocalTime(year, date.wMonth, 1, date.wHour, 0, 0, first))
        return 0;
    std::time_t quick = 0;
    if (QuickTransitionDate(date, year, first, quick))
        return quick;
    // With no day of the wanted weekday (a weekday outside 0-6) the first of the month stands.
    std::time_t found = first;
    int occurrences = 0;
    for (std::time_t day = first;; day += 24 * 60 * 60)
    {
        std::tm reading{};
        if (localtime_r(&day, &reading) == nullptr || reading.tm_mon + 1 != date.wMonth)
            break;
        if (reading.tm_wday == date.wDayOfWeek)
        {
            found = day;
            if (++occurrences == date.wDay)
                break;
        }
    }
    return found;
}

bool ObservesDaylight(const TimeZoneRule& rule)
{
    return rule.StandardDate.wYear == 0 && rule.DaylightDate.wYear == 0 && rule.StandardDate.wMonth != 0
           && rule.DaylightDate.wMonth != 0;
}

bool ParseTimeZoneRule(const std::string& numbers, TimeZoneRule& rule)
{
    std::vector<std::string> parts;
    if (SplitString(numbers, '#', parts) != 19)
        return false;
    std::array<int, 19> values{};
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = LeadingInt(parts[i]);
    rule.Bias = values[0];
    rule.StandardBias = values[1];
    rule.DaylightBias = values[2];
    for (TransitionRule* date : {&rule.StandardDate, &rule.DaylightDate})
    {
        const std::size_t base = date == &rule.StandardDate ? 3 : 11;
        std::uint16_t* fields[] = {&date->wYear, &date->wMonth,  &date->wDayOfWeek, &date->wDay,
                                   &date->wHour, &date->wMinute, &date->wSecond,    &date->wMilliseconds};
        for (std::size_t i = 0; i < 8; ++i)
            *fields[i] = static_cast<std::uint16_t>(values[base + i]);
    }
    return true;
}

namespace {

// Rules already looked up in the current "TZ" list. A list handed out by the reference data is
// never freed while the program runs, so its address identifies it: when the data file is
// switched, the list changes and the cache starts over.
struct CachedZone
{
    std::string name;
    bool found = false;
    TimeZoneRule rule;
};
std::mutex zoneCacheLock;
const CReferenceData::RowList* zoneCacheRows = nullptr;
std::vector<CachedZone> zoneCache;

bool LookUpZoneRow(const CReferenceData::RowList& rows, const std::string& zoneName, TimeZoneRule& rule)
{
    const std::string key = zoneName + "|";
    for (const std::string& row : rows)
        if (row.compare(0, key.size(), key) == 0)
            return ParseTimeZoneRule(row.substr(key.size()), rule);
    return false;
}

} // namespace

bool FindTimeZoneRule(const std::string& zoneName, TimeZoneRule& rule)
{
    if (zoneName.empty())
        return false;
    const CReferenceData::RowList* rows = TheReferenceData().GetRows("TZ");
    if (rows == nullptr)
        return false;
    std::lock_guard guard(zoneCacheLock);
    if (zoneCacheRows != rows)
    {
        zoneCache.clear();
        zoneCacheRows = rows;
    }
    for (const CachedZone& cached : zoneCache)
        if (cached.name == zoneName)
        {
            if (cached.found)
                rule = cached.rule;
            return cached.found;
        }
    CachedZone entry{zoneName};
    entry.found = LookUpZoneRow(*rows, zoneName, entry.rule);
    zoneCache.push_back(entry);
    if (entry.found)
        rule = entry.rule;
    return entry.found;
}

namespace {

// The user's own zone comes straight from the C library: the offset in force at the moment
// itself, so every historical rule of the tz database applies instead of one yearly rule.
bool ConvertLocalZone(std::time_t in, std::time_t& out, bool toUtc)
{
    std::tm reading{};
    if (localtime_r(&in, &reading) == nullptr)
        return false;
    if (toUtc)
    {
        out = in - reading.tm_gmtoff;
        return true;
    }
    // `in` shows a UTC wall clock: find the moment with that UTC reading and its local offset.
    std::time_t moment = timegm(&reading);
    std::tm local{};
    if (moment == static_cast<std::time_t>(-1) || localtime_r(&moment, &local) == nullptr)
        return false;
    out = in + local.tm_gmtoff;
    return true;
}

bool DaylightInForce(const TimeZoneRule& rule, std::time_t in, bool toUtc)
{
    if (!ObservesDaylight(rule))
        return false;
    std::tm reading{};
    // A time value this far out has no calendar year an int can hold: no daylight rule.
    if (localtime_r(&in, &reading) == nullptr || reading.tm_year > INT_MAX - 1900)
        return false;
    const int year = reading.tm_year + 1900;
    std::time_t daylight = TransitionDate(rule.DaylightDate, year);
    std::time_t standard = TransitionDate(rule.StandardDate, year);
    if (!toUtc)
    {
        standard += static_cast<std::time_t>(rule.Bias + static_cast<long long>(rule.DaylightBias)) * 60;
        daylight += static_cast<std::time_t>(rule.Bias + static_cast<long long>(rule.StandardBias)) * 60;
    }
    if (daylight < standard)
        return daylight <= in && in < standard;
    if (standard < daylight)
        return in >= daylight || in < standard;
    return false;
}

} // namespace

bool ConvertTimeZone(const std::string& zoneName, std::time_t in, std::time_t& out, bool toUtc)
{
    out = in;
    if (zoneName.empty())
        return ConvertLocalZone(in, out, toUtc);
    TimeZoneRule rule;
    if (!FindTimeZoneRule(zoneName, rule))
        return false;
    const long long minutes =
        static_cast<long long>(rule.Bias) + (DaylightInForce(rule, in, toUtc) ? rule.DaylightBias : rule.StandardBias);
    out = toUtc ? in + static_cast<std::time_t>(minutes * 60) : in - static_cast<std::time_t>(minutes * 60);
    return true;
}

std::time_t SiteToLocal(const std::string& zoneName, std::time_t t)
{
    std::time_t utc = t, local = t;
    ConvertTimeZone(zoneName, t, utc, true);
    ConvertTimeZone("", utc, local, false);
    return local;
}

std::time_t LocalToSite(const std::string& zoneName, std::time_t t)
{
    std::time_t utc = t, site = t;
    ConvertTimeZone("", t, utc, true);
    ConvertTimeZone(zoneName, utc, site, false);
    return site;
}

void SetNowFunction(NowFunction now)
{
    std::lock_guard guard(nowLock);
    nowFunction = std::move(now);
}

std::time_t CurrentTime()
{
    NowFunction now;
    {
        std::lock_guard guard(nowLock);
        now = nowFunction;
    }
    return now ? now() : std::time(nullptr);
}
