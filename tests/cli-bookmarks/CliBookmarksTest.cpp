// lotwarden import and export end to end: the real program on a watch list and on bookmark
// stores written for each test, its messages, its exit codes, and what it leaves on disk.

#include "../bookmarks/ProfileFixtures.h"
#include "../bookmarks/TestSupport.h"
#include "../model/ModelTestSupport.h"

#include "sites/AuctionServer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sys/wait.h>

using namespace modeltest;
namespace fs = std::filesystem;

namespace {

struct CliRun
{
    int status = -1;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& word)
{
    std::string quoted = "'";
    for (char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs lotwarden; `asUser` runs it with an ordinary user's rights when the tests run as root
// (whose rights ignore what a user may not read); see OpenToUser.
CliRun Lotwarden(const TempDir& dir, const std::vector<std::string>& args, bool asUser = false)
{
    std::string command = Quote(LW_BIN_DIR "/lotwarden");
    if (asUser && ::geteuid() == 0)
        command = "setpriv --reuid=65534 --regid=65534 --clear-groups -- " + command;
    for (const std::string& arg : args)
        command += " " + Quote(arg);
    const std::string errFile = dir / "stderr.txt";
    command += " 2>" + Quote(errFile);
    CliRun run;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, got);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = ReadFileBytes(errFile);
    return run;
}

// Lets the ordinary user of Lotwarden(..., true) read and write everything in the test folder.
void OpenToUser(const TempDir& dir)
{
    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path, ec))
        fs::permissions(entry.path(), fs::perms::others_all, fs::perm_options::add, ec);
    fs::permissions(dir.path, fs::perms::others_all, fs::perm_options::add, ec);
}

std::string Ebay(const std::string& number)
{
    return FindServer(107)->GetItemUrl(number);
}

// An address as a browser writes it inside an HTML attribute.
std::string Attribute(std::string url)
{
    std::string out;
    for (char c : url)
        out += c == '&' ? std::string("&amp;") : std::string(1, c);
    return out;
}

std::string Link(const std::string& url, const std::string& title, const std::string& indent)
{
    return indent + "<DT><A HREF=\"" + Attribute(url) +
           "\" ADD_DATE=\"1700000000\" LAST_MODIFIED=\"1700000001\">" + title + "</A>\n";
}

// A bookmarks.html as Firefox exports it: eBay items at the top, in "Auctions", in
// "Auctions/Old" and in "Other", among links to ordinary pages.
std::string FirefoxBookmarks()
{
    return "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
           "<!-- This is an automatically generated file.\n"
           "     It will be read and overwritten.\n"
           "     DO NOT EDIT! -->\n"
           "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
           "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'self'; script-src 'none'\">\n"
           "<TITLE>Bookmarks</TITLE>\n"
           "<H1>Bookmarks Menu</H1>\n\n"
           "<DL><p>\n" +
           Link("https://www.debian.org/", "Debian", "    ") + Link(Ebay("100"), "Lamp", "    ") +
           "    <DT><H3 ADD_DATE=\"1700000000\" LAST_MODIFIED=\"1700000002\">Auctions</H3>\n"
           "    <DL><p>\n" +
           Link(Ebay("200"), "Telescope", "        ") + Link("https://example.com/news", "News", "        ") +
           "        <DT><H3 ADD_DATE=\"1700000000\" LAST_MODIFIED=\"1700000002\">Old</H3>\n"
           "        <DL><p>\n" +
           Link(Ebay("300"), "Clock", "            ") + "        </DL><p>\n" +
           Link(Ebay("201"), "Globe", "        ") +
           "    </DL><p>\n"
           "    <DT><H3 ADD_DATE=\"1700000000\" LAST_MODIFIED=\"1700000002\">Other</H3>\n"
           "    <DL><p>\n" +
           Link(Ebay("400"), "Chair", "        ") +
           "    </DL><p>\n"
           "    <DT><H3 ADD_DATE=\"1700000000\" LAST_MODIFIED=\"1700000002\">Pens &amp; Ink</H3>\n"
           "    <DD>Writing things\n"
           "    <DL><p>\n" +
           Link(Ebay("500"), "Fountain pen", "        ") +
           "    </DL><p>\n"
           "</DL>\n";
}

