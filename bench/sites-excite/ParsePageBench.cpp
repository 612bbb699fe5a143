// Page reading speed of the Excite, iBazar and CNET adapters: a downloaded item page file read
// through ParsePage, at an ordinary size and with a long seller's description. iBazar also
// cleans every line of its page while it reads.

#include "sites/CnetServer.h"
#include "sites/ExciteServer.h"
#include "sites/IbazarServer.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
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

// The page grown to `size` bytes by description lines before `anchor`, with CR LF line ends.
std::string PageOfSize(const std::string& page, const std::string& anchor, std::size_t size)
{
    const std::size_t at = page.find(anchor);
    if (at == std::string::npos)
        throw std::runtime_error("no anchor " + anchor);
    const std::string block =
        "<p><font face=\"Arial\" size=3>This <b>fine</b> piece &amp; its box are in <i>excellent</i> shape.<br>\n"
        "<!-- counter --><IMG SRC=\"pics/side.jpg\" width=300 height=200><A HREF=\"more.html\">more</A>\n"
        "Shipping &amp; insurance: $6.50; please e-mail for overseas rates.</font>\n";
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

void ParseFamilyPage(benchmark::State& state, CAuctionServer& server, const char* file, const char* anchor,
                     const char* seller)
{
    const std::string page = PageOfSize(ReadPage(file), anchor, static_cast<std::size_t>(state.range(0)));
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("lw-bench-" + std::to_string(server.serverId) + "-" +
                                        std::to_string(state.range(0)));
    std::ofstream(path, std::ios::binary | std::ios::trunc) << page;
    for (auto _ : state) {
        CItemInfo info;
        std::string url = server.GetItemUrl("4417");
        bool fetchAgain = false;
        if (server.ParsePage(path.string(), info, url, fetchAgain, 0, "4417") != 0 || info.seller != seller)
            state.SkipWithError("the page did not read");
        benchmark::DoNotOptimize(info);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(page.size()));
    std::filesystem::remove(path);
}

void ParseExcitePage(benchmark::State& state)
{
    CExciteServer server("Eastern", 167, "ExcC", 68);
    ParseFamilyPage(state, server, "excite/lot_running.html", "<img src=", "coinhound");
}

void ParseIbazarPage(benchmark::State& state)
{
    CIbazarServer server("Romance", 168, "", 69, CIbazarServer::kFrance);
    ParseFamilyPage(state, server, "ibazar/objet_fr.html", "<IMG src = ", "numismate75");
}

void ParseCnetPage(benchmark::State& state)
{
    CCnetServer server("Pacific", 170, "CnetC", 68);
    ParseFamilyPage(state, server, "cnet/item_running.html", "<img src=\"/images", "laptopdepot");
}

} // namespace

BENCHMARK(ParseExcitePage)->Arg(20 * 1024)->Arg(200 * 1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(ParseIbazarPage)->Arg(20 * 1024)->Arg(200 * 1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(ParseCnetPage)->Arg(20 * 1024)->Arg(200 * 1024)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
