// The item page download: what it reads, what it asks the user on failure, what it hands over.

#include "sites/DownAuctionItemInfo.h"

#include "PageFiles.h"
#include "core/item/Item.h"
#include "core/options/AppOptions.h"
#include "download/DownloadQueue.h"
#include "sites/EbayServer.h"
#include "sites/ItemResultTarget.h"

#include <gtest/gtest.h>

#include <fstream>
#include <typeinfo>

namespace {

class CFakeQuestion : public IErrorQuestion
{
public:
    int answer = kIgnore;
    std::vector<std::string> asked;
    int AskAbortRetryIgnore(const std::string& message) override
    {
        asked.push_back(message);
        return answer;
    }
};

class CFakeTarget : public IItemResultTarget
{
public:
    std::vector<std::pair<CItem*, CItemInfo*>> delivered;
    void DeliverItemResult(CItem* item, CItemInfo& info) override { delivered.emplace_back(item, &info); }
};

class DownAuctionItemInfoTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        SetErrorQuestion(nullptr);
        SetItemResultTarget(nullptr);
    }

    CEbayServer server{"Pacific", 107, "EbC", 67};
    CItem item{"1234567890", &server};
    CItem otherItem{"555", &server};
    CFakeQuestion question;
};

TEST_F(DownAuctionItemInfoTest, ErrorMessagesNameTheItemAndSite)
{
    SetErrorQuestion(&question);
    CDownAuctionItemInfo untitled(&server, "1234567890", "", &item);
    CDownAuctionItemInfo titled(&server, "1234567890", "Tin robot", &item);
    EXPECT_EQ(untitled.OnError(), IErrorQuestion::kIgnore);
    question.answer = IErrorQuestion::kRetry;
    EXPECT_EQ(titled.OnError(), IErrorQuestion::kRetry);
    question.answer = IErrorQuestion::kAbort;
    EXPECT_EQ(titled.OnError(), IErrorQuestion::kAbort);
    question.answer = 7; // anything else counts as Ignore
    EXPECT_EQ(titled.OnError(), IErrorQuestion::kIgnore);
    ASSERT_EQ(question.asked.size(), 4u);
    EXPECT_EQ(question.asked[0], "Error retrieving Item #1234567890 on Ebay");
    EXPECT_EQ(question.asked[1], "Error retrieving Item #1234567890 on Ebay:\nTin robot");
}

TEST_F(DownAuctionItemInfoTest, ADetachedOrUnaskedErrorIsIgnoredSilently)
{
    CDownAuctionItemInfo download(&server, "1234567890", "Tin robot", &item);
    EXPECT_EQ(download.OnError(), IErrorQuestion::kIgnore); // no one to ask
    SetErrorQuestion(&question);
    question.answer = IErrorQuestion::kAbort;
    EXPECT_TRUE(download.IsForItem(&item, false));
    EXPECT_EQ(download.OnError(), IErrorQuestion::kIgnore);
    EXPECT_TRUE(question.asked.empty());
}

TEST_F(DownAuctionItemInfoTest, BelongsToItsItemUntilLetGo)
{
    CDownAuctionItemInfo download(&server, "1234567890", "", &item);
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
    CFakeTarget target;
    CDownAuctionItemInfo download(&server, "1234567890", "", &item);
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

    download.OnComplete(); // no target: nothing happens
    SetItemResultTarget(&target);
    download.OnComplete();
    ASSERT_EQ(target.delivered.size(), 1u);
    EXPECT_EQ(target.delivered[0].first, &item);
    EXPECT_EQ(target.delivered[0].second, &download.info);
}

TEST_F(DownAuctionItemInfoTest, APageForADetachedItemIsNotRead)
{
    CDownAuctionItemInfo download(&server, "1234567890", "", &item);
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

TEST_F(DownAuctionItemInfoTest, LimitAndQueueingFollowTheOptions)
{
    CAppOptions options;
    options.simultDownload = 0; // keeps the downloads waiting, so nothing goes to the network
    SetAppOptions(&options);

    CDownAuctionItemInfo probe(&server, "1", "", &item);
    EXPECT_EQ(probe.GetMaxSimultaneous(), 0);

    EXPECT_TRUE(server.StartItemDownload(&item));
    EXPECT_FALSE(server.StartItemDownload(&item)); // already queued
    EXPECT_TRUE(server.StartItemDownload(&otherItem));
    EXPECT_EQ(CountDownloads(typeid(CDownAuctionItemInfo)), 2);
    EXPECT_TRUE(HasDownloadFor(typeid(CDownAuctionItemInfo), &item, true));

    CancelDownloads(&typeid(CDownAuctionItemInfo));
    StopAllDownloads();
    EXPECT_FALSE(IsQueueActive());
    SetAppOptions(nullptr);
}

} // namespace
