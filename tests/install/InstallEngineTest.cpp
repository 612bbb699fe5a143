// The install engine driven directly, with its payload in memory and every folder it writes
// under a temporary root.

#include "InstallTestSupport.h"
#include "install/InstallEngine.h"
#include "install/InstallStringIds.h"
#include "install/InstallText.h"
#include "platform/IniSettingsStore.h"

#include <gtest/gtest.h>

#include <set>
#include <sys/stat.h>

namespace {

// 8 March 2000 00:00:00 in Europe/Paris (the tests' pinned zone), UTC+1 then.
constexpr long long kReleaseStamp = 952470000;

CMemoryPayload TestPayload()
{
    CMemoryPayload payload;
    payload.Add("FILE1", "readme", 0);
    payload.Add("FILE1", "lisezmoi", 1);
    payload.Add("FILE2", "<html>\n</html>\n");
    payload.Add("FILE3", "reference data");
    payload.Add("FILE4", "#!/bin/sh\nexit 0\n");
    payload.Add("FILE5", "<html>\n</html>\n");
    payload.Add("FILE6", "#!/bin/sh\nexit 0\n");
    payload.Add("FILE7", "licence", 0);
    payload.Add("FILE7", "licence fr", 1);
    payload.Add("FILE8", "sample", 0);
    payload.Add("FILE8", "exemple", 1);
    payload.Add("FILE9", "5000\tfrench\n");
    payload.Add("ICON", "<svg/>");
    return payload;
}

CInstallEnvironment TestEnv(const TempRoot& root)
{
    CInstallEnvironment env;
    env.userSettingsPath = root / "config/Ashgrove/Lotwarden.ini";
    env.machineSettingsPath = root / "config/Ashgrove/LotwardenMachine.ini";
    env.applicationsDir = root / "data/applications";
    env.desktopDir = root / "Desktop";
    env.mimeDir = root / "data/mime";
    return env;
}

class CRecordingProgress : public IInstallProgress
{
public:
    void SetMessage(const std::string& text) override { messages.push_back(text); }
    void SetPosition(int position) override { positions.push_back(position); }
    std::vector<std::string> messages;
    std::vector<int> positions;
};

bool RunInstall(const CInstallEnvironment& env, const IPayloadSource& payload, const std::string& dir, int language,
                CRecordingProgress* progress = nullptr, int textLanguage = kInstallEnglish)
{
    CInstallEngine engine(CInstallConfig(), env, payload, textLanguage);
    InstallRunParams params;
    params.progress = progress;
    params.destination = dir;
    params.languageIndex = language;
    params.running = 1;
    return engine.Run(params);
}

long long ModificationTime(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_mtime) : -1;
}

} // namespace

TEST(InstallMacros, DestinationLosesOneTrailingSlashAndFallbacksHoldWithoutDirectories)
{
    const CMemoryPayload payload;
    CInstallEngine engine(CInstallConfig(), CInstallEnvironment(), payload, kInstallEnglish);
    struct Case
    {
        const char* typed;
        const char* installDir;
    } cases[] = {{"/opt/Lotwarden/", "/opt/Lotwarden"}, {"/opt/Lotwarden", "/opt/Lotwarden"}, {"/opt/x//", "/opt/x/"}};
    for (const Case& c : cases) {
        engine.ComputeMacros(c.typed);
        EXPECT_EQ(engine.InstallDir(), c.installDir) << c.typed;
    }
    EXPECT_EQ(engine.ExpandMacros("%WINDOWS%|%WINDOWS_SYSTEM%|%START_MENU%|%START_MENU_PROGRAMS%|%DESKTOP_DIR%"),
              "C:\\Windows|C:\\Windows\\System32|C:\\Windows\\Start Menu|C:\\Windows\\Start Menu\\Programs|"
              "C:\\Windows\\Desktop");
    EXPECT_EQ(engine.ExpandMacros("%INSTALL_DIR%/a %INSTALL_DIR%/b"), "/opt/x//a /opt/x//b");
}

TEST(InstallMacros, XdgDirectoriesStandForTheShellFolders)
{
    const TempRoot root;
    const CMemoryPayload payload;
    CInstallEngine engine(CInstallConfig(), TestEnv(root), payload, kInstallEnglish);
    engine.ComputeMacros("/x");
    EXPECT_EQ(engine.ExpandMacros("%START_MENU_PROGRAMS%/Lotwarden"), root / "data/applications/Lotwarden");
    EXPECT_EQ(engine.ExpandMacros("%DESKTOP_DIR%"), root / "Desktop");
}

