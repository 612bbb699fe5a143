#include "install/SilentRun.h"

#include "install/InstallEngine.h"
#include "install/InstallStringIds.h"
#include "install/InstallText.h"
#include "install/Uninstaller.h"

#include <climits>
#include <unistd.h>

namespace {

std::string Lines(const std::vector<std::string>& paths)
{
    std::string list;
    for (const std::string& path : paths)
        list += path + "\n";
    return list;
}

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
    CInstallEnvironment env = CInstallEnvironment::FromSystem(line.perUser, line.systemRoot);
    const int textLanguage = GetInstallLanguage();
    CInstallEngine engine(config, env, payload, textLanguage);
    InstallRunParams params;
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
        if (!engine.KeptFiles().empty())
            out << FormatInstallString(kIdsInstallKept, {Lines(engine.KeptFiles())});
        return 0;
    }
    out << FormatInstallString(kIdsNotInstalled, {config.appName}) << "\n";
    err << "Install: " << engine.FailureDescription() << "\n";
    return 1;
}

std::string UninstallSummary(const UninstallResult& result)
{
    const std::string appName = CInstallConfig().appName;
    std::string text = result.Succeeded()
                           ? FormatInstallString(kIdsUninstalled, {appName}) + "\n"
                           : FormatInstallString(kIdsUninstallIncomplete, {appName, Lines(result.leftOver)});
    if (!result.kept.empty())
        text += FormatInstallString(kIdsUninstallKept, {Lines(result.kept)});
    if (!result.sharedOwner.empty())
        text += FormatInstallString(kIdsSharedStay, {result.sharedOwner}) + "\n";
    return text;
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
    out << UninstallSummary(result);
    return result.Succeeded() ? 0 : 1;
}
