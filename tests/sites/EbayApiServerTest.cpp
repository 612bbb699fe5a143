// The live eBay rows: their place in the server table, today's item addresses, searches and
// prices in each marketplace's form.

#include "sites/EbayApiServer.h"

#include "core/StringTable.h"
#include "sites/EbayApiAccess.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace {

TEST(EbayApiRows, EightMarketplacesFollowTheOldTableWithTheirOwnIds)
{
    const char* const markets[] = {"EBAY_US", "EBAY_GB", "EBAY_DE", "EBAY_FR",
                                   "EBAY_IT", "EBAY_ES", "EBAY_AU", "EBAY_ENCA"};
    const std::vector<int> ids = AllServerIds();
    ASSERT_EQ(ids.size(), 30u);
    EXPECT_EQ(ids[21], 170); // the old rows keep their order and ids
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(markets[i]);
        EXPECT_EQ(ids[22 + static_cast<std::size_t>(i)], 201 + i);
        auto* server = dynamic_cast<CEbayApiServer*>(FindServer(201 + i));
        ASSERT_NE(server, nullptr);
        EXPECT_STREQ(server->marketplace.marketplaceId, markets[i]);
        EXPECT_NE(server->GetDisplayName().find("(live)"), std::string::npos);
        EXPECT_EQ(server->timeZoneName, "Greenwich");
    }
    EXPECT_EQ(FindServer(201)->GetDisplayLabel(), "eBay.com (live)   [U.S.A.]");
}

