#include "install/InstallCommandLine.h"

InstallCommandLine ParseInstallArguments(const std::vector<std::string>& args, bool uninstall)
{
    InstallCommandLine line;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--silent") {
            line.silent = true;
        } else if (!uninstall && arg == "--user") {
            line.perUser = true;
        } else if (!uninstall && arg == "--dir" && i + 1 < args.size()) {
            line.dir = args[++i];
        } else if (!uninstall && arg == "--language" && i + 1 < args.size()) {
            const std::string& value = args[++i];
            if (value != "0" && value != "1") {
                line.error = "--language takes 0 (English) or 1 (French)";
                return line;
            }
            line.language = value[0] - '0';
        } else if (uninstall && arg == "--keep-settings") {
            line.keepSettings = true;
        } else {
            line.error = "unknown argument: " + arg;
            return line;
        }
    }
    if (!uninstall && line.silent && line.dir.empty())
        line.error = "--silent needs --dir DIR";
    return line;
}
