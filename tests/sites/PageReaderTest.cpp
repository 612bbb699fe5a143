// The page reading shared by every adapter: which lines are kept, the line readers, the
// finishing step and the base URL handling.

#include "sites/AuctionServer.h"

#include "PageFiles.h"
#include "text/ReferenceData.h"
#include "text/SiteDate.h"

#include <gtest/gtest.h>

namespace {

// A minimal site: reading starts at a line holding `startMarker` (every line when empty),
// "Title:" gives the description, "Price" the initial price in <b> on the next line, and every
// kept line may count as a find so that the kept lines can be checked through pageText.
class CProbeServer : public CAuctionServer
{
public:
    CProbeServer() : CAuctionServer("Pacific", 9001, "", 67) {}

    std::string startMarker;
    std::string endMarker;
    bool everyLineFinds = true;
    int finishResult = 0;
    bool askSecondPage = false;
    std::vector<int> pagesSeen;

    bool IsStartLine(const std::string& line, int pagesParsed) override
    {
        return startMarker.empty() ? CAuctionServer::IsStartLine(line, pagesParsed)
                                   : line.find(startMarker) != std::string::npos;
    }
    bool IsEndLine(const std::string& line, int pagesParsed) override
    {
        return !endMarker.empty() && line.find(endMarker) != std::string::npos
            ? true
            : CAuctionServer::IsEndLine(line, pagesParsed);
    }
    bool ParseLine(const std::vector<std::string>& lines, std::size_t i, CItemInfo& info,
                   int pagesParsed) override
    {
        if (i == 0)
            pagesSeen.push_back(pagesParsed);
        if (everyLineFinds)
            info.foundFlags |= kFoundLocation;
        TextAfterLabel(lines, i, "Title:", info.description, info.foundFlags, kFoundDescription);
        if (ValueInTag(lines, i, "Price", "b", info.initialPrice, 1, true))
            info.foundFlags |= kFoundInitialPrice;
        return true;
    }
    int FinishParse(const std::vector<std::string>& lines, CItemInfo& info, std::string& url, bool& fetchAgain,
                    int pagesParsed, const std::string& itemNumber) override
    {
        CAuctionServer::FinishParse(lines, info, url, fetchAgain, pagesParsed, itemNumber);
        if (askSecondPage && pagesParsed == 0) {
            url = "http://auctions.example/bids?n=" + itemNumber;
            fetchAgain = true;
        }
        return finishResult;
    }
    std::string BuildSearchUrl(const CSearchRequest&) override { return {}; }
    void GetSearchDefaults(CSearchRequest&) override {}
    std::string GetItemUrlPrefix() override { return "http://auctions.example/item?n="; }
};

class PageReaderTest : public ::testing::Test
{
protected:
    CPageFiles files;
    CProbeServer server;
    CItemInfo info;
    std::string url = "http://auctions.example/item?n=42";
    bool fetchAgain = false;

