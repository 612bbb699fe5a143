// lotwarden's editing commands (set, columns, remove by URL, add --create, search-url choices)
// and its messages: files that are missing, folders, old formats, Lotward.dat, help and "--".

#include "CliRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

using namespace modeltest;

namespace {

std::string Json(const TempDir& dir, const std::string& path)
{
    return Lotwarden(dir, {"show", path, "--json"}).out;
}

bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

} // namespace

TEST(CliEdit, SetRemoveByUrlAndTheSameNumberOnTwoServers)
{
    TempDir dir;
    const std::string path = dir / "sub.lwd";
    const CliRun created = Lotwarden(dir, {"add", "--create", path, "--server", "107", "55"});
    ASSERT_EQ(created.status, 0) << created.err;
    ASSERT_EQ(Lotwarden(dir, {"add", path, "--server", "168", "55"}).status, 0);
    ASSERT_EQ(Lotwarden(dir, {"add", path, "--server", "168", "77"}).status, 0);

    struct Case
    {
        std::vector<std::string> args;
        int status;
        const char* expect; // in the JSON after the command, or in its messages when it failed
    } cases[] = {
        {{"--memo", "caf\xC3\xA9, 2 cups"}, 1, "2 items have the number #55 (server 107, server 168)"},
        {{"--server", "168", "--memo", "caf\xC3\xA9, 2 cups"}, 0, "\"memo\": \"caf\xC3\xA9, 2 cups\""},
        {{"--server", "107", "--shipping", "5 EUR", "--read"}, 0, "\"shippingCharges\": \"5 EUR\""},
        {{"--server", "168", "--alarm", "1h30m", "--alarm-mode", "both"},
         0,
         "\"alarmSeconds\": 5400, \"alarmMode\": 4"},
        {{"--server", "168", "--alarm-mode", "none"}, 0, "\"alarmSeconds\": 5400, \"alarmMode\": 1"},
        {{"--server", "168", "--alarm", "soon"}, 2, "--alarm takes a duration"},
        {{"--server", "168", "--alarm-mode", "loud"}, 2, "--alarm-mode takes"},
        {{"--server", "168", "--read", "--unread"}, 2, "usage"},
        {{"--server", "168"}, 2, "usage"},
        {{"--server", "999", "--read"}, 2, "no server has the id 999"},
        {{"--server", "107", "--memo", "\xE2\x82\xAC\xF0\x9F\x98\x80"}, 1, "U+1F600"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"set", path, "55"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const std::string before = ReadFileBytes(path);
        const CliRun run = Lotwarden(dir, args);
        EXPECT_EQ(run.status, c.status) << ::testing::PrintToString(c.args) << run.err;
        if (c.status == 0)
            EXPECT_TRUE(Has(Json(dir, path), c.expect)) << c.expect << "\n" << Json(dir, path);
        else {
            EXPECT_TRUE(Has(run.err, c.expect)) << run.err;
            EXPECT_EQ(ReadFileBytes(path), before) << "a refused edit writes nothing";
        }
    }
    EXPECT_TRUE(Has(Json(dir, path), "\"readState\": 1, ")) << "--read marked #55 on eBay read";

    const CliRun ambiguous = Lotwarden(dir, {"remove", path, "55"});
    EXPECT_EQ(ambiguous.status, 1);
    EXPECT_TRUE(Has(ambiguous.err, "--server")) << ambiguous.err;
    const CliRun byServer = Lotwarden(dir, {"remove", path, "55", "--server", "107"});
    ASSERT_EQ(byServer.status, 0) << byServer.err;
    EXPECT_EQ(byServer.out, "Removed #55 on Ebay\n");
    // A URL names its server itself.
    const std::string json = Json(dir, path);
    const std::size_t at = json.find("\"itemNumber\": \"77\"");
    const std::size_t url = json.find("\"url\": \"", at);
    const std::string address = json.substr(url + 8, json.find('"', url + 8) - url - 8);
    ASSERT_FALSE(address.empty());
    const CliRun byUrl = Lotwarden(dir, {"remove", path, address});
    EXPECT_EQ(byUrl.status, 0) << byUrl.err;
    EXPECT_FALSE(Has(Json(dir, path), "\"77\""));
    EXPECT_TRUE(Has(Json(dir, path), "\"itemNumber\": \"55\", \"serverId\": 168"));
}

TEST(CliEdit, ColumnsListAndChoose)
{
    TempDir dir;
    const std::string path = dir / "c.lwd";
    ASSERT_EQ(Lotwarden(dir, {"new", path}).status, 0);
    const CliRun set = Lotwarden(dir, {"columns", path, "--set", "Description,seller,103"});
    ASSERT_EQ(set.status, 0) << set.err;
    const CliRun listed = Lotwarden(dir, {"columns", path, "--csv"});
    EXPECT_TRUE(Has(listed.out, "104,description,Description,1,320\r\n")) << "a kept column keeps its width";
    EXPECT_TRUE(Has(listed.out, "119,seller,Seller,2,100\r\n")) << listed.out;
    EXPECT_TRUE(Has(listed.out, "103,item-number,Item Number,3,92\r\n"));
    EXPECT_TRUE(Has(listed.out, "105,quantity,Quantity,,\r\n"));
    EXPECT_EQ(Lotwarden(dir, {"show", path}).out, "Description\tSeller\tItem Number\tTime Left\n");
    const std::string before = ReadFileBytes(path);
    for (const char* bad : {"memo,time-left", "memo,memo", "memo,hat"})
        EXPECT_EQ(Lotwarden(dir, {"columns", path, "--set", bad}).status, 2) << bad;
    EXPECT_EQ(ReadFileBytes(path), before);
}

TEST(CliEdit, SearchUrlChoicesAreCheckedNotDropped)
{
    TempDir dir;
    const CliRun plain = Lotwarden(dir, {"search-url", "--server", "151", "--query", "x"});
    const CliRun ascending = Lotwarden(dir, {"search-url", "--server", "151", "--query", "x", "--ascending"});
    ASSERT_EQ(ascending.status, 0) << ascending.err;
    EXPECT_NE(plain.out, ascending.out) << "Aucland can be asked for ascending order";
    struct Case
    {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"--server", "107", "--category", "100000"}, "has the categories 0 to"},
        {{"--server", "170", "--sort", "price"}, "cannot sort by price"},
        {{"--server", "107", "--sort", "colour"}, "--sort takes"},
        {{"--server", "107", "--ascending", "--descending"}, "usage"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"search-url", "--query", "x"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun run = Lotwarden(dir, args);
        EXPECT_EQ(run.status, 2) << c.message;
        EXPECT_TRUE(Has(run.err, c.message)) << run.err;
    }
}

