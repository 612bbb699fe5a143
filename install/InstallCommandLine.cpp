#include "install/InstallCommandLine.h"

#include "install/InstallStringIds.h"
#include "install/InstallText.h"

#include <cstdlib>

InstallCommandLine ParseInstallArguments(const std::vector<std::string>& args, bool uninstall)
{
    InstallCommandLine line;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            line.help = true;
        } else if (arg == "--silent") {
            line.silent = true;
        } else if (!uninstall && arg == "--user") {
            line.perUser = true;
        } else if (!uninstall && arg == "--dir" && i + 1 < args.size()) {
            line.dir = args[++i];
        } else if (!uninstall && arg == "--root" && i + 1 < args.size()) {
            line.systemRoot = args[++i];
            if (line.systemRoot.empty() || line.systemRoot.front() != '/') {
                line.error = "--root takes a full path starting with \"/\"";
                return line;
            }
        } else if (!uninstall && arg == "--language" && i + 1 < args.size()) {
            const std::string& value = args[++i];
            if (value != "0" && value != "1") {
                line.error = "--language takes 0 (English) or 1 (French)";
                return line;
            }
            line.language = value[0] - '0';
        } else if (uninstall && arg == "--keep-settings") {
            line.keepSettings = true;
        } else if (!uninstall && (arg == "--dir" || arg == "--language" || arg == "--root")) {
            line.error = arg + " needs a value";
            return line;
        } else {
            line.error = "unknown argument: " + arg;
            return line;
        }
    }
    if (!uninstall && line.silent && line.dir.empty() && !line.help)
        line.error = "--silent needs --dir DIR";
    return line;
}

int HandleCommandLineWithoutWindows(const InstallCommandLine& line, bool uninstall, std::ostream& out,
                                    std::ostream& err)
{
    const char* program = uninstall ? "Uninstall" : "Install";
    if (!line.error.empty()) {
        err << program << ": " << line.error << "\n";
        return 2;
    }
    if (line.help) {
        out << InstallString(uninstall ? kIdsUninstallUsage : kIdsInstallUsage);
        return 0;
    }
    if (line.silent)
        return -1;
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    // Qt aborts when it finds no window system; a platform chosen on purpose (offscreen,
    // xcb with its own display) is left to Qt.
    if (!set("DISPLAY") && !set("WAYLAND_DISPLAY") && !set("QT_QPA_PLATFORM")) {
        err << program << ": " << FormatInstallString(kIdsNoDisplay, {program}) << "\n";
        return 1;
    }
    return -1;
}
