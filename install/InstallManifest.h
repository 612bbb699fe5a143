#pragma once
// The record of what an installation put in place, kept beside the installed programs as
// "Uninstall.manifest". Install appends to it as each step writes something; Uninstall removes
// exactly what it lists and nothing else. One entry per line, "kind<TAB>path[<TAB>section
// <TAB>name]", with \n, \t and \\ escaped in the fields.

#include <string>
#include <vector>

struct ManifestEntry
{
    enum Kind { File, Directory, MachineValue, UserValue, UserSettings, MachineSettings, MimeDir, ApplicationsDir };
    Kind kind = File;
    std::string path;    // file or directory; for the settings kinds, the store's file
    std::string section; // values only
    std::string name;    // values only

    bool operator==(const ManifestEntry&) const = default;
};

class CInstallManifest
{
public:
    static constexpr const char* kFileName = "Uninstall.manifest";

    // Reads the manifest at `path`; false when it cannot be read. Lines it does not know are
    // skipped.
    bool Load(const std::string& path);
    // Adds the entry unless it is already there, and rewrites the file when one is bound.
    void Add(const ManifestEntry& entry);
    // Binds the manifest to a file: entries already in the file are merged first, so a
    // reinstallation keeps what the earlier one recorded.
    void Bind(const std::string& path);
    bool Save() const;

    const std::vector<ManifestEntry>& Entries() const { return entries; }
    const std::string& Path() const { return path; }

    static std::string Format(const std::vector<ManifestEntry>& entries);
    static std::vector<ManifestEntry> Parse(const std::string& text);

private:
    std::vector<ManifestEntry> entries;
    std::string path;
};
