// The settings store: registry semantics in memory, and the INI file that QSettings can share.

#include "platform/Cp1252.h"
#include "platform/IniSettingsStore.h"
#include "platform/MemorySettingsStore.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& file, const std::string& bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// A fresh folder under the test's private home, emptied for every test.
class IniStoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* home = std::getenv("HOME");
        dir = fs::path(home ? home : "/tmp") / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir);
        fs::create_directories(dir);
        file = dir / "Lotwarden.ini";
    }
    void TearDown() override
    {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }
    size_t FilesInDir() const
    {
        return static_cast<size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
    }

    fs::path dir;
    fs::path file;
};

// Restores an environment variable when the test ends.
class EnvGuard
{
public:
    explicit EnvGuard(const char* variable) : name(variable)
    {
        if (const char* value = std::getenv(variable))
            saved = value;
    }
    ~EnvGuard()
    {
        if (saved)
            ::setenv(name, saved->c_str(), 1);
        else
            ::unsetenv(name);
    }

private:
    const char* name;
    std::optional<std::string> saved;
};

} // namespace

TEST(MemorySettingsStore, AbsentValuesGiveTheCallersDefault)
{
    CMemorySettingsStore store;
    EXPECT_EQ(store.GetInt("Options", "Purge Period", 7), 7);
    EXPECT_EQ(store.GetString("Options", "Alarm Sound File", "none"), "none");
    EXPECT_FALSE(store.HasValue("Options", "Purge"));
    EXPECT_TRUE(store.GetValueNames("Options").empty());
}

