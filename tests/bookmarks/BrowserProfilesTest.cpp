// Bookmarks read straight from Chromium and Firefox profiles, the import in two steps (read,
// then delete only what was taken), and files of sizes and depths that people really reach.

#include "browser/BrowserProfiles.h"
#include "browser/BookmarkImport.h"

#include "ProfileFixtures.h"
#include "TestSupport.h"

#include <cstdlib>

using namespace bmtest;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> FolderPaths(const ProfileBookmarks& profile)
{
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < profile.folders.size(); ++i)
        paths.push_back(BookmarkFolderPath(profile.folders, static_cast<int>(i)));
    return paths;
}

std::vector<ProfileNode> AuctionTree()
{
    return {Bookmark("Lamp", Item(1)), Bookmark("News", "https://example.com/"),
            Folder("Auctions", {Bookmark("Clock", Item(2)), Folder("Old", {Bookmark("Vase", Item(3))})})};
}

// Sets HOME for the life of the object.
struct HomeAt
{
    explicit HomeAt(const fs::path& home) : before(std::getenv("HOME") ? std::getenv("HOME") : "")
    {
        ::setenv("HOME", home.c_str(), 1);
        ::unsetenv("XDG_CONFIG_HOME");
    }
    ~HomeAt() { ::setenv("HOME", before.c_str(), 1); }
    std::string before;
};

} // namespace

TEST(BrowserProfiles, ChromiumAndFirefoxGiveTheSameTreeAndLinks)
{
    TempDir dir;
    const std::string chromium = (dir.path / "Bookmarks").string();
    WriteChromiumBookmarks(chromium, AuctionTree(), {Bookmark("Chair", Item(4))});
    const std::string firefox = (dir.path / "places.sqlite").string();
    ASSERT_TRUE(WriteFirefoxPlaces(firefox, {Bookmark("Chair", Item(4))}, AuctionTree(), {Item(9)}));

    ProfileBookmarks fromChromium;
    ASSERT_TRUE(ReadChromiumBookmarks(chromium, fromChromium));
    EXPECT_EQ(FolderPaths(fromChromium),
              (std::vector<std::string>{"\\", "\\Bookmarks bar\\", "\\Bookmarks bar\\Auctions\\",
                                        "\\Bookmarks bar\\Auctions\\Old\\", "\\Other bookmarks\\",
                                        "\\Mobile bookmarks\\"}));
    ProfileBookmarks fromFirefox;
    ASSERT_TRUE(ReadFirefoxBookmarks(firefox, fromFirefox));
    // The roots under the names of the browser's bookmark window; tags are not folders.
    EXPECT_EQ(FolderPaths(fromFirefox),
              (std::vector<std::string>{
                  "\\", "\\Bookmarks Menu\\", "\\Bookmarks Toolbar\\", "\\Bookmarks Toolbar\\Auctions\\",
                  "\\Bookmarks Toolbar\\Auctions\\Old\\", "\\Other Bookmarks\\", "\\Mobile Bookmarks\\"}));

    const struct
    {
        BookmarkStore store;
        std::string path;
        std::string folder;
        bool recurse;
        std::vector<std::string> expected;
    } cases[] = {
        {BookmarkStore::Chromium, chromium, "\\", true, {Item(1), Item(2), Item(3), Item(4)}},
        {BookmarkStore::Chromium, chromium, "\\Bookmarks bar\\Auctions\\", true, {Item(2), Item(3)}},
        {BookmarkStore::Chromium, chromium, "\\Bookmarks bar\\Auctions\\", false, {Item(2)}},
        {BookmarkStore::Firefox, firefox, "\\", true, {Item(4), Item(1), Item(2), Item(3)}},
        {BookmarkStore::Firefox, firefox, "\\Bookmarks Toolbar\\", false, {Item(1)}},
        {BookmarkStore::Firefox, firefox, "\\Bookmarks Toolbar\\Auctions\\Old\\", true, {Item(3)}},
    };
    for (const auto& c : cases) {
        FakeWatchList list;
        const BookmarkImportResult result = ImportBookmarks(list, {c.store, c.path, c.folder, c.recurse});
        EXPECT_TRUE(result.read) << result.error;
        EXPECT_EQ(list.added, c.expected) << c.folder;
        EXPECT_EQ(result.count, static_cast<int>(c.expected.size()));
        int deleted = -1;
        EXPECT_FALSE(DeleteImportedBookmarks({c.store, c.path, c.folder, c.recurse}, result.taken, deleted))
            << "a browser's profile is never written";
    }
    FakeWatchList list;
    const BookmarkImportResult missing =
        ImportBookmarks(list, {BookmarkStore::Chromium, chromium, "\\Nope\\", true});
    EXPECT_FALSE(missing.read);
    EXPECT_NE(missing.error.find("\\Nope\\"), std::string::npos);
}

