#include "install/SilentRun.h"

#include "install/InstallEngine.h"
#include "install/InstallStringIds.h"
#include "install/InstallText.h"
#include "install/Uninstaller.h"

#include <climits>
#include <unistd.h>

namespace {

// Worker-side progress for a run without windows: the last message, for the failure report.
class CQuietProgress : public IInstallProgress
{
public:
    void SetMessage(const std::string& text) override { last = text; }
    void SetPosition(int) override {}
    std::string last;
};

} // namespace

std::string ProgramDirectory()
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return ".";
    const std::string path(buffer, static_cast<size_t>(n));
    const size_t slash = path.rfind('/');
    return slash == 0 ? "/" : path.substr(0, slash);
}

int RunSilentInstall(const InstallCommandLine& line, const IPayloadSource& payload, std::ostream& out, std::ostream& err)
{
    if (!line.error.empty()) {
        err << "Install: " << line.error << "\n";
        return 2;
    }
    const CInstallConfig config;
    CInstallEnvironment env = CInstallEnvironment::FromSystem(line.perUser);
    const int textLanguage = GetInstallLanguage();
    CInstallEngine engine(config, env, payload, textLanguage);
    CQuietProgress progress;
    InstallRunParams params;
    params.progress = &progress;
    params.stepCount = CInstallEngine::GetStepCount();
    params.destination = line.dir;
    params.languageIndex = line.language >= 0 ? line.language
                                              : std::atoi(InstallString(kIdsDefaultLanguage, textLanguage).c_str());
    params.desktopShortcut = config.offerDesktopShortcut;
    params.running = 1;
    const bool ok = engine.Run(params);
    RefreshDesktopDatabases(env.mimeDir, env.applicationsDir);
    if (ok) {
        out << FormatInstallString(kIdsInstalled, {config.appName}) << "\n";
        return 0;
    }
    out << FormatInstallString(kIdsNotInstalled, {config.appName}) << "\n";
    if (!progress.last.empty())
        err << "Install: stopped at: " << progress.last << "\n";
    return 1;
}

int RunSilentUninstall(const InstallCommandLine& line, const std::string& installDir, std::ostream& out)
{
    const std::string appName = CInstallConfig().appName;
    if (!line.error.empty()) {
        out << "Uninstall: " << line.error << "\n";
        return 2;
    }
    CUninstaller uninstaller(installDir);
    if (!uninstaller.Load()) {
        out << FormatInstallString(kIdsNotInstalledHere, {appName}) << "\n";
        return 1;
    }
    const UninstallResult result = uninstaller.Run(!line.keepSettings);
    if (result.Succeeded()) {
        out << FormatInstallString(kIdsUninstalled, {appName}) << "\n";
        return 0;
    }
    std::string list;
    for (const std::string& path : result.leftOver)
        list += path + "\n";
    out << FormatInstallString(kIdsUninstallIncomplete, {appName, list});
    return 1;
}
