#pragma once
// The record of what an installation put in place, kept beside the installed programs as
// "Uninstall.manifest". Install appends to it as each step writes something; Uninstall removes
// exactly what it lists and nothing else. One entry per line, "kind<TAB>path[<TAB>section
// <TAB>name]" ("file<TAB>path<TAB>digest" for a file whose content was recorded), with \n, \t
// and \\ escaped in the fields.

#include <string>
#include <string_view>
#include <vector>

struct ManifestEntry
{
    enum Kind { File, Directory, MachineValue, UserValue, UserSettings, MachineSettings, MimeDir, ApplicationsDir };
    Kind kind = File;
    std::string path;    // file or directory; for the settings kinds, the store's file
    std::string section; // values only
    std::string name;    // values only
    std::string digest;  // files only: ContentDigest of what was written ("" = not recorded)

    bool operator==(const ManifestEntry&) const = default;
};

class CInstallManifest
{
public:
    static constexpr const char* kFileName = "Uninstall.manifest";

    // Reads the manifest at `path`; false when it cannot be read. Lines it does not know are
    // skipped.
    bool Load(const std::string& path);
    // Adds the entry unless it is already there (a file's entry takes the new digest), and
    // rewrites the file when one is bound.
    void Add(const ManifestEntry& entry);
    // The entry recorded for the file at `path`, or nullptr.
    const ManifestEntry* FindFile(const std::string& path) const;
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

// A fingerprint of file contents (64-bit FNV-1a, in hex), enough to tell whether a file still
// holds what the installation wrote.
std::string ContentDigest(std::string_view bytes);
// The digest of the file at `path`; "" when it cannot be read as a regular file.
std::string FileDigest(const std::string& path);
