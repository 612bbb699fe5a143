// lotwarden under concurrent use and hostile input: real processes on real files. Each case
// names the fault it catches: a lost item, a replaced read-only or old-format file, a hang,
// output failures reported as success, text that drives the terminal, characters turned into "?".

#include "CliRun.h"

#include "core/document/LotwardDoc.h"
#include "platform/FileLock.h"
#include "sites/AuctionServer.h"
#include "text/SiteDate.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include <sys/stat.h>

using namespace modeltest;
using namespace std::string_literals;

namespace {

std::set<std::string> ItemNumbers(const TempDir& dir, const std::string& path)
{
    const CliRun json = Lotwarden(dir, {"show", path, "--json"});
    EXPECT_EQ(json.status, 0) << json.err;
    std::set<std::string> numbers;
    const std::string key = "\"itemNumber\": \"";
    for (std::size_t at = json.out.find(key); at != std::string::npos; at = json.out.find(key, at + 1)) {
        const std::size_t start = at + key.size();
        numbers.insert(json.out.substr(start, json.out.find('"', start) - start));
    }
    return numbers;
}

// A watch list saved by the model itself, for items that no command would add.
void SaveList(const std::string& path, const std::function<void(CLotwardDoc&)>& fill)
{
    CLotwardDoc doc;
    doc.OnNewDocument();
    fill(doc);
    ASSERT_TRUE(doc.OnSaveDocument(path));
}

} // namespace

// Two shells adding to one list at once: every "Added" must be in the file.
TEST(CliConcurrency, TwoWritersAtOnceLoseNoItem)
{
    TempDir dir;
    const std::string path = dir / "w.lwd";
    ASSERT_EQ(Lotwarden(dir, {"new", path}).status, 0);
    const std::string program = Quote(LW_BIN_DIR "/lotwarden");
    std::string script;
    for (const char* prefix : {"a", "b"})
        script += "(for i in $(seq 1 25); do " + program + " add " + Quote(path) + " --server 107 " + prefix +
                  "$i >/dev/null 2>&1 || echo failed; done) & ";
    std::FILE* pipe = ::popen((script + "wait").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string failures;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        failures += buffer;
    ::pclose(pipe);
    EXPECT_EQ(failures, "") << "an add failed while the other waited";
    EXPECT_EQ(ItemNumbers(dir, path).size(), 50u);
}

// While another program holds the list, a writer waits a bounded time, then fails cleanly.
TEST(CliConcurrency, WriterWaitsForTheLockThenFailsWritingNothing)
{
    TempDir dir;
    const std::string path = dir / "w.lwd";
    ASSERT_EQ(Lotwarden(dir, {"new", path}).status, 0);
    const std::string before = ReadFileBytes(path);
    {
        CFileLock held;
        ASSERT_EQ(held.TryLockFile(path), CFileLock::Result::Locked);
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"add", path, "--server", "107", "5"}, {"remove", path, "5"}}) {
            const CliRun blocked = Lotwarden(dir, args, "LOTWARDEN_LOCK_WAIT=1");
            EXPECT_EQ(blocked.status, 1) << args[0];
            EXPECT_NE(blocked.err.find("waiting up to 1 s"), std::string::npos) << blocked.err;
            EXPECT_NE(blocked.err.find("still being changed by another program"), std::string::npos)
                << blocked.err;
            EXPECT_EQ(blocked.out, "") << "nothing reported as done";
            EXPECT_EQ(ReadFileBytes(path), before);
        }
    }
    const CliRun free = Lotwarden(dir, {"add", path, "--server", "107", "5"}, "LOTWARDEN_LOCK_WAIT=1");
    EXPECT_EQ(free.status, 0) << free.err;
    EXPECT_EQ(ItemNumbers(dir, path), std::set<std::string>{"5"});
}

