#include "install/InstallManifest.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/stat.h>

namespace {

const char* const kKindNames[] = {"file", "dir", "machine-value", "user-value", "user-settings", "machine-settings", "mime-dir", "applications-dir"};

std::string Escape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out;
}

std::string Unescape(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            out += next == 'n' ? '\n' : next == 't' ? '\t' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    while (true) {
        const size_t tab = line.find('\t', start);
        fields.push_back(Unescape(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start)));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

} // namespace

std::string CInstallManifest::Format(const std::vector<ManifestEntry>& list)
{
    std::string out;
    for (const ManifestEntry& entry : list) {
        out += kKindNames[entry.kind];
        out += '\t' + Escape(entry.path);
        if (entry.kind == ManifestEntry::MachineValue || entry.kind == ManifestEntry::UserValue)
            out += '\t' + Escape(entry.section) + '\t' + Escape(entry.name);
        else if (entry.kind == ManifestEntry::File && !entry.digest.empty())
            out += '\t' + Escape(entry.digest);
        out += '\n';
    }
    return out;
}

std::vector<ManifestEntry> CInstallManifest::Parse(const std::string& text)
{
    std::vector<ManifestEntry> list;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const std::vector<std::string> fields = SplitTabs(line);
        const auto kind = std::find_if(std::begin(kKindNames), std::end(kKindNames),
                                       [&](const char* name) { return fields[0] == name; });
        if (kind == std::end(kKindNames) || fields.size() < 2 || fields[1].empty())
            continue;
        ManifestEntry entry;
        entry.kind = static_cast<ManifestEntry::Kind>(kind - std::begin(kKindNames));
        entry.path = fields[1];
        if (entry.kind == ManifestEntry::MachineValue || entry.kind == ManifestEntry::UserValue) {
            if (fields.size() != 4)
                continue;
            entry.section = fields[2];
            entry.name = fields[3];
        } else if (entry.kind == ManifestEntry::File && fields.size() == 3) {
            entry.digest = fields[2];
        }
        list.push_back(entry);
    }
    return list;
}

bool CInstallManifest::Load(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    entries = Parse(text);
    path = file;
    return true;
}

void CInstallManifest::Bind(const std::string& file)
{
    std::vector<ManifestEntry> pending = std::move(entries);
    entries.clear();
    if (!Load(file))
        entries.clear();
    path = file;
    for (const ManifestEntry& entry : pending)
        if (std::find(entries.begin(), entries.end(), entry) == entries.end())
            entries.push_back(entry);
    Save();
}

void CInstallManifest::Add(const ManifestEntry& entry)
{
    if (std::find(entries.begin(), entries.end(), entry) != entries.end())
        return;
    const auto sameFile = [&](const ManifestEntry& old) {
        return entry.kind == ManifestEntry::File && old.kind == ManifestEntry::File && old.path == entry.path;
    };
    if (auto old = std::find_if(entries.begin(), entries.end(), sameFile); old != entries.end())
        *old = entry;
    else
        entries.push_back(entry);
    if (!path.empty())
        Save();
}

const ManifestEntry* CInstallManifest::FindFile(const std::string& file) const
{
    for (const ManifestEntry& entry : entries)
        if (entry.kind == ManifestEntry::File && entry.path == file)
            return &entry;
    return nullptr;
}

std::string ContentDigest(std::string_view bytes)
{
    unsigned long long hash = 14695981039346656037ULL;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", hash);
    return text;
}

std::string FileDigest(const std::string& file)
{
    struct stat st;
    if (::lstat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return {};
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return in.bad() ? std::string() : ContentDigest(bytes);
}

bool CInstallManifest::Save() const
{
    if (path.empty())
        return false;
    const std::string temp = path + ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out << Format(entries);
        if (!out.flush())
            return false;
    }
    return std::rename(temp.c_str(), path.c_str()) == 0;
}
