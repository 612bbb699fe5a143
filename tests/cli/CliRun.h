#pragma once
// Running the real lotwarden program from a test: its exit code, output and messages.

#include "../model/ModelTestSupport.h"

#include <cstdio>
#include <string>
#include <vector>

#include <sys/wait.h>

struct CliRun
{
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string Quote(const std::string& word)
{
    std::string quoted = "'";
    for (char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// `prefix` goes in front of the command line: environment assignments, or a wrapper such as
// "timeout 20"; `redirect` replaces the capture of standard output (for instance ">/dev/full").
inline CliRun Lotwarden(const modeltest::TempDir& dir, const std::vector<std::string>& args,
                        const std::string& prefix = "", const std::string& redirect = "")
{
    std::string command = prefix + (prefix.empty() ? "" : " ") + Quote(LW_BIN_DIR "/lotwarden");
    for (const std::string& arg : args)
        command += " " + Quote(arg);
    const std::string errFile = dir / "stderr.txt";
    command += " 2>" + Quote(errFile) + (redirect.empty() ? "" : " " + redirect);
    CliRun run;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, got);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = modeltest::ReadFileBytes(errFile);
    return run;
}
