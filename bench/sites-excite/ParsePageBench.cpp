// Page reading speed of the Excite, iBazar and CNET adapters: a downloaded item page file read
// through ParsePage, at an ordinary size and with a long seller's description. iBazar also
// cleans every line of its page while it reads.

#include "bench/sites/PageBench.h"
#include "sites/CnetServer.h"
#include "sites/ExciteServer.h"
#include "sites/IbazarServer.h"

namespace {

void ParseFamilyPage(benchmark::State& state, CAuctionServer& server, const char* file, const char* anchor,
                     const char* seller)
{
    const std::string page =
        pagebench::PageOfSize(pagebench::ReadSitePage(file), anchor, false, pagebench::SizeArg(state));
    pagebench::RunParse(state, server, page, "4417", seller);
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
