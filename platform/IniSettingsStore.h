#pragma once
// Settings kept in an INI file in the layout Qt's QSettings (IniFormat) reads and writes:
// "[Section]" groups and "key=value" lines, names escaped with %XX, values escaped and quoted
// the way QSettings writes plain strings, UTF-8 text. Values are Windows-1252 in memory.

#include "platform/MemorySettingsStore.h"

#include <string>
#include <string_view>
#include <vector>

// $XDG_CONFIG_HOME/Ashgrove (XDG_CONFIG_HOME falling back to $HOME/.config).
std::string SettingsDirectory();
// The current user's settings: SettingsDirectory() + "/Lotwarden.ini".
std::string DefaultSettingsPath();
// Machine-wide settings: /etc/xdg/Ashgrove/Lotwarden.ini when that file can be written (or the
// program runs as root), else SettingsDirectory() + "/LotwardenMachine.ini".
std::string MachineSettingsPath();
// The system-wide defaults beneath every user's own settings, strongest first:
// Ashgrove/Lotwarden.ini in each folder of XDG_CONFIG_DIRS (/etc/xdg when unset).
std::vector<std::string> SystemDefaultsPaths();

class CIniSettingsStore : public CMemorySettingsStore
{
public:
    enum class LoadState { Missing, Loaded, Damaged, Unreadable };

    // Reads the file at once. A missing file is an empty store; a file that cannot be read or
    // holds binary data gives an empty store too, and is never overwritten blindly (see Flush).
    explicit CIniSettingsStore(std::string path);
    // The current user's settings (DefaultSettingsPath()), over the system-wide defaults: a
    // value the user's file lacks is read from the defaults; writes go to the user's file only.
    CIniSettingsStore();
    // Saves pending changes; a failure is silent here (call Flush to learn about it).
    ~CIniSettingsStore() override;

    // Re-reads the file, replays this store's changes on top of it (so values saved meanwhile
    // by another process survive) and replaces the file through a temporary file renamed over
    // it, so an interrupted or failed save leaves the previous file intact. A binary (damaged)
    // file is kept beside the new one as "<name>.damaged"; a file that exists but cannot be
    // read is left alone and Flush fails.
    bool Flush() override;

    int GetInt(const std::string& section, const std::string& key, int defaultValue) const override;
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& defaultValue = std::string()) const override;
    bool HasValue(const std::string& section, const std::string& key) const override;
    std::vector<std::string> GetValueNames(const std::string& section) const override;

    const std::string& Path() const { return path; }
    LoadState GetLoadState() const { return loadState; }

    // The text forms, also used by tests. ParseIni reads as much as it can and returns false
    // when the data is binary (holds NUL bytes), in which case `table` stays empty.
    static bool ParseIni(std::string_view data, CSettingsTable& table);
    static std::string FormatIni(const CSettingsTable& table);
    static std::string EscapeName(const std::string& name);
    static std::string EscapeValue(const std::string& value);

private:
    void OnChange(const SettingsChange& change) override;
    static LoadState ReadFile(const std::string& file, CSettingsTable& table);

    std::string path;
    std::vector<SettingsChange> pending;
    CSettingsTable defaults; // read once at construction, never changed

    LoadState loadState = LoadState::Missing;
};
