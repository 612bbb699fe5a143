// The built Install program with its real payload, and the Uninstall program it installs, run
// as a user whose HOME and XDG folders lie in a temporary folder.

#include "InstallTestSupport.h"
#include "install/InstallUi.h"
#include "platform/IniSettingsStore.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr long long kReleaseStamp = 952470000; // 8 March 2000 00:00:00, Europe/Paris

class InstallProgram : public ::testing::Test
{
protected:
    std::string Home() const { return root / "home"; }
    std::string Dir() const { return root / "home/.local/opt/Lotwarden"; }
    std::string UserSettings() const { return root / "home/.config/Ashgrove/Lotwarden.ini"; }
    std::string MachineSettings() const { return root / "home/.config/Ashgrove/LotwardenMachine.ini"; }
    std::string Applications() const { return root / "home/.local/share/applications"; }

    // --user: the tests may run as root, and must still stay inside their own HOME.
    ProcessResult Install(const std::vector<std::string>& args, const std::map<std::string, std::string>& extra = {})
    {
        std::vector<std::string> argv = {LW_INSTALL_PROGRAM, "--silent", "--user"};
        argv.insert(argv.end(), args.begin(), args.end());
        auto env = PrivateUserEnv(root.Path());
        for (const auto& [name, value] : extra)
            env[name] = value;
        return RunProgram(argv, env);
    }
    ProcessResult Uninstall(const std::vector<std::string>& args, const std::string& dir = {})
    {
        std::vector<std::string> argv = {(dir.empty() ? Dir() : dir) + "/Uninstall", "--silent"};
        argv.insert(argv.end(), args.begin(), args.end());
        return RunProgram(argv, PrivateUserEnv(root.Path()));
    }

    TempRoot root;
};

bool HaveTool(const char* name)
{
    return RunProgram({"sh", "-c", std::string("command -v ") + name}, {}).exitCode == 0;
}

} // namespace

TEST_F(InstallProgram, SilentInstallThenTheInstalledLotwardStartsOnTheSample)
{
    const ProcessResult result = Install({"--dir", Dir()});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_EQ(result.out, "Lotwarden has been successfully installed.\n");
    for (const char* name : {"Readme.txt", "Uninstall", "Blank.html", "Lotward.dat", "Lotward", "Temp.html",
                             "License.txt", "Sample.lwd", "Lotward.fr"}) {
        struct stat st;
        ASSERT_EQ(::stat((Dir() + "/" + name).c_str(), &st), 0) << name;
        EXPECT_EQ(static_cast<long long>(st.st_mtime), kReleaseStamp) << name;
        EXPECT_GT(st.st_size, 0) << name;
    }
    EXPECT_EQ(ReadFile(Dir() + "/Blank.html"), "<html>\n</html>\n");
    EXPECT_EQ(CIniSettingsStore(UserSettings()).GetString("Recent File List", "File1"), Dir() + "/Sample.lwd");
    EXPECT_EQ(CIniSettingsStore(UserSettings()).GetInt("Options", "Language", -1), 0);

    // The installed program opens the installed sample: under Xvfb its main window appears
    // with the sample's name in the caption (a refused start shows only a message box).
    if (!HaveTool("xvfb-run") || !HaveTool("xwininfo"))
        GTEST_SKIP() << "xvfb-run and xwininfo are needed to watch the program start";
    auto env = PrivateUserEnv(root.Path());
    env["QT_QPA_PLATFORM"] = "xcb";
    // In a sanitizer build: the X11 keyboard library reads its buffers with strndup past their
    // end and the X11 platform keeps its connection data to the end; neither is the program's.
    env["ASAN_OPTIONS"] = "detect_leaks=0:strict_string_checks=0";
    const ProcessResult run = RunProgram({"xvfb-run", "-a", "-s", "-screen 0 1024x768x24", LW_RUN_LOTWARD_SCRIPT,
                                          Dir() + "/Lotward", Dir() + "/Sample.lwd", "Sample.lwd - Lotwarden"},
                                         env);
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
}

TEST_F(InstallProgram, TrailingSlashIsDroppedFromPathsButKeptInThePathValue)
{
    const ProcessResult result = Install({"--dir", Dir() + "/", "--language", "1"});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    const CIniSettingsStore machine(MachineSettings());
    EXPECT_EQ(machine.GetString("Install", "Path"), Dir() + "/");
    EXPECT_EQ(machine.GetString("Uninstall", "UninstallString"), Dir() + "/Uninstall");
    EXPECT_EQ(CIniSettingsStore(UserSettings()).GetString("Recent File List", "File1"), Dir() + "/Sample.lwd");
    EXPECT_EQ(CIniSettingsStore(UserSettings()).GetInt("Options", "Language", -1), 1);
    EXPECT_NE(ReadFile(Applications() + "/Lotwarden/Lotwarden.desktop").find("Exec=\"" + Dir() + "/Lotward\" %f"),
              std::string::npos);
}

