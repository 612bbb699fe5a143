// Items that end next to a daylight-saving change, refreshed end to end by lotwarden through the
// simulator for users in Paris and in New York: an eBay item (Pacific time on the page) and a
// Yahoo France item (Pacific time in the English rendering, kept on the Paris clock) must show
// their true local end, and the end alarm must fire in the right minute.

#include "SimProcess.h"

#include "core/document/LotwardDoc.h"
#include "core/item/Item.h"
#include "text/ReferenceData.h"
#include "text/SiteDate.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace {

std::time_t Utc(int year, int month, int day, int hour, int minute)
{
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    return timegm(&fields);
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

struct Ending
{
    const char* ebayEnds;    // the eBay page's text
    const char* yahooCloses; // the Yahoo calendar link's Pacific time
    std::time_t moment;
    std::time_t pacificReading; // the moment on each site's clock, as UTC readings
    std::time_t parisReading;
};

// Each end lies next to a change of the Paris or the New York clock, where adding elapsed
// seconds to a wall-clock reading went an hour wrong.
const Ending kEndings[] = {
    // 04:00 UTC on 26 March: Paris has just sprung forward (06:00), the Pacific clock has not.
    {"Mar-25-00 20:00:00 PST", "20000325t200000", Utc(2000, 3, 26, 4, 0), Utc(2000, 3, 25, 20, 0),
     Utc(2000, 3, 26, 6, 0)},
    // 03:00 UTC on 29 October: Paris has just fallen back (04:00), the Pacific clock has not.
    {"Oct-28-00 20:00:00 PDT", "20001028t200000", Utc(2000, 10, 29, 3, 0), Utc(2000, 10, 28, 20, 0),
     Utc(2000, 10, 29, 4, 0)},
    // 07:30 UTC on 2 April: New York has just sprung forward (03:30), the Pacific clock has not.
    {"Apr-01-00 23:30:00 PST", "20000401t233000", Utc(2000, 4, 2, 7, 30), Utc(2000, 4, 1, 23, 30),
     Utc(2000, 4, 2, 9, 30)},
    // 06:00 UTC on 29 October: New York has just fallen back (01:00, its second one).
    {"Oct-28-00 23:00:00 PDT", "20001028t230000", Utc(2000, 10, 29, 6, 0), Utc(2000, 10, 28, 23, 0),
     Utc(2000, 10, 29, 7, 0)},
};

class ClockChangeEndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "lw-e2e-clock-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        const std::string scenario = (dir / "clock.scn").string();
        std::ofstream out(scenario);
        for (std::size_t i = 0; i < std::size(kEndings); ++i) {
            out << "[ebay-item " << 1500000000 + i << "]\ntitle = Lamp " << i << "\nfirst-bid = $10.00\n"
                << "seller = lamps\nstarted = Mar-01-00 10:00:00 PST\nends = " << kEndings[i].ebayEnds
                << "\ntime-left = 1 day\n\n";
            out << "[yahoo-item fr " << 7600000 + i << "]\ntitle = Lampe " << i
                << "\nstarted-at = FF 100.00\n"
                << "seller = lampes\nopened = Mar 1 10:00\ncloses = " << kEndings[i].yahooCloses
                << "\ncloses-text = the end\nbid = 1 FF 120.00 lumiere\n\n";
        }
        out.close();
        std::string error;
        ASSERT_TRUE(sim.Start({"--scenario", scenario}, error)) << error;
        SetReferenceDataFile(std::string(LW_SOURCE_DIR) + "/resources/Lotward.dat");
    }
    void TearDown() override
    {
        sim.Stop();
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    // Runs lotwarden with the user's zone; returns its exit code.
    int Lotwarden(const std::string& zone, const std::string& arguments)
    {
        const std::string command = "http_proxy=" + sim.BaseUrl() + " no_proxy= TZ=" + zone +
                                    " timeout 300 '" + std::string(LW_BIN_DIR) + "/lotwarden' " + arguments +
                                    " >/dev/null 2>&1";
        const int raw = std::system(command.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    SimProcess sim;
    std::filesystem::path dir;
};

TEST_F(ClockChangeEndToEnd, EndsNextToClockChangesShowTheTrueLocalEndAndAlarmOnTheMinute)
{
    for (const char* zone : {"Europe/Paris", "America/New_York"}) {
        SCOPED_TRACE(zone);
        const std::string list =
            (dir / (std::string(zone == std::string("Europe/Paris") ? "paris" : "ny") + ".lwd")).string();
        std::string urls;
        for (std::size_t i = 0; i < std::size(kEndings); ++i)
            urls += " http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem\\&item=" +
                    std::to_string(1500000000 + i) + " http://fr.page.auctions.yahoo.com/auction/" +
                    std::to_string(7600000 + i);
        ASSERT_EQ(Lotwarden(zone, "new '" + list + "'"), 0);
        ASSERT_EQ(Lotwarden(zone, "add '" + list + "'" + urls), 0);
        ASSERT_EQ(Lotwarden(zone, "refresh '" + list + "'"), 0);

        // The watch list opened on the same clock, as the desktop program opens it.
        ZoneGuard guard(zone);
        CLotwardDoc doc;
        ASSERT_TRUE(doc.OnOpenDocument(list));
        ASSERT_EQ(doc.GetItemCount(), 2 * static_cast<int>(std::size(kEndings)));
        for (int position = 0; position < doc.GetItemCount(); ++position) {
            CItem& item = *doc.GetItem(position);
            const bool ebay = item.GetItemNumber().size() == 10;
            const Ending& ending = kEndings[std::stoul(item.GetItemNumber()) % 10];
            SCOPED_TRACE(item.GetItemNumber());
            EXPECT_EQ(item.GetEndDateLocal(), ending.moment);
            // The stored end keeps the site's clock: Pacific for eBay, Paris for Yahoo France.
            EXPECT_EQ(WallClockOf(item.GetEndDate()), ebay ? ending.pacificReading : ending.parisReading);

            item.SetAlarmMode(kAlarmEnd);
            item.SetAlarmSeconds(300);
            EXPECT_FALSE(item.CheckAlarm(ending.moment - 300)) << "a minute early";
            EXPECT_TRUE(item.CheckAlarm(ending.moment - 240)) << "within the minute";
        }
    }
}

} // namespace
