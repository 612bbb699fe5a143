#include "browser/BookmarkFile.h"

#include "TestSupport.h"

#include <sys/stat.h>

using namespace bmtest;
namespace fs = std::filesystem;

namespace {

struct Event
{
    int kind;
    std::string text;
    std::string folderPath;
    bool operator==(const Event&) const = default;
};

// The events of a read-only walk; the list openings only when asked for.
std::vector<Event> Events(const std::string& path, bool withLists = false)
{
    std::vector<Event> events;
    EXPECT_TRUE(WalkBookmarkFile(
        path, false,
        [&](BookmarkEvent e, const std::string& text, const std::string& folder, std::string* ins) {
            EXPECT_EQ(ins, nullptr);
            if (e != BookmarkEvent::Begin && (withLists || e != BookmarkEvent::ListStart))
                events.push_back({static_cast<int>(e), text, folder});
            return true;
        }));
    return events;
}

std::vector<std::string> Items(std::initializer_list<int> numbers)
{
    std::vector<std::string> v;
    for (int n : numbers)
        v.push_back(Item(n));
    return v;
}

} // namespace

TEST(BookmarkWalk, ReportsFoldersAndLinksWithTheirPaths)
{
    const std::vector<Event> expected = {
        {3, "place:parent=toolbar_____&sort=12&maxResults=10", "\\"},
        {3, Item(1001), "\\"},
        {3, "https://www.example.org/", "\\"},
        {1, "Auctions", "\\Auctions\\"},
        {3, Item(2001), "\\Auctions\\"},
        {3, "https://news.example.com/ebay", "\\Auctions\\"},
        {1, "Old", "\\Auctions\\Old\\"},
        {3, Item(3001), "\\Auctions\\Old\\"},
        {2, "", "\\Auctions\\"},
        {3, Item(2002), "\\Auctions\\"},
        {2, "", "\\"},
        {1, "Bookmarks Toolbar", "\\Bookmarks Toolbar\\"},
        {3, "https://www.mozilla.org/firefox/", "\\Bookmarks Toolbar\\"},
        {2, "", "\\"},
        {2, "", "\\"}, // the file's own closing </DL> stays at the top
    };
    EXPECT_EQ(Events(DataFile("firefox-export.html").string()), expected);
}

TEST(BookmarkWalk, ReadsLowerCaseTagsHrefAnywhereAndEscapedAddresses)
{
    const std::vector<Event> expected = {
        {1, "Bookmarks bar", "\\Bookmarks bar\\"},
        {3, Item(4001), "\\Bookmarks bar\\"},
        {3, "https://chromium.org/", "\\Bookmarks bar\\"},
        {1, "Auctions", "\\Bookmarks bar\\Auctions\\"},
        {3, Item(4002), "\\Bookmarks bar\\Auctions\\"},
        {2, "", "\\Bookmarks bar\\"},
        {2, "", "\\"},
        {3, Item(4003), "\\"},
        {2, "", "\\"},
    };
    EXPECT_EQ(Events(DataFile("chromium-export-crlf.html").string()), expected);
}

TEST(BookmarkWalk, HeadingLineEntersTheFolderBeforeItsLink)
{
    const auto events = Events(DataFile("heading-links.htm").string());
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[0], (Event{1, "Auctions", "\\Auctions\\"}));
    EXPECT_EQ(events[1], (Event{3, Item(5001), "\\Auctions\\"}));
    // Only the first link of a line is reported; the folder closes on the line of its last link.
    EXPECT_EQ(events[2], (Event{3, Item(5002), "\\Auctions\\"}));
    EXPECT_EQ(events[3], (Event{3, Item(5003), "\\Auctions\\"}));
    EXPECT_EQ(events[4], (Event{2, "", "\\"}));
    EXPECT_EQ(events[5], (Event{3, "http://www.example.com/top", "\\"}));
}

