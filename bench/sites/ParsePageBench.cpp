// Page reading speed of the eBay adapter: a downloaded item page file read through ParsePage,
// for a page of ordinary size and for one with a long seller's description.

#include "sites/EbayServer.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace {

std::string ReadRunningPage()
{
    std::ifstream in(std::string(LW_TEST_DATA_DIR) + "/sites/ebay/running.html", std::ios::binary);
    if (!in)
        throw std::runtime_error("missing sites/ebay/running.html");
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The running page with its seller's description grown to reach `size` bytes: description
// lines of mixed markup, comments and entities, as sellers wrote them.
std::string PageOfSize(std::size_t size)
{
    const std::string page = ReadRunningPage();
    const std::string anchor = "<!-- Begin seller's description -->\n";
    const std::size_t at = page.find(anchor) + anchor.size();
    const std::string block =
        "<p><font face=\"Arial\" size=3>This <b>wonderful</b> piece &amp; its box are in <i>excellent</i> "
        "condition.<br>\n"
        "<!-- counter --><img src=\"http://members.aol.com/tinlover/pics/robot-side.jpg\" width=300 height=200>\n"
        "Shipping &amp; insurance: $6.50 in the U.S.A.; please e-mail for overseas rates.</font>\n"
        "<table border=0><tr><td><font size=2>Payment by money order or check.</font></td></tr></table>\n";
    std::string grown = page.substr(0, at);
    while (grown.size() + (page.size() - at) < size)
        grown += block;
    grown += page.substr(at);
    // Stored the way the download engine writes it: CR LF line ends.
    std::string crlf;
    crlf.reserve(grown.size() * 21 / 20);
    for (char c : grown) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    return crlf;
}

void ParseEbayPage(benchmark::State& state)
{
    const std::string page = PageOfSize(static_cast<std::size_t>(state.range(0)));
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("lw-bench-ebay-" + std::to_string(state.range(0)));
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << page;
    }
    CEbayServer server("Pacific", 107, "EbC", 67);
    for (auto _ : state) {
        CItemInfo info;
        std::string url = server.GetItemUrl("1234567890");
        bool fetchAgain = false;
        const int result = server.ParsePage(file.string(), info, url, fetchAgain, 0, "1234567890");
        if (result != 0 || info.seller != "tinlover")
            state.SkipWithError("the page did not read");
        benchmark::DoNotOptimize(info);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(page.size()));
    std::filesystem::remove(file);
}

} // namespace

BENCHMARK(ParseEbayPage)->Arg(20 * 1024)->Arg(200 * 1024)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
