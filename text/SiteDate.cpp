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

// Days from 1970-01-01 to year/month/day of the proleptic Gregorian calendar (month 1-12).
long long DaysFromCivil(long long year, long long month, long long day)
{
    year -= month <= 2 ? 1 : 0;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

struct CivilDate
{
    long long year;
    int month, day, weekday; // weekday 0 = Sunday
};

CivilDate CivilFromDays(long long days)
{
    const long long shifted = days + 719468;
    const long long era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
    const long long dayOfEra = shifted - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long monthIndex = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    const int month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    const long long weekday = (days % 7 + 7 + 4) % 7; // 1970-01-01 was a Thursday
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day, static_cast<int>(weekday)};
}

int DaysInMonth(long long year, int month)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

long long FloorDiv(long long value, long long divisor)
{
    return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
}

// The wall clock of calendar fields; out-of-range fields carry over as a calendar does (month 13
// is January of the next year, hour 25 is 01:00 the next day). Fields beyond the int range are
// refused, as the C library's calendar refuses them.
bool BuildWallClock(long long year, long long month, long long day, long long hour, long long minute,
                    long long second, ClockReading& out)
{
    for (const long long field : {year - 1900, month - 1, day, hour, minute, second})
        if (field < INT_MIN || field > INT_MAX)
            return false;
    const long long months = year * 12 + (month - 1);
    const long long days =
        DaysFromCivil(FloorDiv(months, 12), months - FloorDiv(months, 12) * 12 + 1, 1) + day - 1;
    out = days * 86400 + hour * 3600 + minute * 60 + second;
    return true;
}

