#pragma once
// Shared pieces of the fuzz targets: a scratch file for readers that take a path, the shipped
// reference data for adapters that convert dates, and a byte reader that hands out choices
// from the front of the input.

#include "text/ReferenceData.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>

namespace fuzz {

// One private directory per fuzzing process, made on first use.
inline const std::string& ScratchDir()
{
    static const std::string dir = [] {
        char pattern[] = "/tmp/lwfuzz-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        if (!made)
            std::abort();
        return std::string(made);
    }();
    return dir;
}

// Writes `data` to `name` inside the scratch directory and returns the path.
inline std::string WriteScratch(const std::string& name, std::string_view data)
{
    const std::string path = ScratchDir() + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        std::abort();
    if (!data.empty() && std::fwrite(data.data(), 1, data.size(), file) != data.size())
        std::abort();
    std::fclose(file);
    return path;
}

inline void UseShippedReferenceData()
{
    static const bool done = [] {
        SetReferenceDataFile(std::string(LW_SOURCE_DIR) + "/resources/Lotward.dat");
        return true;
    }();
    (void)done;
}

// Takes choice bytes off the front of the input; what is left is the text under test.
class Input
{
public:
    Input(const std::uint8_t* data, std::size_t size) : rest(reinterpret_cast<const char*>(data), size) {}
    std::uint8_t Byte()
    {
        if (rest.empty())
            return 0;
        const auto value = static_cast<std::uint8_t>(rest.front());
        rest.remove_prefix(1);
        return value;
    }
    // The text up to the next `sep` (or the end), consumed with its separator.
    std::string Field(char sep)
    {
        const std::size_t end = rest.find(sep);
        std::string field(rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        return field;
    }
    std::string Rest() const { return std::string(rest); }

private:
    std::string_view rest;
};

} // namespace fuzz