TEST_F(InstallProgram, ReinstallingKeepsFile1AndOverwritesLanguage)
{
    ASSERT_EQ(Install({"--dir", Dir(), "--language", "1"}).exitCode, 0);
    {
        CIniSettingsStore user(UserSettings());
        user.WriteString("Recent File List", "File1", Home() + "/Auctions.lwd");
        ASSERT_TRUE(user.Flush());
    }
    const ProcessResult again = Install({"--dir", Dir(), "--language", "0"});
    EXPECT_EQ(again.exitCode, 0) << again.out << again.err;
    const CIniSettingsStore user(UserSettings());
    EXPECT_EQ(user.GetString("Recent File List", "File1"), Home() + "/Auctions.lwd");
    EXPECT_EQ(user.GetInt("Options", "Language", -1), 0);
}

TEST_F(InstallProgram, FrenchLocaleInstallsTheFrenchFilesAndProposesFrench)
{
    const ProcessResult result = Install({"--dir", Dir()}, {{"LC_ALL", "fr_FR.UTF-8"}});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_EQ(result.out, "Lotwarden a été installé avec succès.\n");
    EXPECT_NE(ReadFile(Dir() + "/Lisezmoi.txt").find("Pour commencer"), std::string::npos);
    EXPECT_NE(ReadFile(Dir() + "/Licence.txt").find("CONTRAT DE LICENCE"), std::string::npos);
    EXPECT_TRUE(FileExists(Dir() + "/Exemple.lwd"));
    EXPECT_FALSE(FileExists(Dir() + "/Sample.lwd"));
    EXPECT_TRUE(FileExists(Applications() + "/Lotwarden/Désinstaller Lotwarden.desktop"));
    EXPECT_EQ(CIniSettingsStore(UserSettings()).GetInt("Options", "Language", -1), 1);
}

TEST_F(InstallProgram, TheDocumentTypeResolvesLwdFilesToTheDesktopEntry)
{
    ASSERT_EQ(Install({"--dir", Dir()}).exitCode, 0);
    EXPECT_NE(ReadFile(root / "home/.local/share/mime/packages/lotwarden.xml").find("*.lwd"), std::string::npos);
    if (!HaveTool("update-mime-database") || !HaveTool("update-desktop-database"))
        GTEST_SKIP() << "the desktop database tools are not installed";
    // The refreshed databases: the glob, and the application for the type.
    EXPECT_NE(ReadFile(root / "home/.local/share/mime/globs2").find("application/x-lotwarden:*.lwd"), std::string::npos);
    EXPECT_NE(ReadFile(Applications() + "/mimeinfo.cache").find("application/x-lotwarden=Lotwarden-Lotwarden.desktop;"),
              std::string::npos);
    if (!HaveTool("xdg-mime"))
        GTEST_SKIP() << "xdg-mime is not installed";
    const ProcessResult query = RunProgram({"xdg-mime", "query", "default", "application/x-lotwarden"},
                                           PrivateUserEnv(root.Path()));
    EXPECT_EQ(query.out, "Lotwarden-Lotwarden.desktop\n") << query.err;
}

TEST_F(InstallProgram, AFailingStepIsReportedAsNotInstalledWithEarlierStepsInPlace)
{
    ::mkdir(Home().c_str(), 0755);
    ASSERT_EQ(RunProgram({"mkdir", "-p", Dir() + "/Lotward"}, {}).exitCode, 0);
    const ProcessResult result = Install({"--dir", Dir()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "Lotwarden has not been successfully installed.\n");
    EXPECT_EQ(result.err,
              "Install: Stopped at: Installing \"" + Dir() + "/Lotward\".\nCause: Is a directory\n");
    EXPECT_TRUE(FileExists(Dir() + "/Readme.txt"));
    EXPECT_TRUE(FileExists(Dir() + "/Lotward.dat"));
    EXPECT_FALSE(FileExists(Dir() + "/Temp.html"));
    EXPECT_FALSE(FileExists(Applications() + "/Lotwarden/Lotwarden.desktop"));

    // A destination that cannot be made at all.
    WriteFile(root / "not-a-folder", "x");
    const ProcessResult blocked = Install({"--dir", root / "not-a-folder/Lotwarden"});
    EXPECT_EQ(blocked.exitCode, 1);
    EXPECT_EQ(blocked.out, "Lotwarden has not been successfully installed.\n");
}

TEST_F(InstallProgram, AnUnwritableDestinationIsNotInstalled)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    ASSERT_EQ(RunProgram({"mkdir", "-p", root / "locked"}, {}).exitCode, 0);
    ::chmod((root / "locked").c_str(), 0555);
    const ProcessResult result = Install({"--dir", root / "locked/Lotwarden"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_FALSE(FileExists(UserSettings()));
}

TEST_F(InstallProgram, BadArgumentsAreRefused)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"--dir", "/x", "--language", "2"}, {"--dir", "/x", "--bogus"}}) {
        const ProcessResult result = Install(args);
        EXPECT_EQ(result.exitCode, 2) << result.out;
        EXPECT_NE(result.err, "");
    }
    EXPECT_EQ(Install({"--dir", "relative/Lotwarden"}).exitCode, 1);
}

