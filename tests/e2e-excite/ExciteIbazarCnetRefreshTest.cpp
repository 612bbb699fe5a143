// Refreshing Excite, iBazar and CNET items end to end: lotwarden downloads the real item URLs
// through http_proxy from the auction simulator, follows Excite's bid history and CNET's
// high-bidders rendering, and saves the items.

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
    "[excite-lot 4417]\n"
    "title = 1921 Morgan silver dollar\n"
    "category = Collectibles > Coins\n"
    "quantity = 1\n"
    "bids = 4\n"
    "time-remaining = 2 days 3 hours\n"
    "high-bid = $42.50\n"
    "opening-bid = $20.00\n"
    "location = Boston, MA\n"
    "seller = coinhound\n"
    "open-date = 1/2 10AM\n"
    "close-date = 12/30 9PM\n"
    "bidder = silverfox $42.50\n"
    "bidder = sammy_c $40.00\n"
    "\n"
    "[excite-lot 5120]\n"
    "title = Pine blanket chest & key\n"
    "category = Antiques > Furniture\n"
    "quantity = 3\n"
    "bids = 2\n"
    "time-remaining = Closed\n"
    "high-bid = $310.00\n"
    "opening-bid = $250.00\n"
    "seller = amishwood\n"
    "open-date = 1/1 8AM\n"
    "close-date = 1/8 12PM\n"
    "\n"
    "[ibazar-item fr 3054221]\n"
    "title = Piece de 5 francs Semeuse 1960\n"
    "category = Collections/Monnaies\n"
    "seller = numismate75\n"
    "location = Paris\n"
    "starting-price = 50 FF\n"
    "current-price = 85 FF\n"
    "start = Le 1er mars 2000\n"
    "end = 11 mars 21h30\n"
    "bid = collec_marc 85 FF\n"
    "bid = jeanne.b 80 FF\n"
    "bid = collec_marc 70 FF\n"
    "\n"
    "[ibazar-item it 991]\n"
    "title = Orologio da tasca\n"
    "category = Antiquariato/Orologi\n"
    "seller = tempo_antico\n"
    "starting-price = L. 100.000\n"
    "start = 5 Aprile 2000\n"
    "end = 15 Aprile 18h00\n"
    "sold = yes\n"
    "\n"
    "[cnet-item 10482]\n"
    "title = IBM ThinkPad 600E\n"
    "category = Notebooks: PC Notebooks\n"
    "quantity = 1\n"
    "bids = 5\n"
    "closing = 03/12/2000 06:30 PM PST\n"
    "current-bid = $1,125.00\n"
    "starting-bid = $800.00\n"
    "location = San Jose, CA\n"
    "seller = laptopdepot\n"
    "next-bid = $1,150.00\n"
    "high-bidder = notebookfan\n"
    "\n"
    "[cnet-item 20733]\n"
    "title = 128MB PC100 SDRAM DIMM\n"
    "category = Components: Memory\n"
    "quantity = 1\n"
    "bids = 7\n"
    "closed = yes\n"
    "closing = 03/09/2000 12:15 PM PST\n"
    "starting-bid = $50.00\n"
    "location = Austin, TX\n"
    "seller = ramking\n"
    "winner = dimmdude 1 $121.00\n"
    "winner = ramhog 1 $118.00\n";

class ExciteIbazarCnetRefresh : public ::testing::Test
{
protected:
    std::filesystem::path dir;
    SimProcess sim;

    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "lw-e2e-excite-XXXXXX").string();
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

