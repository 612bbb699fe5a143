// The Amazon adapter: item pages as Amazon Auctions served them, its two item URL forms and its
// fixed search page.

#include "sites/AmazonServer.h"

#include "../sites/PageFiles.h"
#include "text/ReferenceData.h"

#include <gtest/gtest.h>

namespace {

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

CAuctionServer& Amazon()
{
    CAuctionServer* server = FindServer(164);
    if (server == nullptr || dynamic_cast<CAmazonServer*>(server) == nullptr)
        throw std::runtime_error("server 164 is not the Amazon adapter");
    return *server;
}

class AmazonPages : public ::testing::Test
{
protected:
    CPageFiles files;

    int Parse(const std::string& page, CItemInfo& info)
    {
        std::string url = Amazon().GetItemUrl("12345678");
        bool fetchAgain = false;
        const int result = Amazon().ParsePage(files.Write(page), info, url, fetchAgain, 0, "12345678");
        EXPECT_FALSE(fetchAgain);
        EXPECT_EQ(url, Amazon().GetItemUrl("12345678"));
        return result;
    }
    int ParseFile(const char* name, CItemInfo& info)
    {
        return Parse(CPageFiles::ReadDataFile(std::string("sites/amazon/") + name), info);
    }
};

struct PageCase
{
    const char* file;
    std::uint32_t flags;
    int quantity;
    int bidCount;
    int finished;
    std::time_t startDate;
    std::time_t endDate;
    const char* currentPrice;
    const char* initialPrice;
    const char* location;
    const char* currentBuyer;
    const char* nextBidPrice;
};

TEST_F(AmazonPages, ReadEveryFieldOfTheItemPages)
{
    const PageCase cases[] = {
        {"running.html", 0x7FFF, 1, 3, 0, WallClock(2000, 3, 5, 18, 30, 0), WallClock(2000, 3, 12, 18, 30, 0),
         "$27.50", "$5.00", "Seattle, WA United States", "fettcollector", "$28.50"},
        // A bid line without the starting bid gives no starting price; hidden bidders are no buyer.
        {"closed.html", 0x7FFF & ~(kFoundInitialPrice | kFoundLocation | kFoundCurrentBuyer | kFoundNextBidPrice),
         2, 7, 1, WallClock(2000, 2, 27, 9, 15, 0), WallClock(2000, 3, 5, 9, 15, 0), "$61.00", "", "", "", ""},
        // "No bids." is no buyer; an unreadable start leaves the date unset; the current price
        // is the starting bid.
        {"nobids.html", 0x7FFF & ~(kFoundCurrentBuyer | kFoundStartDate), 1, 0, 0, 0,
         WallClock(2000, 3, 19, 20, 0, 0), "$12.00", "$12.00", "Portland, OR", "", "$12.00"},
    };
    for (const PageCase& c : cases) {
        SCOPED_TRACE(c.file);
        CItemInfo info;
        ASSERT_EQ(ParseFile(c.file, info), 0);
        EXPECT_EQ(info.foundFlags, c.flags);
        EXPECT_EQ(info.quantity, c.quantity);
        EXPECT_EQ(info.description, "Star Wars Boba Fett figure 1979, mint on card");
        EXPECT_EQ(info.bidCount, c.bidCount);
        EXPECT_EQ(info.finished, c.finished);
        EXPECT_EQ(info.startDate, c.startDate);
        EXPECT_EQ(info.endDate, c.endDate);
        EXPECT_EQ(info.category, "Toys & Games:Action Figures");
        EXPECT_EQ(info.currentPrice, c.currentPrice);
        EXPECT_EQ(info.initialPrice, c.initialPrice);
        EXPECT_EQ(info.location, c.location);
        EXPECT_EQ(info.seller, "galaxytoys");
        EXPECT_EQ(info.currentBuyer, c.currentBuyer);
        EXPECT_EQ(info.nextBidPrice, c.nextBidPrice);
    }
}

TEST_F(AmazonPages, AnErrorPageFails)
{
    CItemInfo info;
    EXPECT_EQ(ParseFile("error.html", info), 1);
    EXPECT_EQ(info.foundFlags, 0u);
}

TEST_F(AmazonPages, PageTextStartsAtTheLastItemTableWithAbsoluteLinks)
{
    CItemInfo info;
    ASSERT_EQ(ParseFile("running.html", info), 0);
    EXPECT_EQ(info.pageText.rfind(CAmazonServer::kPageTextAnchor, 0), 0u);
    EXPECT_EQ(info.pageText.find("top_nav_map"), std::string::npos);
    EXPECT_NE(info.pageText.find("href=\"http://s1.amazon.com/exec/varzea/ts/user-glance/-/A1B2C3D4/\""),
              std::string::npos);
    EXPECT_EQ(info.pageText.find("href=\"/exec"), std::string::npos);
}

TEST_F(AmazonPages, LineReadingCases)
{
    struct Case
    {
        const char* name;
        const char* page;
        std::uint32_t bit;
        const char* expected; // the field's text, or the bid count / finished state as text
    };
    const Case cases[] = {
        {"starting bid in the bid line", "<b>Number of Bids:</b> 3 (starting bid: $5.00)<br>\n", kFoundBidCount,
         "3 $5.00"},
        {"count and price split over lines", "<b>Number of Bids:</b>\n<td>12 (starting bid:\n $1.00)</td>\n",
         kFoundBidCount, "12 $1.00"},
        {"buyer names hidden", "<b>High Bidder:</b> Bidders' names hidden until reserve is met.<br>\n",
         kFoundCurrentBuyer, ""},
        {"a buyer called like the text but longer", "<b>High Bidder:</b> No bids. yet<br>\n", kFoundCurrentBuyer,
         "No bids. yet"},
        {"closed only when exact", "<b>Closes In:</b> Closed. (reopened)<br>\n", kFoundFinished, "0"},
        {"closed", "<b>Closes In:</b>\n<td>Closed.</td>\n", kFoundFinished, "1"},
        {"first of two navigation maps", "<map name=\"sub_nav_map\">\nAuctions / Books / \nPoetry\n</td>\n"
                                         "<map name=\"sub_nav_map\">\nAuctions / Music\n</td>\n",
         kFoundCategory, "Books:Poetry"},
        {"navigation map to the last line", "<map name=\"sub_nav_map\"></map>\nAuctions / Coins / Euro", kFoundCategory,
         "Coins:Euro"},
        {"title inside the font tag", "<font size=+1><b>Tin\trobot</b></font>\n", kFoundDescription, "Tin\trobot"},
        {"second start label", "<b>Auction started:</b> Mar-05-00 18:30:00 PST\n", kFoundStartDate, "date"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CItemInfo info;
        ASSERT_EQ(Parse(std::string("<b>Seller:</b> someone<br>\n") + c.page, info), 0);
        std::string actual;
        switch (c.bit) {
        case kFoundBidCount:
            actual = std::to_string(info.bidCount) +
                     ((info.foundFlags & kFoundInitialPrice) != 0 ? " " + info.initialPrice : "");
            break;
        case kFoundCurrentBuyer:
            actual = info.currentBuyer;
            EXPECT_EQ((info.foundFlags & kFoundCurrentBuyer) != 0, !actual.empty());
            break;
        case kFoundFinished:
            actual = std::to_string(info.finished);
            break;
        case kFoundCategory:
            actual = info.category;
            break;
        case kFoundDescription:
            actual = info.description;
            break;
        case kFoundStartDate:
            actual = info.startDate == WallClock(2000, 3, 5, 18, 30, 0) ? "date" : "wrong date";
            break;
        default:
            break;
        }
        EXPECT_EQ(actual, c.expected);
    }
}

TEST(AmazonUrls, BothItemUrlFormsAreRecognised)
{
    struct Case
    {
        const char* url;
        bool accepted;
        const char* number;
    };
    const Case cases[] = {
        {"http://s1.amazon.com/exec/varzea/ts/exchange-glance/12345678", true, "12345678"},
        {"http://s1.amazon.com/exec/varzea/ts/exchange-glance/12345678/ref=br_1/002", true, "12345678"},
        {"http://s1.amazon.com/exec/varzea/glance-browse/2233445/qid=954000000/sr=1-1", true, "2233445"},
        {"http://s1.amazon.com/exec/varzea/glance-browse/2233445?tag=x", true, "2233445"},
        {"http://s1.amazon.com/exec/varzea/glance-browse/2233445&x=1/y", true, "2233445"},
        {"http://S1.amazon.com/exec/varzea/ts/exchange-glance/12345678", false, ""},
        {"http://s1.amazon.com/exec/varzea/subst/search/auction-search.html/", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        std::string number;
        CAuctionServer* server = FindServerForUrl(c.url, &number);
        EXPECT_EQ(server == &Amazon(), c.accepted);
        if (c.accepted) {
            EXPECT_EQ(number, c.number);
        }
    }
    EXPECT_EQ(Amazon().GetItemUrl("87654321"), "http://s1.amazon.com/exec/varzea/ts/exchange-glance/87654321");
    EXPECT_EQ(Amazon().GetPageUrl("87654321"), Amazon().GetItemUrl("87654321"));
}

TEST(AmazonSearch, OnlyTheSearchPageWhateverIsAsked)
{
    CSearchRequest request;
    request.query = "boba fett";
    request.optionMask = 15;
    Amazon().GetSearchDefaults(request);
    EXPECT_FALSE(request.textOnly);
    EXPECT_FALSE(request.searchDescriptions);
    EXPECT_FALSE(request.ascending);
    EXPECT_EQ(request.optionMask, 0);
    EXPECT_EQ(request.sortMask, 0);
    EXPECT_EQ(request.sortKey, 2);
    const std::string page = "http://s1.amazon.com/exec/varzea/subst/search/auction-search.html/";
    EXPECT_EQ(Amazon().BuildSearchUrl(request), page);
    request.query.clear();
    EXPECT_EQ(Amazon().BuildSearchUrl(request), page);
    std::vector<std::string> names;
    Amazon().GetCategoryNames(names);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(Amazon().timeZoneName, "Pacific");
}

} // namespace
