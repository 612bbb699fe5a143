// The Yahoo adapters: the English sites' item pages, the two-page reading of the national sites,
// the date, category and buyer rules, item URLs on every country host, and searches.

#include "sites/YahooServer.h"

#include "PageFiles.h"
#include "text/ReferenceData.h"
#include "text/SiteDate.h"

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

std::string ShippedReferenceData()
{
    return std::string(LW_SOURCE_DIR) + "/resources/Lotward.dat";
}

// The adapter of a row of the program's server table.
CYahooServer& Row(int serverId)
{
    auto* server = dynamic_cast<CYahooServer*>(FindServer(serverId));
    if (server == nullptr)
        throw std::runtime_error("no Yahoo adapter for server " + std::to_string(serverId));
    return *server;
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

constexpr std::uint32_t kAll = 0x5FFF;

struct PageRead
{
    int result = 1;
    bool fetchAgain = false;
    std::string url;
};

class YahooPages : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { SetReferenceDataFile(ShippedReferenceData()); }

    CPageFiles files;

    PageRead Read(CAuctionServer& server, const std::string& page, CItemInfo& info, int pagesParsed = 0,
                  const std::string& number = "12345678", std::string url = {})
    {
        PageRead read;
        read.url = url.empty() ? server.GetPageUrl(number) : std::move(url);
        read.result = server.ParsePage(files.Write(page), info, read.url, read.fetchAgain, pagesParsed, number);
        return read;
    }

    static std::string DataPage(const char* name)
    {
        return CPageFiles::ReadDataFile(std::string("sites/yahoo/") + name);
    }
};

struct EnglishPageCase
{
    int serverId;
    const char* file;
    const char* number;
    std::uint32_t flags;
    int quantity;
    int bidCount;
    int finished;
    std::time_t startDate;
    std::time_t endDate;
    const char* currentPrice;
    const char* location;
    const char* currentBuyer;
    const char* bidsLink;
};

TEST_F(YahooPages, ReadEveryFieldOfTheEnglishSitesPages)
{
    const std::time_t start = WallClock(2000, 3, 5, 18, 30, 0);
    const std::time_t end = WallClock(2000, 3, 12, 18, 30, 0);
    const EnglishPageCase cases[] = {
        {150, "us_running.html", "12345678", kAll, 1, 12, 0, start, end, "$45.00", "Chicago, IL", "robotfan",
         "href=\"http://page.auctions.yahoo.com/show/bids?aID=12345678\""},
        {150, "us_no_bids.html", "12345678", kAll & ~kFoundCurrentBuyer, 3, 0, 0, start, end, "$10.00",
         "Chicago, IL", "", "href=\"http://page.auctions.yahoo.com/show/bids?aID=12345678\""},
        {150, "us_closed.html", "12345678", kAll, 1, 23, 1, start, end, "$120.50", "Chicago, IL", "m&m_toys",
         "href=\"http://page.auctions.yahoo.com/show/bids?aID=12345678\""},
        {150, "us_new_year.html", "12345678", kAll, 1, 4, 0, WallClock(2000, 12, 28, 10, 15, 30),
         WallClock(2001, 1, 2, 10, 15, 30), "$45.00", "Chicago, IL", "robotfan",
         "href=\"http://page.auctions.yahoo.com/show/bids?aID=12345678\""},
        {158, "uk_running.html", "5551234", kAll, 1, 12, 0, start, end, "\xA3"
                                                                        "45.00",
         "Leeds, West Yorkshire", "robotfan", "href=\"http://uk.page.auctions.yahoo.com/uk/show/bids?aID=5551234\""},
    };
    for (const EnglishPageCase& c : cases) {
        SCOPED_TRACE(c.file);
        CYahooServer& server = Row(c.serverId);
        CItemInfo info;
        const PageRead read = Read(server, DataPage(c.file), info, 0, c.number);
        ASSERT_EQ(read.result, 0);
        EXPECT_FALSE(read.fetchAgain);
        EXPECT_EQ(read.url, server.GetItemUrl(c.number));
        EXPECT_EQ(info.foundFlags, c.flags);
        EXPECT_EQ(info.quantity, c.quantity);
        EXPECT_EQ(info.description, "Vintage tin wind-up robot & original box");
        EXPECT_EQ(info.bidCount, c.bidCount);
        EXPECT_EQ(info.finished, c.finished);
        EXPECT_EQ(info.startDate, c.startDate);
        EXPECT_EQ(info.endDate, c.endDate);
        EXPECT_EQ(info.category, "Toys & Games:Vintage");
        EXPECT_EQ(info.currentPrice, c.currentPrice);
        EXPECT_EQ(info.location, c.location);
        EXPECT_EQ(info.seller, "tinlover");
        EXPECT_EQ(info.currentBuyer, c.currentBuyer);

        // The pane shows the item table onwards: no page header, no comments.
        EXPECT_EQ(info.pageText.rfind(CYahooServer::kPageTextAnchor, 0), 0u);
        EXPECT_FALSE(Contains(info.pageText, "My Auctions"));
        EXPECT_FALSE(Contains(info.pageText, "old description"));
        EXPECT_TRUE(Contains(info.pageText, c.bidsLink));
        EXPECT_TRUE(Contains(info.pageText, "'http://page.auctions.yahoo.com/show/countdown?aID=" +
                                                std::string(c.number) + "'"));
        EXPECT_FALSE(Contains(info.pageText, "'/show/countdown"));
    }
}

