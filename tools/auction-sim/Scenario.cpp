#include "tools/auction-sim/Scenario.h"

#include <charconv>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

namespace lwsim {

namespace {

std::mutex registryLock;

std::map<std::string, SectionGenerator>& Registry()
{
    static std::map<std::string, SectionGenerator> registry;
    return registry;
}

std::string Trim(const std::string& text)
{
    const size_t begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos)
        return {};
    const size_t end = text.find_last_not_of(" \t\r");
    return text.substr(begin, end - begin + 1);
}

bool ParseNumber(const std::string& text, std::int64_t low, std::int64_t high, std::int64_t& value)
{
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && value >= low && value <= high;
}

bool ReadWholeFile(const std::string& path, std::string& content)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    content = buffer.str();
    return !in.bad();
}

std::string DirectoryOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

bool BuildRoute(const ScenarioSection& section, RouteTable& table, std::string& error, int& line)
{
    Route route;
    route.pattern = section.name;
    for (size_t i = 0; i < section.entries.size(); ++i) {
        const auto& [key, value] = section.entries[i];
        if (!ApplyRouteKey(key, value, section.baseDir, route, error)) {
            line = section.entryLines[i];
            return false;
        }
    }
    if (!table.Add(std::move(route))) {
        error = "bad route pattern '" + section.name + "' (a full http URL or a path starting with '/')";
        return false;
    }
    return true;
}

} // namespace

const std::string* ScenarioSection::Get(const std::string& key) const
{
    for (const auto& [entryKey, value] : entries)
        if (entryKey == key)
            return &value;
    return nullptr;
}

void RegisterSectionType(const std::string& type, SectionGenerator generator)
{
    std::lock_guard lock(registryLock);
    Registry()[type] = std::move(generator);
}

bool ApplyRouteKey(const std::string& key, const std::string& value, const std::string& baseDir,
                   Route& route, std::string& error)
{
    constexpr std::int64_t kHuge = std::int64_t{1} << 40;
    std::int64_t number = 0;
    auto numeric = [&](std::int64_t low, std::int64_t high) {
        if (ParseNumber(value, low, high, number))
            return true;
        error = "bad number '" + value + "' for " + key;
        return false;
    };
    if (key == "status") {
        if (!numeric(100, 599))
            return false;
        route.response.status = static_cast<int>(number);
    } else if (key == "content-type") {
        route.response.contentType = value;
    } else if (key == "header") {
        const size_t colon = value.find(':');
        if (colon == 0 || colon == std::string::npos) {
            error = "header must be 'Name: value'";
            return false;
        }
        route.response.headers.emplace_back(Trim(value.substr(0, colon)), Trim(value.substr(colon + 1)));
    } else if (key == "body") {
        route.response.body = value;
    } else if (key == "body-file") {
        const std::string path = !value.empty() && value.front() == '/' ? value : baseDir + "/" + value;
        if (!ReadWholeFile(path, route.response.body)) {
            error = "cannot read body file '" + path + "'";
            return false;
        }
    } else if (key == "body-size") {
        if (!numeric(0, kHuge))
            return false;
        route.response.generatedSize = number;
    } else if (key == "header-delay-ms") {
        if (!numeric(0, 3'600'000))
            return false;
        route.fault.headerDelayMs = static_cast<long>(number);
    } else if (key == "chunk-delay-ms") {
        if (!numeric(0, 3'600'000))
            return false;
        route.fault.chunkDelayMs = static_cast<long>(number);
    } else if (key == "chunk-size") {
        if (!numeric(1, 1 << 24))
            return false;
        route.fault.chunkSize = static_cast<std::size_t>(number);
    } else if (key == "reset-after") {
        if (!numeric(0, kHuge))
            return false;
        route.fault.resetAfter = number;
    } else if (key == "truncate-after") {
        if (!numeric(0, kHuge))
            return false;
        route.fault.truncateAfter = number;
    } else if (key == "proxy-auth") {
        const size_t colon = value.find(':');
        if (colon == std::string::npos) {
            error = "proxy-auth must be 'user:password'";
            return false;
        }
        route.fault.requireProxyAuth = true;
        route.fault.proxyUser = value.substr(0, colon);
        route.fault.proxyPassword = value.substr(colon + 1);
    } else {
        error = "unknown key '" + key + "'";
        return false;
    }
    return true;
}

bool LoadScenarioText(const std::string& text, const std::string& baseDir, const std::string& source,
                      RouteTable& table, std::string& error)
{
    std::vector<ScenarioSection> sections;
    std::istringstream in(text);
    std::string raw;
    int lineNumber = 0;
    auto fail = [&](int line, const std::string& message) {
        error = source + ":" + std::to_string(line) + ": " + message;
        return false;
    };
    while (std::getline(in, raw)) {
        ++lineNumber;
        const std::string line = Trim(raw);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            if (line.back() != ']')
                return fail(lineNumber, "section line must end with ']'");
            const std::string inside = Trim(line.substr(1, line.size() - 2));
            const size_t space = inside.find_first_of(" \t");
            ScenarioSection section;
            section.type = inside.substr(0, space);
            section.name = space == std::string::npos ? std::string() : Trim(inside.substr(space));
            section.baseDir = baseDir;
            section.line = lineNumber;
            if (section.type.empty())
                return fail(lineNumber, "empty section type");
            sections.push_back(std::move(section));
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos)
            return fail(lineNumber, "expected 'key = value'");
        if (sections.empty())
            return fail(lineNumber, "key outside a section");
        sections.back().entries.emplace_back(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)));
        sections.back().entryLines.push_back(lineNumber);
    }

    for (const ScenarioSection& section : sections) {
        std::string message;
        int line = section.line;
        bool ok = false;
        if (section.type == "route") {
            ok = BuildRoute(section, table, message, line);
        } else {
            SectionGenerator generator;
            {
                std::lock_guard lock(registryLock);
                auto it = Registry().find(section.type);
                if (it != Registry().end())
                    generator = it->second;
            }
            if (!generator)
                message = "unknown section type '" + section.type + "'";
            else
                ok = generator(section, table, message);
        }
        if (!ok)
            return fail(line, message);
    }
    return true;
}

bool LoadScenarioFile(const std::string& path, RouteTable& table, std::string& error)
{
    std::string text;
    if (!ReadWholeFile(path, text)) {
        error = "cannot read scenario file '" + path + "'";
        return false;
    }
    return LoadScenarioText(text, DirectoryOf(path), path, table, error);
}

} // namespace lwsim
