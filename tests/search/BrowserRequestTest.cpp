// The browser conversation client against a fake browser: service detection, the cache of
// one conversation per topic, reconnection after the browser hangs up, and the reply readers.

#include "browser/BrowserRequest.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

namespace
{
class CFakeBrowser : public IBrowserConversations
{
public:
    std::string application;
    bool initializes = true;
    bool answers = true;
    std::map<std::string, std::string> replies; // by item
    std::vector<std::pair<std::string, std::string>> connects;
    std::vector<std::pair<Conversation, std::string>> requests;
    std::vector<Conversation> disconnects;
    int uninitialized = 0;
    Conversation next = 100;

    bool Exists() const override { return true; }
    bool Initialize() override { return initializes; }
    std::string DefaultBrowserService() override { return application; }
    Conversation Connect(const std::string& service, const std::string& topic) override
    {
        connects.emplace_back(service, topic);
        return answers ? next++ : 0;
    }
    bool Request(Conversation conversation, const std::string& item, int timeoutMs, std::string& data) override
    {
        EXPECT_EQ(timeoutMs, 1000);
        requests.emplace_back(conversation, item);
        const auto it = replies.find(item);
        if (it == replies.end())
            return false;
        data = it->second;
        return true;
    }
    void Disconnect(Conversation conversation) override { disconnects.push_back(conversation); }
    void Uninitialize() override { ++uninitialized; }
};

std::string Ids(std::initializer_list<std::int32_t> ids)
{
    std::string data;
    for (std::int32_t id : ids) {
        char bytes[4];
        std::memcpy(bytes, &id, 4);
        data.append(bytes, 4);
    }
    return data;
}
} // namespace

TEST(BrowserRequest, ServiceNameComesFromTheDefaultBrowsersApplication)
{
    const struct { const char* application; const char* service; } cases[] = {
        {"", "IExplore"}, {"NSShell", "NETSCAPE"}, {"nsshell", "NETSCAPE"}, {"NSSHELL", "NETSCAPE"},
        {"Opera", "Opera"}, {"NSShell2", "NSShell2"},
    };
    for (const auto& c : cases) {
        CFakeBrowser browser;
        browser.application = c.application;
        CBrowserRequester requester(browser);
        requester.Request("WWW_ListWindows", "WWW_ListWindows");
        EXPECT_EQ(requester.BrowserService(), c.service) << c.application;
        ASSERT_EQ(browser.connects.size(), 1u);
        EXPECT_EQ(browser.connects[0].first, c.service);
    }
}

TEST(BrowserRequest, OneConversationPerTopicIsCachedAndReplyCopied)
{
    CFakeBrowser browser;
    browser.replies["7"] = "\"http://x/\",\"Title\"";
    browser.replies["WWW_ListWindows"] = Ids({7, 0});
    CBrowserRequester requester(browser);
    std::string reply;
    std::size_t length = 0;
    ASSERT_TRUE(requester.Request("WWW_GetWindowInfo", "7", &reply, &length));
    EXPECT_EQ(reply, "\"http://x/\",\"Title\"");
    EXPECT_EQ(length, reply.size());
    ASSERT_TRUE(requester.Request("WWW_GetWindowInfo", "7"));
    ASSERT_TRUE(requester.Request("WWW_ListWindows", "WWW_ListWindows", nullptr, &length));
    EXPECT_EQ(length, 8u);
    EXPECT_EQ(browser.connects.size(), 2u);
    EXPECT_EQ(requester.CachedConversationCount(), 2u);
    EXPECT_EQ(browser.requests[0].first, browser.requests[1].first);

    // A request that gets no data fails, but keeps its conversation.
    EXPECT_FALSE(requester.Request("WWW_GetWindowInfo", "8"));
    EXPECT_EQ(requester.CachedConversationCount(), 2u);

    requester.Shutdown();
    EXPECT_EQ(browser.disconnects.size(), 2u);
    EXPECT_EQ(browser.uninitialized, 1);
    EXPECT_EQ(requester.CachedConversationCount(), 0u);
}

