// The auction-sim program over loopback: plain and proxy-style requests, each injected fault,
// the control pages, and clean stops.

#include "tests/sim/SimProcess.h"
#include "tools/auction-sim/Scenario.h"
#include "tools/auction-sim/SimServer.h"

#include <gtest/gtest.h>

#include <curl/curl.h>

#include <csignal>
#include <thread>

namespace {

struct Fetched
{
    CURLcode result = CURLE_OK;
    long status = 0;
    std::string body;
};

size_t Collect(char* data, size_t size, size_t count, void* user)
{
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

Fetched Fetch(const std::string& url, const std::string& proxy = {}, const std::string& proxyUser = {})
{
    Fetched fetched;
    CURL* easy = curl_easy_init();
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROXY, proxy.c_str());
    curl_easy_setopt(easy, CURLOPT_NOPROXY, proxy.empty() ? "*" : "");
    if (!proxyUser.empty()) {
        curl_easy_setopt(easy, CURLOPT_PROXYUSERPWD, proxyUser.c_str());
        curl_easy_setopt(easy, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC));
    }
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &fetched.body);
    curl_easy_setopt(easy, CURLOPT_TIMEOUT, 20L);
    fetched.result = curl_easy_perform(easy);
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &fetched.status);
    curl_easy_cleanup(easy);
    return fetched;
}

std::string Scenario()
{
    return std::string(LW_TEST_DATA_DIR) + "/sim/basic.scn";
}

class SimServerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(sim.Start({"--scenario", Scenario()}, error)) << error;
        base = sim.BaseUrl();
    }
    SimProcess sim;
    std::string base;
};