TEST_F(ExciteIbazarCnetRefresh, ItemsReadThroughTheSimulator)
{
    const std::string doc = "'" + (dir / "watch.lwd").string() + "'";
    std::string out;
    ASSERT_EQ(Lotwarden("new " + doc, out), 0) << out;
    ASSERT_EQ(Lotwarden("add " + doc +
                            " 'http://auctions.excite.com/scripts/LotPage.asp?LotNo=4417&ref=home'"
                            " 'http://auctions.excite.com/Scripts/ListingInfo.asp?LotNo=5120'"
                            " 'http://www.ibazar.fr/voirobjet.cgi?codeobjet%3d3054221'"
                            " 'http://www.ibazar.it/voirobjet.cgi?codeobjet=991'"
                            " 'http://auctions.cnet.com/cgi-bin/osa/ViewPage.cgi?templateName=item_form.htx&itemNumber=10482'"
                            " 'http://auctions.cnet.com/cgi-bin/osa/ViewPage.cgi?templateName=item_form.htx&itemNumber=20733'",
                        out),
              0)
        << out;
    ASSERT_EQ(Lotwarden("refresh " + doc, out), 0) << out;
    ASSERT_EQ(Lotwarden("show " + doc + " --json", out), 0) << out;

    const struct
    {
        const char* number;
        std::vector<const char*> fields;
    } expected[] = {
        // The high bidder comes only from the bid history page.
        {"4417",
         {"\"serverId\": 167", "\"bidCount\": 4", "\"finished\": 0", "\"category\": \"Collectibles:Coins\"",
          "\"currentPrice\": \"$42.50\"", "\"seller\": \"coinhound\"", "\"currentBuyer\": \"silverfox\"",
          "\"location\": \"Boston, MA\""}},
        {"5120",
         {"\"serverId\": 167", "\"quantity\": 3", "\"bidCount\": 2", "\"finished\": 1",
          "\"description\": \"Pine blanket chest & key\"", "\"currentBuyer\": \"\""}},
        {"3054221",
         {"\"serverId\": 168", "\"bidCount\": 3", "\"finished\": 0", "\"category\": \"Collections:Monnaies\"",
          "\"currentPrice\": \"85 FF\"", "\"location\": \"Paris\"", "\"seller\": \"numismate75\"",
          "\"currentBuyer\": \"collec_marc\""}},
        {"991",
         {"\"serverId\": 169", "\"bidCount\": 0", "\"finished\": 1", "\"currentPrice\": \"L. 100.000\"",
          "\"category\": \"Antiquariato:Orologi\"", "\"currentBuyer\": \"\""}},
        // The item form names no buyer: the second rendering does.
        {"10482",
         {"\"serverId\": 170", "\"bidCount\": 5", "\"finished\": 0", "\"category\": \"Notebooks:PC Notebooks\"",
          "\"currentPrice\": \"$1,125.00\"", "\"seller\": \"laptopdepot\"", "\"currentBuyer\": \"notebookfan\""}},
        {"20733",
         {"\"serverId\": 170", "\"bidCount\": 2", "\"finished\": 1", "\"currentPrice\": \"$121.00\"",
          "\"currentBuyer\": \"dimmdude\"", "\"category\": \"Components:Memory\""}},
    };
    for (const auto& item : expected) {
        SCOPED_TRACE(item.number);
        const std::string line = ItemLine(out, item.number);
        ASSERT_FALSE(line.empty()) << out;
        for (const char* field : item.fields)
            EXPECT_NE(line.find(field), std::string::npos) << field << "\n" << line;
        EXPECT_EQ(line.find("\"endDate\": 0,"), std::string::npos) << line;
    }

}

TEST_F(ExciteIbazarCnetRefresh, ParsePageAndSearchUrlCommandsServeTheseSites)
{
    std::string out;
    const std::string data = std::string("'") + LW_TEST_DATA_DIR + "/sites/";
    ASSERT_EQ(Lotwarden("parse-page --server 167 --item 4417 " + data + "excite/lot_running.html' " + data +
                            "excite/history.html'",
                        out),
              0)
        << out;
    EXPECT_NE(out.find("\"currentBuyer\": \"silverfox\""), std::string::npos) << out;
    ASSERT_EQ(Lotwarden("parse-page --server 170 --item 20733 " + data + "cnet/item_closed.html'", out), 0) << out;
    EXPECT_NE(out.find("\"bidCount\": 2"), std::string::npos) << out;
    ASSERT_EQ(Lotwarden("parse-page --server 168 " + data + "ibazar/objet_fr.html'", out), 0) << out;
    EXPECT_NE(out.find("\"currentBuyer\": \"collec_marc\""), std::string::npos) << out;

    const std::pair<std::string, std::string> searches[] = {
        {"--server 167 --query 'silver dollar' --category 1 --sort price",
         "http://auctions.excite.com/scripts/LotSearch.asp?SubmitFlag=1&PageNo=1&bAdv=True&SiteCatNo=1088"
         "&ProdName=silver+dollar&SortBy=2"},
        {"--server 168 --query montre", "http://www.ibazar.fr/search1.cgi"},
        {"--server 169 --query orologio", "http://www.ibazar.it/search1.cgi"},
        {"--server 170 --query thinkpad --category 1",
         "http://auctions.cnet.com/cgi-bin/osa/ossearch.cgi?__catg=117&__catg=242&__catg=243&__catg=244&__catg=245"
         "&__catg=246&__param=&__search=thinkpad&__type=AUC&"},
    };
    for (const auto& [args, url] : searches) {
        ASSERT_EQ(Lotwarden("search-url " + args, out), 0) << out;
        EXPECT_EQ(out, url + "\n");
    }
    EXPECT_NE(Lotwarden("search-url --server 170 --query ''", out), 0) << out;
}

} // namespace
