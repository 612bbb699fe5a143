// Yahoo items refreshed end to end: the simulator serves the country sites' pages, lotwarden
// reaches them through http_proxy as the real item URLs, and the watch list keeps what the
// adapters read, for English-site items (one download) and a national item (two downloads).

#include "SimProcess.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

namespace {

std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs a shell command line and returns its standard output and error; `status` gets the exit code.
std::string RunCommand(const std::string& command, int& status)
{
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        status = -1;
        return output;
    }
    std::array<char, 4096> buffer{};
    std::size_t n = 0;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        output.append(buffer.data(), n);
    const int raw = pclose(pipe);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return output;
}

std::time_t WallClock(int year, int month, int day, int hour, int minute, int second)
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

class YahooRefresh : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "lw-e2e-yahoo-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        std::string error;
        ASSERT_TRUE(sim.Start({"--scenario", std::string(LW_SOURCE_DIR) + "/tools/auction-sim/scenarios/yahoo-demo.scn"},
                              error))
            << error;
        watchList = (dir / "watch.lwd").string();
    }
    void TearDown() override
    {
        sim.Stop();
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    std::string Lotwarden(const std::string& arguments, int& status)
    {
        return RunCommand(Quote(std::string(LW_BIN_DIR) + "/lotwarden") + " " + arguments, status);
    }

    // The JSON line of one item in "show --json".
    static std::string ItemLine(const std::string& json, const std::string& number)
    {
        const std::size_t at = json.find("\"itemNumber\": \"" + number + "\"");
        if (at == std::string::npos)
            return {};
        const std::size_t start = json.rfind('\n', at) + 1;
        return json.substr(start, json.find('\n', at) - start);
    }

    static std::string Field(const std::string& name, const std::string& value)
    {
        return "\"" + name + "\": \"" + value + "\"";
    }
    static std::string Field(const std::string& name, long long value)
    {
        return "\"" + name + "\": " + std::to_string(value) + ",";
    }

    SimProcess sim;
    std::filesystem::path dir;
    std::string watchList;
};

TEST_F(YahooRefresh, EnglishAndNationalItemsReadThroughTheSimulator)
{
    int status = 0;
    Lotwarden("new " + Quote(watchList), status);
    ASSERT_EQ(status, 0);
    const char* const urls[] = {
        "http://page.auctions.yahoo.com/auction/12345678",    "http://page.auctions.yahoo.com/auction/12345679",
        "http://page.auctions.yahoo.com/auction/12345680",    "http://page.auctions.yahoo.com/auction/12345681",
        "http://uk.page.auctions.yahoo.com/uk/auction/5551234", "http://ca.page.auctions.yahoo.com/auction/7773456",
        "http://fr.page.auctions.yahoo.com/auction/7654321",  "http://de.page.auctions.yahoo.com/de/auction/8881003",
    };
    std::string added;
    for (const char* url : urls)
        added += " " + Quote(url);
    const std::string addOutput = Lotwarden("add " + Quote(watchList) + added, status);
    ASSERT_EQ(status, 0) << addOutput;

    const std::string refreshOutput =
        RunCommand("http_proxy=" + sim.BaseUrl() + " no_proxy= timeout 300 " + Quote(std::string(LW_BIN_DIR) + "/lotwarden") +
                " refresh " + Quote(watchList),
            status);
    ASSERT_EQ(status, 0) << refreshOutput;

    const std::string json = Lotwarden("show " + Quote(watchList) + " --json --page-text", status);
    ASSERT_EQ(status, 0) << json;

    struct Expected
    {
        const char* number;
        const char* description;
        const char* currentPrice;
        const char* currentBuyer;
        int finished;
        std::time_t startDate;
        std::time_t endDate;
    };
    const std::time_t march5 = WallClock(2000, 3, 5, 18, 30, 0);
    const std::time_t march12 = WallClock(2000, 3, 12, 18, 30, 0);
    const Expected items[] = {
        {"12345678", "Vintage tin wind-up robot & original box", "$45.00", "robotfan", 0, march5, march12},
        {"12345679", "Brass ship's lantern", "$25.00", "", 0, WallClock(2000, 3, 6, 9, 0, 0),
         WallClock(2000, 3, 13, 9, 0, 0)},
        {"12345680", "Signed baseball, 1961 Yankees", "$820.00", "mantlefan", 1, WallClock(2000, 2, 20, 12, 0, 0),
         WallClock(2000, 2, 27, 12, 0, 0)},
        {"12345681", "Millennium party hats, box of 50", "$12.00", "newyear2k", 0, WallClock(1999, 12, 28, 10, 15, 30),
         WallClock(2000, 1, 2, 10, 15, 30)},
        {"5551234", "Dinky Toys Routemaster bus", "\xC2\xA3" "31.00", "busfan", 0, march5, march12},
        {"7773456", "Hockey card lot, 1970s", "C$48.00", "habsfan", 0, march5, march12},
        // National sites: the fields of the English rendering, with Pacific times moved to the
        // country's clock (nine hours on in March 2000).
        {"7654321", "Tin wind-up robot", "FF 300.00", "robotfan", 0, WallClock(2000, 3, 6, 3, 30, 0),
         WallClock(2000, 3, 13, 3, 30, 0)},
        {"8881003", "Steiff teddy bear", "DM 420.00", "sammler", 0, WallClock(2000, 3, 6, 3, 30, 0),
         WallClock(2000, 3, 13, 3, 30, 0)},
    };
    for (const Expected& e : items) {
        SCOPED_TRACE(e.number);
        const std::string line = ItemLine(json, e.number);
        ASSERT_FALSE(line.empty()) << json;
        EXPECT_NE(line.find(Field("description", e.description)), std::string::npos) << line;
        EXPECT_NE(line.find(Field("currentPrice", e.currentPrice)), std::string::npos) << line;
        EXPECT_NE(line.find(Field("currentBuyer", e.currentBuyer)), std::string::npos) << line;
        EXPECT_NE(line.find(Field("finished", e.finished)), std::string::npos) << line;
        EXPECT_NE(line.find(Field("startDate", e.startDate)), std::string::npos) << line;
        EXPECT_NE(line.find(Field("endDate", e.endDate)), std::string::npos) << line;
    }

    // The national item's pane shows the national page (second download), with its countdown
    // and links made absolute on the country host.
    const std::string france = ItemLine(json, "7654321");
    EXPECT_NE(france.find("Robot m\xC3\xA9" "canique en fer blanc"), std::string::npos);
    EXPECT_NE(france.find("Ench\xC3\xA8re actuelle"), std::string::npos);
    EXPECT_EQ(france.find("Current Bid:"), std::string::npos);
    EXPECT_NE(france.find("'http://fr.page.auctions.yahoo.com/fr/show/countdown?aID=7654321'"), std::string::npos);
    EXPECT_NE(france.find("http://fr.page.auctions.yahoo.com/fr/show/bid?aID=7654321"), std::string::npos);
    // An English site's pane is its own page, the countdown on the main site.
    const std::string us = ItemLine(json, "12345678");
    EXPECT_NE(us.find("'http://page.auctions.yahoo.com/show/countdown?aID=12345678'"), std::string::npos);
    EXPECT_NE(us.find("Current Bid:"), std::string::npos);
}

} // namespace
