#include "install/InstallEngine.h"

#include "install/InstallStringIds.h"
#include "install/InstallText.h"
#include "platform/IniSettingsStore.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

const char* const kCompanyKey = "Software\\Ashgrove";
const char* const kProductKey = "Software\\Ashgrove\\Lotwarden";
const char* const kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const char* const kMimePackage = "lotwarden.xml";


bool IsDirectory(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string DirectoryOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// Writes `bytes` to a temporary file beside `target` and renames it over `target`, so a failed
// write never leaves a half-written file and a running program being replaced keeps its old
// image. False when the file could not be created or written.
bool WriteFileReplacing(const std::string& target, std::string_view bytes, mode_t mode)
{
    std::string temp = target + ".partXXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    bool ok = true;
    int error = 0;
    for (size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            done += static_cast<size_t>(n);
        else
            error = n < 0 ? errno : ENOSPC;
    }
    if (ok && ::fchmod(fd, mode) != 0)
        ok = false, error = errno;
    if (::close(fd) != 0 && ok)
        ok = false, error = errno;
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0)
        ok = false, error = errno;
    if (!ok) {
        ::unlink(temp.c_str());
        errno = error;
        return false;
    }
    return true;
}

void SetReleaseTime(const std::string& path)
{
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_NOW;
    times[1].tv_sec = static_cast<time_t>(ReleaseTimeStamp());
    times[1].tv_nsec = 0;
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

// The desktop entry specification's quoting for one Exec argument, then its escaping of
// backslashes in string values.
std::string QuoteExecArgument(const std::string& arg)
{
    std::string quoted = "\"";
    for (char c : arg) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    quoted += '"';
    std::string escaped;
    for (char c : quoted)
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return escaped;
}

std::string XmlEscape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// The installed files that hold text for the user to read or edit; any other payload file is
// part of the program and is always brought up to date.
bool IsUserDocument(const std::string& resource)
{
    return resource == "FILE1" || resource == "FILE7" || resource == "FILE8";
}

// One line of a desktop entry may not hold a line break.
std::string OneLine(std::string text)
{
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    return text;
}

std::string FindTool(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        const std::string dir = dirs.substr(start, end - start);
        if (!dir.empty()) {
            const std::string candidate = dir + "/" + name;
            if (::access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        start = end + 1;
    }
    return {};
}

void RunTool(const std::string& tool, const std::string& argument)
{
    const std::string program = FindTool(tool);
    if (program.empty())
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::string arg0 = tool;
    std::string arg1 = argument;
    char* argv[] = {arg0.data(), arg1.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ) == 0) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    posix_spawn_file_actions_destroy(&actions);
}

} // namespace

CInstallConfig::CInstallConfig() : defaultDirectory(DefaultInstallDirectory(::geteuid() == 0)) {}

std::string DefaultInstallDirectory(bool machineWide)
{
    const char* home = std::getenv("HOME");
    if (machineWide || !home || !*home)
        return "/opt/Lotwarden";
    return std::string(home) + "/.local/opt/Lotwarden";
}

long long ReleaseTimeStamp()
{
    std::tm when{};
    when.tm_year = 2000 - 1900;
    when.tm_mon = 2;
    when.tm_mday = 8;
    when.tm_isdst = -1;
    return static_cast<long long>(std::mktime(&when));
}

bool CreateDirectoryWithParents(std::string path, std::vector<std::string>* created)
{
    if (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (path.empty() || path.front() != '/')
        return false;
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (prefix.empty() || prefix.back() == '/' || IsDirectory(prefix))
            continue;
        if (::mkdir(prefix.c_str(), 0755) != 0)
            return false;
        if (created)
            created->push_back(prefix);
    }
    if (::mkdir(path.c_str(), 0755) != 0)
        return false;
    if (created)
        created->push_back(path);
    return true;
}

void RefreshDesktopDatabases(const std::string& mimeDir, const std::string& applicationsDir)
{
    if (!mimeDir.empty() && IsDirectory(mimeDir + "/packages"))
        RunTool("update-mime-database", mimeDir);
    if (!applicationsDir.empty() && IsDirectory(applicationsDir))
        RunTool("update-desktop-database", applicationsDir);
}

