// auction-sim: serves the scenario's pages on loopback until SIGTERM, SIGINT or the end of its
// standard input (when that is a pipe or a terminal). The first line on standard output is
// "PORT <n>", so that callers can start it on a free port.

#include "tools/auction-sim/Scenario.h"
#include "tools/auction-sim/SimServer.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

namespace {

int Usage()
{
    std::fprintf(stderr,
                 "usage: auction-sim [--scenario FILE]... [--address ADDR] [--port N] [--no-stdin]\n");
    return 2;
}

bool StdinIsWatchable()
{
    struct stat st {};
    if (fstat(STDIN_FILENO, &st) != 0)
        return false;
    return S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode) || isatty(STDIN_FILENO);
}

} // namespace

int main(int argc, char** argv)
{
    lwsim::RouteTable table;
    std::string address = "127.0.0.1";
    int port = 0;
    bool watchStdin = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--scenario" && hasValue) {
            std::string error;
            if (!lwsim::LoadScenarioFile(argv[++i], table, error)) {
                std::fprintf(stderr, "auction-sim: %s\n", error.c_str());
                return 1;
            }
        } else if (arg == "--address" && hasValue) {
            address = argv[++i];
        } else if (arg == "--port" && hasValue) {
            char* end = nullptr;
            const long value = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || value < 0 || value > 65535)
                return Usage();
            port = static_cast<int>(value);
        } else if (arg == "--no-stdin") {
            watchStdin = false;
        } else {
            return Usage();
        }
    }

    // Every thread inherits this mask, so the signals wait for sigwait below.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    lwsim::Server server(std::move(table));
    std::string error;
    if (!server.Start(error, address, port)) {
        std::fprintf(stderr, "auction-sim: %s\n", error.c_str());
        return 1;
    }
    std::printf("PORT %d\n", server.Port());
    std::fflush(stdout);

    if (watchStdin && StdinIsWatchable()) {
        std::thread([] {
            char buffer[256];
            while (true) {
                const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
                if (n == 0 || (n < 0 && errno != EINTR))
                    break;
            }
            kill(getpid(), SIGTERM);
        }).detach();
    }

    int received = 0;
    sigwait(&stopSignals, &received);
    server.Stop();
    return 0;
}