TEST_F(InstallProgram, UninstallKeepingSettingsLeavesOnlyTheUserSettings)
{
    const std::vector<std::string> before = ListFiles(root.Path());
    ASSERT_EQ(Install({"--dir", Dir()}).exitCode, 0);
    const ProcessResult result = Uninstall({"--keep-settings"});
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_EQ(result.out, "Lotwarden has been removed.\n");
    EXPECT_FALSE(FileExists(Dir()));
    EXPECT_FALSE(FileExists(Applications() + "/Lotwarden"));
    EXPECT_FALSE(FileExists(root / "home/.local/share/mime/packages/lotwarden.xml"));
    EXPECT_FALSE(FileExists(MachineSettings()));
    EXPECT_EQ(CIniSettingsStore(UserSettings()).GetString("Recent File List", "File1"), Dir() + "/Sample.lwd");
    // Besides the settings, only the desktop's own databases remain, rebuilt without the
    // document type.
    EXPECT_EQ(ListFilesBesidesCleanDatabases(root.Path()), std::vector<std::string>{"home/.config/Ashgrove/Lotwarden.ini"});
    EXPECT_TRUE(before.empty());
}

TEST_F(InstallProgram, UninstallWithoutKeepingRemovesTheSettingsToo)
{
    ASSERT_EQ(Install({"--dir", Dir()}).exitCode, 0);
    EXPECT_EQ(Uninstall({}).exitCode, 0);
    EXPECT_FALSE(FileExists(UserSettings()));
    EXPECT_FALSE(FileExists(root / "home/.config/Ashgrove"));
    EXPECT_EQ(ListFilesBesidesCleanDatabases(root.Path()), std::vector<std::string>{});
}

TEST_F(InstallProgram, TheUsersChangedSampleSurvivesUninstallAndReinstall)
{
    ASSERT_EQ(Install({"--dir", Dir()}).exitCode, 0);
    const std::string sample = Dir() + "/Sample.lwd";
    WriteFile(sample, "the user's own items");
    const ProcessResult removed = Uninstall({});
    EXPECT_EQ(removed.exitCode, 0) << removed.out;
    EXPECT_NE(removed.out.find("were kept:\n\n" + sample + "\n"), std::string::npos) << removed.out;
    EXPECT_EQ(ReadFile(sample), "the user's own items");
    EXPECT_FALSE(FileExists(Dir() + "/Lotward"));

    const ProcessResult again = Install({"--dir", Dir()});
    EXPECT_EQ(again.exitCode, 0) << again.out << again.err;
    EXPECT_NE(again.out.find("left as they were:\n\n" + sample + "\n"), std::string::npos) << again.out;
    EXPECT_EQ(ReadFile(sample), "the user's own items");
    // Program files are brought up to date as always.
    EXPECT_TRUE(FileExists(Dir() + "/Lotward"));
}

TEST_F(InstallProgram, UninstallingAnOlderInstallationLeavesTheNewerOnesSharedEntries)
{
    const std::string first = root / "home/opt/Lotwarden";
    const std::string second = root / "home/apps/Lotwarden 2";
    ASSERT_EQ(Install({"--dir", first}).exitCode, 0);
    ASSERT_EQ(Install({"--dir", second}).exitCode, 0);
    const std::string entry = Applications() + "/Lotwarden/Lotwarden.desktop";
    const std::string mimePackage = root / "home/.local/share/mime/packages/lotwarden.xml";

    const ProcessResult removed = Uninstall({}, first);
    EXPECT_EQ(removed.exitCode, 0) << removed.out;
    EXPECT_NE(removed.out.find("belong to the installation in " + second), std::string::npos) << removed.out;
    EXPECT_FALSE(FileExists(first));
    EXPECT_NE(ReadFile(entry).find("Exec=\"" + second + "/Lotward\" %f"), std::string::npos);
    EXPECT_TRUE(FileExists(mimePackage));
    EXPECT_EQ(CIniSettingsStore(MachineSettings()).GetString("Install", "Path"), second);
    EXPECT_EQ(CIniSettingsStore(MachineSettings()).GetString("Uninstall", "UninstallString"),
              second + "/Uninstall");
    EXPECT_TRUE(FileExists(UserSettings()));

    // The newer one, uninstalled in its turn, takes everything with it.
    EXPECT_EQ(Uninstall({}, second).exitCode, 0);
    EXPECT_FALSE(FileExists(Applications() + "/Lotwarden"));
    EXPECT_FALSE(FileExists(mimePackage));
    EXPECT_FALSE(FileExists(MachineSettings()));
}

