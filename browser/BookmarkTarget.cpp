#include "browser/BookmarkTarget.h"

#include "core/StringTable.h"

namespace {

// The host part of "scheme://[user@]host[:port]/...", or "" when there is none.
std::string HostOfUrl(const std::string& url)
{
    std::size_t start = url.find("://");
    if (start == std::string::npos)
        return {};
    start += 3;
    std::size_t end = url.find_first_of("/?#", start);
    std::string authority = url.substr(start, end == std::string::npos ? std::string::npos : end - start);
    std::size_t at = authority.rfind('@');
    if (at != std::string::npos)
        authority.erase(0, at + 1);
    std::size_t colon = authority.find(':');
    if (colon != std::string::npos)
        authority.erase(colon);
    return authority;
}

std::string SafeFileName(std::string name)
{
    for (char& c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '/' || u < 32 || u == 127)
            c = '_';
    }
    return name;
}

BookmarkReport CountReport(int count, int none, int one, int many)
{
    if (count <= 0)
        return {LoadResString(none), true};
    if (count == 1)
        return {LoadResString(one), false};
    return {FormatText(LoadResString(many), {std::to_string(count)}), false};
}

} // namespace

std::optional<ExportEntry> MakeExportEntry(const std::string& itemNumber,
                                           const std::optional<std::string>& serverName,
                                           const std::string& url)
{
    if (itemNumber.empty() || url.empty())
        return std::nullopt;
    ExportEntry entry;
    entry.url = url;
    entry.itemNumber = itemNumber;
    entry.serverName = serverName ? *serverName : HostOfUrl(url);
    if (entry.serverName.empty())
        entry.serverName = url;

    // String 44 names the shortcut as "<directory>\<name>"; the directory is joined by the
    // caller with this system's separator, so only the name part is kept here.
    std::string name = FormatText(LoadResString(44), {std::string(), itemNumber, entry.serverName});
    std::size_t lead = name.find_first_not_of("\\/");
    name.erase(0, lead == std::string::npos ? name.size() : lead);
    entry.title = name;
    const std::string ext = ".url";
    if (entry.title.size() >= ext.size() &&
        entry.title.compare(entry.title.size() - ext.size(), ext.size(), ext) == 0)
        entry.title.erase(entry.title.size() - ext.size());
    entry.fileName = SafeFileName(name);
    return entry;
}

BookmarkReport ImportReport(int count)
{
    return CountReport(count, 40, 39, 41);
}

BookmarkReport ExportReport(int count)
{
    return CountReport(count, 45, 46, 47);
}
