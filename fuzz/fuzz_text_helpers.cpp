// The in-place text helpers and the URL helpers. The input is "text\0marker\0marker\0rest":
// every helper runs on a copy of the text with those markers.

#include "fuzz/FuzzSupport.h"
#include "text/HtmlText.h"
#include "text/UrlHelpers.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Input in(data, size);
    const std::string text = in.Field('\0');
    const std::string a = in.Field('\0');
    const std::string b = in.Field('\0');
    const std::string host = in.Rest();

    auto copy = [&] { return text; };
    std::string s = copy();
    DecodeHtmlEntities(s);
    s = copy();
    RemoveTags(s);
    s = copy();
    KeepAfter(s, a);
    s = copy();
    KeepBefore(s, a);
    s = copy();
    if (KeepBetween(s, a, b) && s.size() > text.size())
        std::abort();
    s = copy();
    RemoveSpan(s, a, b);
    s = copy();
    ReplacePrefix(s, a);
    s = copy();
    ReplacePrefix(s, a, b);
    s = copy();
    ReplaceSuffix(s, a);
    s = copy();
    ReplaceSuffix(s, a, b);
    s = copy();
    CollapseChars(s, a);
    s = copy();
    std::vector<std::string> fields;
    if (SplitString(s, a.empty() ? ',' : a[0], fields) != static_cast<int>(fields.size()))
        std::abort();
    s = copy();
    ReplaceAll(s, a, b);

    s = copy();
    UrlEncode(s);
    s = copy();
    AbsolutizeLinks(s, host);
    return 0;
}
