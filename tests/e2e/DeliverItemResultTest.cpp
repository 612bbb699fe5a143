// Delivering a result to the document, and the hand-over between the scheduler thread and the
// document's thread, without the network.

#include "core/document/LotwardDoc.h"
#include "core/options/AppOptions.h"
#include "core/refresh/RefreshService.h"
#include "core/refresh/SyncResultBridge.h"
#include "sites/AuctionServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

CItemInfo PriceResult(const std::string& price)
{
    CItemInfo info;
    info.foundFlags = kFoundCurrentPrice | kFoundRetrievalDate;
    info.currentPrice = price;
    info.retrievalDate = 1000;
    return info;
}

struct CNoQuestions : IErrorQuestion, IProxyCredentialsProvider
{
    int AskAbortRetryIgnore(const std::string&) override { return kIgnore; }
    bool AskProxyCredentials(const std::string&, std::string&, std::string&) override { return false; }
};

// Hands `info` over from a scheduler-like thread and applies it on this one, as a refresh does;
// returns whether the item changed.
bool Deliver(CRefreshService& refresh, CItem* item, CItemInfo& info)
{
    bool changed = false;
    refresh.SetResultListener([&](CItem&, bool itemChanged) { changed = itemChanged; });
    std::atomic<bool> done{false};
    std::thread scheduler([&] {
        refresh.DeliverItemResult(item, info);
        done = true;
    });
    while (!done)
        refresh.WaitAndApply(std::chrono::milliseconds(5));
    scheduler.join();
    return changed;
}

TEST(DeliverItemResult, AppliesOnlyToAnItemTheDocumentStillHolds)
{
    CLotwardDoc doc, other;
    doc.OnNewDocument();
    other.OnNewDocument();
    CAuctionServer* ebay = FindServer(107);
    ASSERT_NE(ebay, nullptr);
    doc.AddItem("1", ebay);
    other.AddItem("2", ebay);
    CItem* mine = doc.FindItem("1", ebay);
    CItem* foreign = other.FindItem("2", ebay);
    CAppOptions options;
    CNoQuestions questions;
    CRefreshService refresh(doc, options, questions, questions);

    struct Case
    {
        CItem* item;
        bool applied;
    };
    for (const Case& c : {Case{nullptr, false}, Case{foreign, false}, Case{mine, true}}) {
        doc.SetModifiedFlag(false);
        CItemInfo info = PriceResult("$5.00");
        EXPECT_EQ(Deliver(refresh, c.item, info), c.applied);
        EXPECT_EQ(doc.IsModified(), c.applied);
    }
    EXPECT_EQ(mine->currentPrice, "$5.00");
    EXPECT_TRUE(foreign->currentPrice.empty());

    // A result that found nothing changes nothing and leaves the document unmodified.
    doc.SetModifiedFlag(false);
    CItemInfo empty;
    EXPECT_FALSE(Deliver(refresh, mine, empty));
    EXPECT_FALSE(doc.IsModified());
}

TEST(SyncResultBridge, SchedulerWaitsUntilTheOwnerHasAppliedItsResult)
{
    std::atomic<int> applied{0};
    std::thread::id applyThread;
    CSyncResultBridge bridge([&](CItem*, CItemInfo& info) {
        applyThread = std::this_thread::get_id();
        info.bidCount = 7;
        ++applied;
    });
    CItemInfo info;
    std::atomic<bool> returned{false};
    std::thread scheduler([&] {
        bridge.DeliverItemResult(nullptr, info);
        returned = true;
    });
    while (bridge.WaitAndApply(std::chrono::milliseconds(10)) == 0) {
    }
    scheduler.join();
    EXPECT_TRUE(returned);
    EXPECT_EQ(applied, 1);
    EXPECT_EQ(applyThread, std::this_thread::get_id());
    EXPECT_EQ(info.bidCount, 7);
}

TEST(SyncResultBridge, ClosingReleasesAWaitingSchedulerAndDropsLaterResults)
{
    int applied = 0;
    CSyncResultBridge bridge([&](CItem*, CItemInfo&) { ++applied; });
    CItemInfo info;
    std::thread scheduler([&] { bridge.DeliverItemResult(nullptr, info); });
    // Whether or not the result has arrived yet, closing must never leave the scheduler waiting.
    bridge.Close();
    scheduler.join();
    bridge.DeliverItemResult(nullptr, info); // returns at once
    EXPECT_EQ(bridge.ApplyPending(), 0);
    EXPECT_EQ(applied, 0);
}

} // namespace
