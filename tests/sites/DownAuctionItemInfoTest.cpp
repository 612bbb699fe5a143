// The item page download: what it reads, what it asks the user on failure, what it hands over.

#include "sites/DownAuctionItemInfo.h"

#include "PageFiles.h"
#include "core/item/Item.h"
#include "download/DownloadQueue.h"
#include "sites/EbayServer.h"
#include "sites/ItemDownloadOwner.h"

#include <gtest/gtest.h>

#include <fstream>
#include <typeinfo>

namespace {

// Stands for the refresh that queued the download.
class CFakeOwner : public IItemDownloadOwner
{
public:
    int answer = kIgnore;
    int limit = 3;
    std::vector<std::string> asked;
    std::vector<std::pair<CItem*, CItemInfo*>> delivered;
    void DeliverItemResult(CItem* item, CItemInfo& info) override { delivered.emplace_back(item, &info); }
    int AskAbortRetryIgnore(const std::string& message) override
    {
        asked.push_back(message);
        return answer;
    }
    int MaxSimultaneousDownloads() override { return limit; }
    IProxyCredentialsProvider* ProxyCredentials() override { return nullptr; }
};

class DownAuctionItemInfoTest : public ::testing::Test
{
protected:
    CEbayServer server{"Pacific", 107, "EbC", 67};
    CItem item{"1234567890", &server};
    CItem otherItem{"555", &server};
    CFakeOwner owner;
};

TEST_F(DownAuctionItemInfoTest, ErrorMessagesNameTheItemAndSite)
{
    CDownAuctionItemInfo untitled(owner, &server, "1234567890", "", &item);
    CDownAuctionItemInfo titled(owner, &server, "1234567890", "Tin robot", &item);
    EXPECT_EQ(untitled.OnError(), IItemDownloadOwner::kIgnore);
    owner.answer = IItemDownloadOwner::kRetry;
    EXPECT_EQ(titled.OnError(), IItemDownloadOwner::kRetry);
    owner.answer = IItemDownloadOwner::kAbort;
    EXPECT_EQ(titled.OnError(), IItemDownloadOwner::kAbort);
    owner.answer = 7; // anything else counts as Ignore
    EXPECT_EQ(titled.OnError(), IItemDownloadOwner::kIgnore);
    ASSERT_EQ(owner.asked.size(), 4u);
    EXPECT_EQ(owner.asked[0], "Error retrieving Item #1234567890 on Ebay");
    EXPECT_EQ(owner.asked[1], "Error retrieving Item #1234567890 on Ebay:\nTin robot");
}

TEST_F(DownAuctionItemInfoTest, ADetachedItemsErrorIsIgnoredSilently)
{
    CDownAuctionItemInfo download(owner, &server, "1234567890", "Tin robot", &item);
    owner.answer = IItemDownloadOwner::kAbort;
    EXPECT_TRUE(download.IsForItem(&item, false));
    EXPECT_EQ(download.OnError(), IItemDownloadOwner::kIgnore);
    EXPECT_TRUE(owner.asked.empty());
}

TEST_F(DownAuctionItemInfoTest, BelongsToItsItemUntilLetGo)
{
    CDownAuctionItemInfo download(owner, &server, "1234567890", "", &item);
    EXPECT_FALSE(download.IsForItem(&otherItem, false));
    EXPECT_FALSE(download.IsForItem(nullptr, true));
    EXPECT_TRUE(download.IsForItem(&item, true));
    EXPECT_TRUE(download.IsForItem(&item, false));
    EXPECT_EQ(download.item.load(), nullptr);
    EXPECT_FALSE(download.IsForItem(&item, true));
    EXPECT_FALSE(download.IsForItem(nullptr, true));
}

TEST_F(DownAuctionItemInfoTest, ReadsTheDownloadedPageAndHandsItOver)
{
    CDownAuctionItemInfo download(owner, &server, "1234567890", "", &item);
    download.url = server.GetPageUrl("1234567890");
    {
        std::ofstream out(download.localFile, std::ios::binary | std::ios::trunc);
        out << CPageFiles::ReadDataFile("sites/ebay/running.html");
    }
    bool fetchAgain = true;
    EXPECT_EQ(download.OnDownloaded(fetchAgain), 0);
    EXPECT_FALSE(fetchAgain);
    EXPECT_EQ(download.pagesParsed, 0);
    EXPECT_EQ(download.info.seller, "tinlover");

    download.OnComplete();
    ASSERT_EQ(owner.delivered.size(), 1u);
    EXPECT_EQ(owner.delivered[0].first, &item);
    EXPECT_EQ(owner.delivered[0].second, &download.info);
}

TEST_F(DownAuctionItemInfoTest, APageForADetachedItemIsNotRead)
{
    CDownAuctionItemInfo download(owner, &server, "1234567890", "", &item);
    {
        std::ofstream out(download.localFile, std::ios::binary | std::ios::trunc);
        out << CPageFiles::ReadDataFile("sites/ebay/running.html");
    }
    download.IsForItem(&item, false);
    bool fetchAgain = false;
    EXPECT_NE(download.OnDownloaded(fetchAgain), 0);
    EXPECT_EQ(download.info.foundFlags, 0u);
    EXPECT_TRUE(download.info.seller.empty());
}

TEST_F(DownAuctionItemInfoTest, LimitAndQueueingFollowTheOwner)
{
    owner.limit = 0; // keeps the downloads waiting, so nothing goes to the network

    CDownAuctionItemInfo probe(owner, &server, "1", "", &item);
    EXPECT_EQ(probe.GetMaxSimultaneous(), 0);

    EXPECT_TRUE(server.StartItemDownload(&item, owner));
    EXPECT_FALSE(server.StartItemDownload(&item, owner)); // already queued
    EXPECT_TRUE(server.StartItemDownload(&otherItem, owner));
    EXPECT_EQ(CountDownloads(typeid(CDownAuctionItemInfo)), 2);
    EXPECT_TRUE(HasDownloadFor(typeid(CDownAuctionItemInfo), &item, true));

    CancelDownloads(&typeid(CDownAuctionItemInfo));
    StopAllDownloads();
    EXPECT_FALSE(IsQueueActive());
}

} // namespace
