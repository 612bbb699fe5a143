#include "install/InstallText.h"

#include <atomic>
#include <cstdlib>
#include <map>
#include <string_view>

namespace {

// resources/strings/install_en.txt and install_fr.txt as raw string literals, made when the
// build is configured.
constexpr const char kEnglishTable[] =
#include "InstallStringsEn.inc"
    ;
constexpr const char kFrenchTable[] =
#include "InstallStringsFr.inc"
    ;

using StringMap = std::map<int, std::string>;

std::string Unescape(std::string_view text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == 't' || text[i + 1] == '\\')) {
            out += text[i + 1] == 'n' ? '\n' : text[i + 1] == 't' ? '\t' : '\\';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

StringMap ParseTable(std::string_view data)
{
    StringMap map;
    while (!data.empty()) {
        const size_t end = data.find('\n');
        std::string_view line = data.substr(0, end);
        data.remove_prefix(end == std::string_view::npos ? data.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const size_t tab = line.find('\t');
        if (line.empty() || line.front() == '#' || tab == 0 || tab == std::string_view::npos || tab > 5)
            continue;
        int id = 0;
        bool digits = true;
        for (char c : line.substr(0, tab)) {
            digits = digits && c >= '0' && c <= '9';
            id = id * 10 + (c - '0');
        }
        if (digits)
            map[id] = Unescape(line.substr(tab + 1));
    }
    return map;
}

const StringMap& Table(int language)
{
    static const StringMap english = ParseTable(kEnglishTable);
    static const StringMap french = ParseTable(kFrenchTable);
    return language == kInstallFrench ? french : english;
}

std::atomic<int> currentLanguage{kInstallEnglish};

} // namespace

int LanguageFromLocale()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return std::string_view(value).starts_with("fr") ? kInstallFrench : kInstallEnglish;
    }
    return kInstallEnglish;
}

void SetInstallLanguage(int language)
{
    currentLanguage = language == kInstallFrench ? kInstallFrench : kInstallEnglish;
}

int GetInstallLanguage()
{
    return currentLanguage;
}

std::string InstallString(int id, int language)
{
    const StringMap& table = Table(language);
    if (auto it = table.find(id); it != table.end())
        return it->second;
    const StringMap& english = Table(kInstallEnglish);
    auto it = english.find(id);
    return it == english.end() ? std::string() : it->second;
}

std::string InstallString(int id)
{
    return InstallString(id, currentLanguage);
}

std::string FormatInstallText(const std::string& format, const std::vector<std::string>& args)
{
    std::string out;
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            const char kind = format[i + 1];
            if (kind == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (kind == 's' || kind == 'd') {
                if (next < args.size())
                    out += args[next];
                ++next;
                ++i;
                continue;
            }
        }
        out += format[i];
    }
    return out;
}

std::string FormatInstallString(int id, const std::vector<std::string>& args)
{
    return FormatInstallText(InstallString(id), args);
}
