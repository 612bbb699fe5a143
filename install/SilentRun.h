#pragma once
// Install and Uninstall without windows, for scripts and tests: the same steps, the result as
// one line on standard output (the installer's own message) and in the exit code (0 done,
// 1 failed, 2 bad arguments).

#include "install/InstallCommandLine.h"
#include "install/Payload.h"

#include <ostream>

int RunSilentInstall(const InstallCommandLine& line, const IPayloadSource& payload, std::ostream& out, std::ostream& err);
int RunSilentUninstall(const InstallCommandLine& line, const std::string& installDir, std::ostream& out);

// The folder of the running program (/proc/self/exe).
std::string ProgramDirectory();
