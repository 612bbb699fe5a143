#include "install/Uninstaller.h"

#include "install/InstallEngine.h"
#include "platform/IniSettingsStore.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsDirectory(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Removes a recorded file (or a link in its place); a directory or anything else is left alone.
bool RemoveFile(const std::string& path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return errno == ENOENT;
    if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode))
        return false;
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

bool SettingsFileEmpty(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    CSettingsTable table;
    return CIniSettingsStore::ParseIni(text, table) && table.Empty();
}

} // namespace

CUninstaller::CUninstaller(std::string dir) : installDir(std::move(dir))
{
    while (installDir.size() > 1 && installDir.back() == '/')
        installDir.pop_back();
}

bool CUninstaller::IsSafePath(const std::string& path)
{
    if (path.empty() || path.front() != '/')
        return false;
    size_t start = 1;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string part = path.substr(start, end - start);
        if (part == "." || part == "..")
            return false;
        start = end + 1;
    }
    return true;
}

bool CUninstaller::Load()
{
    return manifest.Load(installDir + "/" + CInstallManifest::kFileName);
}

UninstallResult CUninstaller::Run(bool removeUserSettings)
{
    UninstallResult result;
    result.found = !manifest.Path().empty() || Load();
    if (!result.found)
        return result;

    std::vector<std::string> directories;
    std::string mimeDir, applicationsDir, userSettings;
    std::vector<std::string> machineStores;
    for (const ManifestEntry& entry : manifest.Entries()) {
        if (!IsSafePath(entry.path))
            continue;
        switch (entry.kind) {
        case ManifestEntry::File:
            if (!RemoveFile(entry.path))
                result.leftOver.push_back(entry.path);
            break;
        case ManifestEntry::Directory: directories.push_back(entry.path); break;
        case ManifestEntry::MachineValue: {
            CIniSettingsStore store(entry.path);
            store.RemoveValue(entry.section, entry.name);
            if (store.GetValueNames(entry.section).empty())
                store.RemoveSection(entry.section);
            if (!store.Flush())
                result.leftOver.push_back(entry.path + " [" + entry.section + "] " + entry.name);
            machineStores.push_back(entry.path);
            break;
        }
        case ManifestEntry::UserValue: break; // part of the user's settings, below
        case ManifestEntry::UserSettings: userSettings = entry.path; break;
        case ManifestEntry::MachineSettings: machineStores.push_back(entry.path); break;
        case ManifestEntry::MimeDir: mimeDir = entry.path; break;
        case ManifestEntry::ApplicationsDir: applicationsDir = entry.path; break;
        }
    }
    // The machine store holds only what installations wrote: once empty it goes.
    for (const std::string& store : machineStores)
        if (store != userSettings && SettingsFileEmpty(store))
            ::unlink(store.c_str());
    if (removeUserSettings && !userSettings.empty()) {
        if (!RemoveFile(userSettings))
            result.leftOver.push_back(userSettings);
    }

    const std::string manifestPath = installDir + "/" + CInstallManifest::kFileName;
    ::unlink(manifestPath.c_str());
    ::unlink((manifestPath + ".new").c_str());

    // The desktop's databases are rebuilt while the folders they are built from still exist.
    RefreshDesktopDatabases(mimeDir, applicationsDir);

    // Deepest first; a directory that still holds something (the user's own files, another
    // program's entries) stays.
    std::sort(directories.begin(), directories.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    directories.erase(std::unique(directories.begin(), directories.end()), directories.end());
    for (const std::string& dir : directories)
        if (IsDirectory(dir))
            ::rmdir(dir.c_str());
    const bool madeInstallDir = std::find(directories.begin(), directories.end(), installDir) != directories.end();
    if (madeInstallDir && IsDirectory(installDir))
        result.leftOver.push_back(installDir);
    return result;
}
