// The watch-list document as a bookmark import target and export source: which addresses it
// takes, that a new item is queued for refreshing, the export rows, and a round trip through
// both stores with the real bookmark code.

#include "../model/ModelTestSupport.h"

#include "browser/BookmarkFile.h"
#include "browser/DocumentBookmarks.h"
#include "browser/Favorites.h"
#include "core/document/LotwardDoc.h"
#include "sites/AuctionServer.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace modeltest;

namespace {

std::string Ebay(const std::string& number)
{
    return FindServer(107)->GetItemUrl(number);
}

class CRecordingDownloads : public IItemDownloads
{
public:
    void RefreshItem(CItem& item) override { refreshed.push_back(item.GetItemNumber()); }
    void CancelItem(const CItem&) override {}
    void CancelAll() override {}
    std::vector<std::string> refreshed;
};

} // namespace

TEST(DocumentImportTarget, TakesItemPagesOnlyAndCountsNewItems)
{
    CLotwardDoc doc;
    doc.OnNewDocument();
    CRecordingDownloads downloads;
    doc.SetItemDownloads(&downloads);
    CDocumentImportTarget target(doc);

    const struct
    {
        std::string url;
        bool taken;
        int items;
    } cases[] = {
        {Ebay("1001"), true, 1},
        {Ebay("1001"), true, 1}, // already listed: taken (so a source may be deleted), not added twice
        {"https://www.debian.org/", false, 1},
        {"", false, 1},
        // Two lines would be read as two addresses by the document.
        {Ebay("1002") + "\n" + Ebay("1003"), false, 1},
        {Ebay("1004") + "\r", false, 1},
        {Ebay("1005"), true, 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(target.AddUrl(c.url), c.taken) << c.url;
        EXPECT_EQ(doc.GetItemCount(), c.items) << c.url;
    }
    EXPECT_EQ(target.AddedCount(), 2);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(downloads.refreshed, (std::vector<std::string>{"1001", "1005"}))
        << "an imported item is refreshed like any added item";
    doc.SetItemDownloads(nullptr);
}

TEST(DocumentExportEntries, ListOrderNamesAndAddresses)
{
    CLotwardDoc doc;
    doc.OnNewDocument();
    doc.AddItem("42", FindServer(107));
    doc.AddItem("7", nullptr); // no server: no address, so no bookmark
    CAuctionServer* other = AllServers().back();
    doc.AddItem("A9", other);

    const std::vector<ExportEntry> entries = DocumentExportEntries(doc);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].itemNumber, "42");
    EXPECT_EQ(entries[0].url, Ebay("42"));
    EXPECT_EQ(entries[0].serverName, "Ebay");
    EXPECT_EQ(entries[0].title, "Item #42 (Ebay)");
    EXPECT_EQ(entries[0].fileName, "Item #42 (Ebay).url");
    EXPECT_EQ(entries[1].itemNumber, "A9");
    EXPECT_EQ(entries[1].url, other->GetItemUrl("A9"));
    EXPECT_EQ(entries[1].serverName, other->GetDisplayName());
}

TEST(DocumentBookmarks, ExportedItemsImportBackIntoAnEmptyList)
{
    TempDir dir;
    CLotwardDoc source;
    source.OnNewDocument();
    for (const char* number : {"5001", "5002", "5003"})
        source.AddItem(number, FindServer(107));
    const std::vector<ExportEntry> entries = DocumentExportEntries(source);

    const std::string favorites = dir / "Favorites";
    std::filesystem::create_directories(favorites);
    ASSERT_EQ(ExportFavorites(favorites, entries), 3);

    const std::string bookmarks = dir / "bookmarks.html";
    WriteFileBytes(bookmarks, "<DL><p>\n<DT><H3>Auctions</H3>\n<DL><p>\n</DL><p>\n</DL>\n");
    ASSERT_EQ(ExportNetscapeBookmarks(bookmarks, "\\Auctions\\", entries), 3);

    for (const bool fromFavorites : {true, false}) {
        CLotwardDoc copy;
        copy.OnNewDocument();
        CDocumentImportTarget target(copy);
        int count = 0;
        ASSERT_TRUE(fromFavorites ? ImportFavorites(target, favorites, false, false, count)
                                  : ImportNetscapeBookmarks(target, bookmarks, "\\Auctions\\", false, false, count));
        EXPECT_EQ(count, 3);
        ASSERT_EQ(copy.GetItemCount(), 3);
        std::vector<std::string> numbers;
        for (int i = 0; i < copy.GetItemCount(); ++i) {
            numbers.push_back(copy.GetItem(i)->GetItemNumber());
            EXPECT_EQ(copy.GetItem(i)->GetServer(), FindServer(107));
        }
        EXPECT_EQ(numbers, (std::vector<std::string>{"5001", "5002", "5003"})) << fromFavorites;
    }
}