TEST(InstallDirectories, CreationNeedsAnAbsolutePathAndFailsOnAnExistingDirectory)
{
    const TempRoot root;
    std::vector<std::string> created;
    EXPECT_FALSE(CreateDirectoryWithParents("relative/dir"));
    EXPECT_FALSE(CreateDirectoryWithParents(""));
    EXPECT_TRUE(CreateDirectoryWithParents(root / "a/b/c/", &created));
    EXPECT_EQ(created, (std::vector<std::string>{root / "a", root / "a/b", root / "a/b/c"}));
    EXPECT_FALSE(CreateDirectoryWithParents(root / "a/b/c"));
    WriteFile(root / "file", "x");
    EXPECT_FALSE(CreateDirectoryWithParents(root / "file/sub"));
}

TEST(InstallSteps, StepCountAndStepsBeyondTheTable)
{
    const CMemoryPayload payload;
    CInstallEngine engine(CInstallConfig(), CInstallEnvironment(), payload, kInstallEnglish);
    EXPECT_EQ(CInstallEngine::GetStepCount(), 22);
    EXPECT_TRUE(engine.RunStep(22));
    EXPECT_TRUE(engine.RunStep(1000));
}

TEST(InstallSteps, ExtractWritesTheBytesWithTheReleaseStampAndAMissingResourceLeavesAnEmptyFile)
{
    const TempRoot root;
    CMemoryPayload payload;
    payload.Add("FILE3", std::string("a\0b", 3));
    CInstallEngine engine(CInstallConfig(), TestEnv(root), payload, kInstallEnglish);
    engine.ComputeMacros(root.Path());
    EXPECT_EQ(ReleaseTimeStamp(), kReleaseStamp);
    ASSERT_TRUE(engine.ExtractFileStep("FILE3", "%INSTALL_DIR%/Lotward.dat"));
    EXPECT_EQ(ReadFile(root / "Lotward.dat"), std::string("a\0b", 3));
    EXPECT_EQ(ModificationTime(root / "Lotward.dat"), kReleaseStamp);

    EXPECT_FALSE(engine.ExtractFileStep("FILE4", "%INSTALL_DIR%/Lotward"));
    EXPECT_TRUE(FileExists(root / "Lotward"));
    EXPECT_EQ(ReadFile(root / "Lotward"), "");
    EXPECT_FALSE(engine.ExtractFileStep("FILE3", "%INSTALL_DIR%/missing-dir/Lotward.dat"));
}

