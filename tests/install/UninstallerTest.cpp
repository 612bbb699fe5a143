// Uninstalling follows the manifest an installation left, and nothing else.

#include "InstallTestSupport.h"
#include "install/InstallEngine.h"
#include "install/Uninstaller.h"
#include "platform/IniSettingsStore.h"

#include <gtest/gtest.h>

namespace {

CMemoryPayload SmallPayload()
{
    CMemoryPayload payload;
    for (const char* name : {"FILE1", "FILE2", "FILE3", "FILE4", "FILE5", "FILE6", "FILE7", "FILE8", "FILE9"})
        payload.Add(name, std::string("bytes of ") + name);
    return payload;
}

CInstallEnvironment EnvUnder(const TempRoot& root)
{
    CInstallEnvironment env;
    env.userSettingsPath = root / "home/.config/Ashgrove/Lotwarden.ini";
    env.machineSettingsPath = root / "home/.config/Ashgrove/LotwardenMachine.ini";
    env.applicationsDir = root / "home/.local/share/applications";
    env.mimeDir = root / "home/.local/share/mime";
    return env;
}

void Install(const TempRoot& root, const std::string& dir)
{
    const CMemoryPayload payload = SmallPayload();
    CInstallEngine engine(CInstallConfig(), EnvUnder(root), payload, 0);
    InstallRunParams params;
    params.destination = dir;
    params.running = 1;
    ASSERT_TRUE(engine.Run(params));
}

} // namespace

TEST(InstallManifest, EntriesSurviveAFormatAndParseRoundTrip)
{
    const std::vector<ManifestEntry> entries = {
        {ManifestEntry::File, "/a/with\ttab and\nline\\slash"},
        {ManifestEntry::Directory, "/a"},
        {ManifestEntry::MachineValue, "/c/M.ini", "Install", "Path"},
        {ManifestEntry::UserValue, "/c/U.ini", "Recent File List", "File1"},
        {ManifestEntry::UserSettings, "/c/U.ini"},
        {ManifestEntry::MimeDir, "/m"},
    };
    EXPECT_EQ(CInstallManifest::Parse(CInstallManifest::Format(entries)), entries);
    EXPECT_TRUE(CInstallManifest::Parse("bogus\t/x\nfile\t\nmachine-value\t/x\tonly-section\n").empty());
}

TEST(Uninstall, KeepingSettingsLeavesOnlyTheUserSettings)
{
    const TempRoot root;
    const std::string dir = root / "home/.local/opt/Lotwarden";
    Install(root, dir);
    CUninstaller uninstaller(dir + "/");
    ASSERT_TRUE(uninstaller.Load());
    const UninstallResult result = uninstaller.Run(false);
    EXPECT_TRUE(result.Succeeded());
    EXPECT_EQ(ListFilesBesidesCleanDatabases(root.Path()), std::vector<std::string>{"home/.config/Ashgrove/Lotwarden.ini"});
    EXPECT_FALSE(FileExists(dir));
    const CIniSettingsStore user(EnvUnder(root).userSettingsPath);
    EXPECT_EQ(user.GetInt("Options", "Language", -1), 0);
}

TEST(Uninstall, RemovingSettingsLeavesNothing)
{
    const TempRoot root;
    const std::string dir = root / "home/.local/opt/Lotwarden";
    Install(root, dir);
    CUninstaller uninstaller(dir);
    EXPECT_TRUE(uninstaller.Run(true).Succeeded());
    EXPECT_EQ(ListFilesBesidesCleanDatabases(root.Path()), std::vector<std::string>{});
    EXPECT_FALSE(FileExists(root / "home/.config/Ashgrove"));
}

TEST(Uninstall, TouchesNothingTheInstallationDidNotRecord)
{
    const TempRoot root;
    const std::string dir = root / "Lotwarden";
    WriteFile(root / "outside.txt", "mine");
    Install(root, dir);
    // The user's own file in the installation folder, and a manifest tampered with to reach
    // outside through "..", to name a folder as a file, and to name a value never written.
    WriteFile(dir + "/My list.lwd", "mine");
    std::string manifest = ReadFile(dir + "/Uninstall.manifest");
    manifest += "file\t" + dir + "/../outside.txt\n";
    manifest += "file\t" + root.Path() + "\n";
    WriteFile(dir + "/Uninstall.manifest", manifest);
    {
        CIniSettingsStore machine(EnvUnder(root).machineSettingsPath);
        machine.WriteString("Other", "Keep", "1");
        ASSERT_TRUE(machine.Flush());
    }

    const UninstallResult result = CUninstaller(dir).Run(false);
    EXPECT_TRUE(result.found);
    EXPECT_EQ(ReadFile(root / "outside.txt"), "mine");
    EXPECT_EQ(ReadFile(dir + "/My list.lwd"), "mine");
    EXPECT_FALSE(FileExists(dir + "/Lotward"));
    // The folder stays for the user's file, and the report says so without calling it a failure.
    EXPECT_EQ(result.kept, std::vector<std::string>{dir});
    const CIniSettingsStore machine(EnvUnder(root).machineSettingsPath);
    EXPECT_EQ(machine.GetString("Other", "Keep"), "1");
    EXPECT_FALSE(machine.HasValue("Install", "Path"));
}

TEST(Uninstall, WithoutAManifestNothingIsRemoved)
{
    const TempRoot root;
    WriteFile(root / "Lotward", "x");
    CUninstaller uninstaller(root.Path());
    EXPECT_FALSE(uninstaller.Load());
    EXPECT_FALSE(uninstaller.Run(true).found);
    EXPECT_TRUE(FileExists(root / "Lotward"));
}

TEST(Uninstall, ManifestPathsMustBeAbsoluteWithoutDotComponents)
{
    struct
    {
        const char* path;
        bool safe;
    } cases[] = {{"/opt/Lotwarden/Lotward", true}, {"relative/x", false}, {"/opt/../etc/passwd", false},
                 {"/opt/./x", false},              {"/opt/x/..", false}, {"/opt/x..y/z", true}, {"", false}};
    for (const auto& c : cases)
        EXPECT_EQ(CUninstaller::IsSafePath(c.path), c.safe) << c.path;
}
