#include "tools/auction-sim/SimServer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <system_error>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace lwsim {

namespace {

constexpr size_t kMaxHead = 64 * 1024;
constexpr long kHeadTimeoutMs = 10000;
constexpr long kPollSliceMs = 50;

const char* ReasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 204: return "No Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 304: return "Not Modified";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 407: return "Proxy Authentication Required";
    case 500: return "Internal Server Error";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

bool SendAll(int fd, const char* data, size_t length)
{
    while (length > 0) {
        const ssize_t n = send(fd, data, length, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        length -= static_cast<size_t>(n);
    }
    return true;
}

bool SendAll(int fd, const std::string& data)
{
    return SendAll(fd, data.data(), data.size());
}

std::string Head(int status, const std::string& contentType, std::int64_t length,
                 const std::vector<std::pair<std::string, std::string>>& extra)
{
    std::string head = "HTTP/1.1 " + std::to_string(status) + " " + ReasonPhrase(status) + "\r\n";
    head += "Server: auction-sim\r\n";
    if (!contentType.empty())
        head += "Content-Type: " + contentType + "\r\n";
    head += "Content-Length: " + std::to_string(length) + "\r\n";
    head += "Connection: close\r\n";
    for (const auto& [name, value] : extra)
        head += name + ": " + value + "\r\n";
    return head + "\r\n";
}

std::string Simple(int status, const std::string& contentType, const std::string& body,
                   const std::vector<std::pair<std::string, std::string>>& extra = {})
{
    return Head(status, contentType, static_cast<std::int64_t>(body.size()), extra) + body;
}

std::string ErrorPage(int status)
{
    return "<html><head><title>" + std::to_string(status) + " " + ReasonPhrase(status) +
           "</title></head><body>" + ReasonPhrase(status) + "</body></html>\n";
}

void AppendJsonString(std::string& out, const std::string& text)
{
    out += '"';
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    out += '"';
}

void AppendJsonStats(std::string& out, const RouteStats& stats)
{
    out += "\"requests\":" + std::to_string(stats.requests) + ",\"active\":" + std::to_string(stats.active) +
           ",\"maxConcurrent\":" + std::to_string(stats.maxConcurrent);
}

bool HasProxyCredentials(const Request& request, const Fault& fault)
{
    const std::string* given = request.Header("proxy-authorization");
    if (!given || given->size() < 6 || ToLower(given->substr(0, 6)) != "basic ")
        return false;
    std::string token = given->substr(6);
    token.erase(0, token.find_first_not_of(' '));
    return token == Base64Encode(fault.proxyUser + ":" + fault.proxyPassword);
}

// Reads the request head up to the blank line; false when the client sends nothing usable.
// `rest` gets what followed the head in the same reads (the start of a body).
bool ReadHead(int fd, const std::atomic<bool>& stopping, std::string& head, std::string& rest)
{
    std::string buffer;
    long waited = 0;
    char chunk[4096];
    while (!stopping && waited < kHeadTimeoutMs) {
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(kPollSliceMs));
        if (ready == 0) {
            waited += kPollSliceMs;
            continue;
        }
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        const ssize_t n = recv(fd, chunk, sizeof chunk, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        buffer.append(chunk, static_cast<size_t>(n));
        size_t end = buffer.find("\r\n\r\n");
        size_t blank = 4;
        if (end == std::string::npos) {
            end = buffer.find("\n\n");
            blank = 2;
        }
        if (end != std::string::npos) {
            head = buffer.substr(0, end);
            rest = buffer.substr(end + blank);
            return true;
        }
        if (buffer.size() > kMaxHead)
            return false;
    }
    return false;
}

// Reads and drops a request body (a form posted to a token endpoint) so that closing the
// connection after the answer does not reset it while the client still reads; a body beyond
// 1 MB, or one that stops coming, is left.
void DrainBody(int fd, const std::atomic<bool>& stopping, const Request& request, std::size_t alreadyRead)
{
    const std::string* length = request.Header("content-length");
    if (length == nullptr || length->empty() || length->size() > 7 ||
        length->find_first_not_of("0123456789") != std::string::npos)
        return;
    std::size_t left = std::stoul(*length);
    left = left > alreadyRead ? left - alreadyRead : 0;
    char chunk[4096];
    long waited = 0;
    while (left > 0 && !stopping && waited < kHeadTimeoutMs) {
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(kPollSliceMs));
        if (ready == 0) {
            waited += kPollSliceMs;
            continue;
        }
        if (ready < 0 && errno == EINTR)
            continue;
        const ssize_t n = ready < 0 ? -1 : recv(fd, chunk, std::min(sizeof chunk, left), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        left -= static_cast<std::size_t>(n);
    }
}

} // namespace

std::string ServerStats::ToJson() const
{
    std::string out = "{";
    AppendJsonStats(out, total);
    out += ",\"routes\":{";
    bool first = true;
    for (const auto& [pattern, stats] : routes) {
        if (!first)
            out += ',';
        first = false;
        AppendJsonString(out, pattern);
        out += ":{";
        AppendJsonStats(out, stats);
        out += '}';
    }
    return out + "}}\n";
}

Server::Server(RouteTable routes)
    : table(std::move(routes))
{
}

Server::~Server()
{
    Stop();
}

std::string Server::BaseUrl() const
{
    return "http://127.0.0.1:" + std::to_string(port);
}

bool Server::Start(std::string& error, const std::string& address, int wantedPort)
{
    auto fail = [&](const std::string& what) {
        error = what + ": " + std::strerror(errno);
        if (listenFd >= 0)
            close(listenFd);
        listenFd = -1;
        return false;
    };
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(wantedPort));
    if (inet_pton(AF_INET, address.c_str(), &addr.sin_addr) != 1) {
        error = "bad listening address '" + address + "'";
        return false;
    }
    listenFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd < 0)
        return fail("socket");
    const int on = 1;
    setsockopt(listenFd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (bind(listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
        return fail("bind");
    if (listen(listenFd, 512) != 0)
        return fail("listen");
    socklen_t length = sizeof addr;
    if (getsockname(listenFd, reinterpret_cast<sockaddr*>(&addr), &length) != 0)
        return fail("getsockname");
    port = ntohs(addr.sin_port);
    if (pipe2(wakePipe, O_CLOEXEC) != 0)
        return fail("pipe");
    stopping = false;
    acceptThread = std::thread(&Server::AcceptLoop, this);
    return true;
}

void Server::Stop()
{
    if (!acceptThread.joinable())
        return;
    stopping = true;
    const char byte = 0;
    [[maybe_unused]] ssize_t n = write(wakePipe[1], &byte, 1);
    acceptThread.join();

    std::list<std::unique_ptr<Connection>> finishing;
    {
        std::lock_guard guard(lock);
        for (int fd : openFds)
            shutdown(fd, SHUT_RDWR);
        finishing.swap(connections);
    }
    for (auto& connection : finishing)
        connection->thread.join();
    close(listenFd);
    close(wakePipe[0]);
    close(wakePipe[1]);
    listenFd = wakePipe[0] = wakePipe[1] = -1;
}

void Server::AcceptLoop()
{
    while (!stopping) {
        pollfd fds[2] = {{listenFd, POLLIN, 0}, {wakePipe[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 && errno != EINTR)
            break;
        if (stopping)
            break;
        {
            std::lock_guard guard(lock);
            for (auto it = connections.begin(); it != connections.end();) {
                if ((*it)->done) {
                    (*it)->thread.join();
                    it = connections.erase(it);
                } else {
                    ++it;
                }
            }
        }
        if (!(fds[0].revents & POLLIN))
            continue;
        const int fd = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        // The head and the body go out in separate writes; without this the body would wait
        // for the client's delayed acknowledgement of the head.
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        std::lock_guard guard(lock);
        auto connection = std::make_unique<Connection>();
        Connection* raw = connection.get();
        try {
            connection->thread = std::thread([this, fd, raw] {
                Serve(fd);
                raw->done = true;
            });
        } catch (const std::system_error&) {
            close(fd);
            continue;
        }
        openFds.insert(fd);
        connections.push_back(std::move(connection));
    }
}

void Server::Enter(const std::string& pattern)
{
    std::lock_guard guard(lock);
    for (RouteStats* s : {&stats.total, &stats.routes[pattern]}) {
        ++s->requests;
        ++s->active;
        s->maxConcurrent = std::max(s->maxConcurrent, s->active);
    }
}

void Server::Leave(const std::string& pattern)
{
    std::lock_guard guard(lock);
    --stats.total.active;
    --stats.routes[pattern].active;
}

void Server::Forget(int fd)
{
    {
        std::lock_guard guard(lock);
        openFds.erase(fd);
    }
    close(fd);
}

ServerStats Server::Stats() const
{
    std::lock_guard guard(lock);
    return stats;
}

void Server::ResetStats()
{
    std::lock_guard guard(lock);
    for (RouteStats* s : {&stats.total}) {
        s->requests = 0;
        s->maxConcurrent = s->active;
    }
    for (auto& [pattern, s] : stats.routes) {
        s.requests = 0;
        s.maxConcurrent = s.active;
    }
}

bool Server::Pause(int fd, long ms)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    char sink[1024];
    while (!stopping) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0)
            return true;
        pollfd p{fd, POLLIN | POLLRDHUP, 0};
        const int ready = poll(&p, 1, static_cast<int>(std::min<long long>(left, kPollSliceMs)));
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready > 0) {
            if (p.revents & (POLLRDHUP | POLLHUP | POLLERR))
                return false;
            if (recv(fd, sink, sizeof sink, MSG_DONTWAIT) == 0)
                return false;
        }
    }
    return false;
}

