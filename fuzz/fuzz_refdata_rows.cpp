// The reference data file reader on arbitrary files: the first line of the input names the
// prefix to look up, the rest is the file. Rows it hands out feed the zone-rule reader.

#include "fuzz/FuzzSupport.h"
#include "text/ReferenceData.h"
#include "text/SiteDate.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Input in(data, size);
    const std::string prefix = in.Field('\n');
    const std::string path = fuzz::WriteScratch("Lotward.dat", in.Rest());

    CReferenceData reference(path);
    for (const std::string& asked : {prefix, std::string("TZ"), std::string("EbC")}) {
        const CReferenceData::RowList* rows = reference.GetRows(asked);
        const int count = rows ? static_cast<int>(rows->size()) : 0;
        for (int i = -1; i <= count && i < 64; ++i) {
            std::string row, name, rest, id, flag;
            reference.GetRow(asked, i, row);
            reference.GetRowPair(asked, i, name, rest);
            reference.GetRowColumns(asked, i, &name, &id, &flag);
            reference.GetRowColumns(asked, i);
            TimeZoneRule rule;
            if (ParseTimeZoneRule(rest, rule)) {
                TransitionDate(rule.StandardDate, 2000);
                TransitionDate(rule.DaylightDate, 2038);
                ObservesDaylight(rule);
            }
        }
    }
    return 0;
}
