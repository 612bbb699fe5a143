// Page reading speed of the Amazon and Aucland adapters: a downloaded item page file read
// through ParsePage, at an ordinary size and with a long seller's description.

#include "bench/sites/PageBench.h"
#include "sites/AmazonServer.h"
#include "sites/AuclandServer.h"

namespace {

void ParseAmazonPage(benchmark::State& state)
{
    CAmazonServer server("Pacific", 164, "", 67);
    pagebench::RunParse(state, server,
                        pagebench::PageOfSize(pagebench::ReadSitePage("amazon/running.html"), "<!-- seller's footer",
                                              false, pagebench::SizeArg(state)),
                        "4711", "galaxytoys");
}

void ParseAuclandPage(benchmark::State& state)
{
    CAuclandServer server("Romance", 151, "AucFr", 69, CAuclandServer::kFrance);
    pagebench::RunParse(state, server,
                        pagebench::PageOfSize(pagebench::ReadSitePage("aucland/fr_bids.html"),
                                              "<p><a href=\"/accdb/viewUser.asp?IDU=5501\">infoplus", false,
                                              pagebench::SizeArg(state)),
                        "4711", "infoplus");
}

} // namespace

BENCHMARK(ParseAmazonPage)->Arg(20 * 1024)->Arg(200 * 1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(ParseAuclandPage)->Arg(20 * 1024)->Arg(200 * 1024)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
