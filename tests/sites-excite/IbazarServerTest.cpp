// The iBazar adapter: French and Italian item pages (Windows-1252 labels), the bid list count,
// dates without a year on the end, the cleaned page text, and the two item URL forms.

#include "sites/IbazarServer.h"

#include "../sites/PageFiles.h"
#include "SiteClock.h"

#include <gtest/gtest.h>

namespace {

class IbazarPages : public ::testing::Test
{
protected:
    CPageFiles files;
    CIbazarServer france{"Romance", 168, "", 69, CIbazarServer::kFrance};
    CIbazarServer italy{"W. Europe", 169, "", 73, CIbazarServer::kItaly};
    CPinnedClock clock{WallClock(2000, 3, 5, 12)};

    int Parse(CIbazarServer& server, const std::string& page, CItemInfo& info)
    {
        std::string url = server.GetItemUrl("3054221");
        bool fetchAgain = false;
        const int result = server.ParsePage(files.Write(page), info, url, fetchAgain, 0, "3054221");
        EXPECT_FALSE(fetchAgain);
        EXPECT_EQ(url, server.GetItemUrl("3054221"));
        return result;
    }
};

TEST_F(IbazarPages, ReadTheItemPagesOfBothSites)
{
    struct Case
    {
        const char* file;
        bool french;
        std::uint32_t missing;
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
    const Case cases[] = {
        {"objet_fr.html", true, 0, 1, "Pi\xE8" "ce de 5 francs Semeuse 1960", 3, 0, WallClock(2000, 3, 1),
         WallClock(2000, 3, 11, 21, 30), "Collections:Monnaies", "85 FF", "50 FF", "Paris", "numismate75",
         "collec_marc"},
        // No bid list, a town not in parentheses, no current price, an end before the start.
        {"objet_sans_liste.html", false, kFoundLocation | kFoundCurrentBuyer, 2, "Portable Toshiba 486", 0, 1,
         WallClock(1999, 12, 20), WallClock(2000, 1, 3, 23, 59), "Informatique:Portables", "900 FF", "900 FF",
         "Lyon", "lucien", ""},
        {"oggetto_it.html", false, 0, 1, "Orologio da tasca", 2, 0, WallClock(2000, 4, 5),
         WallClock(2000, 4, 15, 18, 0), "Antiquariato:Orologi", "L. 150.000", "L. 100.000", "Milano", "tempo_antico",
         "marco_r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        CIbazarServer& server = std::string(c.file).find("_it") == std::string::npos ? france : italy;
        CItemInfo info;
        ASSERT_EQ(Parse(server, CPageFiles::ReadDataFile(std::string("sites/ibazar/") + c.file), info), 0);
        EXPECT_EQ(info.foundFlags, 0x5FFFu & ~kFoundNextBidPrice & ~c.missing);
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
    }
}

TEST_F(IbazarPages, ThePageIsCleanedBeforeItIsShown)
{
    CItemInfo info;
    ASSERT_EQ(Parse(france, CPageFiles::ReadDataFile("sites/ibazar/objet_fr.html"), info), 0);
    const std::string& page = info.pageText;
    const char* const present[] = {
        "<IMG src = \"http://www.ibazar.fr/img/objets/3054221.jpg\" BORDER=0>",
        "<IMG src=\"http://www.ibazar.fr/img/puce.gif\">",
        "<A href=\"http://www.ibazar.fr/aide.html\">Aide</A>",
        "<A href=\"javascript:ouvre('cgv.html')\">CGV</A>",
        "<A href=\"http://www.ibazar.fr/\">Accueil</A>",
        "<A href=\"http://www.ibazar.fr/rubrique.cgi?code=12\">",
        "<IMG src=\"http://www.ibazar.fr/img/titre.gif\">",
    };
    for (const char* text : present)
        EXPECT_NE(page.find(text), std::string::npos) << text;
    for (const char* text : {"IFRAME", "abr=!ie", "<!DOCTYPE", "HRef=", "SRC=", "\n\n"})
        EXPECT_EQ(page.find(text), std::string::npos) << text;
}

TEST_F(IbazarPages, SingleLineRules)
{
    struct Case
    {
        const char* body;
        std::time_t startDate;
        std::time_t endDate;
        std::uint32_t dateBits;
    };
    const std::string start = "D\xE9" "but ench\xE8res ";
    const std::string list = "<br>LISTE DES DERNIERES ENCHERES";
    const std::string bidder = "<br><A HRef=\"voirperso.cgi?codeperso%3d1\">";
    const Case cases[] = {
        {"<b>Le 1er mars 2000</b>", WallClock(2000, 3, 1), 0, kFoundStartDate},
        {"<b>3 ao\xFBt 2000</b>", WallClock(2000, 8, 3), 0, kFoundStartDate},
        {"<b>30 d\xE9" "cembre 2000</b><br>Fin ench\xE8res <b>2 janvier 10h15</b>", WallClock(2000, 12, 30),
         WallClock(2001, 1, 2, 10, 15), kFoundStartDate | kFoundEndDate},
        {"<b>bient\xF4t</b><br>Fin ench\xE8res <b>2 janvier 10h15</b>", 0, 0, 0},
        {"<b>Le 3 mars 2000</b><br>Fin ench\xE8res <b>Le 3 mars \xE0 18h30</b>", WallClock(2000, 3, 3),
         WallClock(2000, 3, 3, 18, 30), kFoundStartDate | kFoundEndDate},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        CItemInfo info;
        ASSERT_EQ(Parse(france, "<p>Nom de l'objet <b>x</b>\n<p>" + start + c.body + "\n", info), 0);
        EXPECT_EQ(info.foundFlags & (kFoundStartDate | kFoundEndDate), c.dateBits);
        if (c.dateBits & kFoundStartDate) {
            EXPECT_EQ(info.startDate, c.startDate);
        }
        if (c.dateBits & kFoundEndDate) {
            EXPECT_EQ(info.endDate, c.endDate);
        }
    }

    // The list marker and the first bidder on one line: that bidder counts and is the buyer.
    const std::pair<std::string, int> lists[] = {
        {list + bidder + "anne</A>\n" + bidder + "bob</A>\nLISTE DES VOTES\n" + bidder + "carl</A>\n", 2},
        {bidder + "anne</A>\n", 0},
        {"Liste des derniers surencherisseurs\n" + bidder + "dan</A> " + bidder + "eve</A>\n", 1},
    };
    for (const auto& [body, count] : lists) {
        SCOPED_TRACE(body);
        CItemInfo info;
        ASSERT_EQ(Parse(france, "<p>Nom de l'objet <b>x</b>\n" + body, info), 0);
        EXPECT_EQ(info.bidCount, count);
        EXPECT_NE(info.foundFlags & kFoundBidCount, 0u);
        EXPECT_EQ(info.currentBuyer, count == 0 ? "" : (count == 2 ? "anne" : "dan"));
    }
}

TEST_F(IbazarPages, APageWithoutLabelsFails)
{
    CItemInfo info;
    info.seller = "lucien";
    EXPECT_EQ(Parse(italy, "<html><body>Servizio non disponibile</body></html>\n", info), 1);
    EXPECT_EQ(info.foundFlags, 0u);
    EXPECT_EQ(info.seller, "lucien");
}

TEST(IbazarUrls, EncodedAndPlainItemLinks)
{
    const struct
    {
        const char* url;
        int serverId;
        const char* number;
    } cases[] = {
        {"http://www.ibazar.fr/voirobjet.cgi?codeobjet%3d3054221", 168, "3054221"},
        {"http://www.ibazar.fr/voirobjet.cgi?codeobjet%3d3054221&from=liste", 168, "3054221"},
        // The plain form keeps the whole rest of the link as the number.
        {"http://www.ibazar.fr/voirobjet.cgi?codeobjet=3054221&from=liste", 168, "3054221&from=liste"},
        {"http://www.ibazar.it/voirobjet.cgi?codeobjet%3d991", 169, "991"},
        {"http://www.ibazar.it/voirobjet.cgi?codeobjet=991", 169, "991"},
        {"http://www.ibazar.de/voirobjet.cgi?codeobjet=991", 0, ""},
        {"http://www.ibazar.fr/voirperso.cgi?codeperso%3d8812", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        std::string number;
        CAuctionServer* server = FindServerForUrl(c.url, &number);
        if (c.serverId == 0) {
            EXPECT_EQ(server, nullptr);
            continue;
        }
        ASSERT_NE(server, nullptr);
        EXPECT_EQ(server->serverId, c.serverId);
        EXPECT_EQ(number, c.number);
    }
}

TEST(IbazarSearch, NoSearchFormOnlyTheSearchPage)
{
    for (const auto& [id, url] : {std::pair{168, "http://www.ibazar.fr/search1.cgi"},
                                  std::pair{169, "http://www.ibazar.it/search1.cgi"}}) {
        CAuctionServer* server = FindServer(id);
        ASSERT_NE(server, nullptr);
        CSearchRequest request;
        request.optionMask = 15;
        request.sortMask = 31;
        request.sortKey = 2;
        server->GetSearchDefaults(request);
        EXPECT_EQ(request.optionMask, 0);
        EXPECT_EQ(request.sortMask, 0);
        EXPECT_EQ(request.sortKey, 0);
        EXPECT_TRUE(request.ascending);
        request.query = "montre";
        EXPECT_EQ(server->BuildSearchUrl(request), url);
        std::vector<std::string> names;
        server->GetCategoryNames(names);
        EXPECT_TRUE(names.empty());
    }
}

} // namespace