TEST(BookmarkWalk, MissingFileFailsWithAMessage)
{
    std::string error;
    bool called = false;
    EXPECT_FALSE(WalkBookmarkFile(
        "/nonexistent/bookmark.htm", false,
        [&](BookmarkEvent, const std::string&, const std::string&, std::string*) {
            called = true;
            return true;
        },
        &error));
    EXPECT_FALSE(called);
    EXPECT_NE(error.find("/nonexistent/bookmark.htm"), std::string::npos);
    EXPECT_FALSE(FolderExists("/nonexistent/bookmark.htm", "\\"));
}

TEST(BookmarkWalk, BeginCanRefuseTheRewrite)
{
    TempDir dir;
    const std::string file = CopyData("firefox-export.html", dir.path);
    const std::string before = ReadFile(file);
    EXPECT_TRUE(WalkBookmarkFile(
        file, true, [&](BookmarkEvent e, const std::string&, const std::string&, std::string* ins) {
            EXPECT_EQ(ins, nullptr);
            return e != BookmarkEvent::Begin && e != BookmarkEvent::Link;
        }));
    EXPECT_EQ(ReadFile(file), before);
    EXPECT_FALSE(fs::exists(file + ".tmp"));
}

TEST(BookmarkFolders, ExistAndListWithTheTopAsRoot)
{
    const std::string file = DataFile("firefox-export.html").string();
    EXPECT_TRUE(FolderExists(file, "\\Auctions\\"));
    EXPECT_TRUE(FolderExists(file, "\\Auctions\\Old\\"));
    EXPECT_FALSE(FolderExists(file, "\\Old\\"));
    EXPECT_FALSE(FolderExists(file, "\\"));
    EXPECT_FALSE(FolderExists(file, ""));

    std::vector<BookmarkFolderNode> nodes;
    ASSERT_TRUE(ListBookmarkFolders(file, nodes));
    ASSERT_EQ(nodes.size(), 4u);
    EXPECT_EQ(BookmarkFolderPath(nodes, 0), "\\");
    EXPECT_EQ(nodes[0].parent, -1);
    EXPECT_EQ(nodes[1].name, "Auctions");
    EXPECT_EQ(nodes[1].parent, 0);
    EXPECT_EQ(BookmarkFolderPath(nodes, 2), "\\Auctions\\Old\\");
    EXPECT_EQ(nodes[2].parent, 1);
    EXPECT_EQ(nodes[3].name, "Bookmarks Toolbar");
    EXPECT_EQ(nodes[3].parent, 0);

    const struct
    {
        const char* path;
        int node;
    } lookups[] = {
        {"\\", 0},
        {"", 0},
        {"\\Auctions\\", 1},
        {"\\Auctions\\Old\\", 2},
        {"\\Bookmarks Toolbar\\", 3},
        {"\\Auctions\\Gone\\", 1},
        {"\\Nowhere\\", 0},
    };
    for (const auto& l : lookups)
        EXPECT_EQ(FindBookmarkFolder(nodes, l.path), l.node) << l.path;

    EXPECT_FALSE(ListBookmarkFolders("/nonexistent/x.htm", nodes));
    EXPECT_TRUE(nodes.empty());
}

TEST(NetscapeImport, ChosenFolderAndRecursion)
{
    const struct
    {
        const char* file;
        const char* folder;
        bool recurse;
        std::vector<std::string> expected;
    } cases[] = {
        {"firefox-export.html", "\\", true, Items({1001, 2001, 3001, 2002})},
        {"firefox-export.html", "\\", false, Items({1001})},
        {"firefox-export.html", "\\Auctions\\", false, Items({2001, 2002})},
        {"firefox-export.html", "\\Auctions\\", true, Items({2001, 3001, 2002})},
        {"firefox-export.html", "\\Auctions\\Old\\", false, Items({3001})},
        {"firefox-export.html", "\\Bookmarks Toolbar\\", true, {}},
        {"chromium-export-crlf.html", "\\", true, Items({4001, 4002, 4003})},
        {"chromium-export-crlf.html", "\\Bookmarks bar\\", false, Items({4001})},
        {"heading-links.htm", "\\Auctions\\", false, Items({5001, 5002, 5003})},
    };
    for (const auto& c : cases) {
        FakeWatchList list;
        int count = 3; // the count continues from what the caller passes
        EXPECT_TRUE(
            ImportNetscapeBookmarks(list, DataFile(c.file).string(), c.folder, c.recurse, false, count));
        EXPECT_EQ(list.added, c.expected) << c.file << " " << c.folder << " " << c.recurse;
        EXPECT_EQ(count, 3 + static_cast<int>(c.expected.size()));
    }
}

