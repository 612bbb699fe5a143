// Refreshing a watch list end to end: the document, the eBay adapter and the real download
// engine against the simulator's eBay pages on loopback.

#include "tests/e2e/RefreshTestSupport.h"

#include <future>

namespace {

// One item per behaviour; step 1 moves 1001's auction on (new price, new high bidder) and
// raises 1008's price alone (same bidder, same bid count).
const char* const kScenario = R"(
[ebay-item 1001]
title = Tin robot & box
category = Toys & Hobbies
first-bid = $10.00
location = Chicago, IL
seller = tinlover
started = 03/05/00 18:30:00 PST
ends = 03/12/00 18:30:00 PST
bid = 12 $45.00 robotfan
bid = 13 $47.50 m&m_toys

[ebay-item 1002]
title = Leica M3
first-bid = $400.00
seller = shutterbug
ends = 03/13/00 09:00:00 PST
bid = 4 $610.00 f8andbethere

[ebay-item 1003]
title = The Hobbit, 1937
first-bid = $1,500.00
seller = oldpages
ends = 03/08/00 12:00:00 PST
bid = 21 $2,950.00 bilbo99
ends-at-step = 0

[ebay-item 1004]
page = error

[ebay-item 1005]
page = not-found

[ebay-item 1006]
page = server-error

[ebay-item 1007]
title = Slow page
seller = slowpoke
bid = 1 $1.00 someone
header-delay-ms = 400

[ebay-item 1008]
title = Brass compass
first-bid = $5.00
seller = navigator
ends = 03/14/00 10:00:00 PST
bid = 3 $20.00 northstar
bid = 3 $25.00 northstar
)";

class RefreshEndToEnd : public RefreshFixture
{
protected:
    void SetUp() override { StartSite(kScenario); }
};

TEST_F(RefreshEndToEnd, AddingAnItemQueuesItsPageAndTheResultFillsIt)
{
    CItem* item = Add("1001");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(refresh->PendingCount(), 1);
    doc.SetModifiedFlag(false);
    RunRefresh();

    EXPECT_EQ(item->description, "Tin robot & box");
    EXPECT_EQ(item->currentPrice, "$45.00");
    EXPECT_EQ(item->initialPrice, "$10.00");
    EXPECT_EQ(item->bidCount, 12);
    EXPECT_EQ(item->seller, "tinlover");
    EXPECT_EQ(item->currentBuyer, "robotfan");
    EXPECT_EQ(item->category, "Toys & Hobbies");
    EXPECT_EQ(item->finished, 0);
    EXPECT_NE(item->GetEndDate(), 0);
    EXPECT_EQ(item->firstResultPending, 0);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(hints.Count(kHintItemChanged, item), 1);
    EXPECT_TRUE(question.Messages().empty());
    EXPECT_EQ(refresh->PendingCount(), 0);
}

TEST_F(RefreshEndToEnd, RefreshingTwiceBeforeTheFirstEndsQueuesOnce)
{
    CItem* item = Add("1007");
    doc.RefreshItem(item);
    doc.RefreshAll();
    EXPECT_EQ(refresh->PendingCount(), 1);
    RunRefresh();
    EXPECT_EQ(RequestsFor("1007"), 1);
    EXPECT_EQ(item->seller, "slowpoke");
}

TEST_F(RefreshEndToEnd, SecondRefreshMarksExactlyTheChangedItemsUnreadAndNotesTheNewBuyer)
{
    CItem* moving = Add("1001");
    CItem* still = Add("1002");
    CItem* repriced = Add("1008");
    RunRefresh();
    // The first result brings the first buyer: not a change of buyer.
    EXPECT_EQ(moving->buyerChanged, 0);
    EXPECT_EQ(still->buyerChanged, 0);
    for (CItem* item : {moving, still, repriced})
        item->SetReadState(1);

    Step();
    doc.RefreshAll();
    RunRefresh();
    EXPECT_EQ(moving->currentPrice, "$47.50");
    EXPECT_EQ(moving->currentBuyer, "m&m_toys");
    EXPECT_EQ(moving->readState, 0);
    EXPECT_EQ(moving->buyerChanged, 1);
    EXPECT_EQ(still->currentPrice, "$610.00");
    EXPECT_EQ(still->readState, 1);
    EXPECT_EQ(still->buyerChanged, 0);
    // A new price alone is news.
    EXPECT_EQ(repriced->currentPrice, "$25.00");
    EXPECT_EQ(repriced->readState, 0);
    EXPECT_EQ(repriced->buyerChanged, 0);
    // Every successful refresh redraws its row, changed or not (the retrieval date moved).
    EXPECT_EQ(hints.Count(kHintItemChanged, still), 2);
}

