// Bookmark files at the sizes people's browsers reach: the walk, the import into a watch list
// and the folder tree, over a flat file of 50,000 item links and a file of 40,000 folders each
// inside the one before. Each benchmark reports the process's peak memory (peak_rss_kb); run
// one at a time (--benchmark_filter) to read a benchmark's own peak.

#include "browser/BookmarkFile.h"
#include "browser/DocumentBookmarks.h"
#include "core/document/LotwardDoc.h"
#include "sites/AuctionServer.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path Scratch(const std::string& name)
{
    fs::path dir = fs::temp_directory_path() / ("lw-bench-bookmarks-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    return dir / name;
}

void Write(const fs::path& p, const std::string& text)
{
    std::ofstream(p, std::ios::binary | std::ios::trunc) << text;
}

// Today's export shape: indented lines, attributes after HREF, a description after each link.
std::string FlatLinks(int links)
{
    CAuctionServer* ebay = FindServer(107);
    std::string text =
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n"
        "    <DT><H3 ADD_DATE=\"1700000000\">Auctions</H3>\n    <DL><p>\n";
    for (int i = 0; i < links; ++i) {
        std::string url = ebay->GetItemUrl(std::to_string(1000000 + i));
        std::string escaped;
        for (char c : url)
            escaped += c == '&' ? std::string("&amp;") : std::string(1, c);
        text += "        <DT><A HREF=\"" + escaped + "\" ADD_DATE=\"1700000000\">Item " + std::to_string(i) +
                "</A>\n        <DD>seen on the front page\n";
    }
    return text + "    </DL><p>\n</DL><p>\n";
}

std::string NestedFolders(int depth)
{
    std::string text = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n";
    for (int i = 0; i < depth; ++i)
        text += "<DT><H3>Folder " + std::to_string(i) + "</H3>\n<DL><p>\n";
    text += "<DT><A HREF=\"" + FindServer(107)->GetItemUrl("1") + "\">Deepest</A>\n";
    for (int i = 0; i < depth; ++i)
        text += "</DL><p>\n";
    return text;
}

void ReportPeak(benchmark::State& state)
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_kb"] = static_cast<double>(usage.ru_maxrss);
}

void BM_WalkFlatLinks(benchmark::State& state)
{
    const fs::path file = Scratch("flat.html");
    Write(file, FlatLinks(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        int links = 0;
        WalkBookmarkFile(file, false,
                         [&links](BookmarkEvent event, const std::string&, const std::string&, std::string*) {
                             links += event == BookmarkEvent::Link;
                             return true;
                         });
        benchmark::DoNotOptimize(links);
    }
    ReportPeak(state);
}
BENCHMARK(BM_WalkFlatLinks)->Arg(50000)->Unit(benchmark::kMillisecond);

// Imports every link of `file` into a new watch list on each iteration.
void ImportEveryLink(benchmark::State& state, const fs::path& file, int expected)
{
    for (auto _ : state) {
        CLotwardDoc doc;
        doc.OnNewDocument();
        CDocumentImportTarget target(doc);
        int count = 0;
        ImportNetscapeBookmarks(target, file, "\\", true, false, count);
        if (count != expected)
            state.SkipWithError("not every link was imported");
    }
    ReportPeak(state);
}

void BM_ImportFlatLinksIntoWatchList(benchmark::State& state)
{
    const fs::path file = Scratch("flat.html");
    Write(file, FlatLinks(static_cast<int>(state.range(0))));
    ImportEveryLink(state, file, static_cast<int>(state.range(0)));
}
BENCHMARK(BM_ImportFlatLinksIntoWatchList)->Arg(50000)->Unit(benchmark::kMillisecond);

void BM_FolderTreeOfNestedFolders(benchmark::State& state)
{
    const fs::path file = Scratch("nested.html");
    Write(file, NestedFolders(static_cast<int>(state.range(0))));
    state.counters["file_kb"] = static_cast<double>(fs::file_size(file)) / 1024.0;
    for (auto _ : state) {
        std::vector<BookmarkFolderNode> nodes;
        ListBookmarkFolders(file, nodes);
        benchmark::DoNotOptimize(nodes.data());
    }
    ReportPeak(state);
}
BENCHMARK(BM_FolderTreeOfNestedFolders)->Arg(40000)->Unit(benchmark::kMillisecond);

void BM_ImportNestedFolders(benchmark::State& state)
{
    const fs::path file = Scratch("nested.html");
    Write(file, NestedFolders(static_cast<int>(state.range(0))));
    ImportEveryLink(state, file, 1);
}
BENCHMARK(BM_ImportNestedFolders)->Arg(40000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