std::vector<std::string> ListedNumbers(const TempDir& dir, const std::string& list)
{
    const CliRun run = Lotwarden(dir, {"show", list, "--json"});
    EXPECT_EQ(run.status, 0) << run.err;
    std::vector<std::string> numbers;
    const std::string key = "\"itemNumber\": \"";
    for (std::size_t at = run.out.find(key); at != std::string::npos; at = run.out.find(key, at)) {
        at += key.size();
        numbers.push_back(run.out.substr(at, run.out.find('"', at) - at));
    }
    return numbers;
}

std::string NewList(const TempDir& dir, const std::string& name = "watch.lwd")
{
    const std::string path = dir / name;
    EXPECT_EQ(Lotwarden(dir, {"new", path}).status, 0);
    return path;
}

using Numbers = std::vector<std::string>;

} // namespace

TEST(CliBookmarkImport, ChosenFolderWithAndWithoutRecursion)
{
    const struct
    {
        std::vector<std::string> options;
        Numbers expected;
        const char* report;
    } cases[] = {
        {{"--folder", "Auctions", "--no-recurse"}, {"200", "201"}, "2 items have been imported"},
        {{"--folder", "Auctions"}, {"200", "300", "201"}, "3 items have been imported"},
        {{"--folder", "Auctions", "--recurse"}, {"200", "300", "201"}, "3 items have been imported"},
        {{"--folder", "\\Auctions\\Old\\"}, {"300"}, "1 item has been imported"},
        {{"--no-recurse"}, {"100"}, "1 item has been imported"}, // the top alone: links outside any folder
        {{}, {"100", "200", "300", "201", "400", "500"}, "6 items have been imported"}, // the whole file
        // Names as the browser shows them, or as the file writes them.
        {{"--folder", "Pens & Ink"}, {"500"}, "1 item has been imported"},
        {{"--folder", "Pens &amp; Ink"}, {"500"}, "1 item has been imported"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string list = NewList(dir);
        const std::string bookmarks = dir / "bookmarks.html";
        WriteFileBytes(bookmarks, FirefoxBookmarks());
        std::vector<std::string> args = {"import", list, "--netscape", bookmarks};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CliRun run = Lotwarden(dir, args);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find(c.report), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("Added #" + c.expected.front() + " on Ebay"), std::string::npos) << run.out;
        EXPECT_EQ(ListedNumbers(dir, list), c.expected) << c.report;
        EXPECT_EQ(ReadFileBytes(bookmarks), FirefoxBookmarks()) << "without --delete the file is left alone";
    }
}

