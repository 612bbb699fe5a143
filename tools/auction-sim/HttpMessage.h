#pragma once
// The request side of the simulator's HTTP/1.1: the request head as a client or a proxy client
// sends it ("GET /path HTTP/1.1" with a Host header, or "GET http://host/path HTTP/1.1").

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lwsim {

struct Request
{
    std::string method;
    std::string target;     // as written in the request line
    std::string version;    // "HTTP/1.1"
    bool proxyStyle = false; // the target was an absolute URL
    std::string scheme = "http";
    std::string host; // lower case, with ":port" unless it is the scheme's default
    std::string path; // starts with '/'
    std::string query; // without the '?'; empty when there is none
    bool hasQuery = false;
    std::vector<std::pair<std::string, std::string>> headers; // names in lower case

    const std::string* Header(std::string_view name) const;
    std::string PathAndQuery() const;
    std::string Url() const; // scheme://host/path?query
};

// Parses a request head (request line and headers, without the blank line). Returns false with
// a short reason for anything a server should answer with 400.
bool ParseRequestHead(std::string_view head, Request& request, std::string& error);

// Splits an absolute http(s) URL into its normalised parts (the same rules as for requests).
bool SplitAbsoluteUrl(std::string_view url, std::string& scheme, std::string& host,
                      std::string& path, std::string& query, bool& hasQuery);

std::string Base64Encode(std::string_view data);
std::string ToLower(std::string_view text);

} // namespace lwsim
