#include "text/ReferenceData.h"
#include "text/SiteDate.h"

#include <gtest/gtest.h>

#include <climits>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <vector>

namespace {

const std::string kZones = std::string(LW_TEST_DATA_DIR) + "/text/tz.dat";
const std::string kShipped = std::string(LW_SOURCE_DIR) + "/resources/Lotward.dat";

std::time_t Local(int year, int month, int day, int hour, int minute = 0, int second = 0)
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

// Switches the process's C-library zone for the lifetime of the object.
class ZoneGuard
{
public:
    explicit ZoneGuard(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            saved = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneGuard()
    {
        if (saved)
            setenv("TZ", saved->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> saved;
};

class SiteDate : public ::testing::Test
{
protected:
    void SetUp() override { SetReferenceDataFile(kZones); }
    void TearDown() override { SetNowFunction({}); }
};

TEST_F(SiteDate, MonthNames)
{
    const std::pair<const char*, int> cases[] = {
        {"FEVRIER", 2},   {"f\xE9vrier", 2}, {"Maggio", 0},     {"Puede", 5},      {"mai", 5},
        {"Mar\xE7o", 3},  {"Marco", 3},      {"M\xE4rz", 3},    {"Marz", 3},       {"ao\xFBt", 8},
        {"AOUT", 8},      {"Marcha", 3},     {"dezember", 12},  {"F\xC9VRIER", 0}, {"", 0},
        {"janvier ", 0},  {"Mag", 5},        {"giugno", 6},
    };
    for (const auto& [text, month] : cases)
        EXPECT_EQ(MonthFromName(text), month) << text;

    EXPECT_EQ(MonthFromAbbreviation("mar"), 3);
    EXPECT_EQ(MonthFromAbbreviation("DEC"), 12);
    EXPECT_EQ(MonthFromAbbreviation("March"), 0);
}

struct DateCase
{
    int style;
    std::string text;
    int defaultYear, defaultSecond;
    bool valid;
    int year, month, day, hour, minute, second;
};

TEST_F(SiteDate, AbsoluteStyles)
{
    const DateCase cases[] = {
        {1, "03/05/00 18:30:00", 0, 0, true, 2000, 3, 5, 18, 30, 0},
        {1, "  \t03/05/00 18:30:00 PST", 0, 0, true, 2000, 3, 5, 18, 30, 0},
        {1, "Mar-05-00 18:30:00 PST", 0, 0, true, 2000, 3, 5, 18, 30, 0},
        {1, "mar-05-00 18:30:00", 0, 0, true, 2000, 3, 5, 18, 30, 0},
        {1, "Mar-05-00", 0, 0, false},
        {1, "Xyz-05-00 18:30:00", 0, 0, false},
        {1, "03/05/00", 0, 0, false},
        {2, "20000305t183000", 0, 0, true, 2000, 3, 5, 18, 30, 0},
        {2, "20000305T183000", 0, 0, false},
        {3, "Mar 5 18:30", 2000, 59, true, 2000, 3, 5, 18, 30, 59},
        {3, "March 5 18:30", 2000, 59, false},
        {3, std::string(200, 'M') + " 5 18:30", 2000, 59, false},
        {5, "3/5 12PM", 2000, 0, true, 2000, 3, 5, 12, 0, 0},
        {5, "3/5 12AM", 2000, 0, true, 2000, 3, 5, 0, 0, 0},
        {5, "3/5 1PM", 2000, 0, true, 2000, 3, 5, 13, 0, 0},
        {5, "3/5 9AM", 2000, 0, true, 2000, 3, 5, 9, 0, 0},
        {5, "3/5", 2000, 0, false},
        {6, "Le 1er mars 2000", 0, 0, true, 2000, 3, 1, 0, 0, 0},
        {6, "3 ao\xFBt 2000", 0, 0, true, 2000, 8, 3, 0, 0, 0},
        {6, "3 aout 2000", 0, 0, true, 2000, 8, 3, 0, 0, 0},
        {6, "Il 3 Maggio 2000", 0, 0, false},
        {6, "3 " + std::string(100, 'a') + " 2000", 0, 0, false},
        {7, "Le 3 mars \xE0 18h30", 2000, 0, true, 2000, 3, 3, 18, 30, 0},
        {7, "3 mars", 2000, 0, true, 2000, 3, 3, 23, 59, 0},
        {7, "3 foo", 2000, 0, false},
        {8, "03/05/2000 6:30 PM", 0, 0, true, 2000, 3, 5, 18, 30, 0},
        {8, "03/05/00 12:15 AM", 0, 0, true, 2000, 3, 5, 0, 15, 0},
        {8, "03/05/00 12:15 PM", 0, 0, true, 2000, 3, 5, 12, 15, 0},
        {8, "03/05/00", 0, 0, false},
        // Year rule.
        {6, "1 mars 49", 0, 0, true, 2049, 3, 1, 0, 0, 0},
        {6, "1 mars 50", 0, 0, true, 1950, 3, 1, 0, 0, 0},
        {6, "1 mars 1949", 0, 0, true, 2049, 3, 1, 0, 0, 0},
        {6, "1 mars 1999", 0, 0, true, 1999, 3, 1, 0, 0, 0},
        {3, "Mar 5 18:30", 0, 0, true, 2000, 3, 5, 18, 30, 0},
        // Fields out of range go to the calendar as they are.
        {1, "13/01/00 00:00:00", 0, 0, true, 2001, 1, 1, 0, 0, 0},
        // Numbers far too large are refused, not overflowed.
        {8, "1/1/2000 99999999999:00 PM", 0, 0, false},
        {0, "03/05/00 18:30:00", 0, 0, false},
        {9, "03/05/00 18:30:00", 0, 0, false},
        {1, "", 0, 0, false},
    };
    for (const DateCase& c : cases)
    {
        std::time_t out = 12345;
        const bool valid = ParseSiteDate(c.text, out, c.style, c.defaultYear, c.defaultSecond);
        EXPECT_EQ(valid, c.valid) << "style " << c.style << " '" << c.text << "'";
        const std::time_t expected =
            c.valid ? Local(c.year, c.month, c.day, c.hour, c.minute, c.second) : std::time_t(12345);
        EXPECT_EQ(out, expected) << "style " << c.style << " '" << c.text << "'";
    }
}

TEST_F(SiteDate, DurationsCountFromNow)
{
    const std::time_t now = Local(2000, 3, 5, 12);
    SetNowFunction([now] { return now; });
    const struct
    {
        std::string text;
        bool valid;
        long long seconds;
    } cases[] = {
        {"2 jours 3 heures", true, 2 * 86400 + 3 * 3600},
        {"5 minutes", true, 300},
        {"2 days", false, 0},
        {"1 day 2 hours 3 minutes 4 seconds", true, 86400 + 7200 + 180 + 4},
        {"3 giorni 4 ore", true, 3 * 86400 + 4 * 3600},
        {"1 dias 2 horas 3 minutos", true, 86400 + 7200 + 180},
        {"10 secondes", true, 10},
        // Every language of the sites, singular, plural and accented (Windows-1252).
        {"1 d\xED"
         "a 2 horas",
         true, 86400 + 7200},
        {"2 d\xED"
         "as 3 horas",
         true, 2 * 86400 + 3 * 3600},
        {"1 dia 2 horas", true, 86400 + 7200},
        {"2 D\xCD"
         "AS 1 HORA 5 MINUTOS 1 SEGUNDO",
         true, 2 * 86400 + 3600 + 300 + 1},
        {"1 d\xED"
         "a",
         false, 0},
        {"1 giorno 1 ora 2 minuti 3 secondi", true, 86400 + 3600 + 120 + 3},
        {"1 jour 1 heure 1 minute 1 seconde", true, 86400 + 3600 + 60 + 1},
        {"1 Tag 2 Stunden 3 Minuten", true, 86400 + 7200 + 180},
        {"2j 3h 15mn", true, 2 * 86400 + 3 * 3600 + 900},
        {"3 heures, 2 jours", true, 2 * 86400 + 3 * 3600},
        {"hour", true, 0},
        {"no time here", false, 0},
    };
    for (const auto& c : cases)
    {
        std::time_t out = 0;
        EXPECT_EQ(ParseSiteDate(c.text, out, 4), c.valid) << c.text;
        if (c.valid)
        {
            EXPECT_EQ(out - now, c.seconds) << c.text;
        }
    }
}

TEST_F(SiteDate, TransitionDates)
{
    const struct
    {
        TransitionRule rule;
        int year;
        std::time_t expected;
    } cases[] = {
        {{0, 4, 0, 1, 2}, 2000, Local(2000, 4, 2, 2)},   // first Sunday of April
        {{0, 10, 0, 5, 2}, 2000, Local(2000, 10, 29, 2)}, // last Sunday of October
        {{0, 10, 0, 4, 2}, 2000, Local(2000, 10, 22, 2)},
        {{0, 4, 0, 5, 2}, 2001, Local(2001, 4, 29, 2)},   // a month with only four Sundays
        {{0, 9, 3, 5, 2}, 2000, Local(2000, 9, 27, 2)},   // a Wednesday
        {{0, 4, 9, 1, 2}, 2000, Local(2000, 4, 1, 2)},    // no such weekday: first of the month
    };
    for (const auto& c : cases)
        EXPECT_EQ(TransitionDate(c.rule, c.year), c.expected) << c.rule.wMonth << "/" << c.rule.wDay;
}

// Local clocks that shift in the months the rules name, at midnight included: the transition is
// a reading of the calendar, so the user's own clock changes never move it.
TEST_F(SiteDate, TransitionDatesReadTheRuleOnAnyLocalClock)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (const char* zone : {"Europe/Paris", "Australia/Sydney", "America/Sao_Paulo", "UTC"})
    {
        ZoneGuard guard(zone);
        for (int year = 1999; year <= 2005; ++year)
            for (std::uint16_t month = 1; month <= 12; ++month)
                for (std::uint16_t weekday = 0; weekday <= 6; ++weekday)
                    for (std::uint16_t occurrence = 1; occurrence <= 5; ++occurrence)
                        for (std::uint16_t hour : {0, 1, 2, 3, 12, 23})
                        {
                            const TransitionRule rule{0, month, weekday, occurrence, hour};
                            const std::time_t wall = TransitionWallClock(rule, year);
                            std::tm reading{};
                            gmtime_r(&wall, &reading);
                            const int days = kDays[month - 1] + (month == 2 && year % 4 == 0 ? 1 : 0);
                            const bool rightWeek = occurrence == 5
                                                       ? reading.tm_mday + 7 > days
                                                       : (reading.tm_mday - 1) / 7 + 1 == occurrence;
                            ASSERT_TRUE(reading.tm_year + 1900 == year && reading.tm_mon + 1 == month &&
                                        reading.tm_wday == weekday && reading.tm_hour == hour && rightWeek)
                                << zone << " " << year << "/" << month << " weekday " << weekday << " #"
                                << occurrence << " " << hour << "h";
                            const std::time_t value = TransitionDate(rule, year);
                            if (WallClockOf(value) != wall) // only a reading the local clock skips
                            {
                                ASSERT_EQ(WallClockOf(value), wall - 3600)
                                    << zone << " " << year << "/" << month;
                            }
                        }
    }
}

TEST_F(SiteDate, ZoneRules)
{
    TimeZoneRule rule;
    ASSERT_TRUE(FindTimeZoneRule("Eastern", rule));
    EXPECT_EQ(rule.Bias, 300);
    EXPECT_EQ(rule.DaylightBias, -60);
    EXPECT_EQ(rule.StandardDate.wMonth, 10);
    EXPECT_EQ(rule.StandardDate.wDay, 5);
    EXPECT_EQ(rule.DaylightDate.wMonth, 4);
    EXPECT_TRUE(ObservesDaylight(rule));

    ASSERT_TRUE(FindTimeZoneRule(" Padded", rule)); // blanks, a sign and trailing junk in numbers
    EXPECT_EQ(rule.Bias, 300);
    EXPECT_EQ(rule.StandardDate.wHour, 2);

    ASSERT_TRUE(FindTimeZoneRule("Mexico", rule));
    EXPECT_FALSE(ObservesDaylight(rule));
    ASSERT_TRUE(FindTimeZoneRule("Dated Rule", rule));
    EXPECT_FALSE(ObservesDaylight(rule));

    EXPECT_FALSE(FindTimeZoneRule("eastern", rule));
    EXPECT_FALSE(FindTimeZoneRule("Short Row", rule));
    EXPECT_FALSE(FindTimeZoneRule("Long Row", rule));
    EXPECT_FALSE(FindTimeZoneRule("", rule));
}

TEST_F(SiteDate, ConvertTimeZoneWithRules)
{
    const struct
    {
        const char* zone;
        std::time_t in;
        bool toUtc;
        bool found;
        std::time_t out;
    } cases[] = {
        {"Eastern", Local(2000, 7, 1, 12), true, true, Local(2000, 7, 1, 16)},
        {"Eastern", Local(2000, 1, 1, 12), true, true, Local(2000, 1, 1, 17)},
        {"Eastern", Local(2000, 7, 1, 16), false, true, Local(2000, 7, 1, 12)},
        {"Eastern", Local(2000, 1, 1, 17), false, true, Local(2000, 1, 1, 12)},
        {"AUS Eastern", Local(2000, 1, 15, 12), true, true, Local(2000, 1, 15, 1)},  // daylight: UTC+11
        {"AUS Eastern", Local(2000, 7, 15, 12), true, true, Local(2000, 7, 15, 2)},  // standard: UTC+10
        {"AUS Eastern", Local(2000, 1, 15, 1), false, true, Local(2000, 1, 15, 12)},
        {"Mexico", Local(2000, 7, 1, 12), true, true, Local(2000, 7, 1, 18)},
        {"Romance", Local(2000, 7, 1, 12), true, true, Local(2000, 7, 1, 10)},
        {"Nowhere", Local(2000, 7, 1, 12), true, false, Local(2000, 7, 1, 12)},
        {"Short Row", Local(2000, 7, 1, 12), true, false, Local(2000, 7, 1, 12)},
    };
    for (const auto& c : cases)
    {
        std::time_t out = 0;
        EXPECT_EQ(ConvertTimeZone(c.zone, c.in, out, c.toUtc), c.found) << c.zone;
        EXPECT_EQ(out, c.out) << c.zone << (c.toUtc ? " to UTC" : " from UTC");
    }
}

TEST_F(SiteDate, SiteAndLocalClocks)
{
    // The tests run on Paris time: UTC+2 in July 2000, UTC+1 in January.
    EXPECT_EQ(SiteToLocal("Eastern", Local(2000, 7, 1, 12)), Local(2000, 7, 1, 18));
    EXPECT_EQ(SiteToLocal("Pacific", Local(2000, 1, 1, 12)), Local(2000, 1, 1, 21));
    EXPECT_EQ(LocalToSite("Eastern", Local(2000, 1, 1, 12)), Local(2000, 1, 1, 6));
    EXPECT_EQ(LocalToSite("Romance", Local(2000, 7, 1, 12)), Local(2000, 7, 1, 12));
    // A zone missing from the data: the site clock is taken as UTC.
    EXPECT_EQ(SiteToLocal("Nowhere", Local(2000, 7, 1, 12)), Local(2000, 7, 1, 14));

    std::time_t out = 0;
    EXPECT_TRUE(ConvertTimeZone("", Local(2000, 7, 1, 12), out, true));
    EXPECT_EQ(out, Local(2000, 7, 1, 10));
    EXPECT_TRUE(ConvertTimeZone("", Local(2000, 1, 1, 10), out, false));
    EXPECT_EQ(out, Local(2000, 1, 1, 11));
}

// Found by fuzzing: a page date with an absurd hour count gave a time value whose calendar
// year overflowed int while the daylight rule was looked up.
TEST_F(SiteDate, TimesBeyondAnyCalendarYearConvertWithoutDaylight)
{
    const std::time_t farOut = static_cast<std::time_t>(INT_MAX - 1000LL) * 31556952LL;
    std::time_t out = 0;
    ASSERT_TRUE(ConvertTimeZone("Eastern", farOut, out, true));
    EXPECT_EQ(out, farOut + 5 * 3600); // standard time: no transition date exists that far out

    std::time_t parsed = 0;
    if (ParseSiteDate("03//0500 6555555555555555555:30 2000 6:30 PMPM", parsed, 8))
        for (const char* zone : {"Pacific", "Romance", "AUS Eastern", ""})
            LocalToSite(zone, SiteToLocal(zone, parsed));
}

TEST_F(SiteDate, MissingDataFileLeavesTimesUnconverted)
{
    SetReferenceDataFile("/nonexistent/Lotward.dat");
    std::time_t out = 0;
    EXPECT_FALSE(ConvertTimeZone("Eastern", 1000, out, true));
    EXPECT_EQ(out, 1000);
}

// Every whole hour of 1999 to 2005 converted by the zone rows must agree with the tz database
// (the US rule of those years is the one the rows hold). Wall clocks are built on a UTC clock
// so that no local transition gets in the way.
void CrossCheckWithTzData(const std::string& dataFile)
{
    if (!std::filesystem::exists("/usr/share/zoneinfo/America/Los_Angeles"))
        GTEST_SKIP() << "no tz database";
    SetReferenceDataFile(dataFile);
    const std::pair<const char*, const char*> zones[] = {{"Pacific", "America/Los_Angeles"},
                                                         {"Eastern", "America/New_York"},
                                                         {"Romance", "Europe/Paris"},
                                                         {"W. Europe", "Europe/Berlin"}};
    std::tm startFields{};
    startFields.tm_year = 99;
    startFields.tm_mday = 1;
    std::tm endFields = startFields;
    endFields.tm_year = 106;
    const std::time_t start = timegm(&startFields), end = timegm(&endFields);

    for (const auto& [zone, tzName] : zones)
    {
        std::map<std::time_t, std::time_t> wallOf; // UTC moment -> zone wall clock on a UTC clock
        {
            ZoneGuard guard(tzName);
            for (std::time_t u = start - 3600; u <= end + 3600; u += 3600)
            {
                std::tm reading{};
                localtime_r(&u, &reading);
                wallOf[u] = timegm(&reading);
            }
        }
        ZoneGuard utc("UTC");
        long compared = 0, skipped = 0;
        for (std::time_t u = start; u < end; u += 3600)
        {
            const std::time_t wall = wallOf[u];
            std::time_t out = 0;
            ASSERT_TRUE(ConvertTimeZone(zone, u, out, false)) << zone;
            ASSERT_EQ(out, wall) << zone << " from UTC at " << u;
            if (wallOf[u - 3600] != wall && wallOf[u + 3600] != wall) // the wall clock occurs once
            {
                ASSERT_TRUE(ConvertTimeZone(zone, wall, out, true));
                ASSERT_EQ(out, u) << zone << " to UTC at " << u;
                ++compared;
            }
            else
                ++skipped;
        }
        std::printf("%s: %ld hours compared both ways, %ld ambiguous hours compared from UTC only\n", zone,
                    compared, skipped);
        EXPECT_GT(compared, 60000);
    }
}

TEST_F(SiteDate, ZoneRowsAgreeWithTzDatabase)
{
    CrossCheckWithTzData(kZones);
}

TEST_F(SiteDate, ShippedZoneRowsAgreeWithTzDatabase)
{
    if (!std::filesystem::exists(kShipped))
        GTEST_SKIP() << "no " << kShipped;
    CrossCheckWithTzData(kShipped);
}

// Every hour of 1999 to 2002, seen by users in five zones: the site's reading (from the tz
// database) turned into the user's clock, the user's moment turned into the site's reading, and
// a U.S. Pacific reading re-expressed on the site's clock, must all agree with the tz database.
// Only the rows whose rules the tz database shares for those years take part. These differ from
// history there, and their rules are what the program goes by: "GMT" changes an hour later than
// the U.K. did, "AUS Eastern" and "New Zealand" end daylight time an hour early (and the first
// knows nothing of the early start of 2000), "E. South America" has one rule for Brazil's yearly
// dates, "Mexico" has no daylight time.
// Readings excluded: a site reading its own clock shows twice (its page cannot tell which), and
// a site reading the user's clock skips, which must come out exactly one hour early.
TEST_F(SiteDate, SiteAndLocalClocksAgreeWithTzDatabaseForEveryUserZone)
{
    if (!std::filesystem::exists("/usr/share/zoneinfo/America/Los_Angeles"))
        GTEST_SKIP() << "no tz database";
    SetReferenceDataFile(kShipped);
    const std::pair<const char*, const char*> rows[] = {
        {"Pacific", "America/Los_Angeles"}, {"Mountain", "America/Denver"}, {"Central", "America/Chicago"},
        {"Eastern", "America/New_York"},    {"Romance", "Europe/Paris"},    {"W. Europe", "Europe/Berlin"}};
    std::tm firstHour{};
    firstHour.tm_year = 99;
    firstHour.tm_mday = 1;
    const std::time_t start = timegm(&firstHour);
    const std::size_t hours = 4 * 8766 + 1;

    std::vector<std::vector<ClockReading>> readings; // per row, the site's reading of every hour
    for (const auto& row : rows) {
        ZoneGuard guard(row.second);
        std::vector<ClockReading>& wall = readings.emplace_back(hours + 2);
        for (std::size_t h = 0; h < wall.size(); ++h)
            wall[h] = WallClockOf(start + static_cast<std::time_t>(h) * 3600 - 3600);
    }
    const std::vector<ClockReading>& pacific = readings.front();

    for (const char* user :
         {"Europe/Paris", "America/New_York", "Europe/London", "America/Los_Angeles", "Australia/Sydney"}) {
        ZoneGuard guard(user);
        long wrong = 0, skipped = 0, ambiguous = 0;
        for (std::size_t r = 0; r < std::size(rows); ++r)
            for (std::size_t h = 2; h <= hours; ++h) {
                const std::time_t moment = start + static_cast<std::time_t>(h - 1) * 3600;
                const ClockReading site = readings[r][h];
                const std::time_t stored = ValueOfWallClock(site);
                const bool lost = WallClockOf(stored) != site; // the user's clock skips this reading
                if (lost)
                    ++skipped;
                const ClockReading keptSite = lost ? site - 3600 : site;
                if (WallClockOf(LocalToSite(rows[r].first, moment)) != keptSite)
                    ++wrong;
                // The national Yahoo shift: a Pacific reading lost on the user's clock is taken an
                // hour early, and so is its shift; one the Pacific clock shows twice is left out.
                if (std::string_view(rows[r].first) == "Romance") {
                    const std::time_t pacificStored = ValueOfWallClock(pacific[h]);
                    const ClockReading pacificLoss = pacific[h] - WallClockOf(pacificStored);
                    const bool pacificTwice = pacific[h - 1] == pacific[h] || pacific[h + 1] == pacific[h] ||
                                              (pacificLoss != 0 && pacific[h - 1] == pacific[h - 2]);
                    if (!pacificTwice && WallClockOf(ShiftTimeZone("Pacific", "Romance", pacificStored)) !=
                                             WallClockOf(ValueOfWallClock(site - pacificLoss)))
                        ++wrong;
                }
                if (readings[r][h - 1] == site || readings[r][h + 1] == site ||
                    (lost && readings[r][h - 1] == readings[r][h - 2])) {
                    ++ambiguous;
                    continue;
                }
                if (SiteToLocal(rows[r].first, stored) != (lost ? moment - 3600 : moment))
                    ++wrong;
            }
        std::printf("user zone %s: %ld wrong hours, %ld skipped site readings, %ld ambiguous\n", user, wrong,
                    skipped, ambiguous);
        EXPECT_EQ(wrong, 0) << user;
        EXPECT_LE(skipped, 4 * 2 * static_cast<long>(std::size(rows))) << user;
    }
}

} // namespace
