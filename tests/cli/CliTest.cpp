// lotwarden end to end: the real program on real files, its output, exit codes, and that a
// failing command writes nothing.

#include "CliRun.h"

#include <gtest/gtest.h>

using namespace modeltest;
using namespace std::string_literals;

TEST(CliLotwarden, VersionAndUsage)
{
    TempDir dir;
    const CliRun version = Lotwarden(dir, {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "lotwarden 1.0.0\n");
    EXPECT_EQ(Lotwarden(dir, {}).status, 2);
    const CliRun unknown = Lotwarden(dir, {"frobnicate"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("unknown command"), std::string::npos);
}

TEST(CliLotwarden, ServersListsEveryRowInUtf8)
{
    TempDir dir;
    const CliRun run = Lotwarden(dir, {"servers"});
    ASSERT_EQ(run.status, 0) << run.err;
    int lines = 0;
    for (char c : run.out)
        lines += c == '\n';
    EXPECT_EQ(lines, 31) << run.out; // a heading, the 22 sites of the table and the 8 live eBay rows
    EXPECT_NE(run.out.find("\n107\t"), std::string::npos);
    EXPECT_NE(run.out.find("\tPacific\tEbC\n"), std::string::npos);
    EXPECT_NE(run.out.find("\n170\t"), std::string::npos);
    EXPECT_NE(run.out.find("Espa\xC3\xB1"
                           "a"),
              std::string::npos)
        << "1252 text is printed as UTF-8";
}

TEST(CliLotwarden, NewAddShowRemoveRoundTrip)
{
    TempDir dir;
    const std::string path = dir / "w.lwd";
    ASSERT_EQ(Lotwarden(dir, {"new", path}).status, 0);
    const std::string fresh = ReadFileBytes(path);
    EXPECT_EQ(fresh.substr(0, 2), "\x08\x00"s);
    EXPECT_EQ(fresh.substr(fresh.size() - 2), "\x00\x00"s);
    EXPECT_EQ(Lotwarden(dir, {"new", path}).status, 1) << "an existing file is not replaced";
    EXPECT_EQ(ReadFileBytes(path), fresh);

    const CliRun added = Lotwarden(dir, {"add", path, "--server", "107", "123"});
    ASSERT_EQ(added.status, 0) << added.err;
    EXPECT_NE(added.out.find("#123"), std::string::npos);
    const std::string withOne = ReadFileBytes(path);
    const CliRun again = Lotwarden(dir, {"add", path, "--server", "107", "123"});
    EXPECT_EQ(again.status, 0);
    EXPECT_NE(again.out.find("Already"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(path), withOne) << "nothing to add, nothing written";
    ASSERT_EQ(Lotwarden(dir, {"add", path, "--server", "168", "X\xC3\xA9"}).status, 0);

    const CliRun shown = Lotwarden(dir, {"show", path});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out.substr(0, shown.out.find('\n')),
              "Item Number\tServer\tDescription\tCurrent Price\tEnd Date (Local)\tNumber of "
              "Bids\tQuantity\tRetrieval Date\t"
              "Time Left");
    EXPECT_NE(shown.out.find("\n123\t"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("\nX\xC3\xA9\t"), std::string::npos)
        << "the number went in as 1252 and comes out as UTF-8";

    const CliRun json = Lotwarden(dir, {"show", path, "--json"});
    ASSERT_EQ(json.status, 0);
    EXPECT_NE(json.out.find("\"itemNumber\": \"123\", \"serverId\": 107"), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"firstResultPending\": 1"), std::string::npos);
    EXPECT_NE(
        json.out.find("{\"id\": 104, \"name\": \"description\", \"title\": \"Description\", \"width\": 320}"),
        std::string::npos);

    const CliRun removed = Lotwarden(dir, {"remove", path, "123"});
    ASSERT_EQ(removed.status, 0) << removed.err;
    const CliRun after = Lotwarden(dir, {"show", path});
    EXPECT_EQ(after.out.find("\n123\t"), std::string::npos);
}

TEST(CliLotwarden, FailingCommandsWriteNothing)
{
    TempDir dir;
    const std::string path = dir / "w.lwd";
    ASSERT_EQ(Lotwarden(dir, {"new", path}).status, 0);
    ASSERT_EQ(Lotwarden(dir, {"add", path, "--server", "107", "1"}).status, 0);
    const std::string before = ReadFileBytes(path);
    struct Case
    {
        std::vector<std::string> args;
        int status;
        const char* message;
    } cases[] = {
        {{"add", path, "--server", "1", "5"}, 1, "no server"},
        {{"add", path, "--server", "abc", "5"}, 2, "usage"},
        {{"add", path, "--server", "107"}, 2, "usage"},
        {{"add", path, "--server", "107", ""}, 2, "empty"},
        {{"add", path, "http://nowhere.invalid/item/5"}, 1, "not an item page"},
        {{"remove", path, "1", "999"}, 1, "no item #999"},
        {{"remove", path}, 2, "usage"},
        {{"show"}, 2, "usage"},
        {{"servers", "extra"}, 2, "usage"},
    };
    for (const Case& c : cases) {
        const CliRun run = Lotwarden(dir, c.args);
        EXPECT_EQ(run.status, c.status) << c.message << ": " << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(ReadFileBytes(path), before) << c.message;
    }
}

TEST(CliLotwarden, UrlsGoThroughTheAdapters)
{
    TempDir dir;
    const std::string path = dir / "w.lwd";
    ASSERT_EQ(Lotwarden(dir, {"new", path}).status, 0);
    ASSERT_EQ(Lotwarden(dir, {"add", path, "--server", "107", "777"}).status, 0);
    const CliRun json = Lotwarden(dir, {"show", path, "--json"});
    const std::size_t at = json.out.find("\"url\": \"");
    ASSERT_NE(at, std::string::npos);
    const std::string url = json.out.substr(at + 8, json.out.find('"', at + 8) - at - 8);
    if (url.empty())
        GTEST_SKIP() << "the eBay adapter forms no item URL yet";
    const std::string before = ReadFileBytes(path);
    const CliRun again = Lotwarden(dir, {"add", path, url});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_NE(again.out.find("already"), std::string::npos) << again.out;
    EXPECT_EQ(ReadFileBytes(path), before);
}

TEST(CliLotwarden, DamagedAndMissingFilesAreRefusedUntouched)
{
    TempDir dir;
    const std::string path = dir / "bad.lwd";
    WriteFileBytes(path, "\x08\x00\xFF\xFF\x01\x00\x0B\x00"
                         "CColumnInfo"s);
    for (const char* command : {"show", "remove"}) {
        std::vector<std::string> args = {command, path};
        if (std::string(command) == "remove")
            args.push_back("1");
        const CliRun run = Lotwarden(dir, args);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("Unexpected file format."), std::string::npos) << run.err;
    }
    EXPECT_EQ(ReadFileBytes(path), "\x08\x00\xFF\xFF\x01\x00\x0B\x00"
                                   "CColumnInfo"s);
    const CliRun missing = Lotwarden(dir, {"show", dir / "absent.lwd"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("absent.lwd: no such file\n"), std::string::npos);
}

TEST(CliLotwarden, OlderFileIsBackedUpOnlyWhenAsked)
{
    TempDir dir;
    const std::string path = dir / "v1.lwd";
    const std::string item = U32(107) + Str("55") + Str("d") + U32(1) + U32(0) + U32(1) + U32(0) + U32(0) +
                             U32(0) + std::string(9, '\0');
    const std::string bytes = "\x00\x00\x01\x00\xFF\xFF\x01\x00\x05\x00"
                              "CItem"s +
                              item;
    WriteFileBytes(path, bytes);
    const CliRun plain = Lotwarden(dir, {"show", path});
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "v1.old"));
    const CliRun backup = Lotwarden(dir, {"show", path, "--backup"});
    EXPECT_EQ(backup.status, 0);
    EXPECT_EQ(ReadFileBytes(dir / "v1.old"), bytes);
    EXPECT_EQ(ReadFileBytes(path), bytes);
}
