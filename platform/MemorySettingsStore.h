#pragma once
// Settings held in memory only: the table that every backend keeps, and a store for tests.

#include "platform/SettingsStore.h"

#include <mutex>
#include <string>
#include <utility>
#include <vector>

// One change to a settings table, kept so that a file backend can replay its own changes on
// top of what another process saved meanwhile.
struct SettingsChange
{
    enum Kind { Set, RemoveValue, RemoveSection };
    Kind kind = Set;
    std::string section;
    std::string key;
    std::string value;
};

// Sections and values in the order they were first written; names compare without regard to
// ASCII case and keep the spelling they were first written with.
class CSettingsTable
{
public:
    struct Section
    {
        std::string name;
        std::vector<std::pair<std::string, std::string>> values;
    };

    const std::string* Find(const std::string& section, const std::string& key) const;
    std::vector<std::string> ValueNames(const std::string& section) const;
    void Apply(const SettingsChange& change);
    const std::vector<Section>& Sections() const { return sections; }
    bool Empty() const { return sections.empty(); }

private:
    Section* FindSection(const std::string& name);
    const Section* FindSection(const std::string& name) const;

    std::vector<Section> sections;
};

bool SettingsNamesEqual(const std::string& a, const std::string& b);

// Reads a whole decimal number (surrounding blanks allowed) that fits an int.
bool ParseSettingsInt(const std::string& text, int& value);

class CMemorySettingsStore : public ISettingsStore
{
public:
    int GetInt(const std::string& section, const std::string& key, int defaultValue) const override;
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& defaultValue = std::string()) const override;
    bool HasValue(const std::string& section, const std::string& key) const override;
    std::vector<std::string> GetValueNames(const std::string& section) const override;

    void WriteInt(const std::string& section, const std::string& key, int value) override;
    void WriteString(const std::string& section, const std::string& key, const std::string& value) override;
    void RemoveValue(const std::string& section, const std::string& key) override;
    void RemoveSection(const std::string& section) override;

    bool Flush() override { return true; }

protected:
    // Called with `mutex` held after each change has been applied to `table`.
    virtual void OnChange(const SettingsChange& change);

    mutable std::mutex mutex;
    CSettingsTable table;

private:
    void Change(SettingsChange change);
};
