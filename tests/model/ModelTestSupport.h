#pragma once
// Shared pieces of the model tests: a test adapter, options and clock that tests pin, and
// temporary folders.

#include "core/options/AppOptions.h"
#include "sites/AuctionServer.h"
#include "text/SiteDate.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace modeltest {

// Items of "auction.test": http://auction.test/item/NUMBER. Its clock is the user's own.
class CTestServer : public CAuctionServer
{
public:
    explicit CTestServer(int id, std::string zone = "") : CAuctionServer(std::move(zone), id, "", 67) {}
    std::string BuildSearchUrl(const CSearchRequest&) override { return {}; }
    void GetSearchDefaults(CSearchRequest&) override {}
    std::string GetItemUrlPrefix() override { return "http://auction.test/" + std::to_string(serverId) + "/item/"; }
};

// Installs an options object for the test's lifetime.
struct ScopedOptions
{
    CAppOptions options;
    ScopedOptions() { SetAppOptions(&options); }
    ~ScopedOptions() { SetAppOptions(nullptr); }
};

// Pins "now" for the test's lifetime.
struct ScopedClock
{
    std::time_t now;
    explicit ScopedClock(std::time_t t) : now(t)
    {
        SetNowFunction([this] { return now; });
    }
    ~ScopedClock() { SetNowFunction({}); }
};

// A fresh folder under the test's private cache directory, removed afterwards.
struct TempDir
{
    std::filesystem::path path;
    TempDir()
    {
        const char* base = std::getenv("XDG_CACHE_HOME");
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path = std::filesystem::path(base ? base : "/tmp") / "model-tests" /
               (std::string(info->test_suite_name()) + "." + info->name());
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::permissions(path, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path, ec);
    }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
};

inline std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Little-endian byte builders for hand-made files.
inline std::string U16(unsigned v)
{
    return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
}
inline std::string U32(unsigned long v)
{
    return U16(static_cast<unsigned>(v & 0xFFFF)) + U16(static_cast<unsigned>((v >> 16) & 0xFFFF));
}
inline std::string Str(const std::string& s) // short string form
{
    return std::string(1, static_cast<char>(s.size())) + s;
}

} // namespace modeltest
