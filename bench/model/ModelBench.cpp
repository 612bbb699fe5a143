// Load and save of a 10,000-item watch list with 30 KB of page text per item, against reading
// the same file as `cat` does; and one sort of 100,000 items by a text, a date and a price.

#include "BenchSupport.h"

#include "core/document/LotwardDoc.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace {

const std::string& LargeFile()
{
    static const std::string path = [] {
        const std::string file = BenchFilePath("lw-bench-10k.lwd");
        WriteLargeFile(file, kBenchItems, kBenchPageText);
        return file;
    }();
    return path;
}

std::int64_t FileSize(const std::string& path)
{
    return static_cast<std::int64_t>(std::filesystem::file_size(path));
}

// What `cat FILE >/dev/null` does: read(2) in 128 KB blocks.
void BM_CatRead(benchmark::State& state)
{
    const std::string& path = LargeFile();
    std::vector<char> block(128 * 1024);
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        ssize_t got = 0;
        while ((got = ::read(fd, block.data(), block.size())) > 0)
            benchmark::DoNotOptimize(block.data());
        ::close(fd);
    }
    state.SetBytesProcessed(state.iterations() * FileSize(path));
}

void BM_Load(benchmark::State& state)
{
    const std::string& path = LargeFile();
    for (auto _ : state) {
        CLotwardDoc doc;
        if (!doc.OnOpenDocument(path))
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(doc.GetItemCount());
    }
    state.SetBytesProcessed(state.iterations() * FileSize(path));
}

void BM_Save(benchmark::State& state)
{
    CLotwardDoc doc;
    if (!doc.OnOpenDocument(LargeFile()))
        state.SkipWithError("load failed");
    const std::string out = BenchFilePath("lw-bench-10k-saved.lwd");
    for (auto _ : state)
        if (!doc.OnSaveDocument(out))
            state.SkipWithError("save failed");
    state.SetBytesProcessed(state.iterations() * FileSize(out));
    std::filesystem::remove(out);
}

void BM_Sort100k(benchmark::State& state)
{
    const int column = static_cast<int>(state.range(0));
    // Built through a file: adding 100,000 items one by one checks each against the list.
    static const std::string file = [] {
        const std::string path = BenchFilePath("lw-bench-100k.lwd");
        WriteLargeFile(path, 100000, 0);
        return path;
    }();
    CLotwardDoc doc;
    if (!doc.OnOpenDocument(file))
        state.SkipWithError("load failed");
    for (auto _ : state) {
        state.PauseTiming();
        doc.SortItems(kColItemNumber, true); // random numbers: a shuffled start
        state.ResumeTiming();
        doc.SortItems(column, true);
    }
}

} // namespace

BENCHMARK(BM_CatRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort100k)->Arg(kColDescription)->Arg(kColEndDate)->Arg(kColCurrentPrice)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
