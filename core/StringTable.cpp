#include "core/StringTable.h"

#include "platform/Cp1252.h"

#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <string_view>

namespace {

// resources/strings/en.txt, made into one raw string literal when the build is configured.
constexpr const char kEnglishTable[] =
#include "EnglishStrings.inc"
    ;

using StringMap = std::map<int, std::string>;

std::string Unescape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[i + 1];
            if (next == 'n' || next == 't' || next == '\\') {
                out += next == 'n' ? '\n' : next == 't' ? '\t' : '\\';
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// Reads "ID<TAB>text" lines (UTF-8) into Windows-1252 texts; returns the number of entries.
// Lines that are not entries (no tab, an id that is not a number from 0 to 65535) are skipped.
size_t ParseTable(std::string_view data, StringMap& into)
{
    if (data.starts_with("\xEF\xBB\xBF"))
        data.remove_prefix(3);
    size_t count = 0;
    while (!data.empty()) {
        const size_t end = data.find('\n');
        std::string_view line = data.substr(0, end);
        data.remove_prefix(end == std::string_view::npos ? data.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        const size_t tab = line.find('\t');
        if (tab == 0 || tab == std::string_view::npos || tab > 5)
            continue;
        int id = 0;
        bool digits = true;
        for (char c : line.substr(0, tab)) {
            digits = digits && c >= '0' && c <= '9';
            id = id * 10 + (c - '0');
        }
        if (!digits || id > 65535)
            continue;
        into[id] = Cp1252FromUtf8(Unescape(line.substr(tab + 1)));
        ++count;
    }
    return count;
}

const StringMap& English()
{
    static const StringMap table = [] {
        StringMap map;
        ParseTable(kEnglishTable, map);
        return map;
    }();
    return table;
}

std::mutex& PackLock()
{
    static std::mutex lock;
    return lock;
}

StringMap& Pack()
{
    static StringMap pack;
    return pack;
}

} // namespace

std::string LoadResString(int id)
{
    {
        std::lock_guard lock(PackLock());
        const StringMap& pack = Pack();
        if (auto it = pack.find(id); it != pack.end())
            return it->second;
    }
    const StringMap& english = English();
    auto it = english.find(id);
    return it == english.end() ? std::string() : it->second;
}

bool LoadLanguagePack(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    const std::string data{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad() || data.find('\0') != std::string::npos)
        return false;
    StringMap pack;
    if (ParseTable(data, pack) == 0)
        return false;
    std::lock_guard lock(PackLock());
    Pack() = std::move(pack);
    return true;
}

void ResetLanguage()
{
    std::lock_guard lock(PackLock());
    Pack().clear();
}

std::string FormatText(const std::string& format, const std::vector<std::string>& args)
{
    std::string out;
    out.reserve(format.size() + 32);
    size_t next = 0;
    const auto arg = [&](size_t index) -> const std::string& {
        static const std::string empty;
        return index < args.size() ? args[index] : empty;
    };
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 == format.size()) {
            out += format[i];
            continue;
        }
        const std::string_view rest = std::string_view(format).substr(i + 1);
        if (rest[0] == '%') {
            out += '%';
            i += 1;
        } else if (rest[0] == 's' || rest[0] == 'd') {
            out += arg(next++);
            i += 1;
        } else if (rest.starts_with("lu")) {
            out += arg(next++);
            i += 2;
        } else if (rest[0] >= '1' && rest[0] <= '9') {
            out += arg(static_cast<size_t>(rest[0] - '1'));
            i += 1;
        } else {
            out += '%';
        }
    }
    return out;
}