TEST(CliBookmarkImport, DeleteRemovesExactlyTheImportedLinks)
{
    TempDir dir;
    const std::string list = NewList(dir);
    const std::string bookmarks = dir / "bookmarks.html";
    WriteFileBytes(bookmarks, FirefoxBookmarks());
    const CliRun run = Lotwarden(
        dir, {"import", list, "--netscape", bookmarks, "--folder", "Auctions", "--recurse", "--delete"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Deleted 3 bookmarks"), std::string::npos) << run.out;
    EXPECT_EQ(ListedNumbers(dir, list), (Numbers{"200", "300", "201"}));

    std::string expected = FirefoxBookmarks();
    for (const char* number : {"200", "300", "201"}) {
        const std::size_t at = expected.find(Attribute(Ebay(number)) + "\"");
        ASSERT_NE(at, std::string::npos);
        const std::size_t start = expected.rfind('\n', at) + 1;
        expected.erase(start, expected.find('\n', at) + 1 - start);
    }
    EXPECT_EQ(ReadFileBytes(bookmarks), expected);
    EXPECT_FALSE(fs::exists(bookmarks + ".tmp"));

    // Nothing is left to take from that folder; the list is not written again.
    const std::string before = ReadFileBytes(list);
    const CliRun again = Lotwarden(
        dir, {"import", list, "--netscape", bookmarks, "--folder", "Auctions", "--recurse", "--delete"});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_NE(again.out.find("No item has been imported"), std::string::npos) << again.out;
    EXPECT_EQ(ReadFileBytes(list), before);
}

TEST(CliBookmarkImport, FavoritesRecursionAndDelete)
{
    TempDir dir;
    const std::string list = NewList(dir);
    const fs::path favorites = dir.path / "Favorites";
    fs::create_directories(favorites / "Auctions");
    auto shortcut = [](const fs::path& file, const std::string& url) {
        WriteFileBytes(file.string(),
                       "[DEFAULT]\r\nBASEURL=" + url + "\r\n[InternetShortcut]\r\nURL=" + url + "\r\n");
    };
    shortcut(favorites / "Lamp.url", Ebay("11"));
    shortcut(favorites / "Debian.url", "https://www.debian.org/");
    shortcut(favorites / "Auctions" / "Clock.url", Ebay("12"));
    WriteFileBytes((favorites / "notes.txt").string(), "URL=" + Ebay("13") + "\n");

    CliRun run = Lotwarden(dir, {"import", list, "--favorites", favorites.string(), "--no-recurse"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ListedNumbers(dir, list), (Numbers{"11"}));

    run = Lotwarden(dir, {"import", list, "--favorites", favorites.string(), "--delete"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("2 items have been imported"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Some items were already in the list."), std::string::npos) << run.out;
    EXPECT_EQ(ListedNumbers(dir, list), (Numbers{"11", "12"}));
    EXPECT_FALSE(fs::exists(favorites / "Lamp.url"));
    EXPECT_FALSE(fs::exists(favorites / "Auctions" / "Clock.url"));
    EXPECT_TRUE(fs::exists(favorites / "Debian.url"));
    EXPECT_TRUE(fs::exists(favorites / "notes.txt"));
}

TEST(CliBookmarkImport, AFailedSaveDeletesNoBookmark)
{
    TempDir dir;
    const std::string list = NewList(dir);
    const fs::path favorites = dir.path / "Favorites";
    fs::create_directories(favorites);
    WriteFileBytes((favorites / "Lamp.url").string(), "[InternetShortcut]\nURL=" + Ebay("21") + "\n");
    // The list's folder cannot take the temporary file of the save.
    OpenToUser(dir);
    fs::permissions(dir.path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const CliRun run = Lotwarden(dir, {"import", list, "--favorites", favorites.string(), "--delete"}, true);
    fs::permissions(dir.path, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("no bookmark was deleted"), std::string::npos) << run.err;
    EXPECT_TRUE(fs::exists(favorites / "Lamp.url"));
    EXPECT_TRUE(ListedNumbers(dir, list).empty());
}

TEST(CliBookmarkImport, AnUnchangeableFileIsImportedKeptAndSaysWhy)
{
    TempDir dir;
    const std::string list = NewList(dir);
    const std::string bookmarks = dir / "bookmarks.html";
    WriteFileBytes(bookmarks, FirefoxBookmarks());
    bmtest::UnchangeableFile locked(bookmarks);
    if (!locked.ok)
        GTEST_SKIP() << "files cannot be made unchangeable here";
    const CliRun run =
        Lotwarden(dir, {"import", list, "--netscape", bookmarks, "--folder", "Other", "--delete"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("1 item has been imported"), std::string::npos) << run.out;
    EXPECT_NE(
        run.err.find("The imported bookmarks could not be deleted from \"" + bookmarks + "\": " + bookmarks),
        std::string::npos)
        << run.err;
    EXPECT_EQ(ListedNumbers(dir, list), (Numbers{"400"})) << "the watch list keeps the item";
    EXPECT_EQ(ReadFileBytes(bookmarks), FirefoxBookmarks());
}

TEST(CliBookmarkImport, AnUnreadableFavoritesFolderIsSkippedWithAWarning)
{
    TempDir dir;
    const std::string list = NewList(dir);
    const fs::path favorites = dir.path / "Favorites";
    fs::create_directories(favorites / "Private");
    fs::create_directories(favorites / "Shop");
    WriteFileBytes((favorites / "Private" / "Secret.url").string(),
                   "[InternetShortcut]\nURL=" + Ebay("61") + "\n");
    WriteFileBytes((favorites / "Shop" / "Clock.url").string(),
                   "[InternetShortcut]\nURL=" + Ebay("62") + "\n");
    WriteFileBytes((favorites / "Lamp.url").string(), "[InternetShortcut]\nURL=" + Ebay("63") + "\n");
    OpenToUser(dir);
    fs::permissions(favorites / "Private", fs::perms::none);
    const CliRun run = Lotwarden(dir, {"import", list, "--favorites", favorites.string()}, true);
    fs::permissions(favorites / "Private", fs::perms::owner_all);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("skipped " + (favorites / "Private").string()), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("2 items have been imported"), std::string::npos) << run.out;
    EXPECT_EQ(ListedNumbers(dir, list), (Numbers{"63", "62"}));
}

TEST(CliBookmarkImport, StraightFromChromiumAndFirefoxProfiles)
{
    TempDir dir;
    const fs::path chromium = dir.path / "chromium" / "Default";
    fs::create_directories(chromium);
    const std::vector<bmtest::ProfileNode> auctions = {
        bmtest::Bookmark("Lamp", Ebay("71")), bmtest::Bookmark("Debian", "https://www.debian.org/"),
        bmtest::Folder("Auctions & Deals", {bmtest::Bookmark("Clock", Ebay("72"))})};
    bmtest::WriteChromiumBookmarks((chromium / "Bookmarks").string(), auctions,
                                   {bmtest::Bookmark("Vase", Ebay("73"))});
    const fs::path firefox = dir.path / "firefox" / "abcd.default-release";
    fs::create_directories(firefox);
    ASSERT_TRUE(bmtest::WriteFirefoxPlaces((firefox / "places.sqlite").string(), {}, auctions));
    const std::string places = ReadFileBytes((firefox / "places.sqlite").string());

    const struct
    {
        std::vector<std::string> options;
        Numbers expected;
    } cases[] = {
        {{"--browser", "chromium", "--profile", chromium.string()}, {"71", "72", "73"}},
        {{"--browser", "chromium", "--profile", chromium.string(), "--folder",
          "Bookmarks bar/Auctions & Deals"},
         {"72"}},
        {{"--browser", "chromium", "--profile", (chromium / "Bookmarks").string(), "--folder",
          "Bookmarks bar", "--no-recurse"},
         {"71"}},
        {{"--browser", "firefox", "--profile", firefox.string(), "--folder", "Bookmarks Toolbar"},
         {"71", "72"}},
    };
    int lists = 0;
    for (const auto& c : cases) {
        const std::string list = NewList(dir, "watch" + std::to_string(++lists) + ".lwd");
        std::vector<std::string> args = {"import", list};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CliRun run = Lotwarden(dir, args);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(ListedNumbers(dir, list), c.expected) << run.out;
    }
    EXPECT_EQ(ReadFileBytes((firefox / "places.sqlite").string()), places);
    const CliRun wrong = Lotwarden(dir, {"import", NewList(dir, "wrong.lwd"), "--browser", "chromium",
                                         "--profile", chromium.string(), "--folder", "Nope"});
    EXPECT_EQ(wrong.status, 1);
    EXPECT_NE(wrong.err.find("no folder \\Nope\\"), std::string::npos) << wrong.err;
}

TEST(CliBookmarkExport, FavoritesTwiceCreatesTheFilesOnce)
{
    TempDir dir;
    const std::string list = NewList(dir);
    ASSERT_EQ(Lotwarden(dir, {"add", list, Ebay("31"), Ebay("32")}).status, 0);
    const fs::path favorites = dir.path / "Favorites";
    fs::create_directories(favorites);

    CliRun run = Lotwarden(dir, {"export", list, "--favorites", favorites.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "2 items have been exported\n");
    const std::string shortcut = ReadFileBytes((favorites / "Item #31 (Ebay).url").string());
    EXPECT_EQ(shortcut, "[InternetShortcut]\r\nURL=" + Ebay("31") + "\r\n");
    EXPECT_TRUE(fs::exists(favorites / "Item #32 (Ebay).url"));

    run = Lotwarden(dir, {"export", list, "--favorites", favorites.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "No item has been exported\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(favorites), fs::directory_iterator()), 2);
}

TEST(CliBookmarkExport, NetscapeLinesGoInsideTheChosenFolder)
{
    TempDir dir;
    const std::string list = NewList(dir);
    ASSERT_EQ(Lotwarden(dir, {"add", list, Ebay("41"), Ebay("42")}).status, 0);
    const std::string bookmarks = dir / "bookmarks.html";
    WriteFileBytes(bookmarks, FirefoxBookmarks());

    const CliRun run = Lotwarden(dir, {"export", list, "--netscape", bookmarks, "--folder", "Auctions/Old"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "2 items have been exported\n");
    const std::string text = ReadFileBytes(bookmarks);
    const std::string heading = ">Old</H3>\n        <DL><p>\n";
    const std::size_t after = text.find(heading);
    ASSERT_NE(after, std::string::npos);
    const std::string inserted = text.substr(after + heading.size());
    // The exported line holds the address as it is, the way the old browsers wrote it.
    const std::string first = "<DT><A HREF=\"" + Ebay("41") + "\" ADD_DATE=\"";
    ASSERT_EQ(inserted.compare(0, first.size(), first), 0) << inserted.substr(0, 200);
    EXPECT_NE(inserted.find("\" LAST_VISIT=\"0\" LAST_MODIFIED=\"0\">Item #41 (Ebay)</A>\n<DT><A HREF=\"" +
                            Ebay("42")),
              std::string::npos);
    EXPECT_NE(inserted.find(">Item #42 (Ebay)</A>\n" + Link(Ebay("300"), "Clock", "            ")),
              std::string::npos);
    // Every line of the file before is still there, in order.
    std::string rest = text;
    for (std::size_t pos = 0; pos < rest.size();) {
        const std::size_t nl = rest.find('\n', pos);
        if (rest.compare(pos, 10, "<DT><A HRE") == 0 && rest.find("Item #4", pos) < nl)
            rest.erase(pos, nl + 1 - pos);
        else
            pos = nl + 1;
    }
    EXPECT_EQ(rest, FirefoxBookmarks());
}

TEST(CliBookmarkCommands, UsageAndFailures)
{
    TempDir dir;
    const std::string list = NewList(dir);
    const std::string bookmarks = dir / "bookmarks.html";
    WriteFileBytes(bookmarks, FirefoxBookmarks());
    const std::string favorites = dir / "Favorites";
    fs::create_directories(favorites);
    const std::string missing = dir / "nowhere";
    const struct
    {
        std::vector<std::string> args;
        int status;
        std::string message;
    } cases[] = {
        {{"import", list},
         2,
         "give one of --favorites DIR, --netscape BOOKMARKS or --browser chromium|firefox"},
        {{"export", list}, 2, "either --favorites DIR or --netscape BOOKMARKS"},
        {{"import", list, "--browser", "opera"}, 2, "--browser is chromium or firefox"},
        {{"import", list, "--browser", "firefox", "--delete"}, 2, "only read"},
        {{"import", list, "--favorites", favorites, "--profile", favorites},
         2,
         "--profile goes with --browser"},
        {{"import", list, "--browser", "chromium", "--profile", missing},
         1,
         "File \"" + missing + "\" does not exist"},
        {{"import", list, "--favorites", favorites, "--netscape", bookmarks}, 2, "give one of --favorites"},
        {{"import", list, "--favorites", favorites, "--folder", "A"}, 2, "--folder goes with --netscape"},
        {{"import", list, "--netscape"}, 2, "--netscape needs a value"},
        {{"import", list, "--favorites", favorites, "--bogus"}, 2, "unexpected \"--bogus\""},
        {{"export", list, "--netscape", bookmarks}, 2, "needs --folder PATH"},
        {{"export", list, "--netscape", bookmarks, "--folder", "/"}, 2, "name a folder"},
        {{"export", list, "--favorites", favorites, "--recurse"}, 2, "unexpected \"--recurse\""},
        {{"import", list, "--favorites", missing}, 1, "Directory \"" + missing + "\" does not exist"},
        {{"import", list, "--netscape", missing}, 1, "File \"" + missing + "\" does not exist"},
        {{"import", list, "--netscape", bookmarks, "--folder", "Nope"}, 1, "has no folder \\Nope\\"},
        {{"export", list, "--netscape", bookmarks, "--folder", "Auctions/Nope"}, 1, "has no folder"},
        {{"import", dir / "absent.lwd", "--favorites", favorites}, 1, "absent.lwd"},
    };
    for (const auto& c : cases) {
        const CliRun run = Lotwarden(dir, c.args);
        EXPECT_EQ(run.status, c.status) << c.message << "\n" << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    EXPECT_EQ(ReadFileBytes(bookmarks), FirefoxBookmarks());
    const CliRun help = Lotwarden(dir, {"help", "import"});
    EXPECT_NE(help.out.find("import FILE --netscape BOOKMARKS [--folder PATH] [--no-recurse] [--delete]"),
              std::string::npos);
    EXPECT_NE(help.out.find("the whole file by default"), std::string::npos);
}