// Files that must be refused as they are, without waiting for ever or replacing them.
TEST(CliFileKinds, FifoDirectoryReadOnlyAndFailedBackupAreRefusedUntouched)
{
    TempDir dir;
    const std::string fifo = dir / "fifo.lwd";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = dir / "folder.lwd";
    std::filesystem::create_directory(folder);
    const std::string readOnly = dir / "ro.lwd";
    ASSERT_EQ(Lotwarden(dir, {"new", readOnly}).status, 0);
    ASSERT_EQ(Lotwarden(dir, {"add", readOnly, "--server", "107", "1"}).status, 0);
    ::chmod(readOnly.c_str(), 0444);
    // An item of the old format (version 1): the backup copy is offered.
    const std::string old = dir / "b.lwd";
    const std::string oldBytes = "\x00\x00\x01\x00\xFF\xFF\x01\x00\x05\x00"
                                 "CItem"s +
                                 U32(107) + Str("55") + Str("d") + U32(1) + U32(0) + U32(1) + U32(0) +
                                 U32(0) + U32(0) + std::string(9, '\0');
    WriteFileBytes(old, oldBytes);
    std::filesystem::create_directory(dir / "b.old"); // the backup cannot be written

    struct Case
    {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"show", fifo}, "Failed to open document."},
        {{"add", fifo, "--server", "107", "2"}, "not a regular file"},
        {{"show", folder}, "is a folder, not a watch list"},
        {{"add", folder, "--server", "107", "2"}, "not a regular file"},
        {{"add", readOnly, "--server", "107", "2"}, "read-only"},
        {{"remove", readOnly, "1"}, "read-only"},
        {{"add", old, "--backup", "--server", "107", "2"}, "Error while copying backup file"},
        {{"show", old, "--backup"}, "Error while copying backup file"},
    };
    const std::string readOnlyBytes = ReadFileBytes(readOnly);
    for (const Case& c : cases) {
        // A hang ends with timeout's exit code 124 instead of holding the suite.
        const CliRun run = Lotwarden(dir, c.args, "timeout 20");
        EXPECT_EQ(run.status, 1) << c.args[0] << " " << c.args[1] << ": " << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    EXPECT_EQ(ReadFileBytes(readOnly), readOnlyBytes);
    struct stat st
    {
    };
    ASSERT_EQ(::stat(readOnly.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
    EXPECT_EQ(ReadFileBytes(old), oldBytes) << "the old-format file is never rewritten without its backup";
    EXPECT_EQ(std::filesystem::directory_iterator(dir.path / "b.old"), std::filesystem::directory_iterator());
}

TEST(CliOutput, FailedWriteToStandardOutputIsAFailure)
{
    TempDir dir;
    const std::string path = dir / "w.lwd";
    ASSERT_EQ(Lotwarden(dir, {"new", path}).status, 0);
    for (const char* extra : {"", "--json"}) {
        std::vector<std::string> args = {"show", path};
        if (*extra)
            args.push_back(extra);
        const CliRun run = Lotwarden(dir, args, "", ">/dev/full");
        EXPECT_EQ(run.status, 1) << extra;
        EXPECT_NE(run.err.find("output could not be written"), std::string::npos) << run.err;
    }
}

// A title from an auction page or an item number from a file cannot drive the terminal or
// forge lines; the JSON form keeps the exact text.
TEST(CliOutput, ControlCharactersAreShownEscapedAndJsonStaysExact)
{
    TempDir dir;
    const std::string path = dir / "w.lwd";
    SaveList(path, [](CLotwardDoc& doc) {
        doc.AddItem("9\r\nFAKE", FindServer(107));
        doc.GetItem(0)->description = "\x1B]0;PWNED\x07\x1B[2J\x9B"
                                      "1m";
    });
    const CliRun shown = Lotwarden(dir, {"show", path});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out.find_first_of("\x1B\x07\r"), std::string::npos) << shown.out;
    EXPECT_EQ(shown.out.find("\nFAKE"), std::string::npos) << "no forged line";
    EXPECT_NE(shown.out.find("\\x1B]0;PWNED\\x07\\x1B[2J"), std::string::npos) << shown.out;

    const CliRun json = Lotwarden(dir, {"show", path, "--json"});
    ASSERT_EQ(json.status, 0);
    EXPECT_NE(json.out.find("\"itemNumber\": \"9\\r\\nFAKE\""), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"description\": \"\\u001b]0;PWNED\\u0007\\u001b[2J\xE2\x80\xBA"
                            "1m\""),
              std::string::npos)
        << json.out;

    const CliRun added = Lotwarden(dir, {"add", path, "--server", "107", "7\x1B[31m"});
    EXPECT_EQ(added.status, 1);
    EXPECT_EQ(added.err.find('\x1B'), std::string::npos) << added.err;
}

