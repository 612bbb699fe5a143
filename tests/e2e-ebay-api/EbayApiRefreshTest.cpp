// The live eBay rows end to end: the real lotwarden program adds today's item addresses and
// refreshes them through the simulator's Browse API and token endpoint.

#include "tools/auction-sim/Scenario.h"
#include "tools/auction-sim/SimServer.h"

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace {

const char* const kScenario = R"(
[ebay-api-token]
client-id = my-app
client-secret = my-cert
revoke-after = 2

[ebay-api-item 123456789012]
title = Tin robot
price = 45.00
bids = 3
step-price = 2.50
seller = tinlover
category = Toys & Hobbies|Robots
city = Portland
region = Oregon
country = US
created = 2026-12-01T10:00:00.000Z
ends-in = 86400
description = Winds up and walks

[ebay-api-item 234567890123]
title = Leica M3
price = 610.00
currency = GBP
bids = 0
seller = shutterbug
ends-in = -3600

[ebay-api-item 345678901234]
body = {"title": "cut

[ebay-api-item 456789012345]
page = not-found

)";

struct RunResult
{
    int exitCode = -1;
    std::string output;
};

size_t Collect(char* data, size_t size, size_t count, void* user)
{
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

class EbayApiRefresh : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() / ("lw-ebay-api-" + std::to_string(getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        StartSimulator(kScenario);
        list = (dir / "list.lwd").string();
        ASSERT_EQ(Run("new '" + list + "'").exitCode, 0);
    }
    void StartSimulator(const char* scenario)
    {
        if (server)
            server->Stop();
        lwsim::RouteTable table;
        std::string error;
        ASSERT_TRUE(lwsim::LoadScenarioText(scenario, ".", "test", table, error)) << error;
        server = std::make_unique<lwsim::Server>(std::move(table));
        ASSERT_TRUE(server->Start(error)) << error;
    }

    void TearDown() override
    {
        server->Stop();
        std::filesystem::remove_all(dir);
    }

    RunResult Run(const std::string& args)
    {
        const std::string command = "LOTWARDEN_EBAY_API_URL='" + server->BaseUrl() + "' " + keys + " " +
                                    budget + " XDG_CONFIG_HOME='" + (dir / "config").string() +
                                    "' http_proxy= https_proxy= LOTWARDEN_TMPDIR='" + (dir / "tmp").string() +
                                    "' '" LW_BIN_DIR "/lotwarden' " + args + " 2>&1";
        RunResult result;
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe)
            return result;
        char buffer[4096];
        std::size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            result.output.append(buffer, n);
        const int status = pclose(pipe);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return result;
    }

    std::string Get(const std::string& path)
    {
        std::string body;
        CURL* easy = curl_easy_init();
        const std::string url = server->BaseUrl() + path;
        curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
        curl_easy_setopt(easy, CURLOPT_PROXY, "");
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, Collect);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
        curl_easy_perform(easy);
        curl_easy_cleanup(easy);
        return body;
    }

    int Requests(const std::string& route)
    {
        const nlohmann::json stats = nlohmann::json::parse(Get("/__sim/stats"), nullptr, false);
        if (!stats.is_object() || !stats["routes"].contains(route))
            return 0;
        return stats["routes"][route]["requests"].get<int>();
    }

    nlohmann::json Items()
    {
        const nlohmann::json shown =
            nlohmann::json::parse(Run("show '" + list + "' --json --page-text").output, nullptr, false);
        return shown.is_object() ? shown["items"] : nlohmann::json::array();
    }

    std::filesystem::path dir;
    std::string list;
    std::string keys = "LOTWARDEN_EBAY_CLIENT_ID=my-app LOTWARDEN_EBAY_CLIENT_SECRET=my-cert";
    std::string budget = "LOTWARDEN_EBAY_CALLS_PER_DAY=";
    std::unique_ptr<lwsim::Server> server;
};

