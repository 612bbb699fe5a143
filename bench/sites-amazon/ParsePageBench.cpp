// Page reading speed of the Amazon and Aucland adapters: a downloaded item page read through
// ParsePage, for a page of ordinary size and for one with a long seller's description.

#include "sites/AmazonServer.h"
#include "sites/AuclandServer.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace {

std::string ReadPage(const std::string& relative)
{
    std::ifstream in(std::string(LW_TEST_DATA_DIR) + "/sites/" + relative, std::ios::binary);
    if (!in)
        throw std::runtime_error("missing sites/" + relative);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The page with description lines inserted before `anchor` until it reaches `size` bytes, with
// CR LF line ends as the download engine stores them.
std::string PageOfSize(const std::string& page, const std::string& anchor, std::size_t size)
{
    const std::size_t at = page.find(anchor);
    const std::string block =
        "<p><font face=\"Arial\" size=3>This <b>wonderful</b> piece &amp; its box are in <i>excellent</i> "
        "condition.<br>\n<!-- counter --><img src=\"/pics/side.jpg\" width=300 height=200>\n"
        "Shipping &amp; insurance: please e-mail for overseas rates.</font>\n";
    std::string grown = page.substr(0, at);
    while (grown.size() + (page.size() - at) < size)
        grown += block;
    grown += page.substr(at);
    std::string crlf;
    for (char c : grown) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    return crlf;
}

void Run(benchmark::State& state, CAuctionServer& server, const std::string& page, const char* seller)
{
    const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                       ("lw-bench-" + std::to_string(server.serverId) + "-" +
                                        std::to_string(state.range(0)));
    std::ofstream(file, std::ios::binary | std::ios::trunc) << page;
    for (auto _ : state) {
        CItemInfo info;
        std::string url = server.GetItemUrl("4711");
        bool fetchAgain = false;
        if (server.ParsePage(file.string(), info, url, fetchAgain, 0, "4711") != 0 || info.seller != seller)
            state.SkipWithError("the page did not read");
        benchmark::DoNotOptimize(info);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(page.size()));
    std::filesystem::remove(file);
}

void ParseAmazonPage(benchmark::State& state)
{
    CAmazonServer server("Pacific", 164, "", 67);
    Run(state, server,
        PageOfSize(ReadPage("amazon/running.html"), "<!-- seller's footer", static_cast<std::size_t>(state.range(0))),
        "galaxytoys");
}

void ParseAuclandPage(benchmark::State& state)
{
    CAuclandServer server("Romance", 151, "AucFr", 69, CAuclandServer::kFrance);
    Run(state, server,
        PageOfSize(ReadPage("aucland/fr_bids.html"), "<p><a href=\"/accdb/viewUser.asp?IDU=5501\">infoplus",
                   static_cast<std::size_t>(state.range(0))),
        "infoplus");
}

} // namespace

BENCHMARK(ParseAmazonPage)->Arg(20 * 1024)->Arg(200 * 1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(ParseAuclandPage)->Arg(20 * 1024)->Arg(200 * 1024)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
