#include "install/Uninstaller.h"

#include "install/InstallEngine.h"
#include "platform/IniSettingsStore.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
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

bool IsRegularFile(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Whether the folder (and its subfolders) holds no file at all; true when it is missing.
bool IsEmptyTree(const std::string& dir)
{
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(dir, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        if (!it->is_directory(ec) || it->is_symlink(ec))
            return false;
    return true;
}

// Whether the folder's only file, if any, is `name` at its top.
bool HoldsOnly(const std::string& dir, const std::string& name)
{
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(dir, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        if ((!it->is_directory(ec) || it->is_symlink(ec)) && it->path() != std::filesystem::path(dir) / name)
            return false;
    return true;
}

// A shared-mime-info folder whose packages are all gone holds only what update-mime-database
// generated from them.
void RemoveGeneratedTree(const std::string& dir)
{
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

bool HoldsSomethingUnrecorded(const std::string& dir, const std::set<std::string>& recorded)
{
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(dir, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        if ((!it->is_directory(ec) || it->is_symlink(ec)) && !recorded.count(it->path().string()))
            return true;
    return false;
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

std::string CUninstaller::SharedOwner() const
{
    const CInstallConfig config;
    const std::string section = config.installKey.substr(config.installKey.rfind('\\') + 1);
    for (const ManifestEntry& entry : manifest.Entries()) {
        if (entry.kind != ManifestEntry::MachineValue || entry.section != section ||
            entry.name != config.installValue)
            continue;
        std::string owner = CIniSettingsStore(entry.path).GetString(section, config.installValue);
        while (owner.size() > 1 && owner.back() == '/')
            owner.pop_back();
        return owner == installDir ? std::string() : owner;
    }
    return {};
}

UninstallResult CUninstaller::Run(bool removeUserSettings)
{
    UninstallResult result;
    result.found = !manifest.Path().empty() || Load();
    if (!result.found)
        return result;

    // Another installation wrote the shared entries after this one: they are its own now.
    result.sharedOwner = SharedOwner();
    const bool ownsShared = result.sharedOwner.empty();
    const std::string inside = installDir + "/";

    std::vector<std::string> directories;
    std::string mimeDir, applicationsDir, userSettings;
    std::vector<std::string> machineStores;
    std::set<std::string> recorded;
    for (const ManifestEntry& entry : manifest.Entries()) {
        if (!IsSafePath(entry.path))
            continue;
        const bool shared = !entry.path.starts_with(inside);
        switch (entry.kind) {
        case ManifestEntry::File:
            if (shared && !ownsShared)
                break;
            if (!entry.digest.empty() && IsRegularFile(entry.path) &&
                FileDigest(entry.path) != entry.digest) {
                result.kept.push_back(entry.path);
                break;
            }
            recorded.insert(entry.path);
            if (!RemoveFile(entry.path))
                result.leftOver.push_back(entry.path);
            break;
        case ManifestEntry::Directory: directories.push_back(entry.path); break;
        case ManifestEntry::MachineValue: {
            if (!ownsShared)
                break;
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
    if (removeUserSettings && ownsShared && !userSettings.empty()) {
        if (!RemoveFile(userSettings))
            result.leftOver.push_back(userSettings);
    }

    const std::string manifestPath = installDir + "/" + CInstallManifest::kFileName;
    ::unlink(manifestPath.c_str());
    ::unlink((manifestPath + ".new").c_str());

    // The desktop's databases are rebuilt from what is left. In a folder this installation
    // made, databases built from nothing but generated files go with the folder.
    const auto made = [&](const std::string& dir) {
        return std::find(directories.begin(), directories.end(), dir) != directories.end();
    };
    if (!mimeDir.empty() && made(mimeDir) && IsEmptyTree(mimeDir + "/packages"))
        RemoveGeneratedTree(mimeDir);
    else
        RefreshDesktopDatabases(mimeDir, {});
    if (!applicationsDir.empty() && made(applicationsDir) && HoldsOnly(applicationsDir, "mimeinfo.cache"))
        ::unlink((applicationsDir + "/mimeinfo.cache").c_str());
    else
        RefreshDesktopDatabases({}, applicationsDir);

    // Deepest first; a directory that still holds something (the user's own files, another
    // program's entries) stays.
    std::sort(directories.begin(), directories.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    directories.erase(std::unique(directories.begin(), directories.end()), directories.end());
    for (const std::string& dir : directories)
        if (IsDirectory(dir))
            ::rmdir(dir.c_str());
    // Other folders stay silently when something is left in them (the kept settings, another
    // program's entries); the installation folder is named, as kept for the user's files or
    // as left over.
    if (made(installDir) && IsDirectory(installDir))
        (HoldsSomethingUnrecorded(installDir, recorded) ? result.kept : result.leftOver)
            .push_back(installDir);
    return result;
}