TEST(NetscapeImport, DeletingRemovesExactlyTheImportedLinks)
{
    for (const char* name : {"firefox-export.html", "chromium-export-crlf.html"}) {
        TempDir dir;
        const std::string file = CopyData(name, dir.path);
        const std::string before = ReadFile(file);
        FakeWatchList list;
        int count = 0;
        ASSERT_TRUE(ImportNetscapeBookmarks(list, file, "\\", true, true, count));
        EXPECT_EQ(count, 3 + (name[0] == 'f' ? 1 : 0));
        // Both files put each item link on its own line; the "<HR>" in front of one stays, its
        // description goes with it.
        std::string expected = WithoutLinesContaining(before, "ViewItem");
        if (name[0] == 'f')
            expected.replace(expected.find("    <DD>Watched"),
                             std::string("    <DD>Watched since the fair\n").size(), "    <HR>    \n");
        EXPECT_EQ(ReadFile(file), expected) << name;
        EXPECT_FALSE(fs::exists(file + ".tmp"));

        // Nothing left to take: a second import changes no byte.
        FakeWatchList again;
        int none = 0;
        ASSERT_TRUE(ImportNetscapeBookmarks(again, file, "\\", true, true, none));
        EXPECT_EQ(none, 0);
        EXPECT_EQ(ReadFile(file), expected);
    }
}

TEST(NetscapeImport, DeletingFromHeadingLinesKeepsHeadingsAndOtherLinks)
{
    TempDir dir;
    const std::string file = CopyData("heading-links.htm", dir.path);
    FakeWatchList list;
    int count = 0;
    ASSERT_TRUE(ImportNetscapeBookmarks(list, file, "\\", true, true, count));
    EXPECT_EQ(count, 3);
    const std::string after = ReadFile(file);
    EXPECT_EQ(after, "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
                     "<TITLE>Bookmarks for jo</TITLE>\n"
                     "<H1>Bookmarks for jo</H1>\n"
                     "<DL><p>\n"
                     "<DT><H3 ADD_DATE=\"948000000\">Auctions</H3><DL><p>\n"
                     "<DT><A HREF=\"http://www.example.com/\">Kept on the same line</A>\n"
                     "</DL><p>\n"
                     "<DT><A HREF=\"http://www.example.com/top\">Top link</A>\n"
                     "</DL><p>\n");
    EXPECT_TRUE(FolderExists(file, "\\Auctions\\"));
}

TEST(NetscapeImport, RewriteKeepsModeOwnerAndTheUsersOwnFilesBesideIt)
{
    TempDir dir;
    const std::string file = CopyData("firefox-export.html", dir.path);
    // A file of the user's own where older versions wrote their copy.
    WriteFile(file + ".tmp", "my notes");
    ASSERT_EQ(::chmod(file.c_str(), 0664), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
    }

    FakeWatchList list;
    int count = 0;
    ASSERT_TRUE(ImportNetscapeBookmarks(list, file, "\\", true, true, count));
    EXPECT_EQ(count, 4);
    struct stat st
    {
    };
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0664u);
    if (root) {
        EXPECT_EQ(st.st_uid, 65534u) << "a rewrite by root leaves the user's file the user's";
        EXPECT_EQ(st.st_gid, 65534u);
    }
    EXPECT_EQ(ReadFile(file + ".tmp"), "my notes");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 2)
        << "no copy is left behind";
}

