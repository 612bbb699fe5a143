#pragma once
// Install and Uninstall without windows, for scripts and tests: the same steps, the result as
// one line on standard output (the installer's own message) and in the exit code (0 done,
// 1 failed, 2 bad arguments).

#include "install/InstallCommandLine.h"
#include "install/Payload.h"
#include "install/Uninstaller.h"

#include <ostream>

int RunSilentInstall(const InstallCommandLine& line, const IPayloadSource& payload, std::ostream& out, std::ostream& err);
int RunSilentUninstall(const InstallCommandLine& line, const std::string& installDir, std::ostream& out);

// What Uninstall tells when it is done: removed or not (with what was left over), the user's
// files it kept, and the installation it left the shared entries to.
std::string UninstallSummary(const UninstallResult& result);

// The folder of the running program (/proc/self/exe).
std::string ProgramDirectory();