TEST_F(EbayApiRefresh, EveryAddressFormAddsAndARefreshFillsEveryField)
{
    RunResult added =
        Run("add '" + list + "' 'https://www.ebay.com/itm/Tin-robot-boxed/123456789012?hash=x#desc' " +
            "'https://m.ebay.co.uk/itm/234567890123'");
    ASSERT_EQ(added.exitCode, 0) << added.output;
    // The same item again by its bare number is already there.
    EXPECT_NE(Run("add '" + list + "' --server 201 123456789012").output.find("Already in the list"),
              std::string::npos);

    RunResult refreshed = Run("refresh '" + list + "'");
    EXPECT_EQ(refreshed.exitCode, 0) << refreshed.output;
    EXPECT_NE(refreshed.output.find("2 refreshed, 0 failed"), std::string::npos) << refreshed.output;

    nlohmann::json items = Items();
    ASSERT_EQ(items.size(), 2u);
    const nlohmann::json& robot = items[0];
    EXPECT_EQ(robot["serverId"], 201);
    EXPECT_EQ(robot["url"], "https://www.ebay.com/itm/123456789012");
    EXPECT_EQ(robot["description"], "Tin robot");
    EXPECT_EQ(robot["currentPrice"], "$45.00");
    EXPECT_EQ(robot["bidCount"], 3);
    EXPECT_EQ(robot["seller"], "tinlover");
    EXPECT_EQ(robot["category"], "Toys & Hobbies:Robots");
    EXPECT_EQ(robot["location"], "Portland, Oregon, US");
    EXPECT_EQ(robot["currentBuyer"], "");
    EXPECT_EQ(robot["finished"], 0);
    EXPECT_NE(robot["pageText"].get<std::string>().find("Winds up and walks"), std::string::npos);
    const nlohmann::json& leica = items[1];
    EXPECT_EQ(leica["serverId"], 202);
    EXPECT_EQ(leica["currentPrice"], "\xC2\xA3"
                                     "610.00"); // shown as UTF-8
    EXPECT_EQ(leica["initialPrice"], "\xC2\xA3"
                                     "610.00"); // learned before the first bid
    EXPECT_EQ(leica["finished"], 1);            // its end has passed

    // The auction moves on: the next refresh shows the leading bid's change.
    Get("/__ebay-api/step");
    RunResult second = Run("refresh '" + list + "'");
    EXPECT_EQ(second.exitCode, 0) << second.output;
    EXPECT_NE(second.output.find("Current Price: $45.00 -> $47.50"), std::string::npos) << second.output;
    items = Items();
    EXPECT_EQ(items[0]["bidCount"], 4);
}

TEST_F(EbayApiRefresh, ARefusedTokenIsRenewedOnceWithoutAQuestion)
{
    // Each token serves two item calls; the third is refused with 401.
    ASSERT_EQ(Run("add '" + list +
                  "' https://www.ebay.com/itm/123456789012 https://www.ebay.co.uk/itm/234567890123")
                  .exitCode,
              0);
    ASSERT_EQ(Run("add '" + list + "' --server 203 123456789012").exitCode, 0);
    RunResult run = Run("refresh '" + list + "' --on-error ignore");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("3 refreshed, 0 failed"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("Error retrieving"), std::string::npos) << run.output;
    EXPECT_EQ(Requests("/identity/v1/oauth2/token"), 2);
    EXPECT_EQ(run.output.find("sim-token"), std::string::npos); // tokens never reach the output
}

