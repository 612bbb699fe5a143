#pragma once
// Reading the dates that auction sites print, and moving times between a site's clock,
// UTC and the user's clock.
//
// A time value is seconds since 1970-01-01 00:00 UTC, 0 meaning "no date". A site time is
// the value whose local-time reading shows the site's wall clock (built with the local
// calendar); a local time is the moment itself. Zone shifts are calendar arithmetic on wall
// clocks: a reading is taken apart, moved to the moment with the source zone's rules, and the
// target's reading is built from that moment, so the user's own clock changes never move it.

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

// 1-12 for "Jan" .. "Dec" (any case), else 0.
int MonthFromAbbreviation(const std::string& text);
// 1-12 for a month name in French, English, Italian, Spanish, Portuguese or German, else 0.
int MonthFromName(const std::string& text);

// Reads `text` in date style 1-8; on success stores the value in `out` and returns true,
// otherwise leaves `out` alone.
bool ParseSiteDate(const std::string& text, std::time_t& out, int style, int defaultYear = 0,
                   int defaultSecond = 0);

// One transition date of a zone rule (wYear, wMonth, wDayOfWeek, wDay, wHour ...).
struct TransitionRule
{
    std::uint16_t wYear = 0, wMonth = 0, wDayOfWeek = 0, wDay = 0, wHour = 0, wMinute = 0, wSecond = 0,
                  wMilliseconds = 0;
};

struct TimeZoneRule
{
    std::int32_t Bias = 0;
    std::int32_t StandardBias = 0;
    std::int32_t DaylightBias = 0;
    TransitionRule StandardDate;
    TransitionRule DaylightDate;
};

// A wall-clock reading as a number: its calendar fields counted in seconds from 1970-01-01
// 00:00 as if they were UTC, so that shifting a reading by a zone's offset is an addition.
using ClockReading = long long;

// The reading of a value on the user's clock.
ClockReading WallClockOf(std::time_t value);
// The value whose reading on the user's clock is `wall`. A reading that the user's clock skips
// (the hour lost when daylight time begins) is taken one skip earlier, before the change; a
// reading the clock shows twice gets one of its two values, both of which read the same.
// False when the reading lies beyond the C library's calendar.
bool ValueFromWallClock(ClockReading wall, std::time_t& out);
std::time_t ValueOfWallClock(ClockReading wall); // the wall count itself when beyond the calendar

// The transition moment of a rule date in a year, as a reading and as a local value.
ClockReading TransitionWallClock(const TransitionRule& date, int year);
std::time_t TransitionDate(const TransitionRule& date, int year);

// True when both transition dates recur every year (wYear 0) with a month set.
bool ObservesDaylight(const TimeZoneRule& rule);

// Reads the 19 "#"-separated numbers of a zone row (Bias, StandardBias, DaylightBias, then the
// eight fields of StandardDate and of DaylightDate); false unless there are exactly 19 parts.
bool ParseTimeZoneRule(const std::string& numbers, TimeZoneRule& rule);

// The rule of a named zone from the "TZ" rows of the reference data (exact, case-sensitive
// name). The user's own zone ("") has no rule here: ConvertTimeZone reads it from the C library.
bool FindTimeZoneRule(const std::string& zoneName, TimeZoneRule& rule);

// `in` and `out` are values that show wall clocks: with `toUtc`, `in` shows the zone's clock and
// `out` the UTC clock of the same moment; without, the other way round. zoneName "" is the
// user's own zone (the C library's local time).
bool ConvertTimeZone(const std::string& zoneName, std::time_t in, std::time_t& out, bool toUtc);
std::time_t SiteToLocal(const std::string& zoneName, std::time_t t);
std::time_t LocalToSite(const std::string& zoneName, std::time_t t);
// A reading on one zone's clock re-expressed on another's ("" is the user's own zone).
std::time_t ShiftTimeZone(const std::string& fromZone, const std::string& toZone, std::time_t t);

// "Now" as durations (style 4) and purge tests see it; tests replace it to be exact.
using NowFunction = std::function<std::time_t()>;
void SetNowFunction(NowFunction now); // an empty function restores the real clock
std::time_t CurrentTime();
