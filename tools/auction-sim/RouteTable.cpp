#include "tools/auction-sim/RouteTable.h"

namespace lwsim {

std::int64_t Response::BodyLength() const
{
    if (body.empty() && generatedSize >= 0)
        return generatedSize;
    return static_cast<std::int64_t>(body.size());
}

char GeneratedByte(std::int64_t offset)
{
    static constexpr char kLine[] = "lotwarden auction-sim generated body 0123456789abcdefghijklmnopq\n";
    static_assert(sizeof(kLine) - 1 == 65);
    return kLine[offset % 65];
}

bool RouteTable::Add(Route route)
{
    std::string& pattern = route.pattern;
    if (pattern.empty())
        return false;
    if (pattern.front() != '/') {
        const bool wildcard = pattern.back() == '*';
        std::string core = wildcard ? pattern.substr(0, pattern.size() - 1) : pattern;
        std::string scheme, host, path, query;
        bool hasQuery = false;
        if (!SplitAbsoluteUrl(core, scheme, host, path, query, hasQuery))
            return false;
        std::string normal = scheme + "://" + host;
        // "http://host*" must stay a prefix of the host, not become "http://host/*".
        const size_t authorityEnd = core.find_first_of("/?#", core.find("://") + 3);
        if (authorityEnd != std::string::npos)
            normal += hasQuery ? path + "?" + query : path;
        pattern = normal + (wildcard ? "*" : "");
    }
    routes.push_back(std::move(route));
    return true;
}

const Route* RouteTable::Find(const Request& request) const
{
    const std::string url = request.Url();
    const std::string local = request.PathAndQuery();
    const Route* best = nullptr;
    int bestRank = 0;
    size_t bestLength = 0;
    for (const Route& route : routes) {
        const std::string& pattern = route.pattern;
        const bool full = pattern.front() != '/';
        const std::string& subject = full ? url : local;
        const bool wildcard = pattern.back() == '*';
        int rank = 0;
        if (!wildcard && subject == pattern)
            rank = full ? 4 : 3;
        else if (wildcard && subject.compare(0, pattern.size() - 1, pattern, 0, pattern.size() - 1) == 0)
            rank = full ? 2 : 1;
        if (rank == 0)
            continue;
        if (rank > bestRank || (rank == bestRank && pattern.size() > bestLength)) {
            best = &route;
            bestRank = rank;
            bestLength = pattern.size();
        }
    }
    return best;
}

} // namespace lwsim
