// The simulator's request parsing, route matching and scenario files.

#include "tools/auction-sim/HttpMessage.h"
#include "tools/auction-sim/RouteTable.h"
#include "tools/auction-sim/Scenario.h"

#include <gtest/gtest.h>

namespace {

using lwsim::Request;

TEST(SimRequestTest, RequestLinesInBothForms)
{
    struct Case
    {
        const char* head;
        bool proxyStyle;
        const char* url;
    };
    const Case cases[] = {
        {"GET /page HTTP/1.1\r\nHost: 127.0.0.1:8080", false, "http://127.0.0.1:8080/page"},
        {"GET /a?b=c&d HTTP/1.0\r\nHost: Example.COM:80", false, "http://example.com/a?b=c&d"},
        {"GET http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=123 HTTP/1.1\r\nHost: cgi.ebay.com",
         true, "http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=123"},
        {"GET HTTP://CGI.eBay.com:80?x HTTP/1.1", true, "http://cgi.ebay.com/?x"},
        {"GET http://host:8080/p#frag HTTP/1.1", true, "http://host:8080/p"},
        {"HEAD /x? HTTP/1.1\nHost: h", false, "http://h/x?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.head);
        Request request;
        std::string error;
        ASSERT_TRUE(lwsim::ParseRequestHead(c.head, request, error)) << error;
        EXPECT_EQ(request.proxyStyle, c.proxyStyle);
        EXPECT_EQ(request.Url(), c.url);
    }
}

TEST(SimRequestTest, MalformedRequestsAreRefused)
{
    const char* heads[] = {
        "",
        "GET /page",
        "GET /page HTTP/2.0",
        "GET  HTTP/1.1",
        "G(T /page HTTP/1.1",
        "GET /pa\x01ge HTTP/1.1",
        "GET ftp://host/x HTTP/1.1",
        "GET http://user@host/x HTTP/1.1",
        "GET http:///x HTTP/1.1",
        "GET /page HTTP/1.1\r\nno colon here",
        "GET /page HTTP/1.1\r\n: empty name",
    };
    for (const char* head : heads) {
        SCOPED_TRACE(head);
        Request request;
        std::string error;
        EXPECT_FALSE(lwsim::ParseRequestHead(head, request, error));
        EXPECT_FALSE(error.empty());
    }
}

TEST(SimRequestTest, HeadersAreFoundWhateverTheirCase)
{
    Request request;
    std::string error;
    ASSERT_TRUE(lwsim::ParseRequestHead(
        "GET / HTTP/1.1\r\nProxy-Authorization:   Basic abc  \r\nX-Empty:", request, error));
    ASSERT_NE(request.Header("proxy-AUTHORIZATION"), nullptr);
    EXPECT_EQ(*request.Header("proxy-authorization"), "Basic abc");
    ASSERT_NE(request.Header("x-empty"), nullptr);
    EXPECT_EQ(*request.Header("x-empty"), "");
    EXPECT_EQ(request.Header("host"), nullptr);
}

TEST(SimRequestTest, Base64)
{
    EXPECT_EQ(lwsim::Base64Encode(""), "");
    EXPECT_EQ(lwsim::Base64Encode("f"), "Zg==");
    EXPECT_EQ(lwsim::Base64Encode("fo"), "Zm8=");
    EXPECT_EQ(lwsim::Base64Encode("foo"), "Zm9v");
    EXPECT_EQ(lwsim::Base64Encode("buyer:s3cret"), "YnV5ZXI6czNjcmV0");
}

TEST(SimRequestTest, BestRouteWins)
{
    lwsim::RouteTable table;
    for (const char* pattern : {"/page", "/items/*", "/items/special*", "http://Site.example:80/page",
                                "http://site.example/items/*", "http://other.example*"}) {
        lwsim::Route route;
        route.pattern = pattern;
        ASSERT_TRUE(table.Add(route)) << pattern;
    }
    lwsim::Route bad;
    bad.pattern = "ftp://x/";
    EXPECT_FALSE(table.Add(bad));
    bad.pattern = "";
    EXPECT_FALSE(table.Add(bad));

    struct Case
    {
        const char* url;
        const char* expected; // nullptr: no route
    };
    const Case cases[] = {
        {"http://site.example/page", "http://site.example/page"},
        {"http://127.0.0.1:9/page", "/page"},
        {"http://127.0.0.1:9/page?x", nullptr},
        {"http://127.0.0.1:9/items/7", "/items/*"},
        {"http://127.0.0.1:9/items/special-1", "/items/special*"},
        {"http://site.example/items/special-1", "http://site.example/items/*"},
        {"http://other.example.net/anything", "http://other.example*"},
        {"http://127.0.0.1:9/item", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        Request request;
        std::string error;
        ASSERT_TRUE(lwsim::ParseRequestHead(std::string("GET ") + c.url + " HTTP/1.1", request, error));
        const lwsim::Route* route = table.Find(request);
        if (!c.expected) {
            EXPECT_EQ(route, nullptr);
            continue;
        }
        ASSERT_NE(route, nullptr);
        EXPECT_EQ(route->pattern, c.expected);
    }
}

TEST(SimRequestTest, ScenarioFileGivesRoutesAndFaults)
{
    lwsim::RouteTable table;
    std::string error;
    ASSERT_TRUE(lwsim::LoadScenarioFile(std::string(LW_TEST_DATA_DIR) + "/sim/basic.scn", table, error)) << error;
    auto find = [&](const std::string& pattern) -> const lwsim::Route* {
        for (const auto& route : table.Routes())
            if (route.pattern == pattern)
                return &route;
        return nullptr;
    };
    const lwsim::Route* item = find("http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=123");
    ASSERT_NE(item, nullptr);
    EXPECT_NE(item->response.body.find("Current bid: $12.50"), std::string::npos);
    const lwsim::Route* slow = find("/slow");
    ASSERT_NE(slow, nullptr);
    EXPECT_EQ(slow->fault.headerDelayMs, 200);
    EXPECT_EQ(slow->fault.chunkDelayMs, 20);
    EXPECT_EQ(slow->response.BodyLength(), 5000);
    const lwsim::Route* auth = find("/proxy-only");
    ASSERT_NE(auth, nullptr);
    EXPECT_TRUE(auth->fault.requireProxyAuth);
    EXPECT_EQ(auth->fault.proxyPassword, "s3cret");
    const lwsim::Route* redirect = find("/redirect");
    ASSERT_NE(redirect, nullptr);
    ASSERT_EQ(redirect->response.headers.size(), 1u);
    EXPECT_EQ(redirect->response.headers[0].second, "/page");
}

TEST(SimRequestTest, ScenarioErrorsNameTheLine)
{
    struct Case
    {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"status = 200\n", "test.scn:1: key outside a section"},
        {"[route /a]\n\nstatus = 99\n", "test.scn:3: bad number '99' for status"},
        {"[route /a]\nbody-size = 12x\n", "test.scn:2: bad number '12x' for body-size"},
        {"# c\n[route /a]\ncolour = red\n", "test.scn:3: unknown key 'colour'"},
        {"[route /a\n", "test.scn:1: section line must end with ']'"},
        {"[route /a]\njust words\n", "test.scn:2: expected 'key = value'"},
        {"[route a]\n", "test.scn:1: bad route pattern 'a' (a full http URL or a path starting with '/')"},
        {"[nosuch 1]\n", "test.scn:1: unknown section type 'nosuch'"},
        {"[route /a]\nbody-file = missing.html\n", "test.scn:2: cannot read body file '/nonexistent/missing.html'"},
        {"[route /a]\nproxy-auth = nocolon\n", "test.scn:2: proxy-auth must be 'user:password'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        lwsim::RouteTable table;
        std::string error;
        EXPECT_FALSE(lwsim::LoadScenarioText(c.text, "/nonexistent", "test.scn", table, error));
        EXPECT_EQ(error, c.error);
    }
}

TEST(SimRequestTest, RegisteredSectionTypesMakeRoutes)
{
    lwsim::RegisterSectionType("test-item", [](const lwsim::ScenarioSection& section,
                                               lwsim::RouteTable& table, std::string& error) {
        const std::string* title = section.Get("title");
        if (!title) {
            error = "title missing";
            return false;
        }
        lwsim::Route route;
        route.pattern = "http://items.example/" + section.name;
        route.response.body = "<title>" + *title + "</title>";
        return table.Add(route);
    });
    lwsim::RouteTable table;
    std::string error;
    ASSERT_TRUE(lwsim::LoadScenarioText("[test-item 42]\ntitle = Teapot\n", "", "t", table, error)) << error;
    ASSERT_EQ(table.Routes().size(), 1u);
    EXPECT_EQ(table.Routes()[0].response.body, "<title>Teapot</title>");
    EXPECT_FALSE(lwsim::LoadScenarioText("[test-item 43]\n", "", "t", table, error));
    EXPECT_EQ(error, "t:1: title missing");
}

} // namespace
