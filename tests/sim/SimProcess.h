#pragma once
// Runs the auction-sim program as a child process for a test: started on a free port (read from
// its first output line), stopped by closing its standard input or by a signal.

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

class SimProcess
{
public:
    SimProcess() = default;
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;
    ~SimProcess() { Stop(); }

    // Returns false (with the reason) when the program could not start or printed no port.
    bool Start(const std::vector<std::string>& args, std::string& error)
    {
        int in[2], out[2];
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) {
            error = "pipe failed";
            return false;
        }
        std::vector<std::string> argv = {std::string(LW_BIN_DIR) + "/auction-sim"};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> raw;
        for (auto& arg : argv)
            raw.push_back(arg.data());
        raw.push_back(nullptr);
        pid = fork();
        if (pid == 0) {
            dup2(in[0], STDIN_FILENO);
            dup2(out[1], STDOUT_FILENO);
            execv(raw[0], raw.data());
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        stdinFd = in[1];
        if (pid < 0) {
            close(out[0]);
            error = "fork failed";
            return false;
        }
        std::string line;
        char c = 0;
        while (read(out[0], &c, 1) == 1 && c != '\n')
            line += c;
        close(out[0]);
        if (line.rfind("PORT ", 0) != 0) {
            error = "no PORT line, got '" + line + "'";
            return false;
        }
        port = std::stoi(line.substr(5));
        return true;
    }

    int Port() const { return port; }
    std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port); }
    pid_t Pid() const { return pid; }

    void CloseStdin()
    {
        if (stdinFd >= 0)
            close(stdinFd);
        stdinFd = -1;
    }

    // Waits for the program to end; returns its exit status, or -1 when it did not exit normally.
    int Wait()
    {
        if (pid <= 0)
            return -1;
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    void Stop()
    {
        CloseStdin();
        if (pid > 0) {
            kill(pid, SIGTERM);
            Wait();
        }
    }

private:
    pid_t pid = -1;
    int stdinFd = -1;
    int port = 0;
};