std::string DesktopEntryText(const DesktopEntry& entry)
{
    std::string text = "[Desktop Entry]\nType=Application\nVersion=1.0\n";
    text += "Name=" + OneLine(entry.name) + "\n";
    if (!entry.frenchName.empty())
        text += "Name[fr]=" + OneLine(entry.frenchName) + "\n";
    text += "Comment=" + OneLine(entry.comment) + "\n";
    if (!entry.frenchComment.empty())
        text += "Comment[fr]=" + OneLine(entry.frenchComment) + "\n";
    text += "Exec=" + QuoteExecArgument(entry.target) + (entry.mimeType.empty() ? "" : " %f") + "\n";
    if (!entry.icon.empty())
        text += "Icon=" + OneLine(entry.icon) + "\n";
    text += "Terminal=false\nCategories=Office;\n";
    if (!entry.mimeType.empty())
        text += "MimeType=" + entry.mimeType + ";\n";
    if (!entry.windowClass.empty())
        text += "StartupWMClass=" + entry.windowClass + "\n";
    return text;
}

std::string MimePackageText(const std::string& mimeType, const std::string& typeName, const std::string& extension)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
           "  <mime-type type=\"" + XmlEscape(mimeType) + "\">\n"
           "    <comment>" + XmlEscape(typeName) + "</comment>\n"
           "    <glob pattern=\"*" + XmlEscape(extension) + "\"/>\n"
           "  </mime-type>\n"
           "</mime-info>\n";
}

CInstallEngine::CInstallEngine(CInstallConfig cfg, CInstallEnvironment environment, const IPayloadSource& source,
                               int language)
    : config(std::move(cfg)), env(std::move(environment)), payload(source), textLanguage(language)
{
}

std::string CInstallEngine::Localized(int id) const
{
    return InstallString(id, textLanguage);
}

void CInstallEngine::ShowMessage(int id, const std::string& argument)
{
    lastMessage = FormatInstallText(Localized(id), {argument});
    failureCause.clear();
    if (progress)
        progress->SetMessage(lastMessage);
}

bool CInstallEngine::Fail(int error)
{
    failureCause = error ? std::strerror(error) : std::string();
    return false;
}

bool CInstallEngine::Fail(const std::string& cause)
{
    failureCause = cause;
    return false;
}

std::string CInstallEngine::FailureDescription() const
{
    if (lastMessage.empty())
        return {};
    return FormatInstallText(Localized(kIdsStoppedAt),
                             {lastMessage, failureCause.empty() ? "?" : failureCause});
}

void CInstallEngine::Record(const ManifestEntry& entry)
{
    manifest.Add(entry);
}

ManifestEntry::Kind CInstallEngine::ValueKind(RegistryRoot root) const
{
    // A machine-wide installation keeps its users' first settings in the system-wide defaults,
    // which are the machine store.
    return root == RegistryRoot::LocalMachine || StorePath(root) == env.machineSettingsPath
               ? ManifestEntry::MachineValue
               : ManifestEntry::UserValue;
}

ManifestEntry::Kind CInstallEngine::SettingsKind(const std::string& store) const
{
    return store == env.machineSettingsPath ? ManifestEntry::MachineSettings : ManifestEntry::UserSettings;
}

void CInstallEngine::ComputeMacros(const std::string& destination)
{
    typedDestination = destination;
    installDir = destination;
    if (installDir.size() > 1 && installDir.back() == '/')
        installDir.pop_back();
    windowsDir = env.windowsDir.empty() ? "C:\\Windows" : env.windowsDir;
    windowsSystem = env.systemDir.empty() ? windowsDir + "\\System32" : env.systemDir;
    startMenu = env.applicationsDir.empty() ? windowsDir + "\\Start Menu" : env.applicationsDir;
    startMenuPrograms = env.applicationsDir.empty() ? windowsDir + "\\Start Menu\\Programs" : env.applicationsDir;
    desktopDir = env.desktopDir.empty() ? windowsDir + "\\Desktop" : env.desktopDir;
}

std::string CInstallEngine::ExpandMacros(std::string text) const
{
    ReplaceAll(text, "%INSTALL_DIR%", installDir);
    ReplaceAll(text, "%START_MENU%", startMenu);
    ReplaceAll(text, "%START_MENU_PROGRAMS%", startMenuPrograms);
    ReplaceAll(text, "%WINDOWS%", windowsDir);
    ReplaceAll(text, "%WINDOWS_SYSTEM%", windowsSystem);
    ReplaceAll(text, "%DESKTOP_DIR%", desktopDir);
    return text;
}

