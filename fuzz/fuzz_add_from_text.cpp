// Dropped or pasted text: every line an item URL of some site, or the whole text is refused.

#include "core/document/LotwardDoc.h"
#include "fuzz/FuzzSupport.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::UseShippedReferenceData();
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::size_t lines = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines += text.find_first_not_of('\r', start) < end;
        start = end + 1;
    }
    CLotwardDoc doc;
    bool found = false;
    const int added = doc.AddFromText(text, true, &found);
    // A text with a line that is no item URL gives 0, keeping the items of the lines before it.
    if (static_cast<std::size_t>(doc.GetItemCount()) > lines || static_cast<std::size_t>(added) > lines)
        std::abort();
    bool again = false;
    if (doc.AddFromText(text, false, &again) != added)
        std::abort();
    if (added > 0 && !again)
        std::abort(); // every item just added must be found by the same text
    return 0;
}
