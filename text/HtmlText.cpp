#include "text/HtmlText.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

// HTML 4.01 Latin-1 entity names for the codes 161 to 255.
constexpr std::array<const char*, 95> kLatin1Names = {
    "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",
    "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",
    "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",
    "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",
    "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute",
    "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",
    "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",
    "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil", "egrave",
    "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",    "ntilde",
    "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave", "uacute",
    "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

struct EntityRow
{
    std::string text;
    char replacement;
};

std::vector<EntityRow> BuildEntityTable()
{
    std::vector<EntityRow> rows = {
        {"&#160;", ' '}, {"&nbsp;", ' '}, {"&#39;", '\''}, {"&#34;", '"'}, {"&quot;", '"'},
        {"&#38;", '&'},  {"&amp;", '&'},  {"&#60;", '<'},  {"&lt;", '<'},  {"&#62;", '>'},
        {"&gt;", '>'}};
    for (int code = 161; code <= 255; ++code)
    {
        const char byte = static_cast<char>(static_cast<unsigned char>(code));
        rows.push_back({"&#" + std::to_string(code) + ";", byte});
        rows.push_back({std::string("&") + kLatin1Names[code - 161] + ";", byte});
    }
    return rows;
}

struct EntityIndex
{
    std::vector<EntityRow> rows;
    std::unordered_map<std::string_view, int> rowOf; // entity text -> row number
    std::size_t longest = 0;
};

const EntityIndex& Entities()
{
    static const EntityIndex index = [] {
        EntityIndex built;
        built.rows = BuildEntityTable();
        for (std::size_t i = 0; i < built.rows.size(); ++i)
        {
            built.rowOf.emplace(built.rows[i].text, static_cast<int>(i));
            built.longest = std::max(built.longest, built.rows[i].text.size());
        }
        return built;
    }();
    return index;
}

// The row whose entity text is the "&...;" starting at `text`'s first byte, or -1. Entity
// texts all end at their only ";", so at most one row can match at a position.
int MatchEntity(std::string_view text, const EntityIndex& index)
{
    const std::size_t limit = std::min(text.size(), index.longest);
    if (limit < 3)
        return -1;
    const void* semicolon = std::memchr(text.data() + 1, ';', limit - 1);
    if (semicolon == nullptr)
        return -1;
    const std::size_t length = static_cast<const char*>(semicolon) - text.data() + 1;
    const auto found = index.rowOf.find(text.substr(0, length));
    return found == index.rowOf.end() ? -1 : found->second;
}

} // namespace

// The table rows run one after the other over the whole string. Every entity text holds "&"
// only as its first byte and every replacement but "&" is outside the entity alphabet, so a
// later row can only see a new match where an earlier row produced an "&": that "&" and the
// untouched text after it decode again, but only by a row further down the table. One pass that
// follows these chains gives exactly the row-by-row result.
void DecodeHtmlEntities(std::string& s)
{
    if (s.find('&') == std::string::npos)
        return;
    const EntityIndex& index = Entities();
    std::string result;
    result.reserve(s.size());
    const std::string_view source(s);
    std::size_t pos = 0;
    while (pos < source.size())
    {
        const std::size_t amp = source.find('&', pos);
        if (amp == std::string_view::npos)
        {
            result.append(source.substr(pos));
            break;
        }
        result.append(source.substr(pos, amp - pos));
        int row = MatchEntity(source.substr(amp), index);
        if (row < 0)
        {
            result.push_back('&');
            pos = amp + 1;
            continue;
        }
        pos = amp + index.rows[row].text.size();
        char decoded = index.rows[row].replacement;
        while (decoded == '&' && pos < source.size())
        {
            // The produced "&" followed by the text after the match.
            std::string candidate(1, '&');
            candidate.append(source.substr(pos, index.longest - 1));
            const int next = MatchEntity(candidate, index);
            if (next <= row)
                break;
            row = next;
            pos += index.rows[row].text.size() - 1;
            decoded = index.rows[row].replacement;
        }
        result.push_back(decoded);
    }
    s = std::move(result);
}