TEST_F(EbayApiRefresh, BadAnswersAndMissingKeysFailTheItemWithTheReason)
{
    ASSERT_EQ(Run("add '" + list + "' --server 201 345678901234").exitCode, 0);
    ASSERT_EQ(Run("add '" + list + "' --server 201 456789012345").exitCode, 0);
    RunResult run = Run("refresh '" + list + "' --on-error ignore");
    EXPECT_EQ(run.exitCode, 3) << run.output;
    EXPECT_NE(run.output.find("not a readable item"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Failed #345678901234 on eBay.com (live)"), std::string::npos) << run.output;
    // A 404 is a failed transfer: the item fails like any page that cannot be fetched.
    EXPECT_NE(run.output.find("Failed #456789012345"), std::string::npos) << run.output;

    keys = "LOTWARDEN_EBAY_CLIENT_ID= LOTWARDEN_EBAY_CLIENT_SECRET=";
    RunResult keyless = Run("refresh '" + list + "' --on-error ignore --item 345678901234");
    EXPECT_EQ(keyless.exitCode, 3) << keyless.output;
    EXPECT_NE(keyless.output.find("No eBay developer keys are set"), std::string::npos) << keyless.output;
    EXPECT_NE(keyless.output.find("developer.ebay.com"), std::string::npos);
    EXPECT_EQ(Requests("/identity/v1/oauth2/token"), 1); // the keyless run asked for nothing
}

TEST_F(EbayApiRefresh, ABusyServerIsAskedAgainAfterTheWaitItNames)
{
    StartSimulator(R"(
[ebay-api-token]
client-id = my-app
client-secret = my-cert

[ebay-api-item 567890123456]
title = Busy lot
busy-first = 1
busy-wait = 1

[ebay-api-item 678901234567]
title = Always busy
busy-first = 100
busy-wait = 0
)");
    ASSERT_EQ(Run("add '" + list + "' --server 201 567890123456").exitCode, 0);
    ASSERT_EQ(Run("add '" + list + "' --server 201 678901234567").exitCode, 0);
    RunResult run = Run("refresh '" + list + "' --on-error ignore");
    EXPECT_EQ(run.exitCode, 3) << run.output;
    // The first 429 is waited out quietly and the second call answers.
    EXPECT_EQ(run.output.find("Error retrieving Item #567890123456"), std::string::npos) << run.output;
    EXPECT_EQ(Requests("/buy/browse/v1/item/get_item_by_legacy_id?legacy_item_id=567890123456"), 2);
    // A server that stays busy is asked three more times, then the user hears of it once.
    EXPECT_EQ(Requests("/buy/browse/v1/item/get_item_by_legacy_id?legacy_item_id=678901234567"), 4);
    EXPECT_NE(run.output.find("Failed #678901234567"), std::string::npos) << run.output;
    EXPECT_EQ(Items()[0]["description"], "Busy lot");
}

TEST_F(EbayApiRefresh, TheDaysCallBudgetHoldsAcrossRuns)
{
    budget = "LOTWARDEN_EBAY_CALLS_PER_DAY=2";
    ASSERT_EQ(Run("add '" + list +
                  "' https://www.ebay.com/itm/123456789012 https://www.ebay.co.uk/itm/234567890123")
                  .exitCode,
              0);
    ASSERT_EQ(Run("add '" + list + "' --server 203 123456789012").exitCode, 0);
    RunResult first = Run("refresh '" + list + "' --on-error ignore");
    EXPECT_EQ(first.exitCode, 3) << first.output;
    EXPECT_NE(first.output.find("2 refreshed, 1 failed"), std::string::npos) << first.output;
    EXPECT_NE(first.output.find("budget of 2 eBay calls is spent"), std::string::npos) << first.output;
    // The next program run counts on from the same day's calls.
    RunResult second = Run("refresh '" + list + "' --on-error ignore");
    EXPECT_EQ(second.exitCode, 3) << second.output;
    EXPECT_NE(second.output.find("\n0 refreshed, "), std::string::npos)
        << second.output; // the ended item rests
    EXPECT_EQ(Requests("/buy/browse/v1/item/get_item_by_legacy_id?legacy_item_id=123456789012") +
                  Requests("/buy/browse/v1/item/get_item_by_legacy_id?legacy_item_id=234567890123"),
              2);
}

} // namespace