TEST(CliMessages, FilesFoldersAndPermissionsSayWhichAndWhy)
{
    TempDir dir;
    const std::string missing = dir / "absent.lwd";
    struct Case
    {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"show", missing}, missing + ": no such file\n"},
        {{"remove", missing, "1"}, missing + ": no such file\n"},
        {{"show", dir.path}, std::string(dir.path) + " is a folder, not a watch list\n"},
        {{"new", dir / "nodir/x.lwd"}, "the folder " + dir / "nodir/" + " does not exist\n"},
        {{"add", dir / "nodir/x.lwd", "--create", "--server", "107", "1"}, "the folder " + dir / "nodir/"},
    };
    for (const Case& c : cases) {
        const CliRun run = Lotwarden(dir, c.args);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(Has(run.err, c.message)) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << "one line: " << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "nodir"));
    // Permissions do not bind root: as root the program runs as nobody for this part.
    std::string asUser;
    if (::geteuid() == 0) {
        if (std::system("command -v setpriv >/dev/null") != 0)
            GTEST_SKIP() << "permissions do not bind root and setpriv is missing";
        std::filesystem::create_directory(dir / "run");
        ::chmod((dir / "run").c_str(), 0777);
        asUser =
            "XDG_RUNTIME_DIR=" + Quote(dir / "run") + " setpriv --reuid=65534 --regid=65534 --clear-groups";
    }
    const std::string locked = dir / "locked.lwd";
    ASSERT_EQ(Lotwarden(dir, {"new", locked}).status, 0);
    ::chmod(locked.c_str(), 0);
    EXPECT_TRUE(
        Has(Lotwarden(dir, {"show", locked}, asUser).err, locked + ": permission denied: you may not read"));
    ::chmod(locked.c_str(), 0444);
    const std::string before = ReadFileBytes(locked);
    EXPECT_TRUE(Has(Lotwarden(dir, {"add", locked, "--server", "107", "5"}, asUser).err,
                    locked + ": permission denied: the file is read-only for you"));
    EXPECT_EQ(ReadFileBytes(locked), before);
    ::chmod(dir.path.c_str(), 0555);
    const CliRun cannotWrite = Lotwarden(dir, {"new", dir / "x.lwd"}, asUser);
    ::chmod(dir.path.c_str(), 0755);
    EXPECT_TRUE(Has(cannotWrite.err, "you may not write in the folder " + dir.path.string()))
        << cannotWrite.err;
}