// The value whose local-time reading shows the given calendar fields. Fields out of range carry
// over; values that do not fit the calendar at all are refused.
bool BuildLocalTime(long long year, long long month, long long day, long long hour, long long minute,
                    long long second, std::time_t& out)
{
    ClockReading wall = 0;
    return BuildWallClock(year, month, day, hour, minute, second, wall) && ValueFromWallClock(wall, out);
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

// A Windows-1252 letter folded for the duration words: lower case, accents dropped.
char FoldDurationLetter(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return static_cast<char>(c - 'A' + 'a');
    static constexpr std::string_view kFrom =
        "\xC0\xC1\xC2\xC4\xE0\xE1\xE2\xE4\xC8\xC9\xCA\xCB\xE8\xE9\xEA\xEB"
        "\xCC\xCD\xCE\xCF\xEC\xED\xEE\xEF\xD2\xD3\xD4\xD6\xF2\xF3\xF4\xF6"
        "\xD9\xDA\xDB\xDC\xF9\xFA\xFB\xFC";
    static constexpr std::string_view kTo = "aaaaaaaaeeeeeeeeiiiiiiiioooooooouuuuuuuu";
    const std::size_t at = kFrom.find(static_cast<char>(c));
    return at == std::string_view::npos ? static_cast<char>(c) : kTo[at];
}

// The unit (0 day, 1 hour, 2 minute, 3 second) of a folded word of the sites' languages
// (English, French, Italian, Spanish and Portuguese, German), singular and plural; -1 for
// any other word.
int DurationUnit(std::string_view word)
{
    static const std::array<std::vector<std::string_view>, 4> kUnits = {{
        {"day", "days", "jour", "jours", "j", "giorno", "giorni", "gg", "dia", "dias", "tag", "tage"},
        {"hour", "hours", "hr", "hrs", "h", "heure", "heures", "ora", "ore", "hora", "horas", "stunde",
         "stunden"},
        {"minute", "minutes", "min", "mins", "mn", "minuto", "minuti", "minutos", "minuten"},
        {"second", "seconds", "sec", "secs", "s", "seconde", "secondes", "secondo", "secondi", "segundo",
         "segundos", "sekunde", "sekunden"},
    }};
    for (std::size_t unit = 0; unit < kUnits.size(); ++unit)
        for (const std::string_view name : kUnits[unit])
            if (word == name)
                return static_cast<int>(unit);
    return -1;
}

// A time left such as "2 jours 3 heures" or "1 día 2 horas": each unit word counts the number
// just before it (0 when there is none); the first count of a unit is kept. Valid only when an
// hour, a minute or a second word is present (days alone are not precise enough). The result is
// now plus that much elapsed time, a local time.
bool ParseDuration(std::string_view s, std::time_t& out)
{
    static constexpr std::array<long long, 4> kSeconds = {86400, 3600, 60, 1};
    std::array<bool, 4> seen{};
    long long span = 0;
    long long count = 0;
    std::size_t pos = 0;
    while (pos < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[pos]);
        if (c >= '0' && c <= '9') {
            count = 0;
            for (; pos < s.size() && s[pos] >= '0' && s[pos] <= '9'; ++pos)
                count = std::min<long long>(count * 10 + (s[pos] - '0'), INT_MAX);
            continue;
        }
        std::string word;
        for (; pos < s.size(); ++pos) {
            const unsigned char letter = static_cast<unsigned char>(s[pos]);
            if (!((letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z') || letter >= 0xC0))
                break;
            word += FoldDurationLetter(letter);
        }
        if (word.empty()) {
            ++pos;
            continue;
        }
        const int unit = DurationUnit(word);
        if (unit >= 0 && !seen[static_cast<std::size_t>(unit)]) {
            seen[static_cast<std::size_t>(unit)] = true;
            span += count * kSeconds[static_cast<std::size_t>(unit)];
        }
        if (unit >= 0)
            count = 0;
    }
    if (!seen[1] && !seen[2] && !seen[3])
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
        return ParseDuration(s, out);
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

bool ValueFromWallClock(ClockReading wall, std::time_t& out)
{
    const std::time_t asUtc = static_cast<std::time_t>(wall);
    std::tm fields{};
    if (gmtime_r(&asUtc, &fields) == nullptr)
        return false;
    fields.tm_isdst = -1;
    errno = 0;
    std::time_t value = std::mktime(&fields);
    if (value == static_cast<std::time_t>(-1) && errno != 0)
        return false;
    // A reading inside the hour the local clock skips exists on no value: the C library moves it
    // after the change; it is taken before the change instead, so that a date never lands late.
    const ClockReading shown = WallClockOf(value);
    if (shown > wall)
        value -= static_cast<std::time_t>(shown - wall);
    out = value;
    return true;
}

std::time_t ValueOfWallClock(ClockReading wall)
{
    std::time_t value = static_cast<std::time_t>(wall);
    ValueFromWallClock(wall, value);
    return value;
}

ClockReading WallClockOf(std::time_t value)
{
    std::tm reading{};
    if (localtime_r(&value, &reading) == nullptr)
        return value;
    return static_cast<ClockReading>(value) + reading.tm_gmtoff;
}

ClockReading TransitionWallClock(const TransitionRule& date, int year)
{
    // Counted from the first of the month at the hour of the change: the wDay-th day with the
    // rule's weekday, or the last one when the month has fewer (so 5 means the last).
    ClockReading first = 0;
    if (!BuildWallClock(year, date.wMonth, 1, date.wHour, 0, 0, first))
        return 0;
    const CivilDate start = CivilFromDays(FloorDiv(first, 86400));
    const int daysLeft = start.month == date.wMonth ? DaysInMonth(start.year, start.month) - start.day : -1;
    const int toWeekday = (date.wDayOfWeek - start.weekday + 7) % 7;
    if (date.wDayOfWeek > 6 || toWeekday > daysLeft) // no such day: the first stands
        return first;
    const int occurrences = (daysLeft - toWeekday) / 7 + 1;
    const int wanted = date.wDay >= 1 && date.wDay <= occurrences ? date.wDay : occurrences;
    return first + static_cast<ClockReading>(toWeekday + 7 * (wanted - 1)) * 86400;
}

std::time_t TransitionDate(const TransitionRule& date, int year)
{
    return ValueOfWallClock(TransitionWallClock(date, year));
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

// Whether a named zone's rule has daylight time in force at `wall`: the zone's own wall clock
// when `toUtc`, a UTC wall clock otherwise. All of it is calendar arithmetic on readings.
bool DaylightInForce(const TimeZoneRule& rule, ClockReading wall, bool toUtc)
{
    if (!ObservesDaylight(rule))
        return false;
    const long long year = CivilFromDays(FloorDiv(wall, 86400)).year;
    // No calendar the program works with reaches this far: no daylight rule.
    if (year > INT_MAX || year < INT_MIN)
        return false;
    ClockReading daylight = TransitionWallClock(rule.DaylightDate, static_cast<int>(year));
    ClockReading standard = TransitionWallClock(rule.StandardDate, static_cast<int>(year));
    if (!toUtc)
    {
        standard += (static_cast<long long>(rule.Bias) + rule.DaylightBias) * 60;
        daylight += (static_cast<long long>(rule.Bias) + rule.StandardBias) * 60;
    }
    if (daylight < standard)
        return daylight <= wall && wall < standard;
    if (standard < daylight)
        return wall >= daylight || wall < standard;
    return false;
}

// Minutes to add to the named zone's wall clock to get UTC; false when the zone has no rule.
bool ZoneBias(const std::string& zoneName, ClockReading wall, bool toUtc, long long& minutes)
{
    TimeZoneRule rule;
    if (!FindTimeZoneRule(zoneName, rule))
        return false;
    minutes = static_cast<long long>(rule.Bias) +
              (DaylightInForce(rule, wall, toUtc) ? rule.DaylightBias : rule.StandardBias);
    return true;
}

// The moment (the UTC wall clock) of a named zone's wall clock. A zone without a rule leaves
// the reading as it is: its clock is taken as UTC.
ClockReading ZoneToUtc(const std::string& zoneName, ClockReading wall)
{
    long long minutes = 0;
    return ZoneBias(zoneName, wall, true, minutes) ? wall + minutes * 60 : wall;
}

// The named zone's wall clock at a moment.
ClockReading UtcToZone(const std::string& zoneName, ClockReading utc)
{
    long long minutes = 0;
    return ZoneBias(zoneName, utc, false, minutes) ? utc - minutes * 60 : utc;
}

} // namespace

bool ConvertTimeZone(const std::string& zoneName, std::time_t in, std::time_t& out, bool toUtc)
{
    out = in;
    const ClockReading wall = WallClockOf(in);
    if (zoneName.empty()) {
        // A local value is its own moment, and the moment is the UTC reading: to UTC, build the
        // value that shows it; from UTC, the moment itself shows the user's clock.
        out = toUtc ? ValueOfWallClock(in) : static_cast<std::time_t>(wall);
        return true;
    }
    long long minutes = 0;
    if (!ZoneBias(zoneName, wall, toUtc, minutes))
        return false;
    out = ValueOfWallClock(toUtc ? wall + minutes * 60 : wall - minutes * 60);
    return true;
}

std::time_t SiteToLocal(const std::string& zoneName, std::time_t t)
{
    // The moment of the site's reading is the value that shows the user's clock.
    return zoneName.empty() ? t : static_cast<std::time_t>(ZoneToUtc(zoneName, WallClockOf(t)));
}

std::time_t LocalToSite(const std::string& zoneName, std::time_t t)
{
    return zoneName.empty() ? t : ValueOfWallClock(UtcToZone(zoneName, t));
}

std::time_t ShiftTimeZone(const std::string& fromZone, const std::string& toZone, std::time_t t)
{
    return LocalToSite(toZone, SiteToLocal(fromZone, t));
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
