// Page reading speed of the eBay adapter: a downloaded item page file read through ParsePage,
// for a page of ordinary size and for one with a long seller's description.

#include "bench/sites/PageBench.h"
#include "sites/EbayServer.h"

namespace {

void ParseEbayPage(benchmark::State& state)
{
    CEbayServer server("Pacific", 107, "EbC", 67);
    const std::string page = pagebench::PageOfSize(pagebench::ReadSitePage("ebay/running.html"),
                                                   "<!-- Begin seller's description -->\n", true,
                                                   pagebench::SizeArg(state));
    pagebench::RunParse(state, server, page, "1234567890", "tinlover");
}

} // namespace

BENCHMARK(ParseEbayPage)->Arg(20 * 1024)->Arg(200 * 1024)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