TEST_F(YahooPages, AnErrorPageFailsOnEverySite)
{
    for (int serverId : {150, 158, 152}) {
        SCOPED_TRACE(serverId);
        CItemInfo info;
        info.description = "Tin robot";
        const PageRead read = Read(Row(serverId), DataPage("error.html"), info);
        EXPECT_EQ(read.result, 1);
        EXPECT_FALSE(read.fetchAgain);
        EXPECT_EQ(info.foundFlags, 0u);
        EXPECT_EQ(info.description, "Tin robot");
        // No national page is asked for after an English rendering that said nothing.
        EXPECT_EQ(read.url, Row(serverId).GetPageUrl("12345678"));
    }
}

TEST_F(YahooPages, NationalItemReadsTheEnglishRenderingThenTheNationalPage)
{
    CYahooServer& france = Row(152);
    CItemInfo info;
    const PageRead first = Read(france, DataPage("fr_english.html"), info, 0, "7654321");
    ASSERT_EQ(first.result, 0);
    EXPECT_TRUE(first.fetchAgain);
    EXPECT_EQ(france.GetPageUrl("7654321"), "http://fr.page.auctions.yahoo.com/auction/7654321?acc=us");
    EXPECT_EQ(first.url, "http://fr.page.auctions.yahoo.com/auction/7654321");
    EXPECT_EQ(info.foundFlags & kFoundPageText, 0u);
    // Still the U.S. reading until the second page is read.
    EXPECT_EQ(info.endDate, WallClock(2000, 3, 12, 18, 30, 0));

    const PageRead second = Read(france, DataPage("fr_national.html"), info, 1, "7654321", first.url);
    ASSERT_EQ(second.result, 0);
    EXPECT_FALSE(second.fetchAgain);
    EXPECT_EQ(second.url, first.url);
    EXPECT_EQ(info.foundFlags, kAll);
    EXPECT_EQ(info.description, "Robot m\xE9" "canique en fer blanc");
    EXPECT_EQ(info.quantity, 2);
    EXPECT_EQ(info.bidCount, 5);
    EXPECT_EQ(info.currentPrice, "FF 300.00");
    EXPECT_EQ(info.initialPrice, "FF 100.00");
    EXPECT_EQ(info.location, "Lyon");
    EXPECT_EQ(info.currentBuyer, "robotfan");
    // 18:30 Pacific standard time is 03:30 the next morning in Paris (both on winter time).
    EXPECT_EQ(info.endDate, WallClock(2000, 3, 13, 3, 30, 0));
    EXPECT_EQ(info.startDate, WallClock(2000, 3, 6, 3, 30, 0));

    EXPECT_EQ(info.pageText.rfind(CYahooServer::kPageTextAnchor, 0), 0u);
    EXPECT_TRUE(Contains(info.pageText, "Ench\xE8re actuelle"));
    EXPECT_FALSE(Contains(info.pageText, "Current Bid:"));
    EXPECT_TRUE(Contains(info.pageText, "'http://fr.page.auctions.yahoo.com/fr/show/countdown?aID=7654321'"));
    EXPECT_TRUE(Contains(info.pageText, "href=\"http://fr.page.auctions.yahoo.com/fr/show/bid?aID=7654321\""));
    EXPECT_TRUE(Contains(info.pageText, "src=\"http://fr.page.auctions.yahoo.com/images/7654321/robot.jpg\""));
}