TEST(NetscapeImport, DeletedLinksTakeTheirDescriptionsWithThem)
{
    // As today's browsers and bookmark services write them: a description on the line after its
    // link, one running over several lines, one on the link's own line, and empty ones.
    TempDir dir;
    const std::string file = (dir.path / "described.html").string();
    WriteFile(file, "<DL><p>\n"
                    "    <DT><A HREF=\"https://example.com/a\">Kept A</A>\n"
                    "    <DD>about A\n"
                    "    <DT><A HREF=\"" +
                        Item(1) +
                        "\">Item 1</A>\n"
                        "    <DD>about item 1\n"
                        "    <DT><A HREF=\"" +
                        Item(2) +
                        "\">Item 2</A>\n"
                        "<DD>List:\n- one\n\n- two\n"
                        "    <DT><A HREF=\"https://example.com/b\">Kept B</A>\n"
                        "    <DT><A HREF=\"" +
                        Item(3) +
                        "\">Item 3</A><DD>same line\n"
                        "    <DT><A HREF=\"" +
                        Item(4) +
                        "\">Item 4</A>\n"
                        "    <DD>\n"
                        "    <DT><H3>Folder</H3>\n"
                        "    <DD>about the folder\n"
                        "    <DL><p>\n"
                        "        <DT><A HREF=\"" +
                        Item(5) +
                        "\">Item 5</A>\n"
                        "        <DD>last in its folder</DL><p>\n"
                        "</DL><p>\n");
    FakeWatchList list;
    int count = 0;
    ASSERT_TRUE(ImportNetscapeBookmarks(list, file, "\\", true, true, count));
    EXPECT_EQ(count, 5);
    EXPECT_EQ(ReadFile(file), "<DL><p>\n"
                              "    <DT><A HREF=\"https://example.com/a\">Kept A</A>\n"
                              "    <DD>about A\n"
                              "    <DT><A HREF=\"https://example.com/b\">Kept B</A>\n"
                              "    <DT><H3>Folder</H3>\n"
                              "    <DD>about the folder\n"
                              "    <DL><p>\n"
                              "</DL><p>\n"
                              "</DL><p>\n");
}

TEST(NetscapeImport, ReadOnlyDirectoryOrFileLeavesTheFileUntouched)
{
    for (bool readOnlyFile : {false, true}) {
        TempDir dir;
        const std::string file = CopyData("firefox-export.html", dir.path);
        const std::string before = ReadFile(file);
        const fs::path readOnly = readOnlyFile ? fs::path(file) : dir.path;
        fs::permissions(readOnly, fs::perms::owner_read | fs::perms::owner_exec);
        if (::access(readOnly.c_str(), W_OK) == 0)
            GTEST_SKIP() << "running with rights that ignore read-only files";
        FakeWatchList list;
        int count = 0;
        std::string error;
        EXPECT_FALSE(ImportNetscapeBookmarks(list, file, "\\", true, true, count, &error));
        EXPECT_NE(error.find(readOnlyFile ? "firefox-export.html:" : ".tmp"), std::string::npos) << error;
        EXPECT_EQ(count, 0);
        EXPECT_EQ(ReadFile(file), before);
        EXPECT_EQ(ExportNetscapeBookmarks(file, "\\Auctions\\",
                                          {*MakeExportEntry("1", std::string("eBay"), Item(1))}),
                  0);
        EXPECT_EQ(ReadFile(file), before);
        // Reading still works: without deletion the links are imported.
        EXPECT_TRUE(ImportNetscapeBookmarks(list, file, "\\", true, false, count));
        EXPECT_EQ(count, 4);
    }
}

TEST(NetscapeImport, RewriteKeepsALinkedFileAsALink)
{
    TempDir dir;
    const std::string real = CopyData("firefox-export.html", dir.path);
    const std::string link = (dir.path / "bookmarks.html").string();
    fs::create_symlink(real, link);
    FakeWatchList list;
    int count = 0;
    ASSERT_TRUE(ImportNetscapeBookmarks(list, link, "\\Auctions\\", false, true, count));
    EXPECT_EQ(count, 2);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(real).find("item=2001"), std::string::npos);
}