TEST(CliInput, TextOutsideWindows1252AndEmptyItemNumbersAreRefused)
{
    TempDir dir;
    const std::string path = dir / "w.lwd";
    ASSERT_EQ(Lotwarden(dir, {"new", path}).status, 0);
    const std::string before = ReadFileBytes(path);
    const CliRun japanese = Lotwarden(dir, {"add", path, "--server", "150", "\xE6\x97\xA5\xE6\x9C\xAC"});
    EXPECT_EQ(japanese.status, 1);
    EXPECT_NE(japanese.err.find("\xE6\x97\xA5 (U+65E5)"), std::string::npos) << japanese.err;
    for (const char* url :
         {"http://page.auctions.yahoo.com/auction/", "http://page.auctions.yahoo.com/auction/#x",
          "http://page.auctions.yahoo.com/auction/\xE2\x82\xAC\xE6\x97\xA5"}) {
        EXPECT_EQ(Lotwarden(dir, {"add", path, url}).status, 1) << url;
        EXPECT_EQ(ReadFileBytes(path), before) << url;
    }
    const CliRun fragment = Lotwarden(dir, {"add", path, "http://page.auctions.yahoo.com/auction/57#frag"});
    EXPECT_EQ(fragment.status, 0) << fragment.err;
    EXPECT_EQ(ItemNumbers(dir, path), std::set<std::string>{"57"});
    const CliRun euro = Lotwarden(dir, {"add", path, "--server", "150",
                                        "\xE2\x82\xAC"
                                        "5"});
    EXPECT_EQ(euro.status, 0) << "a character Windows-1252 has is kept: " << euro.err;
}

// Every command that saves applies "Purge" and names what it left out of the file.
TEST(CliPurge, AddAndRemovePurgeAndNameThePurgedItems)
{
    TempDir dir;
    const std::string path = dir / "w.lwd";
    SaveList(path, [](CLotwardDoc& doc) {
        for (const char* number : {"old", "kept", "recent"})
            doc.AddItem(number, FindServer(107));
        doc.GetItem(0)->finished = 1;
        doc.GetItem(0)->SetEndDate(CurrentTime() - 30 * 86400);
        doc.GetItem(2)->finished = 1;
        doc.GetItem(2)->SetEndDate(CurrentTime() - 86400);
    });
    std::filesystem::create_directories(dir.path / "config" / "Ashgrove");
    WriteFileBytes(dir / "config/Ashgrove/Lotwarden.ini", "[Options]\nPurge=1\nPurge%20Period=7\n");
    const std::string env = "XDG_CONFIG_HOME=" + Quote(dir / "config");

    const CliRun added = Lotwarden(dir, {"add", path, "--server", "107", "new"}, env);
    ASSERT_EQ(added.status, 0) << added.err;
    EXPECT_NE(added.out.find("Purged #old on "), std::string::npos) << added.out;
    EXPECT_EQ(added.out.find("Purged #recent"), std::string::npos) << added.out;
    EXPECT_EQ(ItemNumbers(dir, path), (std::set<std::string>{"kept", "recent", "new"}));

    const CliRun removed = Lotwarden(dir, {"remove", path, "new"}, env);
    ASSERT_EQ(removed.status, 0) << removed.err;
    EXPECT_EQ(removed.out.find("Purged"), std::string::npos) << "nothing old is left: " << removed.out;
    EXPECT_EQ(ItemNumbers(dir, path), (std::set<std::string>{"kept", "recent"}));
}
