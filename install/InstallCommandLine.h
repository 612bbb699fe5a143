#pragma once
// The command lines of Install and Uninstall, read before any window system is needed:
//   Install [--silent --dir DIR [--language 0|1]] [--user] [--root DIR] [--help]
//   Uninstall [--silent] [--keep-settings] [--help]
// --user installs for the current user even when running as root; --root installs for every
// user with the system folders staged under DIR.

#include <ostream>
#include <string>
#include <vector>

struct InstallCommandLine
{
    bool silent = false;
    bool perUser = false;
    bool keepSettings = false;
    bool help = false;
    std::string dir;
    std::string systemRoot;
    int language = -1; // -1: the installer's own language
    std::string error; // set when the arguments are wrong
};

InstallCommandLine ParseInstallArguments(const std::vector<std::string>& args, bool uninstall);

// Install and Uninstall up to the point where windows are needed: --help prints the usage
// (exit 0), wrong arguments are named on `err` (exit 2), --silent runs without windows, and a
// wizard without a display says so in one line (exit 1). Returns the exit code, or -1 when the
// caller is to open its windows.
int HandleCommandLineWithoutWindows(const InstallCommandLine& line, bool uninstall, std::ostream& out,
                                    std::ostream& err);