namespace {

std::vector<ExportEntry> TwoEntries()
{
    return {*MakeExportEntry("101", std::string("eBay"), Item(101)),
            *MakeExportEntry("202", std::string("Yahoo! UK & Ireland"),
                             "http://uk.auctions.yahoo.com/item?aucId=202")};
}

} // namespace

TEST(NetscapeExport, InsertsAtTheStartOfTheChosenFoldersOwnList)
{
    TempDir dir;
    const std::string file = CopyData("firefox-export.html", dir.path);
    const std::string before = ReadFile(file);
    const std::time_t start = std::time(nullptr);
    ASSERT_EQ(ExportNetscapeBookmarks(file, "\\Auctions\\Old\\", TwoEntries()), 2);
    const std::string after = ReadFile(file);

    const std::string heading =
        "<DT><H3 ADD_DATE=\"1700000006\" LAST_MODIFIED=\"1700000007\">Old</H3>\n        <DL><p>\n";
    const std::size_t at = after.find(heading);
    ASSERT_NE(at, std::string::npos);
    std::istringstream rest(after.substr(at + heading.size()));
    std::string first, second;
    std::getline(rest, first);
    std::getline(rest, second);
    const std::string head1 = "<DT><A HREF=\"" + Item(101) + "\" ADD_DATE=\"";
    ASSERT_EQ(first.rfind(head1, 0), 0u) << first;
    const long long date = std::stoll(first.substr(head1.size()));
    EXPECT_GE(date, static_cast<long long>(start));
    EXPECT_NE(first.find("\" LAST_VISIT=\"0\" LAST_MODIFIED=\"0\">Item #101 (eBay)</A>"), std::string::npos);
    EXPECT_NE(second.find(">Item #202 (Yahoo! UK &amp; Ireland)</A>"), std::string::npos) << second;

    // Everything else is as it was, and the new lines are read back in their folder.
    EXPECT_EQ(after.size(), before.size() + first.size() + second.size() + 2);
    FakeWatchList list;
    int count = 0;
    ASSERT_TRUE(ImportNetscapeBookmarks(list, file, "\\Auctions\\Old\\", false, false, count));
    EXPECT_EQ(list.added, Items({101, 3001}));
}

TEST(NetscapeExport, LinesGoInsideTheFolderPastItsDescriptionOrAfterAHeadingWithoutAList)
{
    const struct
    {
        std::string file;
        std::string expected;
    } cases[] = {
        // Today's browsers: a description between the heading and the list.
        {"<DL><p>\n<DT><H3>Deals</H3>\n<DD>Auctions &amp; deals\n<DL><p>\n<DT><A "
         "HREF=\"x\">x</A>\n</DL><p>\n</DL>\n",
         "<DL><p>\n<DT><H3>Deals</H3>\n<DD>Auctions &amp; deals\n<DL><p>\nNEW\n<DT><A "
         "HREF=\"x\">x</A>\n</DL><p>\n</DL>\n"},
        // The list opened on the heading's own line.
        {"<DL><p>\n<DT><H3>Deals</H3><DL><p>\n</DL><p>\n</DL>\n",
         "<DL><p>\n<DT><H3>Deals</H3><DL><p>\nNEW\n</DL><p>\n</DL>\n"},
        // A heading with no list of its own.
        {"<DL><p>\n<DT><H3>Deals</H3>\n<DT><A HREF=\"x\">x</A>\n</DL>\n",
         "<DL><p>\n<DT><H3>Deals</H3>\nNEW\n<DT><A HREF=\"x\">x</A>\n</DL>\n"},
    };
    TempDir dir;
    const std::string file = (dir.path / "deals.html").string();
    for (const auto& c : cases) {
        WriteFile(file, c.file);
        ASSERT_EQ(ExportNetscapeBookmarks(file, "\\Deals\\", TwoEntries()), 2);
        std::string after = ReadFile(file);
        const std::size_t first = after.find("<DT><A HREF=\"" + Item(101));
        ASSERT_NE(first, std::string::npos);
        const std::size_t end = after.find("\n", after.find("Item #202", first));
        after.replace(first, end - first, "NEW");
        EXPECT_EQ(after, c.expected);
    }
}

