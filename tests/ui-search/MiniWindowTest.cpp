// The browser mini window against a fake browser: following the browser window's address,
// "Add this item" only for a new item page, and closing when the browser window is gone.

#include "ui/BrowserMiniWindow.h"

#include "../ui/UiTestSupport.h"
#include "browser/BrowserRequest.h"
#include "core/document/LotwardDoc.h"
#include "platform/MemorySettingsStore.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QPushButton>

#include <gtest/gtest.h>

namespace
{
class CFakeBrowser : public IBrowserConversations
{
public:
    std::string windowInfo;
    bool Exists() const override { return true; }
    bool Initialize() override { return true; }
    std::string DefaultBrowserService() override { return "NSShell"; }
    Conversation Connect(const std::string&, const std::string&) override { return 1; }
    bool Request(Conversation, const std::string& item, int, std::string& data) override
    {
        if (item != "12")
            return false;
        data = windowInfo;
        return true;
    }
    void Disconnect(Conversation) override {}
    void Uninitialize() override {}
};
} // namespace

TEST(BrowserMiniWindow, FollowsTheBrowserAndOffersOnlyNewItems)
{
    RunningApp app;
    AddEbayItems(app.Doc(), {"1000"});
    CFakeBrowser browser;
    SetBrowserConversations(&browser);
    bool exists = true;
    CBrowserWindowProbe probe;
    probe.exists = [&] { return exists; };
    probe.inForeground = [] { return true; };
    probe.minimized = [] { return false; };
    CLotwardDoc* doc = &app.Doc();
    QPointer<CBrowserMiniWindow> mini =
        new CBrowserMiniWindow(app.settings, [doc] { return doc; }, 12, probe, {});
    EXPECT_TRUE(mini->windowFlags() & Qt::WindowStaysOnTopHint);

    const std::string fresh = EbayUrl("2000");
    const struct { std::string info; std::string url; bool add; } cases[] = {
        {"\"" + fresh + "\",\"eBay item 2000\"", fresh, true},
        {EbayUrl("1000") + ",eBay item 1000", EbayUrl("1000"), false},
        {"\"http://www.example.com/\",\"Other\"", "http://www.example.com/", false},
    };
    for (const auto& c : cases) {
        browser.windowInfo = c.info;
        mini->OnTick();
        EXPECT_EQ(mini->CurrentUrl(), c.url);
        EXPECT_EQ(mini->AddButton()->isEnabled(), c.add) << c.info;
        EXPECT_TRUE(mini->isVisible());
    }

    browser.windowInfo = "\"" + fresh + "\",\"x\"";
    mini->OnTick();
    const int before = app.Doc().GetItemCount();
    mini->AddButton()->click();
    EXPECT_EQ(app.Doc().GetItemCount(), before + 1);
    EXPECT_FALSE(mini->AddButton()->isEnabled());
    mini->OnTick();
    EXPECT_FALSE(mini->AddButton()->isEnabled());

    mini->move(33, 44);
    exists = false;
    mini->OnTick();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(mini.isNull());
    EXPECT_EQ(app.settings.GetInt("Browser Window", "Left", -1), 33);
    SetBrowserConversations(nullptr);
    app.Doc().SetModifiedFlag(false);
}
