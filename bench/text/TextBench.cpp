#include "text/HtmlText.h"
#include "text/SiteDate.h"

#include <benchmark/benchmark.h>

namespace {

// A 200-byte field value as item titles come: a few entities among plain text.
std::string EntityField()
{
    std::string field = "Lampe Tiffany &amp; abat-jour en verre &eacute;maill&eacute; &quot;Libellule&quot; "
                        "&nbsp;-&nbsp; tr&egrave;s bon &eacute;tat, ann&eacute;es 1920 &#62; ";
    while (field.size() < 200)
        field += "x";
    return field.substr(0, 200);
}

void BM_DecodeHtmlEntities(benchmark::State& state)
{
    const std::string field = EntityField();
    for (auto _ : state)
    {
        std::string s = field;
        DecodeHtmlEntities(s);
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(BM_DecodeHtmlEntities);

void BM_DecodeHtmlEntitiesPlainText(benchmark::State& state)
{
    const std::string field(200, 'a');
    for (auto _ : state)
    {
        std::string s = field;
        DecodeHtmlEntities(s);
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(BM_DecodeHtmlEntitiesPlainText);

void BM_ParseSiteDate(benchmark::State& state)
{
    static const char* texts[] = {nullptr,
                                  "Mar-05-00 18:30:00 PST",
                                  "20000305t183000",
                                  "Mar 5 18:30",
                                  "2 jours 3 heures 10 minutes",
                                  "3/5 12PM",
                                  "Le 1er mars 2000",
                                  "Le 3 mars \xE0 18h30",
                                  "03/05/2000 6:30 PM"};
    const int style = static_cast<int>(state.range(0));
    const std::string text = texts[style];
    std::time_t out = 0;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(ParseSiteDate(text, out, style, 2000, 59));
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_ParseSiteDate)->DenseRange(1, 8);

// A site's end date on the user's clock and back, as every item of a list computes it on load;
// the hours of a year so that both daylight seasons take part.
void BM_SiteAndLocalClocks(benchmark::State& state)
{
    std::time_t site = 946684800; // 2000-01-01
    for (auto _ : state) {
        benchmark::DoNotOptimize(LocalToSite("Pacific", SiteToLocal("Pacific", site)));
        site = site >= 978307200 ? 946684800 : site + 3600;
    }
}
BENCHMARK(BM_SiteAndLocalClocks);

} // namespace

BENCHMARK_MAIN();
