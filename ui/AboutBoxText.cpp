#include "ui/AboutBoxText.h"

#include "core/StringTable.h"
#include "core/Version.h"

namespace {

bool IsNameChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

// The block's table of language 0409, code page 04B0.
constexpr const char* kBlockTable = "\\StringFileInfo\\040904b0\\";

} // namespace

bool VersionBlockString(const std::string& name, std::string& value)
{
    const struct
    {
        const char* name;
        const char* value;
    } block[] = {
        {"ProductName", Version::ProductName},
        {"ProductVersion", Version::ProductVersion},
        {"PrivateBuild", Version::PrivateBuild},
        {"LegalCopyright", Version::LegalCopyright},
    };
    std::string table = LoadResString(30);
    if (table.empty())
        table = kBlockTable;
    const std::string path = table + name;
    for (const auto& entry : block) {
        if (path == std::string(kBlockTable) + entry.name) {
            value = entry.value;
            return true;
        }
    }
    return false;
}

std::string ExpandPlaceholders(const std::string& text,
                               const std::function<bool(const std::string& name, std::string& value)>& lookup)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '$') {
            out += text[i++];
            continue;
        }
        std::size_t end = i + 1;
        while (end < text.size() && IsNameChar(text[end]))
            ++end;
        const std::string name = text.substr(i + 1, end - i - 1);
        std::string value;
        if (!name.empty() && lookup(name, value))
            out += value;
        else
            out.append(text, i, end - i);
        i = end;
    }
    return out;
}

std::string ExpandVersionPlaceholders(const std::string& text)
{
    return ExpandPlaceholders(text, VersionBlockString);
}
