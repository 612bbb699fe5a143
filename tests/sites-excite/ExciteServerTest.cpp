// The Excite adapter: lot pages and their bid history, the year of dates printed without one,
// the lot URLs of four forms, and searches.

#include "sites/ExciteServer.h"

#include "../sites/PageFiles.h"
#include "SiteClock.h"

#include <gtest/gtest.h>

namespace {

const char kLot[] = "4417";

class ExcitePages : public ::testing::Test
{
protected:
    CPageFiles files;
    CExciteServer server{"Eastern", 167, "ExcC", 68};

    int Parse(const std::string& page, CItemInfo& info, std::string& url, bool& fetchAgain, int pagesParsed = 0)
    {
        fetchAgain = false;
        return server.ParsePage(files.Write(page), info, url, fetchAgain, pagesParsed, kLot);
    }
    static std::string Data(const char* name) { return CPageFiles::ReadDataFile(std::string("sites/excite/") + name); }
};

TEST_F(ExcitePages, SingleLotWithBidsReadsItsHistoryAndSettlesTheYears)
{
    // Opened 28 December, closing 4 January, refreshed on 2 January.
    CPinnedClock clock(WallClock(2000, 1, 2, 12, 0, 0));
    CItemInfo info;
    std::string url = server.GetItemUrl(kLot);
    bool fetchAgain = false;
    ASSERT_EQ(Parse(Data("lot_running.html"), info, url, fetchAgain), 0);
    ASSERT_TRUE(fetchAgain);
    EXPECT_EQ(url, "http://auctions.excite.com/Scripts/BidHistory.asp?LotNo=4417");
    EXPECT_EQ(info.description, "1921 Morgan silver dollar, uncirculated");
    EXPECT_EQ(info.quantity, 1);
    EXPECT_EQ(info.bidCount, 4);
    EXPECT_EQ(info.finished, 0);
    EXPECT_EQ(info.category, "Collectibles:Coins");
    EXPECT_EQ(info.currentPrice, "$42.50");
    EXPECT_EQ(info.initialPrice, "$20.00");
    EXPECT_EQ(info.location, "Boston, MA");
    EXPECT_EQ(info.seller, "coinhound");
    EXPECT_EQ(info.foundFlags & kFoundCurrentBuyer, 0u);
    // The form's "Quantity:" stands before the start marker and is not read.
    EXPECT_EQ(info.pageText.find("search tips"), std::string::npos);

    ASSERT_EQ(Parse(Data("history.html"), info, url, fetchAgain, 1), 0);
    EXPECT_FALSE(fetchAgain);
    EXPECT_EQ(info.currentBuyer, "silverfox");
    EXPECT_NE(info.foundFlags & kFoundCurrentBuyer, 0u);
    EXPECT_EQ(info.description, "1921 Morgan silver dollar, uncirculated");
    EXPECT_EQ(info.startDate, WallClock(1999, 12, 28, 10));
    EXPECT_EQ(info.endDate, WallClock(2000, 1, 4, 21));
    EXPECT_NE(info.pageText.find("src=\"http://auctions.excite.com/images/lot4417.jpg\""), std::string::npos);
}

TEST_F(ExcitePages, LotsWithoutAHistoryPage)
{
    struct Case
    {
        const char* file;
        std::time_t now;
        std::uint32_t missing;
        int quantity;
        int bidCount;
        int finished;
        const char* description;
        const char* category;
        const char* currentPrice;
        std::time_t startDate;
        std::time_t endDate;
    };
    const Case cases[] = {
        // Quantity 3 with bids: the page names no single buyer to look up.
        {"lot_closed.html", WallClock(2000, 3, 10), kFoundCurrentBuyer, 3, 2, 1, "Pine blanket chest & key",
         "Antiques:Furniture", "$310.00", WallClock(2000, 3, 1, 8), WallClock(2000, 3, 8, 12)},
        // "High Bid:" without digits is dropped and the opening bid stands in; an open date that
        // does not read stays unset and leaves the close date in the current year.
        {"lot_nobid.html", WallClock(2000, 3, 2), kFoundCurrentBuyer | kFoundStartDate | kFoundCategory |
         kFoundLocation | kFoundSeller, 1, 0, 0, "Porcelain doll", "", "$15.00", 0, WallClock(2000, 3, 8, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        CPinnedClock clock(c.now);
        CItemInfo info;
        std::string url = server.GetItemUrl(kLot);
        bool fetchAgain = true;
        ASSERT_EQ(Parse(Data(c.file), info, url, fetchAgain), 0);
        EXPECT_FALSE(fetchAgain);
        EXPECT_EQ(url, server.GetItemUrl(kLot));
        EXPECT_EQ(info.foundFlags & c.missing, 0u);
        EXPECT_EQ(info.foundFlags | c.missing, 0x5FFFu & ~kFoundNextBidPrice);
        EXPECT_EQ(info.quantity, c.quantity);
        EXPECT_EQ(info.bidCount, c.bidCount);
        EXPECT_EQ(info.finished, c.finished);
        EXPECT_EQ(info.description, c.description);
        EXPECT_EQ(info.category, c.category);
        EXPECT_EQ(info.currentPrice, c.currentPrice);
        if (c.startDate != 0) {
            EXPECT_EQ(info.startDate, c.startDate);
        }
        EXPECT_EQ(info.endDate, c.endDate);
    }
}

TEST_F(ExcitePages, YearsOfDatesPrintedWithoutOne)
{
    struct Case
    {
        const char* open;
        const char* close;
        std::time_t now;
        std::time_t startDate;
        std::time_t endDate;
    };
    const Case cases[] = {
        {"12/28 10AM", "1/4 9PM", WallClock(2000, 1, 2), WallClock(1999, 12, 28, 10), WallClock(2000, 1, 4, 21)},
        {"12/28 10AM", "1/4 9PM", WallClock(1999, 12, 30), WallClock(1999, 12, 28, 10), WallClock(2000, 1, 4, 21)},
        {"3/1 12AM", "3/8 12PM", WallClock(2000, 3, 5), WallClock(2000, 3, 1, 0), WallClock(2000, 3, 8, 12)},
        // Opened this morning on the site's clock, which runs six hours behind Paris.
        {"7/1 3AM", "7/3 3AM", WallClock(2000, 7, 1, 10), WallClock(2000, 7, 1, 3), WallClock(2000, 7, 3, 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.open) + " / " + c.close);
        CPinnedClock clock(c.now);
        CItemInfo info;
        std::string url = server.GetItemUrl(kLot);
        bool fetchAgain = false;
        const std::string page = std::string(CExciteServer::kStartMarker) + "\n<td>Open Date:</td><td>" + c.open +
                                 "</td>\n<td>Close Date:</td><td>" + c.close + "</td>\n";
        ASSERT_EQ(Parse(page, info, url, fetchAgain), 0);
        EXPECT_EQ(info.startDate, c.startDate);
        EXPECT_EQ(info.endDate, c.endDate);
    }
}

TEST_F(ExcitePages, PagesWithoutTheLotFail)
{
    CPinnedClock clock(WallClock(2000, 3, 2));
    for (const std::string& page : {Data("error.html"), std::string("<hr size=1><b>Lot</b>\nQuantity: <b>2</b>\n"),
                                    std::string(CExciteServer::kStartMarker) + "\n<p>Server busy</p>\n"}) {
        CItemInfo info;
        std::string url = server.GetItemUrl(kLot);
        bool fetchAgain = false;
        EXPECT_EQ(Parse(page, info, url, fetchAgain), 1);
        EXPECT_EQ(info.foundFlags, 0u);
    }
}

TEST(ExciteUrls, FourFormsOfALotLink)
{
    const struct
    {
        const char* url;
        bool accepted;
        const char* number;
    } cases[] = {
        {"http://auctions.excite.com/Scripts/ListingInfo.asp?LotNo=4417", true, "4417"},
        {"http://auctions.excite.com/Scripts/ListingInfo.asp?LotNo=123&SiteCatNo=7008", true, "123"},
        {"http://auctions.excite.com/scripts/LotPage.asp?LotNo=88&ref=home", true, "88"},
        {"http://auctions.excite.com/scripts/ListingInfo.asp?LotNo=77?x=1", true, "77"},
        {"http://auctions.excite.com/Scripts/LotPage.asp?LotNo=66/", true, "66"},
        {"http://auctions.excite.com/SCRIPTS/LotPage.asp?LotNo=55", false, ""},
        {"http://auctions.excite.com/Scripts/BidHistory.asp?LotNo=44", false, ""},
        {"http://www.excite.com/Scripts/ListingInfo.asp?LotNo=33", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        std::string number;
        CAuctionServer* server = FindServerForUrl(c.url, &number);
        if (!c.accepted) {
            EXPECT_TRUE(server == nullptr || server->serverId != 167);
            continue;
        }
        ASSERT_NE(server, nullptr);
        EXPECT_EQ(server->serverId, 167);
        EXPECT_EQ(number, c.number);
    }
    EXPECT_EQ(FindServer(167)->GetItemUrl("4417"), cases[0].url);
}

TEST(ExciteSearch, CategorySortKeyAndWords)
{
    CPinnedClock clock(WallClock(2000, 3, 2));
    CAuctionServer* server = FindServer(167);
    ASSERT_NE(server, nullptr);
    CSearchRequest request;
    server->GetSearchDefaults(request);
    EXPECT_EQ(request.optionMask, 9);
    EXPECT_EQ(request.sortMask, 202);
    EXPECT_EQ(request.sortKey, 64);
    EXPECT_TRUE(request.ascending);

    const std::string base = "http://auctions.excite.com/scripts/LotSearch.asp?SubmitFlag=1&PageNo=1&bAdv=True";
    const struct
    {
        int categoryIndex;
        int sortKey;
        bool ascending;
        const char* query;
        std::string url;
    } cases[] = {
        {0, 64, true, "silver dollar", base + "&ProdName=silver+dollar&SortBy=1"},
        {1, 2, false, "chest", base + "&SiteCatNo=1088&ProdName=chest&SortBy=4"},
        {3, 8, true, "caf\xE9 & bar", base + "&SiteCatNo=24860&ProdName=caf%E9+%26+bar&SortBy=2"},
        {0, 128, true, "", base + "&ProdName=&SortBy=3"},
        {0, 16, true, "x", base + "&ProdName=x"},
        {100000, 64, true, "x", base + "&ProdName=x&SortBy=1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        request.categoryIndex = c.categoryIndex;
        request.sortKey = c.sortKey;
        request.ascending = c.ascending;
        request.query = c.query;
        EXPECT_EQ(server->BuildSearchUrl(request), c.url);
    }
}

} // namespace
