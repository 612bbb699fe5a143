// Page reading speed of the Yahoo adapters: a downloaded item page file read through ParsePage,
// for a page of ordinary size and for one with a long seller's description; the national
// server's second page (the pane text, with its link rewriting and zone shift) on its own.

#include "sites/YahooServer.h"

#include "text/ReferenceData.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace {

std::string ReadPage(const char* name)
{
    std::ifstream in(std::string(LW_TEST_DATA_DIR) + "/sites/yahoo/" + name, std::ios::binary);
    if (!in)
        throw std::runtime_error(std::string("missing sites/yahoo/") + name);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// `name` with its seller's description grown to reach `size` bytes, stored with CR LF line
// ends as the download engine leaves it.
std::string PageOfSize(const char* name, const std::string& anchor, std::size_t size)
{
    const std::string page = ReadPage(name);
    const std::size_t at = page.find(anchor) + anchor.size();
    const std::string block =
        "<p><font face=\"Arial\" size=3>This <b>wonderful</b> piece &amp; its box are in <i>excellent</i> "
        "condition.<br>\n"
        "<!-- counter --><img src=\"/images/robot-side.jpg\" width=300 height=200>\n"
        "Shipping &amp; insurance: $6.50; <a href=\"/show/contact?userID=tinlover\">ask the seller</a>.</font>\n"
        "<table border=0><tr><td><font size=2>Payment by money order or check.</font></td></tr></table>\n";
    std::string grown = page.substr(0, at);
    while (grown.size() + (page.size() - at) < size)
        grown += block;
    grown += page.substr(at);
    std::string crlf;
    crlf.reserve(grown.size() * 21 / 20);
    for (char c : grown) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    return crlf;
}

std::filesystem::path WriteTemp(const std::string& name, const std::string& page)
{
    const std::filesystem::path file = std::filesystem::temp_directory_path() / name;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << page;
    return file;
}

void ParseYahooPage(benchmark::State& state)
{
    const std::string page =
        PageOfSize("us_running.html", "<!-- Begin seller's description -->\n", static_cast<std::size_t>(state.range(0)));
    const std::filesystem::path file = WriteTemp("lw-bench-yahoo-" + std::to_string(state.range(0)), page);
    CYahooServer server("Pacific", 150, "YC", 68, "us");
    for (auto _ : state) {
        CItemInfo info;
        std::string url = server.GetPageUrl("12345678");
        bool fetchAgain = false;
        const int result = server.ParsePage(file.string(), info, url, fetchAgain, 0, "12345678");
        if (result != 0 || info.seller != "tinlover")
            state.SkipWithError("the page did not read");
        benchmark::DoNotOptimize(info);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(page.size()));
    std::filesystem::remove(file);
}

void ParseYahooNationalPage(benchmark::State& state)
{
    SetReferenceDataFile(std::string(LW_SOURCE_DIR) + "/resources/Lotward.dat");
    const std::string page =
        PageOfSize("fr_national.html", "</TABLE>\n", static_cast<std::size_t>(state.range(0)));
    const std::filesystem::path english = WriteTemp("lw-bench-yahoo-fr-en", ReadPage("fr_english.html"));
    const std::filesystem::path file = WriteTemp("lw-bench-yahoo-fr-" + std::to_string(state.range(0)), page);
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
