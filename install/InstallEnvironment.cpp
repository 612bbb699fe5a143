#include "install/InstallEnvironment.h"

#include "platform/IniSettingsStore.h"

#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace {

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string Home()
{
    return Env("HOME");
}

// XDG_CONFIG_HOME, falling back to $HOME/.config.
std::string ConfigHome()
{
    std::string dir = Env("XDG_CONFIG_HOME");
    if (dir.empty() && !Home().empty())
        dir = Home() + "/.config";
    return dir;
}

} // namespace

std::string UserDataHome()
{
    std::string dir = Env("XDG_DATA_HOME");
    if (dir.empty() && !Home().empty())
        dir = Home() + "/.local/share";
    return dir;
}

std::string UserDesktopDir()
{
    // user-dirs.dirs holds shell-style lines such as XDG_DESKTOP_DIR="$HOME/Desktop".
    if (const std::string config = ConfigHome(); !config.empty()) {
        std::ifstream in(config + "/user-dirs.dirs");
        std::string line;
        while (std::getline(in, line)) {
            const std::string key = "XDG_DESKTOP_DIR=";
            if (!line.starts_with(key))
                continue;
            std::string value = line.substr(key.size());
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
                value = value.substr(1, value.size() - 2);
            if (value.starts_with("$HOME"))
                value = Home() + value.substr(5);
            if (value.starts_with("/"))
                return value;
        }
    }
    return Home().empty() ? std::string() : Home() + "/Desktop";
}

CInstallEnvironment CInstallEnvironment::FromSystem(bool perUser, const std::string& systemRoot)
{
    CInstallEnvironment env;
    env.userSettingsPath = DefaultSettingsPath();
    env.machineWide = !systemRoot.empty() || (!perUser && ::geteuid() == 0);
    env.desktopDir = UserDesktopDir();
    if (env.machineWide) {
        env.machineSettingsPath =
            systemRoot.empty() ? MachineSettingsPath() : systemRoot + "/etc/xdg/Ashgrove/Lotwarden.ini";
        env.userSettingsPath = env.machineSettingsPath;
        env.applicationsDir = systemRoot + "/usr/local/share/applications";
        env.mimeDir = systemRoot + "/usr/local/share/mime";
    } else {
        env.machineSettingsPath = SettingsDirectory() + "/LotwardenMachine.ini";
        if (const std::string data = UserDataHome(); !data.empty()) {
            env.applicationsDir = data + "/applications";
            env.mimeDir = data + "/mime";
        }
    }
    return env;
}
