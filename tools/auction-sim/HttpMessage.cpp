#include "tools/auction-sim/HttpMessage.h"

#include <algorithm>

namespace lwsim {

namespace {

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool IsTokenChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool IsTargetChar(char c)
{
    return static_cast<unsigned char>(c) > 0x20 && c != 0x7f;
}

// Lower-cases the host and drops the scheme's default port.
std::string NormaliseHost(std::string_view host, std::string_view scheme)
{
    std::string result = ToLower(host);
    const std::string defaultPort = scheme == "https" ? ":443" : ":80";
    if (result.size() > defaultPort.size() &&
        result.compare(result.size() - defaultPort.size(), defaultPort.size(), defaultPort) == 0)
        result.resize(result.size() - defaultPort.size());
    return result;
}

void SplitPathQuery(std::string_view target, std::string& path, std::string& query, bool& hasQuery)
{
    const size_t fragment = target.find('#');
    if (fragment != std::string_view::npos)
        target = target.substr(0, fragment);
    const size_t mark = target.find('?');
    hasQuery = mark != std::string_view::npos;
    path = std::string(target.substr(0, mark));
    query = hasQuery ? std::string(target.substr(mark + 1)) : std::string();
    if (path.empty())
        path = "/";
}

} // namespace

std::string ToLower(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return result;
}

bool SplitAbsoluteUrl(std::string_view url, std::string& scheme, std::string& host,
                      std::string& path, std::string& query, bool& hasQuery)
{
    const size_t colon = url.find("://");
    if (colon == std::string_view::npos)
        return false;
    scheme = ToLower(url.substr(0, colon));
    if (scheme != "http" && scheme != "https")
        return false;
    std::string_view rest = url.substr(colon + 3);
    const size_t end = rest.find_first_of("/?#");
    std::string_view authority = rest.substr(0, end);
    if (authority.empty() || authority.find('@') != std::string_view::npos)
        return false;
    host = NormaliseHost(authority, scheme);
    SplitPathQuery(end == std::string_view::npos ? std::string_view() : rest.substr(end), path,
                   query, hasQuery);
    if (path.front() != '/')
        path.insert(path.begin(), '/');
    return true;
}

const std::string* Request::Header(std::string_view name) const
{
    const std::string lower = ToLower(name);
    for (const auto& [key, value] : headers)
        if (key == lower)
            return &value;
    return nullptr;
}

std::string Request::PathAndQuery() const
{
    return hasQuery ? path + "?" + query : path;
}

std::string Request::Url() const
{
    return scheme + "://" + host + PathAndQuery();
}

bool ParseRequestHead(std::string_view head, Request& request, std::string& error)
{
    request = Request{};
    const size_t lineEnd = head.find('\n');
    std::string_view line = Trim(head.substr(0, lineEnd));
    std::string_view rest = lineEnd == std::string_view::npos ? std::string_view() : head.substr(lineEnd + 1);

    const size_t firstSpace = line.find(' ');
    const size_t lastSpace = line.rfind(' ');
    if (firstSpace == std::string_view::npos || firstSpace == lastSpace) {
        error = "malformed request line";
        return false;
    }
    request.method = std::string(line.substr(0, firstSpace));
    request.target = std::string(Trim(line.substr(firstSpace + 1, lastSpace - firstSpace - 1)));
    request.version = std::string(line.substr(lastSpace + 1));
    if (request.method.empty() || !std::all_of(request.method.begin(), request.method.end(), IsTokenChar)) {
        error = "bad method";
        return false;
    }
    if (request.version != "HTTP/1.1" && request.version != "HTTP/1.0") {
        error = "unsupported HTTP version";
        return false;
    }
    if (request.target.empty() || !std::all_of(request.target.begin(), request.target.end(), IsTargetChar)) {
        error = "bad request target";
        return false;
    }

    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        std::string_view header = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!header.empty() && header.back() == '\r')
            header.remove_suffix(1);
        if (header.empty())
            continue;
        const size_t colon = header.find(':');
        if (colon == 0 || colon == std::string_view::npos ||
            !std::all_of(header.begin(), header.begin() + static_cast<std::ptrdiff_t>(colon), IsTokenChar)) {
            error = "malformed header";
            return false;
        }
        request.headers.emplace_back(ToLower(header.substr(0, colon)),
                                     std::string(Trim(header.substr(colon + 1))));
    }

    if (request.target.front() == '/') {
        SplitPathQuery(request.target, request.path, request.query, request.hasQuery);
        const std::string* host = request.Header("host");
        request.host = host ? NormaliseHost(*host, "http") : std::string();
        return true;
    }
    if (!SplitAbsoluteUrl(request.target, request.scheme, request.host, request.path,
                          request.query, request.hasQuery)) {
        error = "bad request target";
        return false;
    }
    request.proxyStyle = true;
    return true;
}

std::string Base64Encode(std::string_view data)
{
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((data.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 2 < data.size(); i += 3) {
        const unsigned v = static_cast<unsigned char>(data[i]) << 16 |
                           static_cast<unsigned char>(data[i + 1]) << 8 |
                           static_cast<unsigned char>(data[i + 2]);
        out += kAlphabet[v >> 18 & 63];
        out += kAlphabet[v >> 12 & 63];
        out += kAlphabet[v >> 6 & 63];
        out += kAlphabet[v & 63];
    }
    if (i < data.size()) {
        unsigned v = static_cast<unsigned char>(data[i]) << 16;
        if (i + 1 < data.size())
            v |= static_cast<unsigned char>(data[i + 1]) << 8;
        out += kAlphabet[v >> 18 & 63];
        out += kAlphabet[v >> 12 & 63];
        out += i + 1 < data.size() ? kAlphabet[v >> 6 & 63] : '=';
        out += '=';
    }
    return out;
}

} // namespace lwsim