bool CInstallEngine::CreateDirectoryStep(const std::string& path, bool showMessage)
{
    const std::string expanded = ExpandMacros(path);
    if (showMessage)
        ShowMessage(kIdsCreatingDirectory, expanded);
    std::vector<std::string> created;
    const bool ok = CreateDirectoryWithParents(expanded, &created);
    const int error = errno;
    for (const std::string& dir : created)
        Record({ManifestEntry::Directory, dir});
    return ok || Fail(error);
}

bool CInstallEngine::KeepsExistingFile(const std::string& resource, const std::string& path,
                                       const std::optional<std::string_view>& bytes) const
{
    const std::string now = FileDigest(path);
    if (now.empty() || (bytes && now == ContentDigest(*bytes)))
        return false;
    if (const ManifestEntry* entry = manifest.FindFile(path); entry && !entry->digest.empty())
        return now != entry->digest;
    return IsUserDocument(resource);
}

bool CInstallEngine::ExtractFileStep(const std::string& resource, const std::string& target)
{
    const std::string path = ExpandMacros(target);
    ShowMessage(kIdsInstallingFile, path);
    const std::optional<std::string_view> bytes = payload.Find(resource, textLanguage);
    // What the user changed since an installation wrote it, or a document the user already has
    // there, is the user's: it is neither replaced nor recorded anew.
    if (KeepsExistingFile(resource, path, bytes)) {
        kept.push_back(path);
        return true;
    }
    // The programs must stay runnable; everything else is plain data.
    const mode_t mode = resource == "FILE4" || resource == "FILE6" ? 0755 : 0644;
    // A missing resource leaves an empty target, and the step fails.
    const std::string_view data = bytes.value_or(std::string_view());
    if (!WriteFileReplacing(path, data, mode))
        return Fail(errno);
    Record({ManifestEntry::File, path, {}, {}, ContentDigest(data)});
    SetReleaseTime(path);
    return bytes.has_value() || Fail(FormatInstallText(Localized(kIdsPayloadMissing), {resource}));
}

bool CInstallEngine::CreateShortcutStep(const std::string& link, const std::string& target, const std::string& mimeType)
{
    const std::string linkPath = ExpandMacros(link);
    DesktopEntry entry;
    entry.target = ExpandMacros(target);
    entry.mimeType = mimeType;
    ShowMessage(kIdsCreatingShortcuts);
    entry.name = linkPath.substr(linkPath.rfind('/') + 1);
    if (entry.name.ends_with(".desktop"))
        entry.name.resize(entry.name.size() - 8);
    if (linkPath.empty() || linkPath.front() != '/')
        return Fail(ENOENT);
    entry.comment = InstallString(kIdsShortcutComment, kInstallEnglish);
    entry.frenchComment = InstallString(kIdsShortcutComment, kInstallFrench);
    // The program's own entry carries its icon, installed beside it, and the window class its
    // windows have (Lotward's executable name), so that the desktop ties them together.
    if (!mimeType.empty()) {
        const std::string icon = installDir + "/" + kIconFileName;
        if (const std::optional<std::string_view> bytes = payload.Find(kIconResource, textLanguage);
            bytes && WriteFileReplacing(icon, *bytes, 0644)) {
            Record({ManifestEntry::File, icon, {}, {}, ContentDigest(*bytes)});
            entry.icon = icon;
        }
        entry.windowClass = "Lotward";
    }
    const std::string text = DesktopEntryText(entry);
    if (!WriteFileReplacing(linkPath, text, 0644))
        return Fail(errno);
    Record({ManifestEntry::File, linkPath, {}, {}, ContentDigest(text)});
    return true;
}

const std::string& CInstallEngine::StorePath(RegistryRoot root) const
{
    return root == RegistryRoot::CurrentUser ? env.userSettingsPath : env.machineSettingsPath;
}