    int Parse(const std::string& page, int pagesParsed = 0)
    {
        return server.ParsePage(files.Write(page), info, url, fetchAgain, pagesParsed, "42");
    }
};

struct KeptLinesCase
{
    const char* name;
    const char* page;
    const char* keptText; // pageText: the kept lines, each followed by "\n"
};

const KeptLinesCase kKeptLinesCases[] = {
    {"comments on one line are removed, the rest is kept", "a<!-- x -->b<!-- y -->c\n", "abc\n"},
    {"a comment-only line is dropped", "one\n<!-- nothing -->\ntwo\n", "one\ntwo\n"},
    {"a comment across lines hides them",
     "keep<!-- open\n<b>Currently</b>\nstill --> after\ntail\n", "keep\n after\ntail\n"},
    {"a closing marker outside a comment is plain text", "x --> y\n", "x --> y\n"},
    {"empty lines and carriage returns are dropped", "a\r\n\r\n\nb\r\r\n", "a\nb\n"},
    {"the line after <script is not comment-processed",
     "<script language=\"JavaScript\">\n<!--\nf();\n// -->\n</script>\nz\n",
     "<script language=\"JavaScript\">\n<!--\nf();\n// -->\n</script>\nz\n"},
    {"upper-case SCRIPT counts too", "<SCRIPT>\na<!-- b -->c\nd<!-- e -->f\n",
     "<SCRIPT>\na<!-- b -->c\ndf\n"},
    {"a dropped empty line does not end the script rule", "<script>\n\n<!-- x\ny\n", "<script>\n<!-- x\ny\n"},
    {"a comment opened on the script line still ends at its close",
     "<script><!--\nhide();\n//-->\n</script>\nafter\n", "<script>\n</script>\nafter\n"},
    {"comments after a carried-over close are removed",
     "<!-- a --> mid <!-- b\nc --> d <!-- e --> f\n", " mid \n d  f\n"},
    {"a last line without line feed is read", "first\nlast", "first\nlast\n"},
};

TEST_F(PageReaderTest, KeepsTheLinesOutsideComments)
{
    for (const KeptLinesCase& c : kKeptLinesCases) {
        SCOPED_TRACE(c.name);
        CItemInfo fresh;
        info = fresh;
        ASSERT_EQ(Parse(c.page), 0);
        EXPECT_EQ(info.pageText, c.keptText);
    }
}

TEST_F(PageReaderTest, ItemLinesInsideACommentYieldNoFields)
{
    server.everyLineFinds = false;
    EXPECT_EQ(Parse("<!--\nTitle: <b>Hidden</b>\n-->\nTitle: <b>Shown</b>\n"), 0);
    EXPECT_EQ(info.description, "Shown");
    info = CItemInfo();
    EXPECT_EQ(Parse("<!--\nTitle: <b>Hidden</b>\n-->\n"), 1);
    EXPECT_EQ(info.description, "");
}

TEST_F(PageReaderTest, StartAndEndLinesBoundTheReading)
{
    server.startMarker = "START";
    server.endMarker = "END";
    EXPECT_EQ(Parse("Title: before\n<p>START here\nTitle: during\nEND\nlater\n"), 0);
    EXPECT_EQ(info.pageText, "<p>START here\nTitle: during\n");
    EXPECT_EQ(info.description, "during");

    // A start line that is all comment starts the reading and is itself dropped.
    info = CItemInfo();
    EXPECT_EQ(Parse("junk\n<!-- START -->\nkept\n"), 0);
    EXPECT_EQ(info.pageText, "kept\n");

    info = CItemInfo();
    info.description = "previous";
    EXPECT_EQ(Parse("no marker at all\nTitle: x\n"), 1);
    EXPECT_EQ(info.foundFlags, 0u);
    EXPECT_EQ(info.description, "previous");
}

TEST_F(PageReaderTest, APageWithoutAnyLabelFailsAndChangesNothing)
{
    server.everyLineFinds = false;
    info.description = "Old title";
    info.quantity = 3;
    info.foundFlags = kFoundDescription;
    EXPECT_EQ(Parse("<html><body>Service unavailable</body></html>\n"), 1);
    EXPECT_EQ(info.foundFlags, 0u);
    EXPECT_EQ(info.description, "Old title");
    EXPECT_EQ(info.quantity, 3);
    EXPECT_TRUE(info.pageText.empty());
}

TEST_F(PageReaderTest, AnUnreadableFileFails)
{
    EXPECT_EQ(server.ParsePage(files.MissingPath(), info, url, fetchAgain, 0, "42"), 1);
    EXPECT_EQ(info.foundFlags, 0u);
}

TEST_F(PageReaderTest, FinishingFillsDefaultsAndDecodesEntities)
{
    SetNowFunction([] { return std::time_t(954000000); });
    server.everyLineFinds = false;
    EXPECT_EQ(Parse("Title: <i>Caf&eacute; &amp; Bar</i>\nPrice\n<b>&pound;5</b>\n"), 0);
    SetNowFunction({});
    EXPECT_EQ(info.description, "Caf\xE9 & Bar");
    EXPECT_EQ(info.quantity, 1);
    EXPECT_EQ(info.initialPrice, "\xA3" "5");
    EXPECT_EQ(info.currentPrice, "\xA3" "5");
    EXPECT_EQ(info.finished, 0);
    EXPECT_EQ(info.retrievalDate, 954000000);
    EXPECT_EQ(info.foundFlags, kFoundDescription | kFoundInitialPrice | kFoundCurrentPrice | kFoundQuantity |
                                   kFoundFinished | kFoundRetrievalDate | kFoundPageText);
}

TEST_F(PageReaderTest, FinishingKeepsWhatThePageGave)
{
    CItemInfo given;
    given.foundFlags = kFoundQuantity | kFoundCurrentPrice | kFoundInitialPrice | kFoundPageText;
    given.quantity = 4;
    given.currentPrice = "$9";
    given.initialPrice = "$1";
    given.pageText = "set by the site\n";
    given.finished = 1;
    std::string u;
    bool again = false;
    EXPECT_EQ(server.CAuctionServer::FinishParse({"line"}, given, u, again, 0, "1"), 0);
    EXPECT_EQ(given.quantity, 4);
    EXPECT_EQ(given.currentPrice, "$9");
    EXPECT_EQ(given.pageText, "set by the site\n");
    EXPECT_EQ(given.finished, 1);
}

TEST_F(PageReaderTest, AFailedFinishClearsTheFlags)
{
    server.finishResult = 5;
    EXPECT_EQ(Parse("Title: x\n"), 5);
    EXPECT_EQ(info.foundFlags, 0u);
}

TEST_F(PageReaderTest, LaterPagesAddToTheFirst)
{
    server.everyLineFinds = false;
    server.askSecondPage = true;
    ASSERT_EQ(Parse("Title: First page\n"), 0);
    EXPECT_TRUE(fetchAgain);
    EXPECT_EQ(url, "http://auctions.example/bids?n=42");

    // The second page has nothing the site reads, yet the first page's fields stay found.
    fetchAgain = false;
    ASSERT_EQ(Parse("nothing here\n", 1), 0);
    EXPECT_FALSE(fetchAgain);
    EXPECT_EQ(info.description, "First page");
    EXPECT_NE(info.foundFlags & kFoundDescription, 0u);
    EXPECT_EQ(info.pageText, "Title: First page\n");
    EXPECT_EQ(server.pagesSeen, (std::vector<int>{0, 1}));
}

struct ValueInTagCase
{
    const char* name;
    std::vector<std::string> lines;
    std::size_t i;
    const char* label;
    const char* tag;
    std::size_t offset;
    bool restOfLine;
    bool found;
    const char* value;
};

TEST(LineReaders, ValueInTag)
{
    const ValueInTagCase cases[] = {
        {"value on the next line", {"<td>Currently</td>", "<td><b>$5.00</b></td>"}, 0, "Currently", "b", 1, true,
         true, "$5.00"},
        {"two lines below", {"MARK", "x", "<b>Title</b>"}, 0, "MARK", "b", 2, false, true, "Title"},
        {"rest of the label line", {"<b>A</b> Price <b>B</b>"}, 0, "Price", "b", 0, true, true, "B"},
        {"whole label line", {"<b>A</b> Price <b>B</b>"}, 0, "Price", "b", 0, false, true, "A"},
        {"<b matches <br>", {"L", "<br>after</b>"}, 0, "L", "b", 1, true, true, "after"},
        {"inner markup is kept", {"L", "<b><i>x</i></b>"}, 0, "L", "b", 1, true, true, "<i>x</i>"},
        {"empty value", {"L", "<b></b>"}, 0, "L", "b", 1, true, true, ""},
        {"label on the last line", {"a", "L <b>x</b>"}, 1, "L", "b", 1, true, false, "unchanged"},
        {"no closing tag", {"L", "<b>x"}, 0, "L", "b", 1, true, false, "unchanged"},
        {"no end of the opening tag", {"L", "<b"}, 0, "L", "b", 1, true, false, "unchanged"},
        {"label absent", {"l", "<b>x</b>"}, 0, "L", "b", 1, true, false, "unchanged"},
        {"line index beyond the lines", {"L"}, 3, "L", "b", 0, true, false, "unchanged"},
    };
    for (const ValueInTagCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string out = "unchanged";
        EXPECT_EQ(CAuctionServer::ValueInTag(c.lines, c.i, c.label, c.tag, out, c.offset, c.restOfLine), c.found);
        EXPECT_EQ(out, c.value);
    }
}

struct TextReaderCase
{
    const char* name;
    std::vector<std::string> lines;
    const char* label;
    bool found;
    const char* nextLineValue;  // NextTextLine
    const char* afterLabelValue; // TextAfterLabel
};

TEST(LineReaders, NextTextLineAndTextAfterLabel)
{
    const TextReaderCase cases[] = {
        {"value in tags on the label line", {"Seller: <b>bob</b>", "<td>next</td>"}, "Seller:", true, "next", "bob"},
        {"value on a later line", {"<td>Location</td>", "<td>&nbsp;</td>", " <b>Paris &amp; Co</b> "}, "Location",
         true, "Paris & Co", "Paris & Co"},
        {"plain text at the end of the page", {"Location: Paris"}, "Location:", false, "unchanged", "Paris"},
        {"nothing but markup", {"Label:<br>", "<td></td>"}, "Label:", false, "unchanged", "unchanged"},
        {"label absent", {"Other", "value"}, "Label", false, "unchanged", "unchanged"},
    };
    for (const TextReaderCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string next = "unchanged";
        std::string after = "unchanged";
        std::uint32_t nextFlags = 0;
        std::uint32_t afterFlags = 0;
        CAuctionServer::NextTextLine(c.lines, 0, c.label, next, nextFlags, kFoundSeller);
        CAuctionServer::TextAfterLabel(c.lines, 0, c.label, after, afterFlags, kFoundSeller);
        EXPECT_EQ(next, c.nextLineValue);
        EXPECT_EQ(after, c.afterLabelValue);
        EXPECT_EQ(nextFlags, std::string(c.nextLineValue) != "unchanged" ? kFoundSeller : 0u);
        EXPECT_EQ(afterFlags, std::string(c.afterLabelValue) != "unchanged" ? kFoundSeller : 0u);
    }
}

TEST(LineReaders, AFoundBitStopsLaterReads)
{
    const std::vector<std::string> lines = {"Seller: <b>second</b>", "third"};
    std::string out = "first";
    std::uint32_t flags = kFoundSeller;
    EXPECT_FALSE(CAuctionServer::TextAfterLabel(lines, 0, "Seller:", out, flags, kFoundSeller));
    EXPECT_FALSE(CAuctionServer::NextTextLine(lines, 0, "Seller:", out, flags, kFoundSeller));
    EXPECT_EQ(out, "first");
}

TEST(LineReaders, TextAfterLabelJoinsLinesUntilAPieceEnds)
{
    const std::vector<std::string> lines = {"<td>Seller:", "<font size=2", "face=Arial>bob</font>"};
    std::string out;
    std::uint32_t flags = 0;
    EXPECT_TRUE(CAuctionServer::TextAfterLabel(lines, 0, "Seller:", out, flags, kFoundSeller));
    EXPECT_EQ(out, "bob");
}

struct ItemUrlCase
{
    const char* url;
    bool accepted;
    const char* number;
};

TEST(BaseItemUrls, CutTheNumberAfterThePrefix)
{
    CProbeServer server;
    const ItemUrlCase cases[] = {
        {"http://auctions.example/item?n=123&more=1", true, "123"},
        {"http://auctions.example/item?n=123?x", true, "123"},
        {"http://auctions.example/item?n=12a/page.html", true, "12a"},
        {"http://auctions.example/item?n=", false, ""},
        {"http://auctions.example/item?n=#frag", false, ""},
        {"http://auctions.example/item?n= ", false, ""},
        {"http://auctions.example/item?n=57#frag", true, "57"},
        {"http://auctions.example/item?n=57 \t", true, "57"},
        {"HTTP://auctions.example/item?n=123", false, ""},
        {"http://auctions.example/item", false, ""},
    };
    for (const ItemUrlCase& c : cases) {
        SCOPED_TRACE(c.url);
        std::string number;
        EXPECT_EQ(server.ParseItemUrl(c.url, &number), c.accepted);
        EXPECT_EQ(number, c.number);
        EXPECT_EQ(server.ParseItemUrl(c.url, nullptr), c.accepted);
    }
    EXPECT_EQ(server.GetItemUrl("77"), "http://auctions.example/item?n=77");
    EXPECT_EQ(server.GetPageUrl("77"), "http://auctions.example/item?n=77");
    EXPECT_EQ(server.GetSearchBase(true), "");
}

// The bare item-URL prefix of a site names no item, and a fragment or trailing blanks are not
// part of an item number, on every server of the table.
TEST(AllServersItemUrls, EmptyNumbersAreRefusedAndFragmentsCut)
{
    for (CAuctionServer* server : AllServers()) {
        const std::string prefix = server->GetItemUrlPrefix();
        if (prefix.empty())
            continue;
        SCOPED_TRACE(prefix);
        std::string number = "untouched";
        EXPECT_EQ(FindServerForUrl(prefix, &number), nullptr);
        EXPECT_EQ(FindServerForUrl(prefix + "#top", nullptr), nullptr);
        EXPECT_EQ(FindServerForUrl(prefix + "  ", nullptr), nullptr);
        EXPECT_EQ(number, "untouched");
        EXPECT_EQ(FindServerForUrl(prefix + "57#frag", &number), server);
        EXPECT_EQ(number, "57");
        EXPECT_EQ(FindServerForUrl(prefix + "58 ", &number), server);
        EXPECT_EQ(number, "58");
    }
}

TEST(BaseCategories, ComeFromTheReferenceData)
{
    CPageFiles files;
    const std::string data = files.Write("TZ|Pacific|480#0#-60#0#10#0#5#2#0#0#0#0#4#0#1#2#0#0#0\n"
                                         "PrC|Top|0\nPrCx|Other|1\nPrC|Antiques|20081\nPrC|    General|12\n");
    SetReferenceDataFile(data);
    CProbeServer server;
    std::vector<std::string> names;
    server.GetCategoryNames(names);
    EXPECT_TRUE(names.empty()); // no category prefix

    server.categoryPrefix = "PrC";
    server.GetCategoryNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"Top", "Antiques", "    General"}));
    SetReferenceDataFile(DefaultReferenceDataPath());
}

} // namespace
