// Page reading speed of the Yahoo adapters: a downloaded item page file read through ParsePage,
// for a page of ordinary size and for one with a long seller's description; the national
// server's second page (the pane text, with its link rewriting and zone shift) on its own.

#include "bench/sites/PageBench.h"
#include "sites/YahooServer.h"
#include "text/ReferenceData.h"

namespace {

void ParseYahooPage(benchmark::State& state)
{
    CYahooServer server("Pacific", 150, "YC", 68, "us");
    const std::string page = pagebench::PageOfSize(pagebench::ReadSitePage("yahoo/us_running.html"),
                                                   "<!-- Begin seller's description -->\n", true,
                                                   pagebench::SizeArg(state));
    pagebench::RunParse(state, server, page, "12345678", "tinlover");
}

void ParseYahooNationalPage(benchmark::State& state)
{
    SetReferenceDataFile(std::string(LW_SOURCE_DIR) + "/resources/Lotward.dat");
    const std::string page = pagebench::PageOfSize(pagebench::ReadSitePage("yahoo/fr_national.html"), "</TABLE>\n",
                                                   true, pagebench::SizeArg(state));
    const std::filesystem::path english =
        pagebench::WritePageFile("yahoo-fr-en", pagebench::ReadSitePage("yahoo/fr_english.html"));
    const std::filesystem::path file = pagebench::WritePageFile("yahoo-fr-" + std::to_string(state.range(0)), page);
    CYahooIntlServer server("Romance", 152, "YCFr", 69, "fr");
    CItemInfo first;
    std::string firstUrl = server.GetPageUrl("7654321");
    bool fetchAgain = false;
    if (server.ParsePage(english.string(), first, firstUrl, fetchAgain, 0, "7654321") != 0 || !fetchAgain)
        state.SkipWithError("the English rendering did not read");
    for (auto _ : state) {
        CItemInfo info = first;
        std::string url = firstUrl;
        fetchAgain = false;
        if (server.ParsePage(file.string(), info, url, fetchAgain, 1, "7654321") != 0)
            state.SkipWithError("the national page did not read");
        benchmark::DoNotOptimize(info);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(page.size()));
    std::filesystem::remove(file);
    std::filesystem::remove(english);
}

} // namespace

BENCHMARK(ParseYahooPage)->Arg(20 * 1024)->Arg(200 * 1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(ParseYahooNationalPage)->Arg(20 * 1024)->Arg(200 * 1024)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