TEST(EbayApiRows, TodaysItemAddressesFindTheirMarketplace)
{
    struct Case
    {
        const char* url;
        int server; // 0: no server takes it
        const char* number;
    };
    const Case cases[] = {
        {"https://www.ebay.com/itm/123456789012", 201, "123456789012"},
        {"https://www.ebay.com/itm/Vintage-tin-robot-boxed/123456789012", 201, "123456789012"},
        {"https://www.ebay.com/itm/123456789012?hash=item1cbe&_trkparms=a%2Fb", 201, "123456789012"},
        {"https://www.ebay.com/itm/123456789012#vi-desc", 201, "123456789012"},
        {"https://www.ebay.com/itm/123456789012/", 201, "123456789012"},
        {"http://ebay.com/itm/123456789012", 201, "123456789012"},
        {"HTTPS://WWW.EBAY.COM/itm/123456789012", 201, "123456789012"},
        {"https://m.ebay.com/itm/123456789012", 201, "123456789012"},
        {"https://www.ebay.co.uk/itm/Leica-M3/234567890123?var=0", 202, "234567890123"},
        {"https://m.ebay.co.uk/itm/234567890123", 202, "234567890123"},
        {"https://www.ebay.de/itm/345678901234", 203, "345678901234"},
        {"https://www.ebay.fr/itm/montre/456789012345#x", 204, "456789012345"},
        {"https://www.ebay.it/itm/567890123456", 205, "567890123456"},
        {"https://www.ebay.es/itm/678901234567", 206, "678901234567"},
        {"https://www.ebay.com.au/itm/789012345678", 207, "789012345678"},
        {"https://www.ebay.ca/itm/890123456789", 208, "890123456789"},
        {"https://www.ebay.com/itm/", 0, ""},
        {"https://www.ebay.com/itm/slug/more/123456789012", 0, ""},
        {"https://www.ebay.com/itm/12345abc", 0, ""},
        {"https://www.ebay.com/sch/i.html?_nkw=robot", 0, ""},
        {"https://www.ebay.com.evil.example/itm/123456789012", 0, ""},
        {"https://evil-ebay.com/itm/123456789012", 0, ""},
        {"ftp://www.ebay.com/itm/123456789012", 0, ""},
        {"https://www.ebay.ch/itm/123456789012", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        std::string number = "unchanged";
        CAuctionServer* server = FindServerForUrl(c.url, &number);
        if (c.server == 0) {
            EXPECT_EQ(server, nullptr);
            EXPECT_EQ(number, "unchanged");
            continue;
        }
        ASSERT_NE(server, nullptr);
        EXPECT_EQ(server->serverId, c.server);
        EXPECT_EQ(number, c.number);
        // The address the browser opens is recognised again as the same item.
        std::string again;
        EXPECT_TRUE(server->ParseItemUrl(server->GetItemUrl(c.number), &again));
        EXPECT_EQ(again, c.number);
    }
}

TEST(EbayApiRows, PricesInEachMarketplacesForm)
{
    struct Case
    {
        int server;
        const char* value;
        const char* currency;
        const char* shown;
    };
    const Case cases[] = {
        {201, "1125.00", "USD", "$1,125.00"},
        {201, "0.5", "USD", "$0.50"},
        {201, "1234567.00", "USD", "$1,234,567.00"},
        {202, "31.00", "GBP",
         "\xA3"
         "31.00"},
        {203, "45.00", "EUR", "EUR 45,00"},
        {204, "1125.00", "EUR", "EUR 1.125,00"},
        {207, "45.00", "AUD", "AU $45.00"},
        {208, "45.00", "CAD", "C $45.00"},
        {208, "45.00", "USD", "US $45.00"},
        {201, "45.00", "CHF", "CHF 45.00"},
        {201, "oops", "USD", "USD oops"},
        {201, "1.234", "USD", "USD 1.234"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        auto* server = dynamic_cast<CEbayApiServer*>(FindServer(c.server));
        ASSERT_NE(server, nullptr);
        EXPECT_EQ(server->FormatPrice(c.value, c.currency), c.shown);
    }
}

TEST(EbayApiRows, SearchOpensEbaysOwnAuctionSearch)
{
    CAuctionServer* server = FindServer(202);
    ASSERT_NE(server, nullptr);
    CSearchRequest request;
    server->GetSearchDefaults(request);
    EXPECT_EQ(server->BuildSearchUrl(request), ""); // no words, no search
    request.query = "tin robot \xE9";               // Windows-1252 é goes out as UTF-8
    EXPECT_EQ(server->BuildSearchUrl(request),
              "https://www.ebay.co.uk/sch/i.html?_nkw=tin+robot+%C3%A9&LH_Auction=1&_sop=1");
    request.sortKey = CSearchRequest::kSortCurrentPrice;
    request.ascending = false;
    request.searchDescriptions = true;
    EXPECT_EQ(server->BuildSearchUrl(request),
              "https://www.ebay.co.uk/sch/i.html?_nkw=tin+robot+%C3%A9&LH_Auction=1&LH_TitleDesc=1&_sop=16");
}

TEST(EbayApiRows, TheApiAddressFollowsTheEnvironment)
{
    CAuctionServer* server = FindServer(201);
    ASSERT_NE(server, nullptr);
    unsetenv("LOTWARDEN_EBAY_API_URL");
    EXPECT_EQ(server->GetPageUrl("123"),
              "https://api.ebay.com/buy/browse/v1/item/get_item_by_legacy_id?legacy_item_id=123");
    setenv("LOTWARDEN_EBAY_API_URL", "http://127.0.0.1:8080/", 1);
    EXPECT_EQ(server->GetPageUrl("123"),
              "http://127.0.0.1:8080/buy/browse/v1/item/get_item_by_legacy_id?legacy_item_id=123");
    unsetenv("LOTWARDEN_EBAY_API_URL");
}

TEST(EbayApiKeys, TheEnvironmentBeforeThePrivateFile)
{
    const std::filesystem::path home =
        std::filesystem::temp_directory_path() / ("lw-ebay-keys-" + std::to_string(getpid()));
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    std::filesystem::create_directories(home / "Ashgrove");
    const auto writeFile = [&](const char* text) { std::ofstream(EbayApiKeysPath()) << text; };
    struct Case
    {
        const char* name;
        const char* file;   // nullptr: no file
        const char* id;     // LOTWARDEN_EBAY_CLIENT_ID, nullptr: unset
        const char* secret; // LOTWARDEN_EBAY_CLIENT_SECRET
        bool found;
        const char* wantId;
        const char* wantSecret;
    };
    const Case cases[] = {
        {"nothing", nullptr, nullptr, nullptr, false, "", ""},
        {"file", "# my keyset\nclient-id = App-1\nclient-secret=Cert-1 \n", nullptr, nullptr, true, "App-1",
         "Cert-1"},
        {"environment wins", "client-id=App-1\nclient-secret=Cert-1\n", "App-2", "Cert-2", true, "App-2",
         "Cert-2"},
        {"half an environment", "client-id=App-1\nclient-secret=Cert-1\n", "App-2", "", true, "App-1",
         "Cert-1"},
        {"file without secret", "client-id=App-1\n", nullptr, nullptr, false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(EbayApiKeysPath());
        if (c.file != nullptr)
            writeFile(c.file);
        for (auto [name, value] : {std::pair{"LOTWARDEN_EBAY_CLIENT_ID", c.id},
                                   std::pair{"LOTWARDEN_EBAY_CLIENT_SECRET", c.secret}}) {
            if (value != nullptr)
                setenv(name, value, 1);
            else
                unsetenv(name);
        }
        EbayApiKeys keys;
        EXPECT_EQ(LoadEbayApiKeys(keys), c.found);
        EXPECT_EQ(keys.clientId, c.wantId);
        EXPECT_EQ(keys.clientSecret, c.wantSecret);
    }
    unsetenv("LOTWARDEN_EBAY_CLIENT_ID");
    unsetenv("LOTWARDEN_EBAY_CLIENT_SECRET");
    std::filesystem::remove_all(home);
}

} // namespace
