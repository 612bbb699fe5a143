#pragma once
// What the page-reading benchmarks of every site family share: a test page grown to a chosen
// size by a seller's description, written as the download engine leaves it (CR LF line ends),
// and read through ParsePage in the timing loop.

#include "sites/AuctionServer.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace pagebench {

// Description lines of mixed markup, comments, entities and relative links, as sellers wrote them.
inline const char* const kDescriptionBlock =
    "<p><font face=\"Arial\" size=3>This <b>wonderful</b> piece &amp; its box are in <i>excellent</i> "
    "condition.<br>\n"
    "<!-- counter --><img src=\"/pics/robot-side.jpg\" width=300 height=200>\n"
    "Shipping &amp; insurance: $6.50; <a href=\"more.html\">please e-mail for overseas rates</a>.</font>\n"
    "<table border=0><tr><td><font size=2>Payment by money order or check.</font></td></tr></table>\n";

// A page of tests/data/sites/, e.g. "ebay/running.html".
inline std::string ReadSitePage(const std::string& relative)
{
    std::ifstream in(std::string(LW_TEST_DATA_DIR) + "/sites/" + relative, std::ios::binary);
    if (!in)
        throw std::runtime_error("missing sites/" + relative);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// `page` with description blocks inserted at `anchor` (after it when `after`) until it reaches
// `size` bytes, with CR LF line ends.
inline std::string PageOfSize(const std::string& page, const std::string& anchor, bool after, std::size_t size)
{
    std::size_t at = page.find(anchor);
    if (at == std::string::npos)
        throw std::runtime_error("no anchor " + anchor);
    if (after)
        at += anchor.size();
    std::string grown = page.substr(0, at);
    while (grown.size() + (page.size() - at) < size)
        grown += kDescriptionBlock;
    grown += page.substr(at);
    std::string crlf;
    crlf.reserve(grown.size() * 21 / 20);
    for (char c : grown) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    return crlf;
}

inline std::filesystem::path WritePageFile(const std::string& name, const std::string& page)
{
    const std::filesystem::path file = std::filesystem::temp_directory_path() / ("lw-bench-" + name);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << page;
    return file;
}

// Times ParsePage of `page` as the first page of `itemNumber`; the seller proves the page read.
inline void RunParse(benchmark::State& state, CAuctionServer& server, const std::string& page,
                     const std::string& itemNumber, const std::string& seller)
{
    const std::filesystem::path file =
        WritePageFile(std::to_string(server.serverId) + "-" + std::to_string(state.range(0)), page);
    for (auto _ : state) {
        CItemInfo info;
        std::string url = server.GetPageUrl(itemNumber);
        bool fetchAgain = false;
        if (server.ParsePage(file.string(), info, url, fetchAgain, 0, itemNumber) != 0 || info.seller != seller)
            state.SkipWithError("the page did not read");
        benchmark::DoNotOptimize(info);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(page.size()));
    std::filesystem::remove(file);
}

inline std::size_t SizeArg(const benchmark::State& state)
{
    return static_cast<std::size_t>(state.range(0));
}

} // namespace pagebench