bool CInstallEngine::SectionOf(const std::string& subkey, std::string& section) const
{
    const std::string product = std::string(kProductKey) + "\\";
    if (subkey.starts_with(product) && subkey.size() > product.size()) {
        section = subkey.substr(product.size());
        return true;
    }
    if (subkey == std::string(kUninstallKey) + config.appName) {
        section = "Uninstall";
        return true;
    }
    return false;
}

bool CInstallEngine::CreateKeyStep(RegistryRoot root, const std::string& subkey)
{
    ShowMessage(kIdsUpdatingRegistry);
    const std::string& store = StorePath(root);
    if (store.empty() || store.front() != '/')
        return Fail(ENOENT);
    const std::string dir = DirectoryOf(store);
    if (subkey == kCompanyKey) {
        std::vector<std::string> created;
        const bool ok = IsDirectory(dir) || CreateDirectoryWithParents(dir, &created);
        const int error = errno;
        for (const std::string& made : created)
            Record({ManifestEntry::Directory, made});
        return ok || Fail(error);
    }
    if (subkey == kProductKey) {
        CIniSettingsStore settings(store);
        if (!settings.Flush())
            return Fail(errno);
        Record({SettingsKind(store), store});
        return true;
    }
    std::string section;
    return SectionOf(subkey, section);
}

bool CInstallEngine::SetStringValueStep(RegistryRoot root, const std::string& subkey, const std::string& name,
                                        const std::string& data)
{
    ShowMessage(kIdsUpdatingRegistry);
    std::string section;
    const std::string& store = StorePath(root);
    if (!SectionOf(subkey, section) || store.empty())
        return false;
    // Values are the bytes as given: paths stay as the file system has them, as the program
    // itself stores them.
    CIniSettingsStore settings(store);
    settings.WriteString(section, name, data);
    if (!settings.Flush())
        return Fail(errno ? errno : EIO);
    Record({ValueKind(root), store, section, name});
    return true;
}

bool CInstallEngine::SetStringValueIfAbsentStep(RegistryRoot root, const std::string& subkey, const std::string& name,
                                                const std::string& data, bool overwrite, bool expand)
{
    std::string section;
    if (!SectionOf(subkey, section) || StorePath(root).empty())
        return false;
    if (!overwrite && CIniSettingsStore(StorePath(root)).HasValue(section, name))
        return false;
    return SetStringValueStep(root, subkey, name, expand ? ExpandMacros(data) : data);
}

bool CInstallEngine::SetDwordValueStep(RegistryRoot root, const std::string& subkey, const std::string& name, int value,
                                       bool overwrite)
{
    ShowMessage(kIdsUpdatingRegistry);
    std::string section;
    const std::string& store = StorePath(root);
    if (!SectionOf(subkey, section) || store.empty())
        return false;
    CIniSettingsStore settings(store);
    if (!overwrite && settings.HasValue(section, name))
        return false;
    settings.WriteInt(section, name, value);
    if (!settings.Flush())
        return Fail(errno ? errno : EIO);
    Record({ValueKind(root), store, section, name});
    return true;
}

bool CInstallEngine::RegisterDocumentTypeStep(const std::string& progId, const std::string& typeName,
                                              const std::string& extension, const std::string& program)
{
    ShowMessage(kIdsUpdatingRegistry);
    // The open command itself is the program's desktop entry (Exec= with MimeType=, written
    // with the shortcuts); here the extension becomes a document type the desktop knows.
    (void)progId;
    (void)program;
    if (env.mimeDir.empty() || env.mimeDir.front() != '/')
        return Fail(ENOENT);
    const std::string packages = env.mimeDir + "/packages";
    std::vector<std::string> created;
    const bool made = IsDirectory(packages) || CreateDirectoryWithParents(packages, &created);
    const int error = errno;
    for (const std::string& dir : created)
        Record({ManifestEntry::Directory, dir});
    if (!made)
        return Fail(error);
    Record({ManifestEntry::MimeDir, env.mimeDir});
    const std::string file = packages + "/" + kMimePackage;
    const std::string text = MimePackageText(kMimeType, typeName, extension);
    if (!WriteFileReplacing(file, text, 0644))
        return Fail(errno);
    Record({ManifestEntry::File, file, {}, {}, ContentDigest(text)});
    return true;
}