TEST(MemorySettingsStore, IntegersAreWholeDecimalNumbersOnly)
{
    const struct { const char* text; int expected; } cases[] = {
        {"42", 42}, {" -7 ", -7}, {"+5", 5}, {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
        {"", -1}, {"  ", -1}, {"12abc", -1}, {"abc", -1}, {"2147483648", -1}, {"99999999999999999999", -1},
        {"-", -1}, {"0x10", -1}, {"1 2", -1},
    };
    CMemorySettingsStore store;
    for (const auto& c : cases) {
        store.WriteString("S", "V", c.text);
        EXPECT_EQ(store.GetInt("S", "V", -1), c.expected) << '"' << c.text << '"';
    }
    store.WriteInt("S", "V", -86400);
    EXPECT_EQ(store.GetString("S", "V"), "-86400");
}

TEST(MemorySettingsStore, NamesIgnoreCaseAndKeepTheirFirstSpelling)
{
    CMemorySettingsStore store;
    store.WriteInt("Main Window", "SplitPos", 1);
    store.WriteInt("MAIN WINDOW", "splitpos", 2);
    store.WriteInt("main window", "Left", 3);
    EXPECT_EQ(store.GetInt("Main Window", "SPLITPOS", 0), 2);
    EXPECT_EQ(store.GetValueNames("main WINDOW"), (std::vector<std::string>{"SplitPos", "Left"}));

    store.RemoveValue("Main Window", "SPLITPOS");
    EXPECT_FALSE(store.HasValue("Main Window", "SplitPos"));
    EXPECT_TRUE(store.HasValue("Main Window", "Left"));
    store.RemoveSection("MAIN window");
    EXPECT_FALSE(store.HasValue("Main Window", "Left"));
    store.RemoveSection("No Such Section");
    store.RemoveValue("No Such Section", "x");
}

TEST(Cp1252, TheHighControlRangeIsNotLatin1AndEveryByteSurvives)
{
    EXPECT_EQ(Utf8FromCp1252("\x80\x9F\xE9"), "\xE2\x82\xAC\xC5\xB8\xC3\xA9");
    EXPECT_EQ(Cp1252FromUtf8("\xE2\x82\xAC \xE2\x80\x9C\xE2\x80\x9D \xC3\xA9"), "\x80 \x93\x94 \xE9");
    EXPECT_EQ(Cp1252FromUtf8("\xE4\xB8\xAD"), "?");                      // no such character
    EXPECT_EQ(Cp1252FromUtf8("caf\xE9 \xC3"), "caf\xE9 \xC3");            // malformed: taken as 1252
    EXPECT_EQ(Cp1252FromUtf8("\xC0\xAF\xED\xA0\x80"), "\xC0\xAF\xED\xA0\x80"); // overlong, surrogate
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(Cp1252FromUtf8(Utf8FromCp1252(all)), all);
}

TEST(IniFormat, NamesAndValuesAreEscapedAsQSettingsWritesThem)
{
    EXPECT_EQ(CIniSettingsStore::EscapeName("Recent File List"), "Recent%20File%20List");
    EXPECT_EQ(CIniSettingsStore::EscapeName("Purge_Period-2.x"), "Purge_Period-2.x");
    EXPECT_EQ(CIniSettingsStore::EscapeName("a/b\\c=d/"), "a%2Fb%5Cc%3Dd%2F");
    EXPECT_EQ(CIniSettingsStore::EscapeName("Caf\xE9\x80"), "Caf%E9%U20AC");

    const struct { std::string value; std::string written; } cases[] = {
        {"plain", "plain"},
        {"", ""},
        {"a=b;c", "\"a=b;c\""},
        {"155,170", "\"155,170\""},
        {" lead", "\" lead\""},
        {"trail ", "\"trail \""},
        {"in side", "in side"},
        {"C:\\x\"y", "C:\\\\x\\\"y"},
        {"caf\xE9 \x80", "caf\xC3\xA9 \xE2\x82\xAC"},
        {"@home", "@@home"},
        {"line\nnext\ttab\r", "line\\nnext\\ttab\\r"},
        {std::string("\x01" "A9z", 4), "\\x1\\x41\\x39z"},
        {std::string("\0" "1", 2), "@String(\\0\\x31)"},
        {"@String(x)", "@@String(x)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CIniSettingsStore::EscapeValue(c.value), c.written) << c.value;
}

TEST(IniFormat, SectionsAreWrittenInOrderWithABlankLineBetween)
{
    CSettingsTable table;
    table.Apply({SettingsChange::Set, "Options", "Purge Period", "7"});
    table.Apply({SettingsChange::Set, "Recent File List", "File1", "/a;b.lwd"});
    table.Apply({SettingsChange::Set, "Empty", "gone", "x"});
    table.Apply({SettingsChange::RemoveValue, "Empty", "gone", ""});
    table.Apply({SettingsChange::Set, "general", "Inner", "2"});
    table.Apply({SettingsChange::Set, "", "Top", "1"});
    EXPECT_EQ(CIniSettingsStore::FormatIni(table),
              "[Options]\nPurge%20Period=7\n\n[Recent%20File%20List]\nFile1=\"/a;b.lwd\"\n\n"
              "[%General]\nInner=2\n\n[General]\nTop=1\n");
}

TEST(IniFormat, ReadsWhatQSettingsWritesAndCommonHandEdits)
{
    CIniSettingsStore store(std::string(LW_TEST_DATA_DIR) + "/options/qt-written.ini");
    EXPECT_EQ(store.GetLoadState(), CIniSettingsStore::LoadState::Loaded);
    const struct { const char* section; const char* key; std::string value; } cases[] = {
        {"", "TopLevel", "1"},
        {"General", "Inner", "2"},
        {"Options", "Purge", "1"},
        {"Options", "Purge Period", "12"},
        {"Options", "Rejected Servers", "155,170"},
        {"Options", "Alarm Sound File", "/usr/share/sounds/caf\xE9 \x80.wav"},
        {"Recent File List", "File1", "/home/u/a=b;c.lwd"},
        {"Recent File List", "File2", " leading and trailing "},
        {"Recent File List", "File3", "C:\\Lists\\\"quoted\".lwd"},
        {"Recent File List", "File4", "@at sign"},
        {"Recent File List", "File5", "155,170"},
        {"Recent File List", "File6", "tab\there\x01" "A"},
        {"Recent File List", "sub/key", "slash"},
        {"Recent File List", "Caf\xE9", "%U20AC"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(store.GetString(c.section, c.key, "<absent>"), c.value) << c.section << '/' << c.key;
    EXPECT_EQ(store.GetValueNames("Recent File List").size(), 8u);
}

TEST(IniFormat, RandomNamesAndValuesSurviveAndRandomFilesParseSafely)
{
    std::mt19937 random(20260101);
    const std::string alphabet = std::string("ab =;,\"\\%[]\n\r\t@\x01\x80\xE9\xFF/", 21);
    const auto randomText = [&](size_t maxLength, bool anyByte) {
        std::string text(random() % (maxLength + 1), ' ');
        for (char& c : text)
            c = anyByte ? static_cast<char>(random() & 0xFF) : alphabet[random() % alphabet.size()];
        return text;
    };
    for (int round = 0; round < 300; ++round) {
        CSettingsTable table;
        const std::string section = "S" + randomText(8, false);
        const std::string key = "K" + randomText(8, false);
        const std::string value = randomText(40, round % 2 == 0);
        table.Apply({SettingsChange::Set, section, key, value});
        CSettingsTable reread;
        ASSERT_TRUE(CIniSettingsStore::ParseIni(CIniSettingsStore::FormatIni(table), reread));
        const std::string* found = reread.Find(section, key);
        ASSERT_NE(found, nullptr) << CIniSettingsStore::FormatIni(table);
        EXPECT_EQ(*found, value) << CIniSettingsStore::FormatIni(table);

        CSettingsTable garbage;
        CIniSettingsStore::ParseIni(randomText(200, round % 3 == 0), garbage);
    }
}

// Two programs flushing the same file at the same moment: without the lock around re-reading
// and renaming, each rename drops the values the other had just written.
TEST_F(IniStoreTest, TwoProgramsFlushingAtOnceKeepEveryValue)
{
    constexpr int kPerProgram = 150;
    pid_t children[2] = {};
    for (int who = 0; who < 2; ++who) {
        children[who] = ::fork();
        ASSERT_GE(children[who], 0);
        if (children[who] == 0) {
            for (int i = 0; i < kPerProgram; ++i) {
                CIniSettingsStore store(file.string());
                store.WriteInt("Race", "p" + std::to_string(who) + "-" + std::to_string(i), i);
                if (!store.Flush())
                    ::_exit(1);
            }
            ::_exit(0);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    const CIniSettingsStore merged(file.string());
    EXPECT_EQ(merged.GetValueNames("Race").size(), 2u * kPerProgram);
    EXPECT_EQ(FilesInDir(), 1u) << "no temporary file is left";
}

TEST_F(IniStoreTest, EveryValueRoundTripsThroughTheFile)
{
    std::string allBytes;
    for (int b = 0; b < 256; ++b)
        allBytes += static_cast<char>(b);
    const std::vector<std::pair<std::string, std::string>> values = {
        {"Purge Period", "7"},
        {"Sound", "caf\xE9 \x80 \x93quoted\x94"},
        {"Tricky", "a=b;c,d \"e\" \\f"},
        {"Spaces", "  both ends  "},
        {"At", "@Invalid()"},
        {"Empty", ""},
        {"All", allBytes},
        {"Key With Spaces = and ;", "x"},
        {"Caf\xE9\x80", "key in 1252"},
    };
    {
        CIniSettingsStore store(file.string());
        EXPECT_EQ(store.GetLoadState(), CIniSettingsStore::LoadState::Missing);
        for (const auto& [key, value] : values)
            store.WriteString("Recent File List", key, value);
        store.WriteInt("Main Window", "SplitPos", -1);
        ASSERT_TRUE(store.Flush());
    }
    const std::string text = ReadBytes(file);
    EXPECT_NE(text.find("[Recent%20File%20List]\nPurge%20Period=7\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Sound=caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cquoted\xE2\x80\x9D\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n\n[Main%20Window]\nSplitPos=-1\n"), std::string::npos) << text;

    CIniSettingsStore reread(file.string());
    EXPECT_EQ(reread.GetLoadState(), CIniSettingsStore::LoadState::Loaded);
    for (const auto& [key, value] : values)
        EXPECT_EQ(reread.GetString("Recent File List", key, "<absent>"), value) << key;
    EXPECT_EQ(reread.GetInt("Main Window", "SplitPos", 0), -1);
    EXPECT_EQ(FilesInDir(), 1u);
}

TEST_F(IniStoreTest, DamagedOrUnreadableFilesGiveDefaults)
{
    const std::string damaged[] = {
        std::string("[Options]\nPurge Period=12\0\xFF\xFE", 20),
        "[Options\nPurge Period=abc\n=\n==\n\x01\x02\x03",
        "[Options]\nPurge Per",
        "\xFF\xFE\xFD\xFC[\xC3",
        "[]]]\n;;;\n\"\"\"\n\\\\\\",
    };
    for (const std::string& bytes : damaged) {
        WriteBytes(file, bytes);
        CIniSettingsStore store(file.string());
        EXPECT_EQ(store.GetInt("Options", "Purge Period", 7), 7) << bytes;
        EXPECT_EQ(ReadBytes(file), bytes); // reading never rewrites the file
    }

    fs::remove(file);
    fs::create_directory(file); // a folder where the file should be: cannot be read
    CIniSettingsStore unreadable(file.string());
    EXPECT_EQ(unreadable.GetLoadState(), CIniSettingsStore::LoadState::Unreadable);
    EXPECT_EQ(unreadable.GetInt("Options", "Purge Period", 7), 7);
    unreadable.WriteInt("Options", "Purge Period", 9);
    EXPECT_FALSE(unreadable.Flush());
    EXPECT_TRUE(fs::is_directory(file));
}

TEST_F(IniStoreTest, SavingOverABinaryFileKeepsItAside)
{
    const std::string binary("[Options]\0garbage", 17);
    WriteBytes(file, binary);
    {
        CIniSettingsStore store(file.string());
        EXPECT_EQ(store.GetLoadState(), CIniSettingsStore::LoadState::Damaged);
        store.WriteInt("Options", "Purge", 1);
        ASSERT_TRUE(store.Flush());
    }
    EXPECT_EQ(ReadBytes(file.string() + ".damaged"), binary);
    EXPECT_EQ(ReadBytes(file), "[Options]\nPurge=1\n");
}

TEST_F(IniStoreTest, AFailedWriteLeavesThePreviousFileByteIdentical)
{
    const std::string previous = "[Options]\nPurge%20Period=12\nAlarm%20Sound%20File=/old.wav\n";
    WriteBytes(file, previous);
    CIniSettingsStore store(file.string());
    store.WriteString("Options", "Alarm Sound File", std::string(4096, 'x'));

    // A file size limit makes the write fail part-way, as a full disk does, even for root.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool flushed = store.Flush();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(flushed);
    EXPECT_EQ(ReadBytes(file), previous);
    EXPECT_EQ(FilesInDir(), 1u) << "the temporary file was left behind";
    EXPECT_EQ(store.GetString("Options", "Alarm Sound File").size(), 4096u);

    ASSERT_TRUE(store.Flush()); // the change stayed pending and is saved once writing works
    CIniSettingsStore reread(file.string());
    EXPECT_EQ(reread.GetInt("Options", "Purge Period", 0), 12);
    EXPECT_EQ(reread.GetString("Options", "Alarm Sound File").size(), 4096u);
}

TEST_F(IniStoreTest, AReadOnlyFolderLeavesThePreviousFileByteIdentical)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    const std::string previous = "[Options]\nPurge=1\n";
    WriteBytes(file, previous);
    CIniSettingsStore store(file.string());
    store.WriteInt("Options", "Purge", 0);
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(store.Flush());
    fs::permissions(dir, fs::perms::owner_all);
    EXPECT_EQ(ReadBytes(file), previous);
    EXPECT_EQ(FilesInDir(), 1u);
}

TEST_F(IniStoreTest, SavingKeepsWhatAnotherProcessSavedMeanwhile)
{
    CIniSettingsStore first(file.string());
    CIniSettingsStore second(file.string());
    first.WriteInt("Options", "Purge", 1);
    second.WriteInt("Main Window", "Left", 10);
    second.RemoveValue("Options", "Language");
    ASSERT_TRUE(first.Flush());
    ASSERT_TRUE(second.Flush());
    EXPECT_EQ(second.GetInt("Options", "Purge", 0), 1);

    CIniSettingsStore reread(file.string());
    EXPECT_EQ(reread.GetInt("Options", "Purge", 0), 1);
    EXPECT_EQ(reread.GetInt("Main Window", "Left", 0), 10);
}

TEST_F(IniStoreTest, DestroyingTheStoreSavesAndALinkStaysALink)
{
    const fs::path real = dir / "real.ini";
    WriteBytes(real, "[Options]\nPurge=1\n");
    fs::create_symlink(real, file);
    {
        CIniSettingsStore store(file.string());
        store.WriteInt("Options", "Language", 1);
    }
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(ReadBytes(real), "[Options]\nPurge=1\nLanguage=1\n");
}

TEST(SettingsPaths, FollowTheXdgConfigFolder)
{
    EnvGuard xdg("XDG_CONFIG_HOME");
    EnvGuard home("HOME");
    ::setenv("HOME", "/home/someone", 1);
    ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(DefaultSettingsPath(), "/cfg/Ashgrove/Lotwarden.ini");
    ::setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    EXPECT_EQ(DefaultSettingsPath(), "/home/someone/.config/Ashgrove/Lotwarden.ini");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsDirectory(), "/home/someone/.config/Ashgrove");

    const std::string machine = MachineSettingsPath();
    if (::geteuid() == 0)
        EXPECT_EQ(machine, "/etc/xdg/Ashgrove/Lotwarden.ini");
    else
        EXPECT_TRUE(machine == "/etc/xdg/Ashgrove/Lotwarden.ini"
                    || machine == "/home/someone/.config/Ashgrove/LotwardenMachine.ini")
            << machine;
}
