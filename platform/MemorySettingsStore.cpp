#include "platform/MemorySettingsStore.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

bool SettingsNamesEqual(const std::string& a, const std::string& b)
{
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

bool ParseSettingsInt(const std::string& text, int& value)
{
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return false;
    size_t end = text.find_last_not_of(" \t") + 1;
    const std::string number = text.substr(begin, end - begin);
    size_t digits = (number[0] == '-' || number[0] == '+') ? 1 : 0;
    if (digits == number.size() || number.find_first_not_of("0123456789", digits) != std::string::npos)
        return false;
    errno = 0;
    const long long parsed = std::strtoll(number.c_str(), nullptr, 10);
    if (errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

CSettingsTable::Section* CSettingsTable::FindSection(const std::string& name)
{
    for (Section& section : sections)
        if (SettingsNamesEqual(section.name, name))
            return &section;
    return nullptr;
}

const CSettingsTable::Section* CSettingsTable::FindSection(const std::string& name) const
{
    return const_cast<CSettingsTable*>(this)->FindSection(name);
}

const std::string* CSettingsTable::Find(const std::string& sectionName, const std::string& key) const
{
    const Section* section = FindSection(sectionName);
    if (!section)
        return nullptr;
    for (const auto& [name, value] : section->values)
        if (SettingsNamesEqual(name, key))
            return &value;
    return nullptr;
}

std::vector<std::string> CSettingsTable::ValueNames(const std::string& sectionName) const
{
    std::vector<std::string> names;
    if (const Section* section = FindSection(sectionName))
        for (const auto& entry : section->values)
            names.push_back(entry.first);
    return names;
}

void CSettingsTable::Apply(const SettingsChange& change)
{
    Section* section = FindSection(change.section);
    switch (change.kind) {
    case SettingsChange::Set:
        if (!section) {
            sections.push_back(Section{change.section, {}});
            section = &sections.back();
        }
        for (auto& entry : section->values) {
            if (SettingsNamesEqual(entry.first, change.key)) {
                entry.second = change.value;
                return;
            }
        }
        section->values.emplace_back(change.key, change.value);
        break;
    case SettingsChange::RemoveValue:
        if (section)
            std::erase_if(section->values, [&](const auto& entry) { return SettingsNamesEqual(entry.first, change.key); });
        break;
    case SettingsChange::RemoveSection:
        std::erase_if(sections, [&](const Section& s) { return SettingsNamesEqual(s.name, change.section); });
        break;
    }
}

int CMemorySettingsStore::GetInt(const std::string& section, const std::string& key, int defaultValue) const
{
    std::lock_guard lock(mutex);
    const std::string* text = table.Find(section, key);
    int value = defaultValue;
    if (text && ParseSettingsInt(*text, value))
        return value;
    return defaultValue;
}

std::string CMemorySettingsStore::GetString(const std::string& section, const std::string& key,
                                            const std::string& defaultValue) const
{
    std::lock_guard lock(mutex);
    const std::string* text = table.Find(section, key);
    return text ? *text : defaultValue;
}

bool CMemorySettingsStore::HasValue(const std::string& section, const std::string& key) const
{
    std::lock_guard lock(mutex);
    return table.Find(section, key) != nullptr;
}

std::vector<std::string> CMemorySettingsStore::GetValueNames(const std::string& section) const
{
    std::lock_guard lock(mutex);
    return table.ValueNames(section);
}

void CMemorySettingsStore::WriteInt(const std::string& section, const std::string& key, int value)
{
    Change({SettingsChange::Set, section, key, std::to_string(value)});
}

void CMemorySettingsStore::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    Change({SettingsChange::Set, section, key, value});
}

void CMemorySettingsStore::RemoveValue(const std::string& section, const std::string& key)
{
    Change({SettingsChange::RemoveValue, section, key, {}});
}

void CMemorySettingsStore::RemoveSection(const std::string& section)
{
    Change({SettingsChange::RemoveSection, section, {}, {}});
}

void CMemorySettingsStore::OnChange(const SettingsChange&) {}

void CMemorySettingsStore::Change(SettingsChange change)
{
    std::lock_guard lock(mutex);
    table.Apply(change);
    OnChange(change);
}