bool CInstallEngine::RegisterUninstallStep()
{
    ShowMessage(kIdsUpdatingRegistry);
    const std::string key = kUninstallKey + config.appName;
    if (!SetStringValueStep(RegistryRoot::LocalMachine, key, "DisplayName", config.appName))
        return false;
    return SetStringValueStep(RegistryRoot::LocalMachine, key, "UninstallString", ExpandMacros(config.uninstallCommand));
}

bool CInstallEngine::RunStep(int index)
{
    const std::string dir = "%INSTALL_DIR%/";
    const std::string menu = "%START_MENU_PROGRAMS%/Lotwarden";
    const std::string product = kProductKey;
    switch (index) {
    case 0:
        CreateDirectoryStep("%INSTALL_DIR%");
        return true;
    case 1: return ExtractFileStep("FILE1", dir + Localized(kIdsReadmeName));
    case 2: return ExtractFileStep("FILE6", dir + "Uninstall");
    case 3: return ExtractFileStep("FILE2", dir + "Blank.html");
    case 4: return ExtractFileStep("FILE3", dir + "Lotward.dat");
    case 5: return ExtractFileStep("FILE4", dir + "Lotward");
    case 6: return ExtractFileStep("FILE5", dir + "Temp.html");
    case 7: return ExtractFileStep("FILE7", dir + Localized(kIdsLicenceName));
    case 8: return ExtractFileStep("FILE8", dir + Localized(kIdsSampleName));
    case 9: return ExtractFileStep("FILE9", dir + "Lotward.fr");
    case 10:
        CreateDirectoryStep(menu);
        // The menu folder is Lotwarden's own, whichever installation made it.
        if (IsDirectory(ExpandMacros(menu)))
            Record({ManifestEntry::Directory, ExpandMacros(menu)});
        return true;
    case 11: return CreateShortcutStep(menu + "/Lotwarden.desktop", dir + "Lotward", kMimeType);
    case 12: return CreateShortcutStep(menu + "/" + Localized(kIdsUninstallShortcut) + ".desktop", dir + "Uninstall");
    case 13: return CreateKeyStep(RegistryRoot::CurrentUser, kCompanyKey);
    case 14: return CreateKeyStep(RegistryRoot::LocalMachine, kCompanyKey);
    case 15: return CreateKeyStep(RegistryRoot::CurrentUser, product);
    case 16: return CreateKeyStep(RegistryRoot::LocalMachine, product);
    case 17:
        SetStringValueIfAbsentStep(RegistryRoot::CurrentUser, product + "\\Recent File List", "File1",
                                   dir + Localized(kIdsSampleName), false, true);
        return true;
    case 18: return SetStringValueStep(RegistryRoot::LocalMachine, config.installKey, config.installValue, typedDestination);
    case 19: return RegisterDocumentTypeStep("Lotward.Document", "Lotwarden Document", ".lwd", "Lotward");
    case 20:
        SetDwordValueStep(RegistryRoot::CurrentUser, product + "\\Options", "Language", languageIndex, true);
        return true;
    case 21: return RegisterUninstallStep();
    default: return true;
    }
}

bool CInstallEngine::Run(InstallRunParams& params)
{
    progress = params.progress;
    languageIndex = params.languageIndex;
    ShowMessage(kIdsInitializing);
    ComputeMacros(params.destination);
    // Every later path is built on the destination: a relative one would land wherever the
    // installer happened to be started, so it stops the run before anything is written.
    if (installDir.empty() || installDir.front() != '/')
        return Fail(FormatInstallText(Localized(kIdsNotAbsolute), {}));
    if (!IsDirectory(installDir))
        CreateDirectoryStep("%INSTALL_DIR%", false);
    if (IsDirectory(installDir)) {
        manifest.Bind(installDir + "/" + CInstallManifest::kFileName);
        Record({SettingsKind(env.userSettingsPath), env.userSettingsPath});
        Record({ManifestEntry::MachineSettings, env.machineSettingsPath});
        if (!env.applicationsDir.empty())
            Record({ManifestEntry::ApplicationsDir, env.applicationsDir});
    }
    int i = 0;
    for (; params.running && i < params.stepCount; ++i) {
        if (progress)
            progress->SetPosition(i + 1);
        if (!RunStep(i))
            break;
    }
    return i == GetStepCount() && params.stepCount == GetStepCount();
}
