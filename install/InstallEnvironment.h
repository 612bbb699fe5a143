#pragma once
// Where the installer puts what is not in the destination folder. The registry keys of the
// installer become two settings stores (current user, and machine: system-wide when installing
// as root, else the user's machine store); Start-menu shortcuts become desktop entries in the
// XDG applications directory; the document type becomes a shared-mime-info package.

#include <string>

struct CInstallEnvironment
{
    std::string userSettingsPath;    // HKEY_CURRENT_USER\Software\Ashgrove\Lotwarden
    std::string machineSettingsPath; // HKEY_LOCAL_MACHINE\Software\Ashgrove\Lotwarden
    std::string applicationsDir;     // %START_MENU% and %START_MENU_PROGRAMS%; "" = unknown
    std::string desktopDir;          // %DESKTOP_DIR%; "" = unknown
    std::string mimeDir;             // shared-mime-info root (packages/ below it); "" = unknown
    std::string windowsDir;          // "" here: the macros fall back to "C:\Windows"
    std::string systemDir;
    bool machineWide = false;

    // Machine-wide locations when running as root (unless `perUser`), else the user's XDG
    // directories (XDG_DATA_HOME, XDG_CONFIG_HOME, user-dirs.dirs, HOME). A machine-wide
    // installation keeps the users' first settings (language, recent file) in the system-wide
    // defaults that the program reads under each user's own settings. `systemRoot` stages a
    // machine-wide installation under another root folder (the system folders below it).
    static CInstallEnvironment FromSystem(bool perUser, const std::string& systemRoot = {});
};

// $XDG_DATA_HOME, falling back to $HOME/.local/share ("" without HOME).
std::string UserDataHome();
// The XDG desktop directory: XDG_DESKTOP_DIR of user-dirs.dirs, else $HOME/Desktop.
std::string UserDesktopDir();
