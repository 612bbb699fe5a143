#pragma once
// The command lines of Install and Uninstall:
//   Install [--silent --dir DIR [--language 0|1]] [--user]
//   Uninstall [--silent] [--keep-settings]
// --user installs for the current user even when running as root.

#include <string>
#include <vector>

struct InstallCommandLine
{
    bool silent = false;
    bool perUser = false;
    bool keepSettings = false;
    std::string dir;
    int language = -1; // -1: the installer's own language
    std::string error; // set when the arguments are wrong
};

InstallCommandLine ParseInstallArguments(const std::vector<std::string>& args, bool uninstall);