bool RemoveTags(std::string& s)
{
    // Removing the first tag never creates a "<" before it, so the search for the next tag can
    // go on from where the removed one began.
    std::size_t open = s.find('<');
    if (open == std::string::npos)
        return false;
    std::string result;
    std::size_t copied = 0;
    bool removed = false;
    while (open != std::string::npos)
    {
        const std::size_t close = s.find('>', open);
        if (close == std::string::npos)
            break;
        result.append(s, copied, open - copied);
        copied = close + 1;
        removed = true;
        open = s.find('<', copied);
    }
    if (!removed)
        return false;
    result.append(s, copied, std::string::npos);
    s = std::move(result);
    return true;
}

bool KeepAfter(std::string& s, std::string_view marker)
{
    const std::size_t at = s.find(marker);
    if (at == std::string::npos)
        return false;
    s.erase(0, at + marker.size());
    return true;
}

bool KeepBefore(std::string& s, std::string_view marker)
{
    const std::size_t at = s.find(marker);
    if (at == std::string::npos)
        return false;
    s.resize(at);
    return true;
}

bool KeepBetween(std::string& s, std::string_view start, std::string_view end)
{
    std::string copy = s;
    if (!KeepAfter(copy, start) || !KeepBefore(copy, end))
        return false;
    s = std::move(copy);
    return true;
}

bool RemoveSpan(std::string& s, std::string_view start, std::string_view end)
{
    const std::size_t from = s.find(start);
    if (from == std::string::npos)
        return false;
    const std::size_t to = s.find(end, from + start.size());
    if (to == std::string::npos)
        return false;
    s.erase(from, to + end.size() - from);
    return true;
}

bool ReplacePrefix(std::string& s, std::string_view prefix, std::optional<std::string_view> replacement)
{
    if (s.find(prefix) != 0)
        return false;
    s.replace(0, prefix.size(), replacement ? *replacement : std::string_view());
    return true;
}

bool ReplaceSuffix(std::string& s, std::string_view suffix, std::optional<std::string_view> replacement)
{
    if (s.size() < suffix.size())
        return false;
    const std::size_t at = s.size() - suffix.size();
    if (s.compare(at, suffix.size(), suffix) != 0)
        return false;
    s.resize(at);
    if (replacement)
        s.append(*replacement);
    return true;
}

bool CollapseChars(std::string& s, std::string_view set)
{
    if (set.empty())
        return true;
    const char c0 = set.front();
    const std::string_view others = set.substr(1);
    std::string result;
    result.reserve(s.size());
    bool previousWasC0 = true;
    for (char c : s)
    {
        if (others.find(c) != std::string_view::npos)
            c = c0;
        const bool isC0 = c == c0;
        if (isC0 && previousWasC0)
            continue;
        result.push_back(c);
        previousWasC0 = isC0;
    }
    if (!result.empty() && result.back() == ' ')
        result.pop_back();
    s = std::move(result);
    return true;
}

int SplitString(std::string text, char sep, std::vector<std::string>& fields)
{
    int count = 0;
    std::size_t start = 0;
    for (std::size_t at = text.find(sep); at != std::string::npos; at = text.find(sep, start))
    {
        fields.push_back(text.substr(start, at - start));
        ++count;
        start = at + 1;
    }
    fields.push_back(text.substr(start));
    return count + 1;
}

int ReplaceAll(std::string& s, std::string_view from, std::string_view to)
{
    if (from.empty())
        return 0;
    std::size_t at = s.find(from);
    if (at == std::string::npos)
        return 0;
    std::string result;
    result.reserve(s.size());
    std::size_t copied = 0;
    int count = 0;
    while (at != std::string::npos)
    {
        result.append(s, copied, at - copied);
        result.append(to);
        copied = at + from.size();
        ++count;
        at = s.find(from, copied);
    }
    result.append(s, copied, std::string::npos);
    s = std::move(result);
    return count;
}
