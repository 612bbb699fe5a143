// The eBay adapter: item pages as eBay served them, item URLs on its seven hosts, and searches.

#include "sites/EbayServer.h"

#include "PageFiles.h"
#include "text/ReferenceData.h"

#include <gtest/gtest.h>

namespace {

// A site time as the page reader builds it: the local reading shows the site's wall clock.
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

constexpr std::uint32_t kAlwaysFound = kFoundQuantity | kFoundFinished | kFoundRetrievalDate | kFoundPageText;

struct PageCase
{
    const char* file;
    std::uint32_t flags;
    int quantity;
    const char* description;
    int bidCount;
    int finished;
    std::time_t startDate;
    std::time_t endDate;
    const char* category;
    const char* currentPrice;
    const char* initialPrice;
    const char* location;
    const char* seller;
    const char* currentBuyer;
};

class EbayPages : public ::testing::Test
{
protected:
    CPageFiles files;
    CEbayServer server{"Pacific", 107, "EbC", 67};

    int Parse(const std::string& page, CItemInfo& info)
    {
        std::string url = server.GetItemUrl("1234567890");
        bool fetchAgain = false;
        const int result = server.ParsePage(files.Write(page), info, url, fetchAgain, 0, "1234567890");
        EXPECT_FALSE(fetchAgain);
        EXPECT_EQ(url, server.GetItemUrl("1234567890"));
        return result;
    }
};

TEST_F(EbayPages, ReadEveryFieldOfTheItemPages)
{
    const std::time_t start = WallClock(2000, 3, 5, 18, 30, 0);
    const std::time_t end = WallClock(2000, 3, 12, 18, 30, 0);
    const std::uint32_t all = 0x5FFF;
    const PageCase cases[] = {
        {"running.html", all, 1, "Vintage tin wind-up robot & original box", 12, 0, start, end, "Toys & Hobbies",
         "$45.00", "$10.00", "Chicago, IL", "tinlover", "robotfan"},
        {"starts_at.html", all & ~kFoundCurrentBuyer, 1, "Vintage tin wind-up robot & original box", 0, 0, start,
         end, "Toys & Hobbies", "$25.00", "$25.00", "Chicago, IL", "tinlover", ""},
        {"ended.html", all, 1, "Vintage tin wind-up robot & original box", 23, 1, start, end, "Toys & Hobbies",
         "$120.50", "$10.00", "Chicago, IL", "tinlover", "m&m_toys"},
        {"missing_labels.html", all & ~(kFoundStartDate | kFoundLocation | kFoundCurrentBuyer), 1,
         "Vintage tin wind-up robot & original box", 12, 0, 0, end, "Toys & Hobbies", "$10.00", "$10.00", "",
         "tinlover", ""},
        {"dutch.html", all, 5, "Vintage tin wind-up robot & original box", 7, 0, start, end, "Toys & Hobbies",
         "$3.00", "$1.00", "Chicago, IL", "tinlover", "robotfan"},
    };
    for (const PageCase& c : cases) {
        SCOPED_TRACE(c.file);
        CItemInfo info;
        ASSERT_EQ(Parse(CPageFiles::ReadDataFile(std::string("sites/ebay/") + c.file), info), 0);
        EXPECT_EQ(info.foundFlags, c.flags);
        EXPECT_EQ(info.foundFlags & kAlwaysFound, kAlwaysFound);
        EXPECT_EQ(info.quantity, c.quantity);
        EXPECT_EQ(info.description, c.description);
        EXPECT_EQ(info.bidCount, c.bidCount);
        EXPECT_EQ(info.finished, c.finished);
        EXPECT_EQ(info.startDate, c.startDate);
        EXPECT_EQ(info.endDate, c.endDate);
        EXPECT_EQ(info.category, c.category);
        EXPECT_EQ(info.currentPrice, c.currentPrice);
        EXPECT_EQ(info.initialPrice, c.initialPrice);
        EXPECT_EQ(info.location, c.location);
        EXPECT_EQ(info.seller, c.seller);
        EXPECT_EQ(info.currentBuyer, c.currentBuyer);
        EXPECT_TRUE(info.nextBidPrice.empty());
        // Reading starts at the title table; the page head and navigation are not kept.
        EXPECT_EQ(info.pageText.rfind(CEbayServer::kStartMarker, 0), 0u);
        EXPECT_EQ(info.pageText.find("<title>"), std::string::npos);
        EXPECT_EQ(info.pageText.find("earlier draft"), std::string::npos);
        EXPECT_NE(info.pageText.find("function ShowPicture()"), std::string::npos);
    }
}

TEST_F(EbayPages, AnErrorPageFails)
{
    CItemInfo info;
    info.description = "Tin robot";
    EXPECT_EQ(Parse(CPageFiles::ReadDataFile("sites/ebay/error.html"), info), 1);
    EXPECT_EQ(info.foundFlags, 0u);
    EXPECT_EQ(info.description, "Tin robot");
    EXPECT_EQ(info.quantity, 0);
}

// Short pages for single rules: the start marker, then the given lines.
std::string Page(const std::string& body)
{
    return std::string(CEbayServer::kStartMarker) + "\n" + body;
}

TEST_F(EbayPages, OnlyTheFirstTitleTableNamesTheItem)
{
    CItemInfo info;
    ASSERT_EQ(Parse(Page("<tr>\n<td><b>First</b></td>\n") + CEbayServer::kStartMarker + "\n<tr>\n<b>Second</b>\n",
                    info),
              0);
    EXPECT_EQ(info.description, "First");
}

TEST_F(EbayPages, CountsAndDatesReadAsTheSiteWritesThem)
{
    struct Case
    {
        const char* body;
        int quantity;
        int bidCount;
        std::time_t endDate;
        std::uint32_t dateBit;
    };
    const Case cases[] = {
        {"Quantity\n<b>  7 pieces</b>\n# of bids\n<b>1,203</b>\nEnds\n<font>Mar-12-00 18:30:00 PDT</font>\n", 7, 1,
         WallClock(2000, 3, 12, 18, 30, 0), kFoundEndDate},
        {"Quantity\n<b>n/a</b>\n# of bids\n<b></b>\nEnds\n<font>Dec-31-99 23:59:59</font>\n", 0, 0,
         WallClock(1999, 12, 31, 23, 59, 59), kFoundEndDate},
        {"Quantity\n<b>3</b>\nEnds\n<font>03/05/00, 18:30:00 PST</font>\n", 3, 0,
         WallClock(2000, 3, 5, 18, 30, 0), kFoundEndDate},
        {"Quantity\n<b>2</b>\nEnds\n<font>Mar-12, 2000</font>\n", 2, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        CItemInfo info;
        ASSERT_EQ(Parse(Page(c.body), info), 0);
        EXPECT_EQ(info.quantity, c.quantity);
        EXPECT_EQ(info.bidCount, c.bidCount);
        EXPECT_EQ(info.endDate, c.endDate);
        EXPECT_EQ(info.foundFlags & kFoundEndDate, c.dateBit);
    }
}

TEST_F(EbayPages, OnlyTheExactEndTextFinishesTheAuction)
{
    const std::pair<const char*, int> cases[] = {
        {"<font>Auction has ended.</font>", 1},
        {"<font><b>Auction has ended.</b></font>", 0},
        {"<font>Auction has ended</font>", 0},
        {"<font>3 mins</font>", 0},
    };
    for (const auto& [value, finished] : cases) {
        SCOPED_TRACE(value);
        CItemInfo info;
        ASSERT_EQ(Parse(Page(std::string("Time left\n") + value + "\nQuantity\n<b>1</b>\n"), info), 0);
        EXPECT_EQ(info.finished, finished);
    }
}

struct UrlCase
{
    const char* url;
    bool accepted;
    const char* number;
};

TEST(EbayUrls, SevenHostsAndDigitsOnly)
{
    CEbayServer server("Pacific", 107, "EbC", 67);
    const UrlCase cases[] = {
        {"http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=1234567890", true, "1234567890"},
        {"http://cgi1.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=11", true, "11"},
        {"http://cgi2.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=22", true, "22"},
        {"http://cgi3.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=33", true, "33"},
        {"http://cgi4.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=44", true, "44"},
        {"http://cgi5.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=55", true, "55"},
        {"http://cgi6.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=66", true, "66"},
        {"http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=12a4", false, ""},
        {"http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=123&more", false, ""},
        {"http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=", false, ""},
        {"http://cgi7.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=77", false, ""},
        {"http://CGI.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=1", false, ""},
        {"http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewBids&item=1", false, ""},
    };
    for (const UrlCase& c : cases) {
        SCOPED_TRACE(c.url);
        std::string number;
        EXPECT_EQ(server.ParseItemUrl(c.url, &number), c.accepted);
        EXPECT_EQ(number, c.number);
        EXPECT_EQ(server.ParseItemUrl(c.url, nullptr), c.accepted);
    }
    EXPECT_EQ(server.GetItemUrl("42"), "http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=42");
    EXPECT_EQ(server.GetPageUrl("42"), server.GetItemUrl("42"));
}

TEST(EbayUrls, TheServerTableFindsEbayForItsUrls)
{
    std::string number;
    CAuctionServer* server = FindServerForUrl("http://cgi4.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=31415", &number);
    ASSERT_NE(server, nullptr);
    EXPECT_EQ(server->serverId, 107);
    EXPECT_NE(dynamic_cast<CEbayServer*>(server), nullptr);
    EXPECT_EQ(number, "31415");
}

class EbaySearch : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetReferenceDataFile(files.Write("TZ|Pacific|480#0#-60#0#10#0#5#2#0#0#0#0#4#0#1#2#0#0#0\n"
                                         "EbC|Top|0|0\n"
                                         "EbC|Antiques|20081|0\n"
                                         "EbC|    General|12|1\n"
                                         "EbCx|Not eBay|99|1\n"));
        server.GetSearchDefaults(request);
    }
    void TearDown() override { SetReferenceDataFile(DefaultReferenceDataPath()); }

