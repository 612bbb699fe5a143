// The CNET adapter: running and closed item pages, the second rendering that names the high
// bidders, the navigation-table category, and searches over several category numbers.

#include "sites/CnetServer.h"

#include "../sites/PageFiles.h"
#include "SiteClock.h"

#include <gtest/gtest.h>

namespace {

class CnetPages : public ::testing::Test
{
protected:
    CPageFiles files;
    CCnetServer server{"Pacific", 170, "CnetC", 68};
    CPinnedClock clock{WallClock(2000, 3, 10, 12)};

    int Parse(const char* file, CItemInfo& info, std::string& url, bool& fetchAgain, int pagesParsed,
              const std::string& number)
    {
        fetchAgain = false;
        return server.ParsePage(files.Write(CPageFiles::ReadDataFile(std::string("sites/cnet/") + file)), info, url,
                                fetchAgain, pagesParsed, number);
    }
};

TEST_F(CnetPages, RunningAuctionWithBidsReadsTheHighBiddersRendering)
{
    CItemInfo info;
    std::string url = server.GetItemUrl("10482");
    bool fetchAgain = false;
    ASSERT_EQ(Parse("item_running.html", info, url, fetchAgain, 0, "10482"), 0);
    ASSERT_TRUE(fetchAgain);
    EXPECT_EQ(url, "http://auctions.cnet.com/cgi-bin/osa/ViewPage.cgi?templateName=item_form.htx&itemNumber=10482"
                   "&languagePreference=_1");
    EXPECT_EQ(info.category, "Notebooks:PC Notebooks");
    EXPECT_EQ(info.description, "IBM ThinkPad 600E, 366 MHz, 64MB");
    EXPECT_EQ(info.quantity, 1);
    EXPECT_EQ(info.bidCount, 5);
    EXPECT_EQ(info.finished, 0);
    EXPECT_EQ(info.endDate, WallClock(2000, 3, 12, 18, 30));
    EXPECT_EQ(info.currentPrice, "$1,125.00");
    EXPECT_EQ(info.initialPrice, "$800.00");
    EXPECT_EQ(info.location, "San Jose, CA");
    EXPECT_EQ(info.seller, "laptopdepot");
    EXPECT_EQ(info.nextBidPrice, "$1,150.00");
    EXPECT_EQ(info.pageText.find("while supplies last"), std::string::npos);

    ASSERT_EQ(Parse("item_bidders.html", info, url, fetchAgain, 1, "10482"), 0);
    EXPECT_FALSE(fetchAgain);
    EXPECT_EQ(info.currentBuyer, "notebookfan");
    EXPECT_EQ(info.foundFlags, 0x7FFFu & ~kFoundStartDate);
    EXPECT_EQ(info.category, "Notebooks:PC Notebooks");
    EXPECT_NE(info.pageText.find("src=\"http://auctions.cnet.com/images/items/10482.jpg\""), std::string::npos);
}

TEST_F(CnetPages, ClosedAuctionCountsTheWinningRows)
{
    CItemInfo info;
    std::string url = server.GetItemUrl("20733");
    bool fetchAgain = true;
    ASSERT_EQ(Parse("item_closed.html", info, url, fetchAgain, 0, "20733"), 0);
    EXPECT_FALSE(fetchAgain);
    EXPECT_EQ(url, server.GetItemUrl("20733"));
    EXPECT_EQ(info.finished, 1);
    EXPECT_EQ(info.bidCount, 2);
    EXPECT_EQ(info.currentBuyer, "dimmdude");
    EXPECT_EQ(info.currentPrice, "$121.00");
    EXPECT_EQ(info.initialPrice, "$50.00");
    EXPECT_EQ(info.quantity, 1);
    EXPECT_EQ(info.seller, "ramking");
    EXPECT_EQ(info.category, "Components:Memory");
    EXPECT_EQ(info.description, "128MB PC100 SDRAM DIMM");
    EXPECT_EQ(info.endDate, WallClock(2000, 3, 9, 12, 15));
}

TEST_F(CnetPages, ShortPages)
{
    const std::string marker = CCnetServer::kStartMarker;
    const std::string nav = "<table><tr><td>\nCNET: Auctions: Desktops: Servers: Item #5\n</td></tr></table>\n";
    const std::string row = std::string(CCnetServer::kBidRowMarker);
    struct Case
    {
        std::string page;
        int result;
        bool fetchAgain;
        int bidCount;
        const char* buyer;
        const char* category;
    };
    const Case cases[] = {
        {"<p>No such item</p>\n", 1, false, 0, "", ""},
        // Several items: the winning rows are counted but name no single buyer, and no second
        // rendering is asked for.
        {marker + "\n" + nav + "<b>Lot</b>\nQuantity Sold: <b>4</b>\nAuction Closed <b>3/9/00 1:00 AM</b>\n<tr>" +
             row + "a</font><td align=right>$5</td>\n<tr>" + row + "b</font>\n",
         0, false, 2, "", "Desktops:Servers:Item #5"},
        {marker + "\n" + nav + "<b>Lot</b>\nQuantity Available: <b>1</b>\nBid History: <b>0 Bids</b>\n", 0, false, 0,
         "", "Desktops:Servers:Item #5"},
        {marker + "\n" + nav + "<b>Lot</b>\nBid History: <b>12 Bids</b>\n", 0, true, 12, "",
         "Desktops:Servers:Item #5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        CItemInfo info;
        std::string url = server.GetItemUrl("5");
        bool fetchAgain = false;
        ASSERT_EQ(server.ParsePage(files.Write(c.page), info, url, fetchAgain, 0, "5"), c.result);
        EXPECT_EQ(fetchAgain, c.fetchAgain);
        EXPECT_EQ(info.bidCount, c.bidCount);
        EXPECT_EQ(info.currentBuyer, c.buyer);
        EXPECT_EQ(info.category, c.category);
    }
}

TEST(CnetUrls, OnlyTheItemFormPrefix)
{
    const std::pair<const char*, const char*> cases[] = {
        {"http://auctions.cnet.com/cgi-bin/osa/ViewPage.cgi?templateName=item_form.htx&itemNumber=10482", "10482"},
        {"http://auctions.cnet.com/cgi-bin/osa/ViewPage.cgi?templateName=item_form.htx&itemNumber=10482"
         "&languagePreference=_1",
         "10482"},
        {"http://auctions.cnet.com/cgi-bin/osa/ViewPage.cgi?templateName=bid_history.htx&itemNumber=10482", nullptr},
    };
    for (const auto& [url, number] : cases) {
        SCOPED_TRACE(url);
        std::string found;
        CAuctionServer* server = FindServerForUrl(url, &found);
        if (number == nullptr) {
            EXPECT_EQ(server, nullptr);
            continue;
        }
        ASSERT_NE(server, nullptr);
        EXPECT_EQ(server->serverId, 170);
        EXPECT_EQ(found, number);
    }
}

TEST(CnetSearch, CategoryNumbersBecomeParameters)
{
    CPinnedClock clock(WallClock(2000, 3, 10));
    CAuctionServer* server = FindServer(170);
    ASSERT_NE(server, nullptr);
    CSearchRequest request;
    server->GetSearchDefaults(request);
    EXPECT_EQ(request.optionMask, 9);
    EXPECT_EQ(request.sortMask, 0);
    EXPECT_TRUE(request.searchDescriptions);

    const std::string base = "http://auctions.cnet.com/cgi-bin/osa/ossearch.cgi?__catg=";
    const std::tuple<int, const char*, std::string> cases[] = {
        {0, "thinkpad", base + "ALL&__param=&__search=thinkpad&__type=AUC&"},
        {1, "thinkpad 600",
         base + "117&__catg=242&__catg=243&__catg=244&__catg=245&__catg=246&__param=&__search=thinkpad+600&__type=AUC&"},
        {2, "g3", base + "242&__param=&__search=g3&__type=AUC&"},
        {100000, "g3", base + "&__param=&__search=g3&__type=AUC&"},
        {1, "", ""},
    };
    for (const auto& [index, query, url] : cases) {
        SCOPED_TRACE(url);
        request.categoryIndex = index;
        request.query = query;
        EXPECT_EQ(server->BuildSearchUrl(request), url);
    }

    std::vector<std::string> names;
    server->GetCategoryNames(names);
    ASSERT_GT(names.size(), 2u);
    EXPECT_EQ(names[0], "All");
    EXPECT_EQ(names[2], "    PC Desktops");

    // Without the reference data there are no category values to send.
    SetReferenceDataFile(std::string(LW_SOURCE_DIR) + "/no-such-Lotward.dat");
    request.categoryIndex = 0;
    request.query = "thinkpad";
    EXPECT_EQ(server->BuildSearchUrl(request), "");
}

} // namespace
