// Reading the Browse API's item JSON into the watch list's fields.

#include "sites/EbayApiItem.h"
#include "sites/EbayApiServer.h"

#include "text/SiteDate.h"

#include <gtest/gtest.h>

namespace {

const char* const kAuction = R"({
  "itemId": "v1|123456789012|0", "legacyItemId": "123456789012",
  "title": "Tin robot, boxed \u00e9dition",
  "shortDescription": "Winds up <and> walks",
  "currentBidPrice": {"value": "1125.00", "currency": "USD"},
  "bidCount": 7,
  "estimatedAvailabilities": [{"estimatedAvailableQuantity": 2, "estimatedAvailabilityStatus": "IN_STOCK"}],
  "seller": {"username": "tin_lover", "feedbackScore": 120},
  "itemCreationDate": "2026-12-03T18:00:00.000Z",
  "itemEndDate": "2026-12-10T18:30:15.000Z",
  "categoryPath": "Toys & Hobbies|Vintage & Antique Toys|Robots",
  "itemLocation": {"city": "Portland", "stateOrProvince": "Oregon", "country": "US"},
  "image": {"imageUrl": "https://i.ebayimg.com/images/g/robot/s-l1600.jpg"},
  "itemWebUrl": "https://www.ebay.com/itm/123456789012"
})";

// The value whose reading on the user's clock is the UTC wall clock given.
std::time_t UtcWall(int y, int mo, int d, int h, int mi, int s)
{
    std::tm fields{};
    fields.tm_year = y - 1900;
    fields.tm_mon = mo - 1;
    fields.tm_mday = d;
    fields.tm_hour = h;
    fields.tm_min = mi;
    fields.tm_sec = s;
    return ValueOfWallClock(static_cast<ClockReading>(timegm(&fields)));
}

class EbayApiItem : public ::testing::Test
{
protected:
    const CEbayApiServer& server = *dynamic_cast<CEbayApiServer*>(FindServer(201));
    std::time_t beforeEnd = 0;
    std::time_t afterEnd = 0;

    void SetUp() override
    {
        ASSERT_TRUE(ParseApiTime("2026-12-09T12:00:00Z", beforeEnd));
        ASSERT_TRUE(ParseApiTime("2026-12-10T18:30:16Z", afterEnd));
    }
};

TEST_F(EbayApiItem, ARunningAuctionFillsEveryField)
{
    CItemInfo info;
    std::string problem;
    ASSERT_TRUE(ReadEbayApiItem(kAuction, server, beforeEnd, info, problem)) << problem;
    EXPECT_EQ(info.description, "Tin robot, boxed \xE9"
                                "dition");
    EXPECT_EQ(info.currentPrice, "$1,125.00");
    EXPECT_EQ(info.bidCount, 7);
    EXPECT_EQ(info.quantity, 2);
    EXPECT_EQ(info.seller, "tin_lover");
    EXPECT_EQ(info.category, "Toys & Hobbies:Vintage & Antique Toys:Robots");
    EXPECT_EQ(info.location, "Portland, Oregon, US");
    EXPECT_EQ(info.startDate, UtcWall(2026, 12, 3, 18, 0, 0));
    EXPECT_EQ(info.endDate, UtcWall(2026, 12, 10, 18, 30, 15));
    EXPECT_EQ(info.finished, 0);
    EXPECT_TRUE(info.currentBuyer.empty()); // eBay names no high bidder
    // With bids the opening price is not in the answer: the document keeps what it learned.
    EXPECT_EQ(info.foundFlags & (kFoundInitialPrice | kFoundCurrentBuyer), 0u);
    const std::uint32_t wanted = kFoundDescription | kFoundCurrentPrice | kFoundBidCount | kFoundQuantity |
                                 kFoundSeller | kFoundCategory | kFoundLocation | kFoundStartDate |
                                 kFoundEndDate | kFoundFinished | kFoundPageText;
    EXPECT_EQ(info.foundFlags & wanted, wanted);
    // The description pane's own page: escaped texts, the picture and the link to eBay.
    EXPECT_NE(info.pageText.find("Winds up &lt;and&gt; walks"), std::string::npos) << info.pageText;
    EXPECT_NE(info.pageText.find("<img src=\"https://i.ebayimg.com/"), std::string::npos);
    EXPECT_NE(info.pageText.find("href=\"https://www.ebay.com/itm/123456789012\""), std::string::npos);
    EXPECT_NE(info.pageText.find("2026-12-10 18:30 UTC"), std::string::npos);
}

