#include "browser/Favorites.h"

#include "TestSupport.h"

using namespace bmtest;
namespace fs = std::filesystem;

namespace {

std::string Shortcut(const std::string& url)
{
    return "[InternetShortcut]\r\nURL=" + url + "\r\n";
}

// A Favorites tree: items and other pages, at the top and in subfolders.
void MakeFavorites(const fs::path& root)
{
    fs::create_directories(root / "Auctions" / "Old");
    fs::create_directories(root / "Links");
    WriteFile(root / "Top item.url", Shortcut(Item(1)));
    WriteFile(root / "News.url", Shortcut("http://www.example.com/"));
    WriteFile(root / "Not a shortcut.txt", Shortcut(Item(99)));
    WriteFile(root / "Auctions" / "Lamp.URL", "[DEFAULT]\nBASEURL=" + Item(2) +
                                                  "\n[{000214A0-0000-0000-C000-000000000046}]\nProp3=19,2\n"
                                                  "[InternetShortcut]\nIDList=\nURL=" +
                                                  Item(2) + "\nIconIndex=1\n");
    WriteFile(root / "Auctions" / "Empty.url", "[InternetShortcut]\nIconIndex=1\n");
    WriteFile(root / "Auctions" / "Old" / "Clock.url", Shortcut(Item(3)));
    WriteFile(root / "Links" / "Other.url", Shortcut("http://www.example.org/"));
}

} // namespace

