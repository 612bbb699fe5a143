// Refreshing Amazon and Aucland items end to end: lotwarden downloads the real item URLs through
// http_proxy from the auction simulator, reads the pages (and Aucland's bid history when the item
// page shows a buyer without a count of bids) and saves the items.

#include "../sim/SimProcess.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

const char kScenario[] =
    "[amazon-item 12345678]\n"
    "title = Star Wars Boba Fett figure 1979\n"
    "category = Toys & Games / Action Figures\n"
    "current-bid = $27.50\n"
    "minimum-bid = $28.50\n"
    "bids = 3\n"
    "starting-bid = $5.00\n"
    "high-bidder = fettcollector\n"
    "seller = galaxytoys\n"
    "location = Seattle, WA\n"
    "started = 03/05/00 18:30:00 PST\n"
    "closes = 03/12/00 18:30:00 PST\n"
    "closes-in = Closed.\n"
    "\n"
    "[aucland-item fr 4711]\n"
    "title = Portable IBM ThinkPad 600E\n"
    "category = Informatique : Portables\n"
    "seller = infoplus\n"
    "starting-price = 1 500,00 FF\n"
    "next-bid = 2 100,00 FF\n"
    "time-left = 2 jours 3 heures\n"
    "bid = jeanmi 2 000,00 FF\n"
    "bid = paulo 1 800,00 FF\n"
    "bid = jeanmi 1 500,00 FF\n"
    "\n"
    "[aucland-item it 815]\n"
    "title = Vespa 125 del 1962\n"
    "category = Motori : Moto d'epoca\n"
    "seller = vespista\n"
    "starting-price = L. 900.000\n"
    "time-left = 1 giorno 5 ore\n";

class AmazonAuclandRefresh : public ::testing::Test
{
protected:
    std::filesystem::path dir;
    SimProcess sim;

    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "lw-e2e-amazon-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        std::ofstream(dir / "sites.scn", std::ios::binary) << kScenario;
        std::string error;
        ASSERT_TRUE(sim.Start({"--scenario", (dir / "sites.scn").string()}, error)) << error;
    }
    void TearDown() override
    {
        sim.Stop();
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    // Runs lotwarden with `args` (already quoted for the shell); returns its exit status and
    // leaves what it printed in `output`.
    int Lotwarden(const std::string& args, std::string& output)
    {
        const std::string command = "http_proxy=" + sim.BaseUrl() + " no_proxy= '" + LW_BIN_DIR +
                                    "/lotwarden' " + args + " 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr)
            return -1;
        output.clear();
        std::array<char, 4096> buffer;
        std::size_t n;
        while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
            output.append(buffer.data(), n);
        const int status = pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // The JSON line of one item in "lotwarden show --json".
    static std::string ItemLine(const std::string& json, const std::string& number)
    {
        std::istringstream lines(json);
        std::string line;
        while (std::getline(lines, line))
            if (line.find("\"itemNumber\": \"" + number + "\"") != std::string::npos)
                return line;
        return {};
    }
};

TEST_F(AmazonAuclandRefresh, ItemsReadThroughTheSimulator)
{
    const std::string doc = "'" + (dir / "watch.lwd").string() + "'";
    std::string out;
    ASSERT_EQ(Lotwarden("new " + doc, out), 0) << out;
    ASSERT_EQ(Lotwarden("add " + doc +
                            " 'http://s1.amazon.com/exec/varzea/glance-browse/12345678/qid=954000000'"
                            " 'http://www.aucland.fr/accdb/viewItem.asp?IDI=4711'"
                            " 'http://www.aucland.it/accdb/viewItem.asp?IDI=815'",
                        out),
              0)
        << out;
    ASSERT_EQ(Lotwarden("refresh " + doc, out), 0) << out;
    ASSERT_EQ(Lotwarden("show " + doc + " --json", out), 0) << out;

    const std::string amazon = ItemLine(out, "12345678");
    ASSERT_FALSE(amazon.empty()) << out;
    for (const char* field :
         {"\"serverId\": 164", "\"description\": \"Star Wars Boba Fett figure 1979\"", "\"bidCount\": 3",
          "\"finished\": 1", "\"category\": \"Toys & Games:Action Figures\"", "\"currentPrice\": \"$27.50\"",
          "\"initialPrice\": \"$5.00\"", "\"location\": \"Seattle, WA\"", "\"seller\": \"galaxytoys\"",
          "\"currentBuyer\": \"fettcollector\""})
        EXPECT_NE(amazon.find(field), std::string::npos) << field << "\n" << amazon;

    // The item page shows one bidder; the count of 3 can only come from the bid history.
    const std::string france = ItemLine(out, "4711");
    ASSERT_FALSE(france.empty()) << out;
    for (const char* field :
         {"\"serverId\": 151", "\"bidCount\": 3", "\"finished\": 0", "\"category\": \"Informatique:Portables\"",
          "\"currentPrice\": \"2 000,00 FF\"", "\"initialPrice\": \"1 500,00 FF\"", "\"location\": \"France\"",
          "\"seller\": \"infoplus\"", "\"currentBuyer\": \"jeanmi\""})
        EXPECT_NE(france.find(field), std::string::npos) << field << "\n" << france;
    EXPECT_EQ(france.find("\"endDate\": 0,"), std::string::npos) << france;

    const std::string italy = ItemLine(out, "815");
    ASSERT_FALSE(italy.empty()) << out;
    for (const char* field : {"\"serverId\": 165", "\"bidCount\": 0", "\"currentPrice\": \"L. 900.000\"",
                              "\"location\": \"Italia\"", "\"currentBuyer\": \"\"", "\"category\": \"Motori:Moto d'epoca\""})
        EXPECT_NE(italy.find(field), std::string::npos) << field << "\n" << italy;
}

TEST_F(AmazonAuclandRefresh, ParsePageAndSearchUrlCommandsServeTheseSites)
{
    std::string out;
    const std::string data = std::string("'") + LW_TEST_DATA_DIR + "/sites/aucland/";
    ASSERT_EQ(Lotwarden("parse-page --server 163 --item 4711 " + data + "uk_bids.html' " + data + "uk_history.html'",
                        out),
              0)
        << out;
    EXPECT_NE(out.find("3"), std::string::npos) << out;
    EXPECT_NE(out.find("jeanmi"), std::string::npos) << out;

    ASSERT_EQ(Lotwarden("search-url --server 151 --query 'vase' --category 1", out), 0) << out;
    EXPECT_NE(out.find("http://www.aucland.fr/form/advSearch.asp?searchOn1=0&searchKey1=vase&"), std::string::npos)
        << out;
    EXPECT_NE(out.find("&txtCatg=101&"), std::string::npos) << out;

    ASSERT_EQ(Lotwarden("search-url --server 164 --query 'boba'", out), 0) << out;
    EXPECT_NE(out.find("http://s1.amazon.com/exec/varzea/subst/search/auction-search.html/"), std::string::npos)
        << out;
}

} // namespace