TEST_F(InstallProgram, AMachineWideInstallationGivesItsLanguageToEveryUserAndLeavesNothing)
{
    const std::string system = root / "system";
    const std::string dir = system + "/opt/Lotwarden";
    const ProcessResult result = Install({"--root", system, "--dir", dir, "--language", "1"});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    const std::string defaults = system + "/etc/xdg/Ashgrove/Lotwarden.ini";
    EXPECT_EQ(CIniSettingsStore(defaults).GetInt("Options", "Language", -1), 1);
    EXPECT_EQ(CIniSettingsStore(defaults).GetString("Recent File List", "File1"), dir + "/Sample.lwd");
    EXPECT_FALSE(FileExists(UserSettings()));

    // A user's settings read the system-wide defaults under the user's own values.
    const char* savedDirs = std::getenv("XDG_CONFIG_DIRS");
    const std::string saved = savedDirs ? savedDirs : "";
    ::setenv("XDG_CONFIG_DIRS", (root / "nowhere:" + system + "/etc/xdg").c_str(), 1);
    {
        CIniSettingsStore user;
        EXPECT_EQ(user.GetInt("Options", "Language", 0), 1);
        EXPECT_EQ(user.GetString("Recent File List", "File1"), dir + "/Sample.lwd");
        user.WriteInt("Options", "Language", 0);
        EXPECT_EQ(user.GetInt("Options", "Language", -1), 0);
        EXPECT_TRUE(user.Flush());
    }
    EXPECT_EQ(CIniSettingsStore().GetInt("Options", "Language", -1), 0);
    EXPECT_EQ(CIniSettingsStore(defaults).GetInt("Options", "Language", -1), 1);
    savedDirs ? ::setenv("XDG_CONFIG_DIRS", saved.c_str(), 1) : ::unsetenv("XDG_CONFIG_DIRS");
    std::remove(DefaultSettingsPath().c_str());

    // Uninstalling removes every file and folder it made, the regenerated MIME and desktop
    // databases included.
    const ProcessResult removed = Uninstall({}, dir);
    EXPECT_EQ(removed.exitCode, 0) << removed.out;
    EXPECT_EQ(ListFiles(system), std::vector<std::string>{});
    EXPECT_FALSE(FileExists(system)) << "folders were left in " << system;
}

TEST_F(InstallProgram, FolderNamesOutsideWindows1252AreStoredAsTheFileSystemHasThem)
{
    const std::string dir = root / "home/Программы/Lotwarden";
    ASSERT_EQ(Install({"--dir", dir}).exitCode, 0);
    EXPECT_EQ(CIniSettingsStore(UserSettings()).GetString("Recent File List", "File1"), dir + "/Sample.lwd");
    // The wizard's next proposal is that folder.
    EXPECT_EQ(ProposedDestination(MachineSettings(), "/opt/Lotwarden"), dir);
}

TEST_F(InstallProgram, ArgumentsAreReadBeforeAnyWindowIsNeeded)
{
    auto noDisplay = PrivateUserEnv(root.Path());
    noDisplay["DISPLAY"] = "";
    noDisplay["WAYLAND_DISPLAY"] = "";
    noDisplay["QT_QPA_PLATFORM"] = "";
    ASSERT_EQ(Install({"--dir", Dir()}).exitCode, 0);
    struct
    {
        std::vector<std::string> argv;
        int exitCode;
        const char* out;
        const char* err;
    } cases[] = {
        {{LW_INSTALL_PROGRAM, "--help"}, 0, "Usage: Install", ""},
        {{LW_INSTALL_PROGRAM, "--bogus"}, 2, "", "Install: unknown argument: --bogus\n"},
        {{LW_INSTALL_PROGRAM, "--dir"}, 2, "", "Install: --dir needs a value\n"},
        {{LW_INSTALL_PROGRAM}, 1, "", "Install: Install needs a display"},
        {{Dir() + "/Uninstall", "--help"}, 0, "Usage: Uninstall", ""},
        {{Dir() + "/Uninstall", "--bogus"}, 2, "", "Uninstall: unknown argument: --bogus\n"},
        {{Dir() + "/Uninstall"}, 1, "", "Uninstall: Uninstall needs a display"},
    };
    for (const auto& c : cases) {
        const ProcessResult result = RunProgram(c.argv, noDisplay);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.argv.back() << result.err;
        EXPECT_TRUE(result.out.starts_with(c.out)) << result.out;
        EXPECT_TRUE(result.err.starts_with(c.err)) << result.err;
        EXPECT_LE(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
    EXPECT_TRUE(FileExists(Dir() + "/Lotward"));
}