TEST_F(YahooPages, TheNationalPageChangesNoField)
{
    CYahooServer& germany = Row(154);
    CItemInfo info;
    const std::string english = std::string(CYahooServer::kTitleTable) +
                                "\n<tr><td><b>Blechroboter</b></td></tr>\n"
                                "<tr><td># of Bids:</td><TD><b>5</b></TD></tr>\n"
                                "<tr><td>Location:</td><TD><b>Berlin</b></TD></tr>\n";
    const PageRead first = Read(germany, english, info, 0, "99");
    ASSERT_TRUE(first.fetchAgain);
    const std::string national = "<tr><td># of Bids:</td><TD><b>77</b></TD></tr>\n"
                                 "<tr><td>Location:</td><TD><b>Hamburg</b></TD></tr>\n";
    ASSERT_EQ(Read(germany, national, info, 1, "99", first.url).result, 0);
    EXPECT_EQ(info.bidCount, 5);
    EXPECT_EQ(info.location, "Berlin");
    EXPECT_EQ(info.foundFlags & (kFoundStartDate | kFoundEndDate), 0u);
    EXPECT_TRUE(Contains(info.pageText, "Hamburg"));
}

// Short pages for single rules: one found field, then the given lines.
std::string Page(const std::string& body)
{
    return "<tr><td>#of Items:</td><TD>1</TD></tr>\n" + body;
}

std::string CalendarLine(const std::string& start)
{
    return "<TD>Mar 12 <a href=\"http://calendar.yahoo.com/?v=60&TYPE=16&ST=" + start + "&TITLE=x\">add</a></TD>\n";
}