TEST(ShortcutFile, ReadsTheAddressOfItsSection)
{
    const struct
    {
        const char* text;
        const char* url;
    } cases[] = {
        {"[InternetShortcut]\nURL=http://a/\n", "http://a/"},
        {"[InternetShortcut]\r\nURL=http://a/\r\n", "http://a/"},
        {"\xEF\xBB\xBF[internetshortcut]\nurl = http://a/ \n", "http://a/"},
        {"[DEFAULT]\nURL=http://wrong/\n[InternetShortcut]\nURL=http://a/\n", "http://a/"},
        {"[InternetShortcut]\nIDList=\n[Other]\nURL=http://wrong/\n", ""},
        {"URL=http://nosection/\n", ""},
        {"[InternetShortcut]\nURLX=http://a/\n", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShortcutUrlFromText(c.text), c.url) << c.text;
}

TEST(ShortcutFile, ReadsOnlyItsFirst2048Characters)
{
    TempDir dir;
    const std::string head = "[InternetShortcut]\n";
    const std::string pad(2048 - head.size() - 5 - 9, ';');
    // An address that ends exactly at the limit is whole...
    WriteFile(dir.path / "fits.url", head + pad + "\nURL=http://a/");
    EXPECT_EQ(ReadShortcutUrl((dir.path / "fits.url").string()), "http://a/");
    // ... one that runs past it is not taken cut short.
    WriteFile(dir.path / "long.url", head + pad + "\nURL=http://a/bcdefghij\n");
    EXPECT_EQ(ReadShortcutUrl((dir.path / "long.url").string()), "");
    // A key beyond the limit is not read at all.
    WriteFile(dir.path / "far.url", head + std::string(3000, ';') + "\nURL=http://a/\n");
    EXPECT_EQ(ReadShortcutUrl((dir.path / "far.url").string()), "");
    EXPECT_EQ(ReadShortcutUrl((dir.path / "missing.url").string()), "");
}

TEST(ShortcutFile, ReadsTheRealEdgeProfileShortcut)
{
    const fs::path sample = fs::path(LW_REALDATA_DIR) / "url-shortcuts" / "chromium_edge_profile_Google.url";
    if (!fs::exists(sample))
        GTEST_SKIP() << "no real shortcut sample";
    EXPECT_EQ(ReadShortcutUrl(sample.string()), "http://www.google.com/");
}

TEST(FavoritesImport, RecursionAndDeletion)
{
    const struct
    {
        bool recurse;
        bool deleteItems;
        std::vector<int> items;
    } cases[] = {
        {false, false, {1}},
        {true, false, {1, 2, 3}},
        {false, true, {1}},
        {true, true, {1, 2, 3}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        MakeFavorites(dir.path);
        FakeWatchList list;
        int count = 0;
        ASSERT_TRUE(ImportFavorites(list, dir.path.string(), c.recurse, c.deleteItems, count));
        std::vector<std::string> expected;
        for (int n : c.items)
            expected.push_back(Item(n));
        std::sort(list.added.begin(), list.added.end());
        EXPECT_EQ(list.added, expected);
        EXPECT_EQ(count, static_cast<int>(expected.size()));

        const struct
        {
            fs::path file;
            int item;
        } shortcuts[] = {
            {dir.path / "Top item.url", 1},
            {dir.path / "Auctions" / "Lamp.URL", 2},
            {dir.path / "Auctions" / "Old" / "Clock.url", 3},
        };
        for (const auto& s : shortcuts) {
            const bool imported = std::find(c.items.begin(), c.items.end(), s.item) != c.items.end();
            EXPECT_EQ(fs::exists(s.file), !(imported && c.deleteItems)) << s.file;
        }
        for (const fs::path& kept : {dir.path / "News.url", dir.path / "Not a shortcut.txt",
                                     dir.path / "Auctions" / "Empty.url", dir.path / "Links" / "Other.url"})
            EXPECT_TRUE(fs::exists(kept)) << kept;
    }
}

TEST(FavoritesImport, MissingDirectoryFails)
{
    FakeWatchList list;
    int count = 0;
    std::string error;
    EXPECT_FALSE(ImportFavorites(list, "/nonexistent/Favorites", true, false, count, &error));
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(error.empty());
}

TEST(FavoritesExport, FileNamesOnDiskAreUtf8)
{
    TempDir dir;
    const std::string windows1252 = "Ench\xE8res";
    EXPECT_EQ(ExportFavorites(dir.path.string(), {*MakeExportEntry("303", windows1252, Item(303))}), 1);
    EXPECT_TRUE(fs::exists(dir.path / "Item #303 (Ench\xC3\xA8res).url"));
}

TEST(FavoritesExport, WritesEachShortcutOnce)
{
    TempDir dir;
    std::vector<ExportEntry> entries = {
        *MakeExportEntry("101", std::string("eBay"), Item(101)),
        *MakeExportEntry("202", std::nullopt, "http://auctions.example.com:8080/i/202")};
    EXPECT_EQ(ExportFavorites(dir.path.string(), entries), 2);
    EXPECT_EQ(ReadFile(dir.path / "Item #101 (eBay).url"), Shortcut(Item(101)));
    EXPECT_EQ(ReadShortcutUrl((dir.path / "Item #202 (auctions.example.com).url").string()),
              "http://auctions.example.com:8080/i/202");
    EXPECT_EQ(ExportFavorites(dir.path.string(), entries), 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 2);

    // What was exported comes back in as items.
    FakeWatchList list;
    int count = 0;
    ASSERT_TRUE(ImportFavorites(list, dir.path.string(), false, false, count));
    EXPECT_EQ(list.added, std::vector<std::string>{Item(101)});
}

TEST(FavoritesExport, MissingDirectoryWritesNothing)
{
    std::string error;
    EXPECT_EQ(ExportFavorites("/nonexistent/Favorites", {*MakeExportEntry("1", std::string("eBay"), Item(1))},
                              &error),
              0);
    EXPECT_FALSE(error.empty());
}

TEST(ExportNaming, ItemsAreNamedByNumberAndServer)
{
    const struct
    {
        const char* number;
        std::optional<std::string> server;
        const char* url;
        const char* fileName;
        const char* title;
    } cases[] = {
        {"123", std::string("eBay"), "http://cgi.ebay.com/x?item=123", "Item #123 (eBay).url",
         "Item #123 (eBay)"},
        {"9", std::nullopt, "http://user@auc.example.net:81/p?9", "Item #9 (auc.example.net).url",
         "Item #9 (auc.example.net)"},
        {"a/b", std::string("Site/One"), "http://s/", "Item #a_b (Site_One).url", "Item #a/b (Site/One)"},
    };
    for (const auto& c : cases) {
        auto entry = MakeExportEntry(c.number, c.server, c.url);
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->fileName, c.fileName);
        EXPECT_EQ(entry->title, c.title);
        EXPECT_EQ(entry->url, c.url);
    }
    EXPECT_FALSE(MakeExportEntry("1", std::string("eBay"), ""));
    EXPECT_FALSE(MakeExportEntry("", std::string("eBay"), "http://s/"));
}

TEST(ExportNaming, ReportsFollowTheCount)
{
    EXPECT_TRUE(ImportReport(0).warning);
    EXPECT_EQ(ImportReport(0).text, "No item has been imported");
    EXPECT_EQ(ImportReport(1).text, "1 item has been imported");
    EXPECT_EQ(ImportReport(7).text, "7 items have been imported");
    EXPECT_FALSE(ImportReport(7).warning);
    EXPECT_EQ(ExportReport(0).text, "No item has been exported");
    EXPECT_TRUE(ExportReport(0).warning);
    EXPECT_EQ(ExportReport(1).text, "1 item has been exported");
    EXPECT_EQ(ExportReport(2).text, "2 items have been exported");
}

TEST(DefaultLocations, FavoritesDirectoryWhenItExists)
{
    TempDir dir;
    const char* oldHome = std::getenv("HOME");
    const std::string saved = oldHome ? oldHome : "";
    ::setenv("HOME", dir.path.c_str(), 1);
    EXPECT_EQ(DefaultFavoritesDirectory(), "");
    fs::create_directory(dir.path / "Favorites");
    EXPECT_EQ(DefaultFavoritesDirectory(), (dir.path / "Favorites").string());
    ::setenv("HOME", saved.c_str(), 1);
}