TEST(BrowserProfiles, FirefoxIsReadWhileTheBrowserHoldsItsDatabaseAndNeverWritten)
{
    TempDir dir;
    const std::string firefox = (dir.path / "places.sqlite").string();
    ASSERT_TRUE(WriteFirefoxPlaces(firefox, {Bookmark("Lamp", Item(1))}, {}));
    // The running browser: its latest bookmark is still in the write-ahead log, and it holds the
    // database open.
    sqlite3* browser = nullptr;
    ASSERT_EQ(sqlite3_open(firefox.c_str(), &browser), SQLITE_OK);
    sqlite3_exec(browser, "PRAGMA wal_autocheckpoint=0;", nullptr, nullptr, nullptr);
    const std::string latest = "INSERT INTO moz_places (id, url) VALUES (100, '" + Item(2) +
                               "');"
                               "INSERT INTO moz_bookmarks (id, type, fk, parent, position, guid)"
                               " VALUES (100, 1, 100, 2, 1, 'latest');";
    ASSERT_EQ(sqlite3_exec(browser, latest.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    const std::string before = ReadFile(firefox);
    const std::string walBefore = ReadFile(firefox + "-wal");

    FakeWatchList list;
    const BookmarkImportResult result = ImportBookmarks(list, {BookmarkStore::Firefox, firefox, "\\", true});
    EXPECT_TRUE(result.read) << result.error;
    EXPECT_EQ(list.added, (std::vector<std::string>{Item(1), Item(2)}));
    EXPECT_EQ(ReadFile(firefox), before);
    EXPECT_EQ(ReadFile(firefox + "-wal"), walBefore);
    sqlite3_close(browser);

    for (const char* notOurs : {"Bookmarks", "bookmarks.html"}) {
        const std::string path = (dir.path / notOurs).string();
        WriteFile(path, "{\"roots\": 1}");
        ProfileBookmarks profile;
        std::string error;
        EXPECT_FALSE(ReadFirefoxBookmarks(path, profile, &error));
        EXPECT_FALSE(error.empty());
        EXPECT_FALSE(ReadChromiumBookmarks(path, profile, &error));
    }
}

TEST(BrowserProfiles, FoundInTheUsualProfileFolders)
{
    TempDir dir;
    HomeAt home(dir.path);
    const fs::path chrome = dir.path / ".config" / "google-chrome";
    for (const char* profile : {"Default", "Profile 2", "System Profile"}) {
        fs::create_directories(chrome / profile);
        WriteChromiumBookmarks((chrome / profile / "Bookmarks").string(), {}, {});
    }
    const fs::path firefox = dir.path / ".mozilla" / "firefox";
    fs::create_directories(firefox / "abcd.default-release");
    ASSERT_TRUE(WriteFirefoxPlaces((firefox / "abcd.default-release" / "places.sqlite").string(), {}, {}));
    WriteFile(firefox / "profiles.ini", "[Install4F96D1932A9F858E]\r\nDefault=abcd.default-release\r\n\r\n"
                                        "[Profile0]\r\nName=default-release\r\nIsRelative=1\r\n"
                                        "Path=abcd.default-release\r\n\r\n[Profile1]\r\nName=gone\r\n"
                                        "IsRelative=1\r\nPath=gone.default\r\n");
    std::vector<std::string> names;
    for (const BrowserProfile& p : FindBrowserProfiles())
        names.push_back(p.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Google Chrome (Default)", "Google Chrome (Profile 2)",
                                               "Firefox (default-release)"}));
    EXPECT_EQ(ProfileBookmarkStore(BrowserFamily::Chromium, (chrome / "Default").string()),
              (chrome / "Default" / "Bookmarks").string());
    EXPECT_EQ(ProfileBookmarkStore(BrowserFamily::Firefox, (chrome / "Default").string()), "");
}

TEST(BookmarkImportSteps, DeletionTakesOnlyWhatTheImportTook)
{
    TempDir dir;
    const std::string file = CopyData("firefox-export.html", dir.path);
    FakeWatchList list;
    const BookmarkSource source{BookmarkStore::Netscape, file, "\\Auctions\\", true};
    const BookmarkImportResult result = ImportBookmarks(list, source);
    ASSERT_TRUE(result.read);
    EXPECT_EQ(result.count, 3);
    const std::string afterImport = ReadFile(file);
    EXPECT_EQ(afterImport, ReadFile(DataFile("firefox-export.html"))) << "the import itself changes nothing";

    // A link the user adds in between is not deleted, although it is an item page.
    std::string changed = afterImport;
    changed.insert(changed.find("    </DL><p>"), "        <DT><A HREF=\"" + Item(7777) + "\">New</A>\n");
    WriteFile(file, changed);
    int deleted = 0;
    std::string error;
    ASSERT_TRUE(DeleteImportedBookmarks(source, result.taken, deleted, &error)) << error;
    EXPECT_EQ(deleted, 3);
    const std::string after = ReadFile(file);
    EXPECT_NE(after.find(Item(7777)), std::string::npos);
    for (int n : {2001, 2002, 3001})
        EXPECT_EQ(after.find(Item(n) + "\""), std::string::npos) << n;
    EXPECT_NE(after.find(Item(1001)), std::string::npos) << "outside the chosen folder";
}