TEST_F(SimServerTest, AnswersPagesAndFaults)
{
    struct Case
    {
        const char* what;
        std::string url;
        bool viaProxy;
        CURLcode result;
        long status;
        std::string body; // "" to skip; "#N" for a body of N bytes
    };
    const std::string ebay = "http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=123";
    const Case cases[] = {
        {"plain page", base + "/page", false, CURLE_OK, 200, "<html><body>plain page</body></html>"},
        {"plain page through the proxy", "http://any.example/page", true, CURLE_OK, 200,
         "<html><body>plain page</body></html>"},
        {"site page by its full URL", ebay, true, CURLE_OK, 200, ""},
        {"site page by the wrong host", "http://cgi.ebay.co.uk/aw-cgi/eBayISAPI.dll?ViewItem&item=123", true,
         CURLE_OK, 404, ""},
        {"wildcard route", base + "/items/77", false, CURLE_OK, 200, "any item"},
        {"404", base + "/missing", false, CURLE_OK, 404, "<html>gone</html>"},
        {"500", base + "/broken", false, CURLE_OK, 500, ""},
        {"unknown page", base + "/nothing", false, CURLE_OK, 404, ""},
        {"slow chunks", base + "/slow", false, CURLE_OK, 200, "#5000"},
        {"reset mid-body", base + "/reset", false, CURLE_RECV_ERROR, 200, ""},
        {"truncated body", base + "/truncated", false, CURLE_PARTIAL_FILE, 200, ""},
        {"407 without credentials", "http://any.example/proxy-only", true, CURLE_OK, 407, ""},
        {"redirect", base + "/redirect", false, CURLE_OK, 302, ""},
        {"unknown control page", base + "/__sim/nothing", false, CURLE_OK, 404, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Fetched fetched = Fetch(c.url, c.viaProxy ? base : std::string());
        EXPECT_EQ(fetched.result, c.result) << curl_easy_strerror(fetched.result);
        EXPECT_EQ(fetched.status, c.status);
        if (c.body.rfind("#", 0) == 0) {
            EXPECT_EQ(fetched.body.size(), std::stoul(c.body.substr(1)));
        } else if (!c.body.empty()) {
            EXPECT_EQ(fetched.body, c.body);
        }
    }
    const Fetched item = Fetch(ebay, base);
    EXPECT_NE(item.body.find("Current bid: $12.50"), std::string::npos);
}

TEST_F(SimServerTest, ProxyCredentialsOpenTheRoute)
{
    EXPECT_EQ(Fetch("http://any.example/proxy-only", base, "buyer:wrong").status, 407);
    const Fetched fetched = Fetch("http://any.example/proxy-only", base, "buyer:s3cret");
    EXPECT_EQ(fetched.status, 200);
    EXPECT_EQ(fetched.body, "welcome");
}

TEST_F(SimServerTest, OversizedBodyIsStreamed)
{
    // The client stops reading early; the server must not have built 50 MB in memory to send it.
    CURL* easy = curl_easy_init();
    std::string body;
    curl_easy_setopt(easy, CURLOPT_URL, (base + "/big").c_str());
    curl_easy_setopt(easy, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION,
                     +[](char* data, size_t size, size_t count, void* user) -> size_t {
                         auto* text = static_cast<std::string*>(user);
                         text->append(data, size * count);
                         return text->size() > 1000000 ? 0 : size * count;
                     });
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
    EXPECT_EQ(curl_easy_perform(easy), CURLE_WRITE_ERROR);
    curl_off_t length = 0;
    curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    curl_easy_cleanup(easy);
    EXPECT_EQ(length, 50000000);
    EXPECT_EQ(body.substr(0, 10), "lotwarden ");
}

TEST_F(SimServerTest, StatsCountRequestsAndResetClearsThem)
{
    Fetch(base + "/page");
    Fetch("http://x.example/page", base);
    Fetch(base + "/missing");
    Fetch(base + "/nothing");
    const Fetched stats = Fetch(base + "/__sim/stats");
    EXPECT_EQ(stats.status, 200);
    EXPECT_NE(stats.body.find("{\"requests\":4,\"active\":0,\"maxConcurrent\":1,"), std::string::npos) << stats.body;
    EXPECT_NE(stats.body.find("\"/page\":{\"requests\":2,"), std::string::npos) << stats.body;
    EXPECT_NE(stats.body.find("\"(none)\":{\"requests\":1,"), std::string::npos) << stats.body;
    EXPECT_EQ(Fetch(base + "/__sim/reset").status, 200);
    EXPECT_NE(Fetch(base + "/__sim/stats").body.find("{\"requests\":0,"), std::string::npos);
}

TEST_F(SimServerTest, ConcurrentTransfersAreCounted)
{
    std::vector<std::thread> clients;
    for (int i = 0; i < 4; ++i)
        clients.emplace_back([&] { Fetch(base + "/slow"); });
    for (auto& client : clients)
        client.join();
    const std::string body = Fetch(base + "/__sim/stats").body;
    EXPECT_NE(body.find("\"/slow\":{\"requests\":4,\"active\":0,"), std::string::npos) << body;
}

TEST_F(SimServerTest, StopsWhenItsInputCloses)
{
    sim.CloseStdin();
    EXPECT_EQ(sim.Wait(), 0);
}

TEST_F(SimServerTest, StopsOnSignalsEvenWithATransferHeld)
{
    std::thread client([&] { Fetch(base + "/slow"); });
    kill(sim.Pid(), SIGINT);
    EXPECT_EQ(sim.Wait(), 0);
    client.join();
}

TEST(SimProgramTest, BadScenarioIsRefusedWithTheLine)
{
    SimProcess sim;
    std::string error;
    EXPECT_FALSE(sim.Start({"--scenario", std::string(LW_TEST_DATA_DIR) + "/sim/no-such-file.scn"}, error));
    EXPECT_EQ(sim.Wait(), 1);
}

TEST(SimProgramTest, TwoServersRunSideBySide)
{
    SimProcess first, second;
    std::string error;
    ASSERT_TRUE(first.Start({"--scenario", Scenario()}, error)) << error;
    ASSERT_TRUE(second.Start({"--scenario", Scenario()}, error)) << error;
    EXPECT_NE(first.Port(), second.Port());
    EXPECT_EQ(Fetch(second.BaseUrl() + "/page").status, 200);
}

TEST(SimInProcessTest, PageHandlersAnswerOnAThreadOfTheTest)
{
    lwsim::RouteTable table;
    lwsim::Route route;
    route.pattern = "/echo*";
    route.handler = [](const lwsim::Request& request, lwsim::Response& response) {
        if (request.query.empty())
            return false;
        response.body = "query=" + request.query;
        return true;
    };
    table.Add(route);
    lwsim::Server server(std::move(table));
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    EXPECT_EQ(Fetch(server.BaseUrl() + "/echo?a=1").body, "query=a=1");
    EXPECT_EQ(Fetch(server.BaseUrl() + "/echo").status, 404);
    EXPECT_EQ(server.Stats().routes.at("/echo*").requests, 2);
    server.Stop();
    EXPECT_NE(Fetch(server.BaseUrl() + "/echo?a=1").result, CURLE_OK);
}

} // namespace