TEST_F(YahooPages, OpeningTimesTakeTheYearAndSecondsOfTheEnd)
{
    struct Case
    {
        std::string body;
        std::time_t startDate;
        std::time_t endDate;
    };
    const Case cases[] = {
        {CalendarLine("20010102t101530") + "<td>Opened:</td><TD>Dec 28 10:15</TD>\n",
         WallClock(2000, 12, 28, 10, 15, 30), WallClock(2001, 1, 2, 10, 15, 30)},
        {CalendarLine("20000101t000000") + "<td>Opened:</td><TD>Dec 31 23:59</TD>\n",
         WallClock(1999, 12, 31, 23, 59, 0), WallClock(2000, 1, 1, 0, 0, 0)},
        {CalendarLine("20000312t183045") + "<td>Opened:</td><TD>Mar 12 18:30</TD>\n",
         WallClock(2000, 3, 12, 18, 30, 45), WallClock(2000, 3, 12, 18, 30, 45)},
        {CalendarLine("20000312t183000") + "<td>Opened:</td><TD>Mar 5 18:30</TD>\n", WallClock(2000, 3, 5, 18, 30, 0),
         WallClock(2000, 3, 12, 18, 30, 0)},
        // The opening is read only once the end is known.
        {"<td>Opened:</td><TD>Mar 5 18:30</TD>\n" + CalendarLine("20000312t183000"), 0,
         WallClock(2000, 3, 12, 18, 30, 0)},
        {CalendarLine("20000312t183000") + "<td>Opened:</td><TD>soon</TD>\n", 0, WallClock(2000, 3, 12, 18, 30, 0)},
        {CalendarLine("20000312T183000") + "<td>Opened:</td><TD>Mar 5 18:30</TD>\n", 0, 0},
        {"<TD><a href=\"http://calendar.yahoo.com/?v=60&TITLE=x\">add</a></TD>\n<td>Opened:</td><TD>Mar 5 18:30</TD>\n",
         0, 0},
        {"<TD><a href=\"http://www.example.com/?v=60&ST=20000312t183000&T=x\">add</a></TD>\n", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        CItemInfo info;
        ASSERT_EQ(Read(Row(150), Page(c.body), info).result, 0);
        EXPECT_EQ(info.startDate, c.startDate);
        EXPECT_EQ(info.endDate, c.endDate);
        EXPECT_EQ((info.foundFlags & kFoundStartDate) != 0, c.startDate != 0);
        EXPECT_EQ((info.foundFlags & kFoundEndDate) != 0, c.endDate != 0);
    }
}

TEST_F(YahooPages, CategoryCellBecomesAPath)
{
    const std::pair<const char*, const char*> cases[] = {
        {"<td><a href=\"http://list.auctions.yahoo.com/0-category.html\">Auctions</a> &gt; <a href=\"/1-category.html\">"
         "Antiques</a> &gt; <a href=\"/2-category.html\">General</a></td>",
         "Antiques:General"},
        {"<tr><td><font><a href=\"/0-category.html\">Auctions</a> &gt; <a>Toys &amp; Games</a></font></td></tr>",
         "Toys & Games"},
        {"<td><a href=\"/0-category.html\">All</a> &gt; <a>Coins</a></td>", "All:Coins"},
        {"<td><a href=\"/0-category.html\">Auctions</a></td>", "Auctions"},
    };
    for (const auto& [line, category] : cases) {
        SCOPED_TRACE(line);
        CItemInfo info;
        ASSERT_EQ(Read(Row(150), Page(std::string(line) + "\n"), info).result, 0);
        EXPECT_EQ(info.category, category);
        EXPECT_NE(info.foundFlags & kFoundCategory, 0u);
    }
}

TEST_F(YahooPages, BuyerRules)
{
    const std::pair<const char*, const char*> cases[] = {
        {"<td>High Bidder:</td><TD>none</TD>\n", ""},
        {"<td>High Bidder:</td><TD>none</TD>\n<td>Winner:</td><TD><A HREF=\"/p\">joe</A></TD>\n", "joe"},
        {"<td>High Bidder:</td><TD><A HREF=\"/p\">robotfan</A> (7)</TD>\n<td>Winner:</td><TD>other</TD>\n", "robotfan"},
        {"<td>High Bidder:</td>\n<TD>nonesuch</TD>\n", "nonesuch"},
        {"<td>Winner:</td><TD><b>m&amp;m</b></TD>\n", "m&m"},
    };
    for (const auto& [body, buyer] : cases) {
        SCOPED_TRACE(body);
        CItemInfo info;
        ASSERT_EQ(Read(Row(150), Page(body), info).result, 0);
        EXPECT_EQ(info.currentBuyer, buyer);
        EXPECT_EQ((info.foundFlags & kFoundCurrentBuyer) != 0, *buyer != '\0');
    }
}

TEST_F(YahooPages, FallbackTagsAndExactTexts)
{
    struct Case
    {
        const char* body;
        int bidCount;
        const char* currentPrice;
        const char* location;
        int finished;
    };
    const Case cases[] = {
        {"<td># of Bids:</td><TD>7 <i>(history)</i></TD>\n<td>Current Bid:</td><TD><A HREF=\"/b\">$5.00</A></TD>\n"
         "<td>Location:</td><TD>Austin, TX</TD>\n<td>Time Left:</td><TD><B>Closed</B></TD>\n",
         7, "$5.00", "Austin, TX", 1},
        {"<td># of Bids:</td><TD><b>1,203</b></TD>\n<td>Current Bid:</td><TD><A HREF=\"/b\"></A> <b>$6.00</b></TD>\n"
         "<td>Current Bid:</td><TD><b>$9.00</b></TD>\n<td>Time Left:</td><TD><B>closed</B></TD>\n",
         1, "$6.00", "", 0},
        {"<td>Started at:</td><TD>$2.50</TD>\n<td>Time Left:</td><TD><B>Closed </B></TD>\n", 0, "$2.50", "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        CItemInfo info;
        ASSERT_EQ(Read(Row(150), Page(c.body), info).result, 0);
        EXPECT_EQ(info.bidCount, c.bidCount);
        EXPECT_EQ(info.currentPrice, c.currentPrice);
        EXPECT_EQ(info.location, c.location);
        EXPECT_EQ(info.finished, c.finished);
    }
}

TEST_F(YahooPages, PageTextStartsAtTheLastOfTwoAnchors)
{
    const std::string anchor = CYahooServer::kPageTextAnchor;
    const std::pair<std::string, std::string> cases[] = {
        {"<p>head\n", "<tr><td>#of Items:"},
        {"<p>head\n" + anchor + "\n<p>item\n", anchor + "\n<p>item\n"},
        {"<p>head\n" + anchor + "\n<p>bar\n" + anchor + "\n<p>item\n", anchor + "\n<p>item\n"},
        {anchor + "\n<p>bar\n" + anchor + "\n<p>item\n" + anchor + "\n<p>more\n",
         anchor + "\n<p>item\n" + anchor + "\n<p>more\n"},
    };
    for (const auto& [body, text] : cases) {
        SCOPED_TRACE(body);
        CItemInfo info;
        ASSERT_EQ(Read(Row(159), Page(body), info).result, 0);
        EXPECT_EQ(info.pageText.rfind(text, 0), 0u);
    }
}

struct UrlCase
{
    const char* url;
    int serverId; // 0: no server takes it
    const char* number;
};

TEST(YahooUrls, EachCountryTakesItsOwnItemUrls)
{
    SetReferenceDataFile(ShippedReferenceData());
    const UrlCase cases[] = {
        {"http://page.auctions.yahoo.com/auction/12345678", 150, "12345678"},
        {"http://page.auctions.yahoo.com/auction/123&from=list", 150, "123"},
        {"http://uk.page.auctions.yahoo.com/uk/auction/5551234", 158, "5551234"},
        {"http://uk.page.auctions.yahoo.com/auction/5551234", 0, ""},
        {"http://au.page.auctions.yahoo.com/au/auction/42?x=1", 159, "42"},
        {"http://ca.page.auctions.yahoo.com/auction/42", 161, "42"},
        {"http://ca.page.auctions.yahoo.com/ca/auction/42", 0, ""},
        {"http://fr.page.auctions.yahoo.com/auction/7654321?acc=us", 152, "7654321"},
        {"http://fr.page.auctions.yahoo.com/fr/auction/7654321", 152, "7654321"},
        {"http://es.page.auctions.yahoo.com/auction/1", 156, "1"},
        {"http://dk.page.auctions.yahoo.com/dk/auction/2", 153, "2"},
        {"http://de.page.auctions.yahoo.com/de/auction/3/", 154, "3"},
        {"http://it.page.auctions.yahoo.com/auction/4", 155, "4"},
        {"http://se.page.auctions.yahoo.com/auction/5", 157, "5"},
        {"http://br.page.auctions.yahoo.com/br/auction/6", 160, "6"},
        {"http://mx.page.auctions.yahoo.com/auction/7", 162, "7"},
        {"http://fr.page.auctions.yahoo.com/de/auction/8", 0, ""},
        {"http://us.page.auctions.yahoo.com/auction/9", 0, ""},
        {"http://PAGE.auctions.yahoo.com/auction/9", 0, ""},
        {"http://auctions.yahoo.com/auction/9", 0, ""},
    };
    for (const UrlCase& c : cases) {
        SCOPED_TRACE(c.url);
        std::string number;
        CAuctionServer* server = FindServerForUrl(c.url, &number);
        EXPECT_EQ(server != nullptr ? server->serverId : 0, c.serverId);
        EXPECT_EQ(number, c.number);
    }
}

TEST(YahooUrls, ItemAndDownloadUrls)
{
    const std::tuple<int, const char*, const char*> cases[] = {
        {150, "http://page.auctions.yahoo.com/auction/42", "http://page.auctions.yahoo.com/auction/42"},
        {158, "http://uk.page.auctions.yahoo.com/uk/auction/42", "http://uk.page.auctions.yahoo.com/uk/auction/42"},
        {159, "http://au.page.auctions.yahoo.com/au/auction/42", "http://au.page.auctions.yahoo.com/au/auction/42"},
        {161, "http://ca.page.auctions.yahoo.com/auction/42", "http://ca.page.auctions.yahoo.com/auction/42"},
        {152, "http://fr.page.auctions.yahoo.com/auction/42", "http://fr.page.auctions.yahoo.com/auction/42?acc=us"},
        {162, "http://mx.page.auctions.yahoo.com/auction/42", "http://mx.page.auctions.yahoo.com/auction/42?acc=us"},
    };
    for (const auto& [serverId, itemUrl, pageUrl] : cases) {
        SCOPED_TRACE(serverId);
        EXPECT_EQ(Row(serverId).GetItemUrl("42"), itemUrl);
        EXPECT_EQ(Row(serverId).GetPageUrl("42"), pageUrl);
    }
}

class YahooSearch : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetReferenceDataFile(files.Write("YC|All (default)|0\n"
                                         "YC|Antiques & Collectibles|202501562\n"
                                         "YC|    Advertising|206527994\n"
                                         "YCFr|Toutes|0\n"
                                         "YCFr|Antiquit\xE9s|1234\n"));
    }
    void TearDown() override { SetReferenceDataFile(ShippedReferenceData()); }

    CPageFiles files;
};

