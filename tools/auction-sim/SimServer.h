#pragma once
// The simulator's HTTP/1.1 server: listens on loopback, one thread per connection, answers
// every request from the route table (one response per connection, then closes), injects the
// route's faults, and counts requests and concurrent transfers per route.
//
// Control pages on plain requests: "/__sim/stats" (JSON counts) and "/__sim/reset".

#include "tools/auction-sim/RouteTable.h"

#include <atomic>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

namespace lwsim {

struct RouteStats
{
    std::int64_t requests = 0;
    int active = 0;
    int maxConcurrent = 0;
};

struct ServerStats
{
    RouteStats total;
    std::map<std::string, RouteStats> routes; // by route pattern; "(none)" for unmatched requests

    std::string ToJson() const;
};

class Server
{
public:
    explicit Server(RouteTable table);
    ~Server(); // stops
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Listens on `address` (0: a free port) and serves on a thread of its own.
    bool Start(std::string& error, const std::string& address = "127.0.0.1", int port = 0);
    // Closes every connection (waking any delay) and joins all threads.
    void Stop();
    int Port() const { return port; }
    std::string BaseUrl() const; // "http://127.0.0.1:PORT"

    ServerStats Stats() const;
    void ResetStats();

private:
    struct Connection
    {
        std::thread thread;
        std::atomic<bool> done{false};
    };
    void AcceptLoop();
    void Serve(int fd);
    bool Pause(int fd, long ms); // false when the client went away or the server stops
    void Enter(const std::string& pattern);
    void Leave(const std::string& pattern);
    void Forget(int fd); // closes a connection's socket

    RouteTable table;
    int listenFd = -1;
    int wakePipe[2] = {-1, -1};
    int port = 0;
    std::thread acceptThread;
    std::atomic<bool> stopping{false};

    mutable std::mutex lock; // guards everything below
    std::list<std::unique_ptr<Connection>> connections;
    std::set<int> openFds;
    ServerStats stats;
};

} // namespace lwsim
