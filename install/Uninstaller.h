#pragma once
// Removes an installation: exactly the files, desktop entries, document type, directories and
// settings values its manifest lists, and nothing else. A file changed since it was installed
// stays. Entries that several installations share (menu entries, the document type, the
// machine record, the user's settings) belong to the installation that wrote them last, the
// one the machine record names; another installation's uninstall leaves them. The user's own
// settings go only when the user agrees.

#include "install/InstallManifest.h"

#include <string>
#include <vector>

struct UninstallResult
{
    bool found = false;                // a manifest was there to follow
    std::vector<std::string> leftOver; // what should have gone but is still there
    std::vector<std::string>
        kept;                // the user's: files changed since installed, folders holding the user's files
    std::string sharedOwner; // when not "": the installation the shared entries were left to
    bool Succeeded() const { return found && leftOver.empty(); }
};

class CUninstaller
{
public:
    // `installDir`: the folder holding Uninstall and the manifest.
    explicit CUninstaller(std::string installDir);

    bool Load();
    const CInstallManifest& Manifest() const { return manifest; }
    UninstallResult Run(bool removeUserSettings);

    // Whether the manifest may name `path`: absolute, and without "." or ".." components that
    // could lead outside what was recorded.
    static bool IsSafePath(const std::string& path);

private:
    // The installation the machine record names when it is another one, else "".
    std::string SharedOwner() const;

    std::string installDir;
    CInstallManifest manifest;
};