TEST_F(EbayApiItem, EndedNoBidsAndMissingParts)
{
    struct Case
    {
        const char* name;
        std::string json;
        bool afterTheEnd;
        int finished;
        bool initialPrice; // learned from the current price before the first bid
    };
    std::string noBids = kAuction;
    noBids.replace(noBids.find("\"bidCount\": 7"), 13, "\"bidCount\": 0");
    std::string soldOut = kAuction;
    soldOut.replace(soldOut.find("IN_STOCK"), 8, "OUT_OF_STOCK");
    const Case cases[] = {
        {"running", kAuction, false, 0, false},
        {"end passed", kAuction, true, 1, false},
        {"no bids yet", noBids, false, 0, true},
        {"sold out", soldOut, false, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CItemInfo info;
        std::string problem;
        ASSERT_TRUE(ReadEbayApiItem(c.json, server, c.afterTheEnd ? afterEnd : beforeEnd, info, problem));
        EXPECT_EQ(info.finished, c.finished);
        EXPECT_EQ((info.foundFlags & kFoundInitialPrice) != 0, c.initialPrice);
        if (c.initialPrice) {
            EXPECT_EQ(info.initialPrice, "$1,125.00");
        }
    }

    // Only a title: the other fields stay unset, so the document keeps what it had.
    CItemInfo bare;
    std::string problem;
    ASSERT_TRUE(ReadEbayApiItem(R"({"title":"Lamp","bidCount":"seven","itemEndDate":"soon"})", server,
                                beforeEnd, bare, problem));
    EXPECT_EQ(bare.foundFlags & (kFoundBidCount | kFoundEndDate | kFoundCurrentPrice | kFoundSeller), 0u);
}

TEST_F(EbayApiItem, AnswersThatAreNoItemFailWithAReason)
{
    const std::string full = kAuction;
    const char* const answers[] = {
        "",
        "{",
        "[]",
        "null",
        R"({"title": 12})",
        R"({"bidCount": 3})",
        R"({"errors":[{"errorId":11001,"domain":"API_BROWSE","message":"The specified item Id was not found."}]})",
        "{\"title\": \"bad \xff utf-8\"}",
    };
    for (const char* answer : answers) {
        SCOPED_TRACE(answer);
        CItemInfo info;
        std::string problem;
        EXPECT_FALSE(ReadEbayApiItem(answer, server, beforeEnd, info, problem));
        EXPECT_FALSE(problem.empty());
    }
    CItemInfo info;
    std::string problem;
    EXPECT_FALSE(ReadEbayApiItem(full.substr(0, full.size() / 2), server, beforeEnd, info, problem));
    ReadEbayApiItem(answers[6], server, beforeEnd, info, problem);
    EXPECT_EQ(problem, "eBay says: The specified item Id was not found.");
}

TEST(EbayApiTime, IsoTimesOfTheApi)
{
    std::time_t t = 0;
    EXPECT_TRUE(ParseApiTime("1970-01-01T00:00:10Z", t));
    EXPECT_EQ(t, 10);
    EXPECT_TRUE(ParseApiTime("2026-12-10T18:30:15.123Z", t));
    EXPECT_EQ(t, 1796927415);
    for (const char* bad : {"", "2026-12-10", "2026-12-10T18:30:15", "2026-13-10T18:30:15Z",
                            "2026-12-10T18:30:15+01:00", "2026-12-10T18:30:15.Zx"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(ParseApiTime(bad, t));
    }
}

} // namespace
