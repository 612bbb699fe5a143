#pragma once
// Wall-clock values and a pinned "now" for the Excite, iBazar and CNET page tests.

#include "text/ReferenceData.h"
#include "text/SiteDate.h"

#include <ctime>
#include <string>

// A site time as the page reader builds it: the local reading shows the site's wall clock.
inline std::time_t WallClock(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = -1;
    return std::mktime(&fields);
}

// Pins CurrentTime() and points the reference data at the shipped file for one test.
class CPinnedClock
{
public:
    explicit CPinnedClock(std::time_t now)
    {
        SetNowFunction([now] { return now; });
        SetReferenceDataFile(std::string(LW_SOURCE_DIR) + "/resources/Lotward.dat");
    }
    ~CPinnedClock()
    {
        SetNowFunction({});
        SetReferenceDataFile(DefaultReferenceDataPath());
    }
    CPinnedClock(const CPinnedClock&) = delete;
    CPinnedClock& operator=(const CPinnedClock&) = delete;
};