void Server::Serve(int fd)
{
    std::string head;
    std::string bodyStart;
    Request request;
    std::string error;
    if (!ReadHead(fd, stopping, head, bodyStart)) {
        Forget(fd);
        return;
    }
    auto finish = [&] {
        shutdown(fd, SHUT_WR);
        Forget(fd);
    };
    if (!ParseRequestHead(head, request, error)) {
        SendAll(fd, Simple(400, "text/plain", error + "\n"));
        finish();
        return;
    }
    DrainBody(fd, stopping, request, bodyStart.size());
    if (!request.proxyStyle && request.path.rfind("/__sim/", 0) == 0) {
        if (request.path == "/__sim/stats") {
            SendAll(fd, Simple(200, "application/json", Stats().ToJson()));
        } else if (request.path == "/__sim/reset") {
            ResetStats();
            SendAll(fd, Simple(200, "application/json", "{\"ok\":true}\n"));
        } else {
            SendAll(fd, Simple(404, "text/html", ErrorPage(404)));
        }
        finish();
        return;
    }

    const Route* route = table.Find(request);
    const std::string pattern = route ? route->pattern : "(none)";
    // Counted as active from here until just before the last byte goes out: a client cannot
    // have the whole answer (and start its next transfer) while it still counts.
    Enter(pattern);
    bool active = true;
    auto leave = [&] {
        if (active)
            Leave(pattern);
        active = false;
    };
    auto answer = [&](const std::string& bytes) {
        leave();
        SendAll(fd, bytes);
        finish();
    };

    if (!route) {
        answer(Simple(404, "text/html", ErrorPage(404)));
        return;
    }
    const Fault& fault = route->fault;
    if (fault.requireProxyAuth && !HasProxyCredentials(request, fault)) {
        answer(Simple(407, "text/html", ErrorPage(407),
                      {{"Proxy-Authenticate", "Basic realm=\"auction-sim\""}}));
        return;
    }
    Response response = route->response;
    if (route->handler && !route->handler(request, response)) {
        answer(Simple(404, "text/html", ErrorPage(404)));
        return;
    }
    if (fault.headerDelayMs > 0 && !Pause(fd, fault.headerDelayMs)) {
        leave();
        Forget(fd);
        return;
    }

    const std::int64_t length = response.BodyLength();
    std::int64_t sendEnd = request.method == "HEAD" ? 0 : length;
    if (fault.truncateAfter >= 0)
        sendEnd = std::min(sendEnd, fault.truncateAfter);
    const bool reset = fault.resetAfter >= 0 && fault.resetAfter < sendEnd;
    if (reset)
        sendEnd = fault.resetAfter;

    const std::string headBytes = Head(response.status, response.contentType, length, response.headers);
    if (sendEnd == 0 && !reset)
        leave();
    bool ok = SendAll(fd, headBytes);
    std::string buffer;
    for (std::int64_t offset = 0; ok && offset < sendEnd;) {
        const auto n = static_cast<size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(fault.chunkSize), sendEnd - offset));
        if (!response.body.empty()) {
            buffer.assign(response.body, static_cast<size_t>(offset), n);
        } else {
            buffer.resize(n);
            for (size_t i = 0; i < n; ++i)
                buffer[i] = GeneratedByte(offset + static_cast<std::int64_t>(i));
        }
        if (offset + static_cast<std::int64_t>(n) == sendEnd && !reset)
            leave();
        ok = SendAll(fd, buffer);
        offset += static_cast<std::int64_t>(n);
        if (ok && offset < sendEnd && fault.chunkDelayMs > 0)
            ok = Pause(fd, fault.chunkDelayMs);
    }
    leave();
    if (reset && ok) {
        // An abortive close: the client sees "connection reset" in the middle of the body.
        linger hard{1, 0};
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        Forget(fd);
        return;
    }
    finish();
}

} // namespace lwsim