TEST(NetscapeExport, FollowsTheFileLineEndingsAndNeedsAHeading)
{
    TempDir dir;
    const std::string file = CopyData("chromium-export-crlf.html", dir.path);
    const std::string before = ReadFile(file);
    for (const char* missing : {"\\", "\\Nowhere\\", "\\Auctions\\"}) {
        EXPECT_EQ(ExportNetscapeBookmarks(file, missing, TwoEntries()), 0) << missing;
        EXPECT_EQ(ReadFile(file), before);
    }
    ASSERT_EQ(ExportNetscapeBookmarks(file, "\\Bookmarks bar\\Auctions\\", TwoEntries()), 2);
    const std::string after = ReadFile(file);
    EXPECT_EQ(after.find("\n"), after.find("\r\n") + 1);
    std::size_t lf = 0, crlf = 0;
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (after[i] == '\n') {
            ++lf;
            crlf += (i > 0 && after[i - 1] == '\r');
        }
    }
    EXPECT_EQ(lf, crlf);
    EXPECT_NE(after.find("last_modified=\"1700000003\">Auctions</h3>\r\n        <dl><p>\r\n<DT><A HREF=\"" +
                         Item(101)),
              std::string::npos);
    FakeWatchList list;
    int count = 0;
    ASSERT_TRUE(ImportNetscapeBookmarks(list, file, "\\Bookmarks bar\\Auctions\\", false, false, count));
    EXPECT_EQ(list.added, Items({101, 4002}));
}

TEST(NetscapeExport, SameNamedFoldersGetTheItemsOnce)
{
    TempDir dir;
    const std::string file = (dir.path / "twice.htm").string();
    WriteFile(file,
              "<DL><p>\n<DT><H3>A</H3>\n<DL><p>\n</DL><p>\n<DT><H3>A</H3>\n<DL><p>\n</DL><p>\n</DL><p>");
    ASSERT_EQ(ExportNetscapeBookmarks(file, "\\A\\", TwoEntries()), 2);
    FakeWatchList list;
    int count = 0;
    ASSERT_TRUE(ImportNetscapeBookmarks(list, file, "\\A\\", false, false, count));
    EXPECT_EQ(count, 1); // only the eBay entry is an item page for the stand-in list
    // The file's last line had no line ending and keeps it that way.
    EXPECT_EQ(ReadFile(file).substr(ReadFile(file).size() - 8), "</DL><p>");
}

TEST(DefaultLocations, FindsAnExportedBookmarkFileInHome)
{
    TempDir dir;
    const char* oldHome = std::getenv("HOME");
    const std::string saved = oldHome ? oldHome : "";
    ::setenv("HOME", dir.path.c_str(), 1);
    EXPECT_EQ(FindDefaultBookmarkFile(), "");
    fs::create_directories(dir.path / ".mozilla" / "firefox" / "abc.default" / "bookmarkbackups");
    WriteFile(dir.path / ".mozilla" / "firefox" / "abc.default" / "bookmarkbackups" / "bookmarks-2024.json",
              "{}");
    EXPECT_EQ(FindDefaultBookmarkFile(), "");
    WriteFile(dir.path / ".mozilla" / "firefox" / "abc.default" / "bookmarks.html", "<DL>");
    EXPECT_EQ(FindDefaultBookmarkFile(),
              (dir.path / ".mozilla" / "firefox" / "abc.default" / "bookmarks.html").string());
    fs::create_directories(dir.path / "Desktop");
    WriteFile(dir.path / "Desktop" / "bookmarks.html", "<DL>");
    EXPECT_EQ(FindDefaultBookmarkFile(), (dir.path / "Desktop" / "bookmarks.html").string());
    ::setenv("HOME", saved.c_str(), 1);
}
