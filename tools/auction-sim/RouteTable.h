#pragma once
// What the simulator answers: a fixed table of routes, each a canned response (or a page
// generator) with the faults to inject when it is served.
//
// A route's pattern is either a full URL ("http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&
// item=123"), matched against proxy-style requests and plain requests by their Host header, or
// a path with its query ("/page?x=1"), matched on any host. A trailing '*' matches any rest.
// The best match wins: exact before prefix, full URL before path, longer prefix first.

#include "tools/auction-sim/HttpMessage.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace lwsim {

struct Response
{
    int status = 200;
    std::string contentType = "text/html";
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    // With an empty body and a size of 0 or more: that many bytes of generated text, streamed
    // (so that an oversized body needs no memory).
    std::int64_t generatedSize = -1;

    std::int64_t BodyLength() const;
};

struct Fault
{
    long headerDelayMs = 0; // before the status line
    long chunkDelayMs = 0;  // between two chunks of the body
    std::size_t chunkSize = 16384;
    std::int64_t resetAfter = -1;    // reset the connection after this many body bytes
    std::int64_t truncateAfter = -1; // close cleanly after this many body bytes (short of Content-Length)
    bool requireProxyAuth = false;   // 407 unless "Proxy-Authorization: Basic" with these
    std::string proxyUser;
    std::string proxyPassword;
};

// Fills `response` for a request; false: no page here (the client gets a 404).
using PageHandler = std::function<bool(const Request&, Response&)>;

struct Route
{
    std::string pattern;
    Response response;
    Fault fault;
    PageHandler handler; // when set, it makes the response (starting from `response`)
};

class RouteTable
{
public:
    // Normalises a full-URL pattern (scheme and host in lower case, no default port). False for
    // a pattern that is neither a full http URL nor a path.
    bool Add(Route route);
    const Route* Find(const Request& request) const;
    const std::vector<Route>& Routes() const { return routes; }

private:
    std::vector<Route> routes;
};

// The bytes of a generated body: printable text in lines of 64, the same for every size.
char GeneratedByte(std::int64_t offset);

} // namespace lwsim
