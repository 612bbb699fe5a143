#pragma once
// Reading the dates that auction sites print, and moving times between a site's clock,
// UTC and the user's clock.
//
// A time value is seconds since 1970-01-01 00:00 UTC, 0 meaning "no date". A site time is
// the value whose local-time reading shows the site's wall clock (built with mktime), and
// zone shifts are applied as elapsed minutes.

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

std::time_t TransitionDate(const TransitionRule& date, int year);

// True when both transition dates recur every year (wYear 0) with a month set.
bool ObservesDaylight(const TimeZoneRule& rule);

// Reads the 19 "#"-separated numbers of a zone row (Bias, StandardBias, DaylightBias, then the
// eight fields of StandardDate and of DaylightDate); false unless there are exactly 19 parts.
bool ParseTimeZoneRule(const std::string& numbers, TimeZoneRule& rule);

// The rule of a named zone from the "TZ" rows of the reference data (exact, case-sensitive
// name). The user's own zone ("") has no rule here: ConvertTimeZone reads it from the C library.
bool FindTimeZoneRule(const std::string& zoneName, TimeZoneRule& rule);

// zoneName "" is the user's own zone (the C library's local time).
bool ConvertTimeZone(const std::string& zoneName, std::time_t in, std::time_t& out, bool toUtc);
std::time_t SiteToLocal(const std::string& zoneName, std::time_t t);
std::time_t LocalToSite(const std::string& zoneName, std::time_t t);

// "Now" as durations (style 4) and purge tests see it; tests replace it to be exact.
using NowFunction = std::function<std::time_t()>;
void SetNowFunction(NowFunction now); // an empty function restores the real clock
std::time_t CurrentTime();
