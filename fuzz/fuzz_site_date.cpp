// ParseSiteDate in every style (and the styles beside them), with the month readers and the
// zone conversions of the parsed value.

#include "fuzz/FuzzSupport.h"
#include "text/SiteDate.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::UseShippedReferenceData();
    // Durations (style 4) count from "now": a fixed now keeps runs reproducible.
    static const bool fixedNow = [] {
        SetNowFunction([] { return std::time_t(954547200); });
        return true;
    }();
    (void)fixedNow;
    fuzz::Input in(data, size);
    const int style = in.Byte() % 10;
    const int defaultYear = in.Byte() % 2 ? 1900 + in.Byte() : 0;
    const int defaultSecond = in.Byte() % 60;
    const std::string text = in.Rest();

    std::time_t value = 0;
    if (ParseSiteDate(text, value, style, defaultYear, defaultSecond)) {
        static const char* zones[] = {"Pacific", "Romance", "GMT", "AUS Eastern", "Mexico", ""};
        for (const char* zone : zones)
            LocalToSite(zone, SiteToLocal(zone, value));
    }
    MonthFromAbbreviation(text);
    MonthFromName(text);
    return 0;
}