TEST_F(YahooSearch, DefaultsAreSharedByAllThirteenCountries)
{
    for (int serverId : {150, 158, 159, 161, 152, 156, 153, 154, 155, 157, 160, 162}) {
        SCOPED_TRACE(serverId);
        CSearchRequest request;
        request.textOnly = true;
        request.searchDescriptions = true;
        request.ascending = false;
        Row(serverId).GetSearchDefaults(request);
        EXPECT_FALSE(request.textOnly);
        EXPECT_FALSE(request.searchDescriptions);
        EXPECT_TRUE(request.ascending);
        EXPECT_EQ(request.optionMask, 9);
        EXPECT_EQ(request.sortMask, 235);
        EXPECT_EQ(request.sortKey, 2);
        request.categoryIndex = 1;
        request.query.clear();
        EXPECT_EQ(Row(serverId).BuildSearchUrl(request), "");
    }
}

TEST_F(YahooSearch, UrlsCarryTheChoices)
{
    struct Case
    {
        int serverId;
        bool descriptions;
        bool ascending;
        int categoryIndex;
        int sortKey;
        const char* query;
        const char* url;
    };
    const Case cases[] = {
        {150, false, true, 0, 2, "tin robot",
         "http://search.auctions.yahoo.com/search/auc?alocale=0us&acc=us&p=tin+robot&s1=end&o1=a"},
        {150, true, false, 1, 8, "tin robot",
         "http://search-desc.auctions.yahoo.com/search/auc?alocale=0us&acc=us&p=tin+robot&auccat=202501562&s1=cbid"
         "&o1=d"},
        {150, false, true, 2, 16, "lamp",
         "http://search.auctions.yahoo.com/search/auc?alocale=0us&acc=us&p=lamp&auccat=206527994&o1=a"},
        {150, false, false, 9, 4, "50% off", "http://search.auctions.yahoo.com/search/auc?alocale=0us&acc=us&p=50%25+off&o1=d"},
        {158, false, true, 0, 32, "lamp", "http://search.auctions.yahoo.com/search/auc?alocale=0uk&acc=uk&p=lamp&s1=img&o1=a"},
        {161, true, true, 0, 128, "lamp",
         "http://search-desc.auctions.yahoo.com/search/auc?alocale=0ca&acc=ca&p=lamp&s1=bids&o1=a"},
        {152, false, true, 0, 64, "lampe",
         "http://intl.search.auctions.yahoo.com/search/auc?alocale=0fr&acc=fr&p=title%3alampe&s1=item&o1=a"},
        {152, true, false, 1, 128, "caf\xE9",
         "http://intl.search.auctions.yahoo.com/search/auc?alocale=0fr&acc=fr&p=caf%E9&auccat=1234&s1=bids&o1=d"},
        {154, false, true, 1, 16, "uhr", "http://intl.search.auctions.yahoo.com/search/auc?alocale=0de&acc=de&p=title%3auhr&o1=a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        CSearchRequest request;
        Row(c.serverId).GetSearchDefaults(request);
        request.searchDescriptions = c.descriptions;
        request.ascending = c.ascending;
        request.categoryIndex = c.categoryIndex;
        request.sortKey = c.sortKey;
        request.query = c.query;
        EXPECT_EQ(Row(c.serverId).BuildSearchUrl(request), c.url);
    }
}

TEST_F(YahooSearch, CategoryNamesFollowTheCountrysRows)
{
    std::vector<std::string> names;
    Row(152).GetCategoryNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"Toutes", "Antiquit\xE9s"}));
    names.clear();
    Row(158).GetCategoryNames(names);
    EXPECT_TRUE(names.empty());
}

} // namespace