TEST(BrowserRequest, AfterTheBrowserHangsUpTheNextRequestConnectsAgain)
{
    CFakeBrowser browser;
    browser.replies["WWW_ListWindows"] = Ids({3, 0});
    CBrowserRequester requester(browser);
    ASSERT_TRUE(requester.Request("WWW_ListWindows", "WWW_ListWindows"));
    const auto first = browser.requests.back().first;
    requester.OnDisconnected(first);
    EXPECT_EQ(requester.CachedConversationCount(), 0u);
    ASSERT_TRUE(requester.Request("WWW_ListWindows", "WWW_ListWindows"));
    EXPECT_EQ(browser.connects.size(), 2u);
    EXPECT_NE(browser.requests.back().first, first);
}

TEST(BrowserRequest, FailuresAreReportedOnlyForAClientThatCannotStart)
{
    CFakeBrowser browser;
    browser.initializes = false;
    std::vector<std::string> messages;
    CBrowserRequester requester(browser, [&](const std::string& text) { messages.push_back(text); });
    EXPECT_FALSE(requester.Request("WWW_ListWindows", "WWW_ListWindows"));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "DDE Initialization Failed");
    // The next request tries to start again.
    browser.initializes = true;
    browser.answers = false;
    EXPECT_FALSE(requester.Request("WWW_ListWindows", "WWW_ListWindows"));
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(requester.CachedConversationCount(), 0u);
}

TEST(BrowserRequest, ThisPlatformHasNoBrowserConversation)
{
    SetBrowserConversations(nullptr);
    EXPECT_FALSE(BrowserConversationsExist());
    std::string reply = "unchanged";
    EXPECT_FALSE(BrowserRequest("WWW_ListWindows", "WWW_ListWindows", &reply));
    EXPECT_EQ(reply, "unchanged");

    CFakeBrowser browser;
    browser.replies["WWW_ListWindows"] = Ids({5, 0});
    SetBrowserConversations(&browser);
    EXPECT_TRUE(BrowserConversationsExist());
    EXPECT_TRUE(BrowserRequest("WWW_ListWindows", "WWW_ListWindows", &reply));
    SetBrowserConversations(nullptr);
    EXPECT_EQ(browser.disconnects.size(), 1u);
}

TEST(BrowserRequest, WindowListStopsAtZeroOrTheEndOfTheData)
{
    EXPECT_EQ(ParseWindowList(Ids({42, 0})), (std::vector<std::int32_t>{42}));
    EXPECT_EQ(ParseWindowList(Ids({1, 2, 0, 3})), (std::vector<std::int32_t>{1, 2}));
    EXPECT_EQ(ParseWindowList(Ids({1, 2})), (std::vector<std::int32_t>{1, 2}));
    EXPECT_EQ(ParseWindowList(Ids({9}) + "\x05\x00"), (std::vector<std::int32_t>{9}));
    EXPECT_TRUE(ParseWindowList("").empty());
    EXPECT_TRUE(ParseWindowList("\x01\x02\x03").empty());
}

TEST(BrowserRequest, PageUrlIsCutFromTheWindowInfoReply)
{
    const struct { const char* reply; const char* url; } cases[] = {
        {"\"http://a/b?c=1,2\",\"Title, with comma\"", "http://a/b?c=1,2"},
        {"http://a/b,Title", "http://a/b"},
        {"http://a/b", "http://a/b"},
        {"\"http://a/unclosed", "http://a/unclosed"},
        {"\"\",x", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UrlFromWindowInfo(c.reply), c.url) << c.reply;
}

TEST(BrowserRequest, WindowInfoMatchesThePageFileOrTheTitle)
{
    EXPECT_TRUE(WindowInfoMatches("\"file:///C:/TEMP/Temp.html\",\"x\"", "C:\\Temp\\temp.html", "Nothing"));
    EXPECT_TRUE(WindowInfoMatches("\"http://x/\",\"Lotwarden Search Window #2\"", "/tmp/temp.html",
                                  "Lotwarden Search Window #2"));
    EXPECT_FALSE(WindowInfoMatches("\"http://x/\",\"Other\"", "/tmp/temp.html", "Lotwarden Search Window"));
    EXPECT_FALSE(WindowInfoMatches("anything", "", ""));
}