TEST_F(RefreshEndToEnd, EndedAuctionReadsFinishedAndRefreshAllSkipsItAfterwards)
{
    CItem* ended = Add("1003");
    RunRefresh();
    EXPECT_EQ(ended->finished, 1);
    EXPECT_EQ(ended->currentBuyer, "bilbo99");
    EXPECT_EQ(RequestsFor("1003"), 1);

    doc.RefreshAll();
    EXPECT_EQ(refresh->PendingCount(), 0);
    RunRefresh();
    EXPECT_EQ(RequestsFor("1003"), 1);

    // Refresh Item still fetches a finished item.
    doc.RefreshItem(ended);
    RunRefresh();
    EXPECT_EQ(RequestsFor("1003"), 2);
}

TEST_F(RefreshEndToEnd, FailedPageLeavesTheItemUntouchedAndAsksOnce)
{
    struct Case
    {
        const char* number;
        const char* what;
    };
    for (const Case& c : {Case{"1004", "eBay's Invalid Item page"}, Case{"1005", "404"}, Case{"1006", "500"}}) {
        SCOPED_TRACE(c.what);
        CItem* item = Add(c.number);
        const std::size_t asked = question.Messages().size();
        RunRefresh();
        doc.SetModifiedFlag(false);
        const int readBefore = item->readState;
        ASSERT_EQ(question.Messages().size(), asked + 1);
        EXPECT_EQ(question.Messages().back(), "Error retrieving Item #" + std::string(c.number) + " on Ebay");
        EXPECT_TRUE(item->description.empty());
        EXPECT_TRUE(item->currentPrice.empty());
        EXPECT_EQ(item->retrievalDate, 0);
        EXPECT_EQ(item->firstResultPending, 1);
        EXPECT_EQ(hints.Count(kHintItemChanged, item), 0);
        // Ignoring a second time changes nothing either.
        doc.RefreshItem(item);
        RunRefresh();
        EXPECT_FALSE(doc.IsModified());
        EXPECT_EQ(item->readState, readBefore);
    }
}

TEST_F(RefreshEndToEnd, RetryFetchesTheFailedPageAgainUntilIgnored)
{
    struct CountingRetry : public IErrorQuestion
    {
        int asked = 0;
        int AskAbortRetryIgnore(const std::string&) override { return ++asked < 3 ? kRetry : kIgnore; }
    } retrying;
    question.answerWith = &retrying;
    Add("1005");
    RunRefresh();
    EXPECT_EQ(retrying.asked, 3);
    EXPECT_EQ(RequestsFor("1005"), 3);
    question.answerWith = nullptr;
}

TEST_F(RefreshEndToEnd, DeletingAnItemWhileItsPageDownloadsDropsTheResult)
{
    CItem* slow = Add("1007");
    CItem* other = Add("1002");
    // Wait until the slow page's request has reached the server.
    for (int i = 0; i < 3000 && RequestsFor("1007") == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(RequestsFor("1007"), 1);
    ASSERT_TRUE(doc.RemoveItem(slow));
    RunRefresh();
    EXPECT_EQ(doc.GetItemCount(), 1);
    EXPECT_EQ(hints.Count(kHintItemChanged, slow), 0);
    EXPECT_EQ(other->seller, "shutterbug");
    EXPECT_TRUE(question.Messages().empty());
}

class AbortEndToEnd : public RefreshFixture
{
protected:
    void SetUp() override { StartSite(kScenario, 1); }
};

TEST_F(AbortEndToEnd, AbortStopsTheWholeRefresh)
{
    // The answer waits until every item is queued, so that Abort meets the whole refresh.
    struct GatedAbort : public IErrorQuestion
    {
        std::promise<void> allQueued;
        std::shared_future<void> ready = allQueued.get_future().share();
        std::atomic<int> asked{0};
        int AskAbortRetryIgnore(const std::string&) override
        {
            ++asked;
            ready.wait_for(std::chrono::seconds(30));
            return kAbort;
        }
    } gated;
    question.answerWith = &gated;
    doc.SetItemDownloads(nullptr);
    CItem* failing = Add("1004"); // one download at a time: the first in document order runs first
    std::vector<CItem*> rest = {Add("1001"), Add("1002"), Add("1003"), Add("1007")};
    doc.SetItemDownloads(refresh.get());
    doc.RefreshAll();
    gated.allQueued.set_value();
    RunRefresh();
    EXPECT_EQ(gated.asked, 1);
    EXPECT_TRUE(failing->description.empty());
    for (CItem* item : rest) {
        EXPECT_TRUE(item->description.empty()) << item->GetItemNumber();
        EXPECT_EQ(item->firstResultPending, 1);
    }
    EXPECT_EQ(refresh->PendingCount(), 0);
    // A later refresh works again.
    question.answerWith = nullptr;
    doc.RefreshItem(rest[0]);
    RunRefresh();
    EXPECT_EQ(rest[0]->currentPrice, "$45.00");
}

} // namespace
