// lotwarden's parse-page and search-url on the Yahoo servers: a national item's two pages read
// in one call, an English site's page, and search URLs with the shipped category lists.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>

#include <sys/wait.h>

namespace {

std::string RunLotwarden(const std::string& arguments, int& status)
{
    std::string output;
    FILE* pipe = popen(("'" + std::string(LW_BIN_DIR) + "/lotwarden' " + arguments + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        status = -1;
        return output;
    }
    std::array<char, 4096> buffer{};
    std::size_t n = 0;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        output.append(buffer.data(), n);
    const int raw = pclose(pipe);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return output;
}

std::string DataFile(const char* name)
{
    return "'" + std::string(LW_TEST_DATA_DIR) + "/sites/yahoo/" + name + "'";
}

TEST(YahooCli, ParsePageReadsBothPagesOfANationalItem)
{
    int status = 0;
    const std::string json = RunLotwarden("parse-page --server 152 --item 7654321 " + DataFile("fr_english.html") +
                                              " " + DataFile("fr_national.html"),
                                          status);
    ASSERT_EQ(status, 0) << json;
    EXPECT_NE(json.find("\"result\": 0"), std::string::npos) << json;
    EXPECT_NE(json.find("\"currentPrice\": \"FF 300.00\""), std::string::npos) << json;
    EXPECT_NE(json.find("Ench\xC3\xA8re actuelle"), std::string::npos) << json;
    EXPECT_NE(json.find("\"fetchAgain\": false"), std::string::npos) << json;

    // The English rendering alone asks for the national page, without "?acc=us".
    const std::string first = RunLotwarden("parse-page --server 152 --item 7654321 " + DataFile("fr_english.html"), status);
    ASSERT_EQ(status, 0) << first;
    EXPECT_NE(first.find("\"nextUrl\": \"http://fr.page.auctions.yahoo.com/auction/7654321\""), std::string::npos)
        << first;
}

TEST(YahooCli, ParsePageOnEnglishSitesAndErrorPages)
{
    int status = 0;
    const std::string json = RunLotwarden("parse-page --server 158 --item 5551234 " + DataFile("uk_running.html"), status);
    ASSERT_EQ(status, 0) << json;
    EXPECT_NE(json.find("\"category\": \"Toys & Games:Vintage\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"currentBuyer\": \"robotfan\""), std::string::npos) << json;

    const std::string error = RunLotwarden("parse-page --server 150 " + DataFile("error.html"), status);
    EXPECT_NE(status, 0) << error;
    EXPECT_NE(error.find("\"result\": 1"), std::string::npos) << error;
}

TEST(YahooCli, SearchUrls)
{
    const std::pair<const char*, const char*> cases[] = {
        {"--server 150 --query 'tin robot' --category 1",
         "http://search.auctions.yahoo.com/search/auc?alocale=0us&acc=us&p=tin+robot&auccat=202501562&s1=end&o1=a\n"},
        {"--server 150 --query lamp --descending",
         "http://search.auctions.yahoo.com/search/auc?alocale=0us&acc=us&p=lamp&s1=end&o1=d\n"},
        {"--server 161 --query lamp --sort price --descriptions",
         "http://search-desc.auctions.yahoo.com/search/auc?alocale=0ca&acc=ca&p=lamp&s1=cbid&o1=a\n"},
        {"--server 152 --query lampe --sort bids",
         "http://intl.search.auctions.yahoo.com/search/auc?alocale=0fr&acc=fr&p=title%3alampe&s1=bids&o1=a\n"},
    };
    for (const auto& [arguments, url] : cases) {
        SCOPED_TRACE(arguments);
        int status = 0;
        EXPECT_EQ(RunLotwarden(std::string("search-url ") + arguments, status), url);
        EXPECT_EQ(status, 0);
    }
    int status = 0;
    RunLotwarden("search-url --server 154", status);
    EXPECT_NE(status, 0);
    // Yahoo offers no ranking: asked for one, the command says so instead of dropping it.
    EXPECT_EQ(RunLotwarden("search-url --server 150 --query lamp --sort rank", status),
              "lotwarden: Yahoo cannot sort by rank\n");
    EXPECT_EQ(status, 2);
}

} // namespace