TEST(CliMessages, ShowReadsAnOldFileWithoutTheBackupQuestion)
{
    TempDir dir;
    const std::string path = dir / "v1.lwd";
    const std::string bytes = std::string("\x00\x00\x01\x00\xFF\xFF\x01\x00\x05\x00"
                                          "CItem",
                                          15) +
                              U32(107) + Str("55") + Str("d") + U32(1) + U32(0) + U32(1) + U32(0) + U32(0) +
                              U32(0) + std::string(9, '\0');
    WriteFileBytes(path, bytes);
    const CliRun run = Lotwarden(dir, {"show", path, "--columns", "item-number"}, "", "</dev/null");
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(Has(run.err, "is in an older format")) << run.err;
    EXPECT_FALSE(Has(run.err, "?")) << "no question: " << run.err;
    EXPECT_TRUE(Has(run.out, "\n55\n"));
    EXPECT_EQ(ReadFileBytes(path), bytes);
    EXPECT_FALSE(std::filesystem::exists(dir / "v1.old"));
}

TEST(CliMessages, MissingReferenceDataIsNamed)
{
    TempDir dir;
    // The program looks for Lotward.dat beside itself: a copy in an empty folder has none.
    std::filesystem::create_directory(dir / "bin");
    std::filesystem::copy_file(LW_BIN_DIR "/lotwarden", dir / "bin/lotwarden");
    const std::string command = Quote(dir / "bin/lotwarden") + " search-url --server 170 --query lamp 2>&1";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char buffer[1024];
    const std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe);
    EXPECT_EQ(WEXITSTATUS(::pclose(pipe)), 1);
    const std::string err(buffer, got);
    EXPECT_TRUE(Has(err, dir / "bin/Lotward.dat is missing")) << err;
    EXPECT_FALSE(Has(err, "search words"));
}

TEST(CliMessages, HelpForEveryCommandAndDoubleDash)
{
    TempDir dir;
    const CliRun overview = Lotwarden(dir, {"--help"});
    ASSERT_EQ(overview.status, 0);
    for (const char* command : {"new", "show", "add", "remove", "set", "columns", "servers", "refresh",
                                "watch", "parse-page", "search-url", "import", "export"}) {
        EXPECT_TRUE(Has(overview.out, std::string("\n  ") + command + " ")) << command;
        const CliRun help = Lotwarden(dir, {"help", command});
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_EQ(help.out.rfind(std::string("lotwarden ") + command, 0), 0u) << help.out;
        EXPECT_EQ(Lotwarden(dir, {command, "--help"}).out, help.out) << command;
    }
    EXPECT_TRUE(Has(Lotwarden(dir, {"help", "show"}).out, "ISO 8601"));
    EXPECT_EQ(Lotwarden(dir, {"help", "frobnicate"}).status, 2);

    // After "--" a word that looks like an option is a file name.
    const std::string inDir = "cd " + Quote(dir.path) + " &&";
    ASSERT_EQ(Lotwarden(dir, {"new", "--", "--json"}, inDir).status, 0);
    EXPECT_TRUE(std::filesystem::exists(dir / "--json"));
    const CliRun shown = Lotwarden(dir, {"show", "--csv", "--", "--json"}, inDir);
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out.substr(0, 12), "Item Number,");
    EXPECT_EQ(Lotwarden(dir, {"show", "--json"}, inDir).status, 2);
}

TEST(CliMessages, ReadmeManPageAndCompletionSayWhatHelpSays)
{
    TempDir dir;
    const std::string help = Lotwarden(dir, {"--help"}).out;
    std::string indented;
    for (std::size_t start = 0; start < help.size();) {
        const std::size_t end = help.find('\n', start);
        indented += "  " + help.substr(start, end - start + 1);
        start = end + 1;
    }
    EXPECT_TRUE(Has(ReadFileBytes(LW_SOURCE_DIR "/README.md"), indented))
        << "README.md shows lotwarden --help as it is";

    const std::string man = ReadFileBytes(LW_BIN_DIR "/../share/lotwarden/lotwarden.1");
    EXPECT_EQ(man, Lotwarden(dir, {"help", "--man"}).out) << "the built man page is the program's";
    for (const char* command : {"show", "set", "watch", "columns"})
        EXPECT_TRUE(Has(man, std::string(".SS ") + command + "\n")) << command;
    EXPECT_TRUE(Has(man, "\\-\\-ending\\-within D")) << "option lines, dashes escaped";

    // Completion, as bash runs it for "lotwarden show x --s" and "lotwarden se".
    const std::string script =
        "source " LW_BIN_DIR "/../share/lotwarden/lotwarden.bash\n"
        "COMP_WORDS=(lotwarden show x --s); COMP_CWORD=3; _lotwarden; echo \"${COMPREPLY[*]}\"\n"
        "COMP_WORDS=(lotwarden se); COMP_CWORD=1; _lotwarden; echo \"${COMPREPLY[*]}\"\n";
    WriteFileBytes(dir / "complete.sh", script);
    std::FILE* pipe = ::popen(("bash " + Quote(dir / "complete.sh")).c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char buffer[512];
    const std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe);
    ::pclose(pipe);
    EXPECT_EQ(std::string(buffer, got), "--sort --server\nset servers search-url\n");
}
