// Refreshing 1,000 eBay items through the simulator, each page answered after 20 ms, with
// "Simult Download" 3 and 10. Efficiency compares the wall time with the ideal of the limit
// kept busy all the time: (downloads x latency / limit) / wall time.

#include "core/document/LotwardDoc.h"
#include "core/options/AppOptions.h"
#include "core/refresh/RefreshService.h"
#include "download/DownloadQueue.h"
#include "sites/AuctionServer.h"
#include "tools/auction-sim/Scenario.h"
#include "tools/auction-sim/SimServer.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace {

constexpr int kItems = 1000;
constexpr int kLatencyMs = 20;

struct CIgnoreFailures : IErrorQuestion, IProxyCredentialsProvider
{
    int AskAbortRetryIgnore(const std::string&) override { return kIgnore; }
    bool AskProxyCredentials(const std::string&, std::string&, std::string&) override { return false; }
};

std::string Scenario()
{
    std::string text;
    for (int i = 0; i < kItems; ++i)
        text += "[ebay-item " + std::to_string(500000 + i) + "]\ntitle = Item " + std::to_string(i) +
                "\nfirst-bid = $1.00\nseller = seller" + std::to_string(i % 17) + "\nbid = " +
                std::to_string(i % 9) + " $" + std::to_string(2 + i % 50) + ".00 bidder" + std::to_string(i % 5) +
                "\nheader-delay-ms = " + std::to_string(kLatencyMs) + "\n\n";
    return text;
}

void BM_RefreshThroughSimulator(benchmark::State& state)
{
    const int limit = static_cast<int>(state.range(0));
    const std::string tmp = std::filesystem::temp_directory_path().string() + "/lw-refresh-bench-" +
                            std::to_string(getpid());
    setenv("LOTWARDEN_TMPDIR", tmp.c_str(), 1);
    CAppOptions options;
    options.simultDownload = limit;

    lwsim::RouteTable table;
    std::string error;
    if (!lwsim::LoadScenarioText(Scenario(), ".", "bench", table, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    lwsim::Server server(std::move(table));
    if (!server.Start(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    setenv("http_proxy", server.BaseUrl().c_str(), 1);
    unsetenv("no_proxy");

    CAuctionServer* ebay = FindServer(107);
    int refreshed = 0;
    for (auto _ : state) {
        CLotwardDoc doc;
        doc.OnNewDocument();
        for (int i = 0; i < kItems; ++i)
            doc.AddItem(std::to_string(500000 + i), ebay); // no downloads wired yet: nothing queued
        CIgnoreFailures questions;
        CRefreshService refresh(doc, options, questions, questions);
        refresh.SetResultListener([&](CItem&, bool changed) { refreshed += changed ? 1 : 0; });

        const auto start = std::chrono::steady_clock::now();
        doc.RefreshAll();
        while (refresh.IsBusy())
            refresh.WaitAndApply(std::chrono::milliseconds(5));
        refresh.ApplyPendingResults();
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(wall);

        const double ideal = kItems * (kLatencyMs / 1000.0) / limit;
        state.counters["efficiency"] = ideal / wall;
        state.counters["wall_s"] = wall;
        state.counters["ideal_s"] = ideal;
    }
    state.counters["refreshed"] = refreshed;
    state.counters["max_concurrent"] = server.Stats().total.maxConcurrent;
    StopAllDownloads();
    server.Stop();
    std::error_code ignored;
    std::filesystem::remove_all(tmp, ignored);
}

BENCHMARK(BM_RefreshThroughSimulator)->Arg(3)->Arg(10)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
