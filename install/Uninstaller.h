#pragma once
// Removes an installation: exactly the files, desktop entries, document type, directories and
// settings values its manifest lists, and nothing else. The user's own settings go only when
// the user agrees.

#include "install/InstallManifest.h"

#include <string>
#include <vector>

struct UninstallResult
{
    bool found = false;                // a manifest was there to follow
    std::vector<std::string> leftOver; // what should have gone but is still there
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
    std::string installDir;
    CInstallManifest manifest;
};