TEST(InstallRun, InstallsEveryFileSettingAndEntryWithProgress)
{
    const TempRoot root;
    const CInstallEnvironment env = TestEnv(root);
    const CMemoryPayload payload = TestPayload();
    CRecordingProgress progress;
    const std::string dir = root / "opt/Lotwarden";
    ASSERT_TRUE(RunInstall(env, payload, dir, 1, &progress));

    EXPECT_EQ(progress.messages.front(), "Initializing installation.");
    EXPECT_EQ(progress.positions.size(), 22u);
    EXPECT_EQ(progress.positions.back(), 22);
    const std::set<std::string> messages(progress.messages.begin(), progress.messages.end());
    EXPECT_TRUE(messages.count("Installing \"" + dir + "/Lotward\"."));
    EXPECT_TRUE(messages.count("Creating shortcuts."));
    EXPECT_TRUE(messages.count("Updating registry."));

    struct
    {
        const char* name;
        const char* bytes;
        bool executable;
    } files[] = {{"Readme.txt", "readme", false},           {"Uninstall", "#!/bin/sh\nexit 0\n", true},
                 {"Blank.html", "<html>\n</html>\n", false}, {"Lotward.dat", "reference data", false},
                 {"Lotward", "#!/bin/sh\nexit 0\n", true},  {"Temp.html", "<html>\n</html>\n", false},
                 {"License.txt", "licence", false},         {"Sample.lwd", "sample", false},
                 {"Lotward.fr", "5000\tfrench\n", false}};
    for (const auto& file : files) {
        const std::string path = dir + "/" + file.name;
        EXPECT_EQ(ReadFile(path), file.bytes) << file.name;
        EXPECT_EQ(ModificationTime(path), kReleaseStamp) << file.name;
        EXPECT_EQ(::access(path.c_str(), X_OK) == 0, file.executable) << file.name;
    }

    const std::string entry = ReadFile(root / "data/applications/Lotwarden/Lotwarden.desktop");
    EXPECT_NE(entry.find("Exec=\"" + dir + "/Lotward\" %f\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("MimeType=application/x-lotwarden;\n"), std::string::npos);
    EXPECT_NE(entry.find("Icon=" + dir + "/Lotwarden.svg\n"), std::string::npos);
    EXPECT_NE(entry.find("Comment[fr]="), std::string::npos);
    EXPECT_NE(entry.find("StartupWMClass=Lotward\n"), std::string::npos);
    EXPECT_EQ(ReadFile(dir + "/Lotwarden.svg"), "<svg/>");
    const std::string uninstall = ReadFile(root / "data/applications/Lotwarden/Uninstall Lotwarden.desktop");
    EXPECT_NE(uninstall.find("Name=Uninstall Lotwarden\n"), std::string::npos);
    EXPECT_NE(uninstall.find("Exec=\"" + dir + "/Uninstall\"\n"), std::string::npos);
    EXPECT_EQ(uninstall.find("MimeType"), std::string::npos);
    const std::string mime = ReadFile(root / "data/mime/packages/lotwarden.xml");
    EXPECT_NE(mime.find("<mime-type type=\"application/x-lotwarden\">"), std::string::npos);
    EXPECT_NE(mime.find("<glob pattern=\"*.lwd\"/>"), std::string::npos);

    const CIniSettingsStore user(env.userSettingsPath);
    EXPECT_EQ(user.GetString("Recent File List", "File1"), dir + "/Sample.lwd");
    EXPECT_EQ(user.GetInt("Options", "Language", -1), 1);
    const CIniSettingsStore machine(env.machineSettingsPath);
    EXPECT_EQ(machine.GetString("Install", "Path"), dir);
    EXPECT_EQ(machine.GetString("Uninstall", "DisplayName"), "Lotwarden");
    EXPECT_EQ(machine.GetString("Uninstall", "UninstallString"), dir + "/Uninstall");
}

TEST(InstallRun, FrenchTextsPickTheFrenchNamesAndVariants)
{
    const TempRoot root;
    const CMemoryPayload payload = TestPayload();
    CRecordingProgress progress;
    const std::string dir = root / "Lotwarden";
    ASSERT_TRUE(RunInstall(TestEnv(root), payload, dir, 1, &progress, kInstallFrench));
    EXPECT_EQ(ReadFile(dir + "/Lisezmoi.txt"), "lisezmoi");
    EXPECT_EQ(ReadFile(dir + "/Licence.txt"), "licence fr");
    EXPECT_EQ(ReadFile(dir + "/Exemple.lwd"), "exemple");
    EXPECT_TRUE(FileExists(root / "data/applications/Lotwarden/Désinstaller Lotwarden.desktop"));
    EXPECT_EQ(progress.messages.front(), "Initialisation de l'installation.");
    EXPECT_EQ(CIniSettingsStore(TestEnv(root).userSettingsPath).GetString("Recent File List", "File1"),
              "" + dir + "/Exemple.lwd");
}

TEST(InstallRun, ReinstallKeepsTheRecentFileAndOverwritesTheLanguage)
{
    const TempRoot root;
    const CInstallEnvironment env = TestEnv(root);
    const CMemoryPayload payload = TestPayload();
    const std::string dir = root / "Lotwarden";
    ASSERT_TRUE(RunInstall(env, payload, dir, 1));
    {
        CIniSettingsStore user(env.userSettingsPath);
        user.WriteString("Recent File List", "File1", "/home/me/Mine.lwd");
        ASSERT_TRUE(user.Flush());
    }
    ASSERT_TRUE(RunInstall(env, payload, dir + "/", 0));
    const CIniSettingsStore user(env.userSettingsPath);
    EXPECT_EQ(user.GetString("Recent File List", "File1"), "/home/me/Mine.lwd");
    EXPECT_EQ(user.GetInt("Options", "Language", -1), 0);
    EXPECT_EQ(CIniSettingsStore(env.machineSettingsPath).GetString("Install", "Path"), dir + "/");
}

TEST(InstallRun, AFailingStepStopsTheRunAndLeavesTheEarlierStepsInPlace)
{
    const TempRoot root;
    const CInstallEnvironment env = TestEnv(root);
    const CMemoryPayload payload = TestPayload();
    const std::string dir = root / "Lotwarden";
    // The program's name is taken by a folder: step 5 cannot write it.
    ASSERT_TRUE(CreateDirectoryWithParents(dir + "/Lotward"));
    CInstallEngine engine(CInstallConfig(), env, payload, kInstallEnglish);
    InstallRunParams params;
    params.destination = dir;
    params.running = 1;
    EXPECT_FALSE(engine.Run(params));
    // The box and the silent run say where and why.
    EXPECT_EQ(engine.FailureDescription(),
              "Stopped at: Installing \"" + dir + "/Lotward\".\nCause: Is a directory");
    for (const char* earlier : {"Readme.txt", "Uninstall", "Blank.html", "Lotward.dat"})
        EXPECT_TRUE(FileExists(dir + "/" + earlier)) << earlier;
    for (const char* later : {"Temp.html", "License.txt", "Sample.lwd", "Lotward.fr"})
        EXPECT_FALSE(FileExists(dir + "/" + later)) << later;
    EXPECT_FALSE(FileExists(root / "data/applications/Lotwarden/Lotwarden.desktop"));
    EXPECT_EQ(CIniSettingsStore(env.machineSettingsPath).GetString("Install", "Path"), "");
}

TEST(InstallRun, ADestinationThatCannotBeMadeOrIsRelativeInstallsNothing)
{
    const TempRoot root;
    const CInstallEnvironment env = TestEnv(root);
    const CMemoryPayload payload = TestPayload();
    WriteFile(root / "plain-file", "x");
    EXPECT_FALSE(RunInstall(env, payload, root / "plain-file/Lotwarden", 0));
    EXPECT_FALSE(RunInstall(env, payload, "relative/Lotwarden", 0));
    EXPECT_FALSE(RunInstall(env, payload, "", 0));
    EXPECT_FALSE(FileExists("relative"));
    EXPECT_EQ(ListFiles(root.Path()), std::vector<std::string>{"plain-file"});
}

TEST(InstallRun, ClearingTheRunningFlagStopsBeforeTheNextStep)
{
    const TempRoot root;
    const CMemoryPayload payload = TestPayload();
    CInstallEngine engine(CInstallConfig(), TestEnv(root), payload, kInstallEnglish);
    InstallRunParams params;
    params.destination = root / "Lotwarden";
    params.running = 0;
    EXPECT_FALSE(engine.Run(params));
    EXPECT_FALSE(FileExists(root / "Lotwarden/Readme.txt"));
}

TEST(InstallDesktopEntry, ExecQuotesThePathAsTheDesktopEntryRulesAsk)
{
    DesktopEntry entry;
    entry.name = "Lotwarden";
    entry.comment = "two\nlines";
    entry.target = "/opt/My \"Apps\" $x\\y 100%/Lotward";
    entry.mimeType = "application/x-lotwarden";
    const std::string text = DesktopEntryText(entry);
    EXPECT_NE(text.find("Exec=\"/opt/My \\\\\"Apps\\\\\" \\\\$x\\\\\\\\y 100%%/Lotward\" %f\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Comment=two lines\n"), std::string::npos);
}

TEST(InstallText, BothTablesHoldTheSameIdsAndTheLocaleChoosesTheLanguage)
{
    for (int id : {5300, 5301, 5305, 5309, 5311, 5315, 5317, 5318, 5350, 5351, 5352, 5353, 5500, 5519, 5530, 5535}) {
        EXPECT_FALSE(InstallString(id, kInstallEnglish).empty()) << id;
        EXPECT_FALSE(InstallString(id, kInstallFrench).empty()) << id;
    }
    EXPECT_EQ(InstallString(5318, kInstallEnglish), "0");
    EXPECT_EQ(InstallString(5318, kInstallFrench), "1");
    EXPECT_EQ(FormatInstallText(InstallString(5315, kInstallEnglish), {"Lotwarden", "2", "4"}), "Lotwarden Installation (2/4)");
    EXPECT_EQ(InstallString(5305, kInstallEnglish),
              "The directory:\n\n%s\n\ndoes not exist.  Do you want the directory to be created?");

    struct
    {
        const char* all;
        const char* messages;
        const char* lang;
        int language;
    } cases[] = {{"", "", "fr_FR.UTF-8", kInstallFrench},       {"", "fr_CA", "en_US.UTF-8", kInstallFrench},
                 {"C.UTF-8", "fr_FR", "fr_FR", kInstallEnglish}, {"", "", "", kInstallEnglish},
                 {"fr_BE.UTF-8", "", "", kInstallFrench},         {"", "", "de_DE", kInstallEnglish}};
    for (const auto& c : cases) {
        auto set = [](const char* name, const char* value) {
            if (*value)
                ::setenv(name, value, 1);
            else
                ::unsetenv(name);
        };
        set("LC_ALL", c.all);
        set("LC_MESSAGES", c.messages);
        set("LANG", c.lang);
        EXPECT_EQ(LanguageFromLocale(), c.language) << c.all << "|" << c.messages << "|" << c.lang;
    }
}