    CPageFiles files;
    CEbayServer server{"Pacific", 107, "EbC", 67};
    CSearchRequest request;
};

TEST_F(EbaySearch, Defaults)
{
    CSearchRequest fresh;
    fresh.textOnly = true;
    fresh.searchDescriptions = true;
    fresh.ascending = false;
    server.GetSearchDefaults(fresh);
    EXPECT_FALSE(fresh.textOnly);
    EXPECT_FALSE(fresh.searchDescriptions);
    EXPECT_TRUE(fresh.ascending);
    EXPECT_EQ(fresh.optionMask, 15);
    EXPECT_EQ(fresh.sortMask, 31);
    EXPECT_EQ(fresh.sortKey, 2);
}

TEST_F(EbaySearch, EmptyWordsGiveNoUrl)
{
    request.categoryIndex = 2;
    EXPECT_EQ(server.BuildSearchUrl(request), "");
}

TEST_F(EbaySearch, UrlsCarryTheChoices)
{
    struct Case
    {
        bool descriptions;
        bool textOnly;
        bool ascending;
        int categoryIndex;
        int sortKey;
        const char* query;
        const char* url;
    };
    const Case cases[] = {
        {false, false, true, 0, 2, "tin robot",
         "http://search.ebay.com/cgi-bin/texis/ebay/results.html?ht=1&query=tin+robot&srchdesc=n&textonly=n"
         "&SortOrder=%5Ba%5D&SortProperty=MetaEndSort"},
        {true, true, false, 1, 4, "50% off",
         "http://search-desc.ebay.com/cgi-bin/texis/ebaydesc/results.html?query=50%25+off&srchdesc=y&textonly=y"
         "&SortOrder=%5Bd%5D&category0=20081&SortProperty=MetaStartSort"},
        {false, false, true, 2, 8, "caf\xE9",
         "http://search.ebay.com/cgi-bin/texis/ebay/results.html?ht=1&query=caf%E9&srchdesc=n&textonly=n"
         "&SortOrder=%5Ba%5D&category1=12&SortProperty=MetaCurrentPriceSort"},
        {false, false, true, 3, 16, "lamp",
         "http://search.ebay.com/cgi-bin/texis/ebay/results.html?ht=1&query=lamp&srchdesc=n&textonly=n"
         "&SortOrder=%5Ba%5D&SortProperty=rank"},
        {false, false, false, 0, 32, "lamp",
         "http://search.ebay.com/cgi-bin/texis/ebay/results.html?ht=1&query=lamp&srchdesc=n&textonly=n"
         "&SortOrder=%5Bd%5D"},
        {false, true, true, 0, 1, "a&b",
         "http://search.ebay.com/cgi-bin/texis/ebay/results.html?ht=1&query=a%26b&srchdesc=n&textonly=y"
         "&SortOrder=%5Ba%5D"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        request.searchDescriptions = c.descriptions;
        request.textOnly = c.textOnly;
        request.ascending = c.ascending;
        request.categoryIndex = c.categoryIndex;
        request.sortKey = c.sortKey;
        request.query = c.query;
        EXPECT_EQ(server.BuildSearchUrl(request), c.url);
    }
}

TEST_F(EbaySearch, CategoryNamesFollowTheFile)
{
    std::vector<std::string> names;
    server.GetCategoryNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"Top", "Antiques", "    General"}));
}

} // namespace
