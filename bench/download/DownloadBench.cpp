// 1,000 downloads of a 40 KB page from the simulator, which waits 20 ms before each answer, at
// transfer limits of 3 and 10. The ideal wall time is downloads x latency / limit; the
// "efficiency" counter is ideal / measured (1.0 = no overhead at all).

#include "download/DownItem.h"
#include "download/DownloadQueue.h"
#include "tools/auction-sim/SimServer.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <atomic>
#include <thread>
#include <vector>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <mutex>

#include <sys/stat.h>

namespace {

constexpr int kDownloads = 1000;
constexpr long kLatencyMs = 20;
constexpr std::int64_t kPageBytes = 40 * 1024;

struct Tally
{
    std::mutex lock;
    std::condition_variable changed;
    int done = 0;
    int failed = 0;
    int limit = 3;
};

class CBenchDownload : public CDownItem
{
public:
    explicit CBenchDownload(Tally& t) : tally(t) {}
    int OnDownloaded(bool&) override
    {
        struct stat st {};
        return stat(localFile.c_str(), &st) == 0 && st.st_size == kPageBytes ? 0 : 1;
    }
    int OnError() override
    {
        Count(true);
        return 2;
    }
    void OnComplete() override { Count(false); }
    bool IsForItem(const CItem*, bool) override { return false; }
    int GetMaxSimultaneous() override { return tally.limit; }

private:
    void Count(bool failure)
    {
        std::lock_guard guard(tally.lock);
        ++tally.done;
        tally.failed += failure ? 1 : 0;
        if (tally.done == kDownloads)
            tally.changed.notify_all();
    }
    Tally& tally;
};

lwsim::Server& Simulator()
{
    static lwsim::Server* server = [] {
        lwsim::RouteTable table;
        lwsim::Route page;
        page.pattern = "/page40k";
        page.response.generatedSize = kPageBytes;
        page.fault.headerDelayMs = kLatencyMs;
        table.Add(page);
        auto* made = new lwsim::Server(std::move(table));
        std::string error;
        if (!made->Start(error)) {
            std::fprintf(stderr, "simulator: %s\n", error.c_str());
            std::exit(1);
        }
        return made;
    }();
    return *server;
}

void BM_DownloadPages(benchmark::State& state)
{
    char pattern[] = "/tmp/lw-download-bench-XXXXXX";
    const std::string root = mkdtemp(pattern);
    setenv("LOTWARDEN_TMPDIR", (root + "/tmp").c_str(), 1);
    lwsim::Server& server = Simulator();
    const std::string url = server.BaseUrl() + "/page40k";
    const int limit = static_cast<int>(state.range(0));
    double seconds = 0;
    int failed = 0;
    int maxConcurrent = 0;
    for (auto _ : state) {
        server.ResetStats();
        Tally tally;
        tally.limit = limit;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kDownloads; ++i)
            QueueDownload(new CBenchDownload(tally), url);
        {
            std::unique_lock guard(tally.lock);
            tally.changed.wait(guard, [&] { return tally.done == kDownloads; });
        }
        StopAllDownloads();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        failed += tally.failed;
        maxConcurrent = std::max(maxConcurrent, server.Stats().total.maxConcurrent);
    }
    const double ideal = kDownloads * (kLatencyMs / 1000.0) / limit;
    const double perRun = seconds / static_cast<double>(state.iterations());
    state.counters["ideal_s"] = ideal;
    state.counters["wall_s"] = perRun;
    state.counters["efficiency"] = ideal / perRun;
    state.counters["failed"] = failed;
    state.counters["max_concurrent"] = maxConcurrent;
    std::filesystem::remove_all(root);
}

// The same pages fetched by `limit` plain threads, each with a fresh libcurl handle per page
// and no queue: what this machine allows at best, to read the engine's figures against.
void BM_PlainThreadsReference(benchmark::State& state)
{
    lwsim::Server& server = Simulator();
    const std::string url = server.BaseUrl() + "/page40k";
    const int limit = static_cast<int>(state.range(0));
    double seconds = 0;
    for (auto _ : state) {
        std::atomic<int> next{0};
        const auto start = std::chrono::steady_clock::now();
        std::vector<std::thread> threads;
        for (int t = 0; t < limit; ++t) {
            threads.emplace_back([&] {
                while (next++ < kDownloads) {
                    CURL* easy = curl_easy_init();
                    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
                    curl_easy_setopt(easy, CURLOPT_NOPROXY, "*");
                    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION,
                                     +[](char*, size_t size, size_t count, void*) { return size * count; });
                    curl_easy_perform(easy);
                    curl_easy_cleanup(easy);
                }
            });
        }
        for (auto& thread : threads)
            thread.join();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    const double ideal = kDownloads * (kLatencyMs / 1000.0) / limit;
    const double perRun = seconds / static_cast<double>(state.iterations());
    state.counters["ideal_s"] = ideal;
    state.counters["wall_s"] = perRun;
    state.counters["efficiency"] = ideal / perRun;
}

BENCHMARK(BM_PlainThreadsReference)->Arg(3)->Arg(10)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DownloadPages)->Arg(3)->Arg(10)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
