// The Aucland adapter on its four national sites: item pages in four languages, the bid-history
// page counted when a buyer is shown without a bid count, and searches.

#include "sites/AuclandServer.h"

#include "../sites/PageFiles.h"
#include "text/ReferenceData.h"
#include "text/SiteDate.h"

#include <gtest/gtest.h>

namespace {

constexpr std::time_t kNow = 952800000; // 11 March 2000 18:40 UTC, winter time in Paris and London

CAuctionServer& Aucland(int serverId)
{
    CAuctionServer* server = FindServer(serverId);
    if (server == nullptr || dynamic_cast<CAuclandServer*>(server) == nullptr)
        throw std::runtime_error("not an Aucland adapter: " + std::to_string(serverId));
    return *server;
}

class AuclandTest : public ::testing::Test
{
protected:
    CPageFiles files;

    void SetUp() override
    {
        SetReferenceDataFile(std::string(LW_SOURCE_DIR) + "/resources/Lotward.dat");
        SetNowFunction([] { return kNow; });
    }
    void TearDown() override
    {
        SetNowFunction({});
        SetReferenceDataFile(DefaultReferenceDataPath());
    }

    // Reads `page` as page `pagesParsed` of item 4711 and returns ParsePage's result.
    int Parse(CAuctionServer& server, const std::string& page, CItemInfo& info, std::string& url, bool& fetchAgain,
              int pagesParsed)
    {
        return server.ParsePage(files.Write(page), info, url, fetchAgain, pagesParsed, "4711");
    }
    static std::string Page(const std::string& name) { return CPageFiles::ReadDataFile("sites/aucland/" + name); }
};

struct Locale
{
    int serverId;
    const char* code;
    const char* host;
    const char* category;
    const char* country;
    const char* initialPrice;
    const char* nextBidPrice;
    const char* currentPrice;
    std::time_t span;       // the page's time left
    std::time_t siteOffset; // the site's clock minus Paris time in March
};

constexpr std::time_t kHour = 3600;
constexpr std::time_t kDay = 24 * kHour;

const Locale kLocales[] = {
    {151, "fr", "www.aucland.fr", "Informatique:Portables", "France", "1 500,00 FF", "2 100,00 FF", "2 000,00 FF",
     2 * kDay + 3 * kHour, 0},
    {163, "uk", "www.aucland.co.uk", "Computers:Notebooks", "UK", "\xA3" "150.00", "\xA3" "210.00",
     "\xA3" "200.00", kDay + 4 * kHour + 600, -kHour},
    {165, "it", "www.aucland.it", "Informatica:Portatili", "Italia", "L. 450.000", "L. 620.000", "L. 600.000",
     kDay + 5 * kHour + 1800, 0},
    {166, "es", "www.aucland.es", "Inform\xE1tica:Port\xE1tiles", "Espa\xF1" "a", "40.000 Pts", "56.000 Pts",
     "55.000 Pts", 3 * kDay + 2 * kHour, 0},
};

TEST_F(AuclandTest, BuyerWithoutBidCountFetchesTheHistoryAndCountsItsBidders)
{
    for (const Locale& l : kLocales) {
        SCOPED_TRACE(l.code);
        CAuctionServer& server = Aucland(l.serverId);
        CItemInfo info;
        std::string url = server.GetItemUrl("4711");
        bool fetchAgain = false;
        ASSERT_EQ(Parse(server, Page(std::string(l.code) + "_bids.html"), info, url, fetchAgain, 0), 0);
        EXPECT_TRUE(fetchAgain);
        EXPECT_EQ(url, std::string("http://") + l.host + "/accdb/viewItem.asp?IDI=4711&VH=1");
        EXPECT_EQ(info.foundFlags & (kFoundBidCount | kFoundLocation), 0u);

        ASSERT_EQ(Parse(server, Page(std::string(l.code) + "_history.html"), info, url, fetchAgain, 1), 0);
        EXPECT_FALSE(fetchAgain);
        EXPECT_EQ(info.foundFlags, 0x7FEFu); // everything but the start date
        EXPECT_EQ(info.bidCount, 3);
        EXPECT_EQ(info.description, "Portable IBM ThinkPad 600E");
        EXPECT_EQ(info.category, l.category);
        EXPECT_EQ(info.seller, "infoplus");
        EXPECT_EQ(info.quantity, 1);
        EXPECT_EQ(info.initialPrice, l.initialPrice);
        EXPECT_EQ(info.nextBidPrice, l.nextBidPrice);
        EXPECT_EQ(info.currentBuyer, "jeanmi");
        EXPECT_EQ(info.currentPrice, l.currentPrice);
        EXPECT_EQ(info.location, l.country);
        EXPECT_EQ(info.finished, 0);
        EXPECT_EQ(info.endDate, kNow + l.span + l.siteOffset);
        // The description pane shows the item page, not the history, with absolute links.
        EXPECT_EQ(info.pageText.find("href=\"/"), std::string::npos);
        EXPECT_NE(info.pageText.find(std::string("src=\"http://") + l.host + "/images/items/5501/tp600.jpg\""),
                  std::string::npos);
        EXPECT_EQ(info.pageText.find("paulo"), std::string::npos);
    }
}

TEST_F(AuclandTest, NoBidsNeedsNoSecondPage)
{
    for (const Locale& l : kLocales) {
        SCOPED_TRACE(l.code);
        CAuctionServer& server = Aucland(l.serverId);
        CItemInfo info;
        std::string url = server.GetItemUrl("4711");
        bool fetchAgain = true;
        ASSERT_EQ(Parse(server, Page(std::string(l.code) + "_nobids.html"), info, url, fetchAgain, 0), 0);
        EXPECT_FALSE(fetchAgain);
        EXPECT_EQ(url, server.GetItemUrl("4711"));
        EXPECT_EQ(info.bidCount, 0);
        EXPECT_NE(info.foundFlags & kFoundBidCount, 0u);
        EXPECT_EQ(info.foundFlags & (kFoundCurrentBuyer | kFoundNextBidPrice), 0u);
        EXPECT_EQ(info.currentPrice, l.initialPrice);
        EXPECT_EQ(info.location, l.country);
        EXPECT_EQ(info.endDate, kNow + l.span + l.siteOffset);
    }
}

// The high bid is a price some buyer offered, not the price the seller started from.
TEST_F(AuclandTest, ABuyerWithoutAStartingPriceLeavesTheInitialPriceUnknown)
{
    CAuctionServer& server = Aucland(151);
    std::string page = Page("fr_bids.html");
    const std::size_t label = page.find("Prix de d\xE9part");
    ASSERT_NE(label, std::string::npos);
    const std::size_t lineStart = page.rfind('\n', label);
    page.erase(lineStart, page.find('\n', label) - lineStart);
    CItemInfo info;
    std::string url = server.GetItemUrl("4711");
    bool fetchAgain = false;
    ASSERT_EQ(Parse(server, page, info, url, fetchAgain, 0), 0);
    ASSERT_EQ(Parse(server, Page("fr_history.html"), info, url, fetchAgain, 1), 0);
    EXPECT_EQ(info.currentPrice, "2 000,00 FF");
    EXPECT_EQ(info.initialPrice, "");
    EXPECT_EQ(info.foundFlags & kFoundInitialPrice, 0u);
}

TEST_F(AuclandTest, ClosedTextFinishesTheAuctionWithoutEndDate)
{
    CAuctionServer& server = Aucland(151);
    CItemInfo info;
    std::string url = server.GetItemUrl("4711");
    bool fetchAgain = false;
    ASSERT_EQ(Parse(server, Page("fr_closed.html"), info, url, fetchAgain, 0), 0);
    EXPECT_EQ(info.finished, 1);
    EXPECT_NE(info.foundFlags & kFoundFinished, 0u);
    EXPECT_EQ(info.foundFlags & kFoundEndDate, 0u);
    EXPECT_TRUE(fetchAgain);
}

TEST_F(AuclandTest, AnErrorPageFails)
{
    CAuctionServer& server = Aucland(151);
    CItemInfo info;
    std::string url = server.GetItemUrl("4711");
    bool fetchAgain = false;
    EXPECT_EQ(Parse(server, Page("error.html"), info, url, fetchAgain, 0), 1);
    EXPECT_FALSE(fetchAgain);
    EXPECT_EQ(info.foundFlags, 0u);
}

TEST_F(AuclandTest, LineReadingCases)
{
    struct Case
    {
        const char* name;
        int serverId;
        const char* page;
        const char* field; // which field `expected` names
        const char* expected;
    };
    const Case cases[] = {
        {"tabs in the title", 151,
         "<font size=\"4\" color=\"#FFFFFF\"><b>Lot\tde\t3  </b></font>\n<i>x</i>\n", "description",
         "Lot de 3"},
        {"category rewrite", 151,
         "<font size=\"4\" color=\"#FFFFFF\"><b>Vase</b></font>\n<br>\n<a>Aucland</a> : Maison : Art de la "
         "table\n",
         "category", "Maison:Art de la table"},
        {"a category not under Aucland keeps its head", 151,
         "<font size=\"4\" color=\"#FFFFFF\"><b>Vase</b></font>\nMaison : Aucland : Art\n", "category",
         "Maison:Aucland:Art"},
        {"French duration", 151, "<td>&nbsp;Ferme dans&nbsp;:</td><td>2 jours 3 heures</td>\n", "end",
         "183600"},
        {"Italian duration", 165, "<td>&nbsp;Tempo rimasto:</td><td>1 giorno 2 ore 5 minuti</td>\n", "end",
         "93900"},
        {"Spanish duration, accents as entities", 166,
         "<td>&nbsp;Tiempo restante:</td><td>2 d&iacute;as 3 horas</td>\n", "end", "183600"},
        {"Spanish duration, accent as a byte", 166,
         "<td>&nbsp;Tiempo restante:</td><td>1 d\xED"
         "a 2 horas</td>\n",
         "end", "93600"},
        {"Spanish duration without accent", 166, "<td>&nbsp;Tiempo restante:</td><td>1 dia 2 horas</td>\n",
         "end", "93600"},
        {"one Spanish day alone is no duration", 166,
         "<td>&nbsp;Tiempo restante:</td><td>1 d&iacute;a</td>\n", "end", "none"},
        {"a nickname with an entity keeps its price", 166,
         "<td><b>Comentarios:</b></td>\n<tr><td><a href=\"/accdb/viewUser.asp?IDU=7\">jean&amp;mi</a></td>"
         "<td>55.000 Pts</td></tr>\n",
         "current", "55.000 Pts"},
        {"days alone are no duration", 151, "<td>&nbsp;Ferme dans&nbsp;:</td><td>2 jours</td>\n", "end",
         "none"},
        {"closed text compared byte for byte", 151,
         "<td>&nbsp;Ferme dans&nbsp;:</td><td>Ench&egrave;re ferm&eacute;e</td>\n", "finished", "1"},
        {"closed text of another site", 151, "<td>&nbsp;Ferme dans&nbsp;:</td><td>Auction closed</td>\n",
         "finished", "0"},
        {"second next-bid label", 163, "<td>&nbsp;Prix&nbsp;:</td><td>&pound;12.00 (min)</td>\n", "next",
         "\xA3"
         "12.00"},
        {"next bid becomes the price", 151, "<td>&nbsp;Prochaine ench\xE8re&nbsp;:</td><td>90 FF</td>\n",
         "current", "90 FF"},
        {"no location gives the country", 163, "<td>&nbsp;Seller:</td><td>bob</td>\n", "location", "UK"},
        {"English labels on the French site are not read", 151,
         "<td>&nbsp;Quantity:</td><td>4</td>\n"
         "<td>&nbsp;Vendeur&nbsp;:</td><td>bob</td>\n",
         "quantity", "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CAuctionServer& server = Aucland(c.serverId);
        CItemInfo info;
        std::string url = server.GetItemUrl("4711");
        bool fetchAgain = false;
        // A title at the end makes every page an item page without adding to the case.
        ASSERT_EQ(Parse(server, std::string(c.page) + "<font size=\"4\" color=\"#FFFFFF\"><b>Pad</b></font>\n", info,
                        url, fetchAgain, 0),
                  0);
        const std::string field = c.field;
        std::string actual;
        if (field == "description")
            actual = info.description;
        else if (field == "category")
            actual = info.category;
        else if (field == "end")
            actual = (info.foundFlags & kFoundEndDate) != 0 ? std::to_string(info.endDate - kNow) : "none";
        else if (field == "finished")
            actual = std::to_string(info.finished);
        else if (field == "next")
            actual = info.nextBidPrice;
        else if (field == "current")
            actual = info.currentPrice;
        else if (field == "location")
            actual = info.location;
        else if (field == "quantity")
            actual = std::to_string(info.quantity);
        EXPECT_EQ(actual, c.expected);
    }
}

TEST_F(AuclandTest, HistoryCountsLinksFromTheHeadingToTheDescription)
{
    CAuctionServer& server = Aucland(163);
    CItemInfo info;
    info.foundFlags = kFoundCurrentBuyer | kFoundPageText;
    info.currentBuyer = "ann";
    std::string url;
    bool fetchAgain = false;
    const std::string history = "<a href=\"/accdb/viewUser.asp?IDU=1\">seller</a>\n"
                                "<b>Comments</b> <a href=\"/accdb/viewUser.asp?IDU=2\">ann</a>\n"
                                "<a href=\"/accdb/viewUser.asp?IDU=3\">bob</a>\n"
                                "<td>no link here</td>\n"
                                "<a href=\"/accdb/viewUser.asp?IDU=2\">ann</a> <b>Item Description</b>\n"
                                "<a href=\"/accdb/viewUser.asp?IDU=1\">seller</a>\n";
    ASSERT_EQ(Parse(server, history, info, url, fetchAgain, 1), 0);
    EXPECT_EQ(info.bidCount, 3);
    EXPECT_NE(info.foundFlags & kFoundBidCount, 0u);
}

TEST_F(AuclandTest, ItemUrlsOnTheFourHosts)
{
    struct Case
    {
        const char* url;
        int serverId; // 0: no Aucland server
        const char* number;
    };
    const Case cases[] = {
        {"http://www.aucland.fr/accdb/viewItem.asp?IDI=4711", 151, "4711"},
        {"http://www.aucland.co.uk/accdb/viewItem.asp?IDI=4711&VH=1", 163, "4711"},
        {"http://www.aucland.it/accdb/viewItem.asp?IDI=98765&src=home", 165, "98765"},
        {"http://www.aucland.es/accdb/viewItem.asp?IDI=12/", 166, "12"},
        {"http://www.aucland.fr/accdb/viewUser.asp?IDU=4711", 0, ""},
        {"http://aucland.fr/accdb/viewItem.asp?IDI=4711", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        std::string number;
        CAuctionServer* server = FindServerForUrl(c.url, &number);
        if (c.serverId == 0) {
            EXPECT_TRUE(server == nullptr || dynamic_cast<CAuclandServer*>(server) == nullptr);
            continue;
        }
        ASSERT_NE(server, nullptr);
        EXPECT_EQ(server->serverId, c.serverId);
        EXPECT_EQ(number, c.number);
    }
}

TEST_F(AuclandTest, SearchUrls)
{
    CAuctionServer& server = Aucland(151);
    CSearchRequest request;
    server.GetSearchDefaults(request);
    EXPECT_FALSE(request.textOnly);
    EXPECT_FALSE(request.searchDescriptions);
    EXPECT_FALSE(request.ascending);
    EXPECT_EQ(request.optionMask, 9);
    EXPECT_EQ(request.sortMask, 139);
    EXPECT_EQ(request.sortKey, 128);

    const std::string head = "http://www.aucland.fr/form/advSearch.asp?searchOn1=0&searchKey1=";
    const std::string middle = "&logicalOp=0&searchOn2=0&searchKey2=&objectFilter=0&auctionFilter=0&display=0";
    const std::string tail = "&users=0&nick=&prevNick=&IDU=";
    struct Case
    {
        const char* query;
        int sortKey;
        bool ascending;
        int categoryIndex;
        std::string expected;
    };
    const Case cases[] = {
        {"", 128, false, 0, head + middle + "&sortBy=1&sortDirection=0&countries=1000&txtCatg=0" + tail},
        {"vase \xE9maill\xE9", 2, true, 1,
         head + "vase+%E9maill%E9" + middle + "&sortBy=3&sortDirection=1&countries=1000&txtCatg=101" + tail},
        {"lot", 8, false, 5, head + "lot" + middle + "&sortBy=2&sortDirection=0&countries=1000&txtCatg=105" + tail},
        {"lot", 4, false, 100000, head + "lot" + middle + "&sortDirection=0&countries=1000" + tail},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        request.query = c.query;
        request.sortKey = c.sortKey;
        request.ascending = c.ascending;
        request.categoryIndex = c.categoryIndex;
        EXPECT_EQ(server.BuildSearchUrl(request), c.expected);
    }

    std::vector<std::string> names;
    server.GetCategoryNames(names);
    ASSERT_GT(names.size(), 5u);
    EXPECT_EQ(names[0], "Accueil");
    EXPECT_EQ(Aucland(163).BuildSearchUrl(request).rfind("http://www.aucland.co.uk/form/advSearch.asp?", 0), 0u);
}

} // namespace
