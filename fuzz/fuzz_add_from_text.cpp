// Dropped or pasted text: every line an item URL of some site, or the whole text is refused.

#include "core/document/LotwardDoc.h"
#include "fuzz/FuzzSupport.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::UseShippedReferenceData();
    const std::string text(reinterpret_cast<const char*>(data), size);
    CLotwardDoc doc;
    bool found = false;
    const int added = doc.AddFromText(text, true, &found);
    if (doc.GetItemCount() > added)
        std::abort();
    bool again = false;
    if (doc.AddFromText(text, false, &again) != added)
        std::abort();
    if (added > 0 && !again)
        std::abort(); // every item just added must be found by the same text
    return 0;
}