TEST(BookmarkImportSteps, AnUnchangeableStoreIsImportedAndKept)
{
    TempDir dir;
    const std::string file = CopyData("firefox-export.html", dir.path);
    const fs::path favorites = dir.path / "Favorites";
    fs::create_directories(favorites / "Locked");
    WriteFile(favorites / "Lamp.url", "[InternetShortcut]\nURL=" + Item(1) + "\n");
    WriteFile(favorites / "Locked" / "Clock.url", "[InternetShortcut]\nURL=" + Item(2) + "\n");
    UnchangeableFile lockedFile(file);
    UnchangeableFile lockedFolder(favorites.string());
    if (!lockedFile.ok || !lockedFolder.ok)
        GTEST_SKIP() << "files cannot be made unchangeable here";
    const std::string before = ReadFile(file);
    for (const BookmarkSource& source :
         {BookmarkSource{BookmarkStore::Netscape, file, "\\", true},
          BookmarkSource{BookmarkStore::Favorites, favorites.string(), "\\", true}}) {
        FakeWatchList list;
        const BookmarkImportResult result = ImportBookmarks(list, source);
        ASSERT_TRUE(result.read) << result.error;
        EXPECT_GT(result.count, 0);
        int deleted = 0;
        std::string error;
        EXPECT_FALSE(DeleteImportedBookmarks(source, result.taken, deleted, &error));
        EXPECT_NE(error.find(source.store == BookmarkStore::Netscape ? file : favorites.string()),
                  std::string::npos)
            << error;
    }
    EXPECT_EQ(ReadFile(file), before);
    EXPECT_TRUE(fs::exists(favorites / "Lamp.url"));
}

TEST(BookmarkImportSteps, AnUnreadableFavoritesFolderIsSkippedAndTheRestImported)
{
    TempDir dir;
    const fs::path favorites = dir.path / "Favorites";
    fs::create_directories(favorites / "Private");
    fs::create_directories(favorites / "Shop");
    WriteFile(favorites / "Private" / "Secret.url", "[InternetShortcut]\nURL=" + Item(1) + "\n");
    WriteFile(favorites / "Shop" / "Clock.url", "[InternetShortcut]\nURL=" + Item(2) + "\n");
    fs::permissions(favorites / "Private", fs::perms::none);
    if (::access((favorites / "Private").c_str(), R_OK) == 0)
        GTEST_SKIP() << "running with rights that read any folder";
    FakeWatchList list;
    const BookmarkImportResult result =
        ImportBookmarks(list, {BookmarkStore::Favorites, favorites.string(), "\\", true});
    fs::permissions(favorites / "Private", fs::perms::owner_all);
    EXPECT_TRUE(result.read) << result.error;
    EXPECT_EQ(list.added, (std::vector<std::string>{Item(2)}));
    ASSERT_EQ(result.skipped.size(), 1u);
    EXPECT_NE(result.skipped[0].find("Private"), std::string::npos);
}

TEST(BookmarkSizes, DeepAndLargeFilesAndProfilesAreReadWhole)
{
    // Depths and sizes far past what a recursive reader or a path per folder could take.
    constexpr int kDepth = 40000;
    TempDir dir;
    const std::string file = (dir.path / "deep.html").string();
    std::string text = "<DL><p>\n";
    for (int i = 0; i < kDepth; ++i)
        text += "<DT><H3>F" + std::to_string(i) + "</H3>\n<DL><p>\n";
    text += "<DT><A HREF=\"" + Item(1) + "\">Deepest</A>\n";
    for (int i = 0; i < kDepth; ++i)
        text += "</DL><p>\n";
    WriteFile(file, text);
    std::vector<BookmarkFolderNode> nodes;
    ASSERT_TRUE(ListBookmarkFolders(file, nodes));
    ASSERT_EQ(nodes.size(), static_cast<std::size_t>(kDepth + 1));
    EXPECT_EQ(nodes.back().parent, kDepth - 1);
    const std::string deepest = BookmarkFolderPath(nodes, kDepth);
    EXPECT_EQ(FindBookmarkFolder(nodes, deepest), kDepth);
    FakeWatchList list;
    int count = 0;
    ASSERT_TRUE(ImportNetscapeBookmarks(list, file, "\\F0\\", true, false, count));
    EXPECT_EQ(count, 1);

    ProfileNode chain = Bookmark("Deepest", Item(2));
    for (int i = 0; i < 2000; ++i)
        chain = Folder("F", {std::move(chain)});
    const std::string chromium = (dir.path / "Bookmarks").string();
    WriteChromiumBookmarks(chromium, {chain}, {});
    ProfileBookmarks profile;
    ASSERT_TRUE(ReadChromiumBookmarks(chromium, profile));
    EXPECT_EQ(profile.folders.size(), 2000u + 4u);
    ASSERT_EQ(profile.links.size(), 1u);
    EXPECT_EQ(profile.links[0].folder, 2001);
}
