#pragma once
// The table-driven install engine: the product's configuration, six path macros, 22 steps run
// in order on a worker thread until one fails, and the step primitives (directories, payload
// files, desktop entries, settings values, document type, uninstall record).

#include "install/InstallEnvironment.h"
#include "install/InstallManifest.h"
#include "install/Payload.h"

#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct CInstallConfig
{
    std::string installKey = "Software\\Ashgrove\\Lotwarden\\Install";
    std::string installValue = "Path";
    std::string defaultDirectory;         // see DefaultInstallDirectory()
    std::string appName = "Lotwarden";
    std::string uninstallCommand = "%INSTALL_DIR%/Uninstall";
    std::string licenceResource = "FILE7";
    bool hasLicencePage = true;
    bool hasLanguagePage = true;
    bool offerDesktopShortcut = false;

    CInstallConfig();
};

// ~/.local/opt/Lotwarden for a user (HOME), /opt/Lotwarden for root or without HOME.
std::string DefaultInstallDirectory(bool machineWide);

// What the worker reports while it runs. Called on the worker thread.
class IInstallProgress
{
public:
    virtual ~IInstallProgress() = default;
    virtual void SetMessage(const std::string& text) = 0;
    virtual void SetPosition(int position) = 0;
};

struct InstallRunParams
{
    IInstallProgress* progress = nullptr;
    int stepCount = 22;
    std::atomic<int> running{0};
    std::string destination; // as typed
    int languageIndex = 0;   // 0 English, 1 French: the watch-list program's language
    bool desktopShortcut = false;
};

enum class RegistryRoot { CurrentUser, LocalMachine };

class CInstallEngine
{
public:
    // `textLanguage` picks the installer's own texts and the localised payload variants.
    CInstallEngine(CInstallConfig config, CInstallEnvironment env, const IPayloadSource& payload, int textLanguage);

    static int GetStepCount() { return 22; }

    // The whole run (worker thread): macros, the destination with its parents, then the steps
    // while `params.running` is set. True when all steps ran and succeeded.
    bool Run(InstallRunParams& params);
    // Step 0 to 21; an index above 21 does nothing and succeeds.
    bool RunStep(int index);

    void ComputeMacros(const std::string& destination);
    std::string ExpandMacros(std::string text) const;
    const std::string& InstallDir() const { return installDir; }

    // Step primitives; paths may hold macros.
    bool CreateDirectoryStep(const std::string& path, bool showMessage = true);
    bool ExtractFileStep(const std::string& resource, const std::string& target);
    bool CreateShortcutStep(const std::string& link, const std::string& target, const std::string& mimeType = {});
    bool CreateKeyStep(RegistryRoot root, const std::string& subkey);
    bool SetStringValueStep(RegistryRoot root, const std::string& subkey, const std::string& name, const std::string& data);
    bool SetStringValueIfAbsentStep(RegistryRoot root, const std::string& subkey, const std::string& name,
                                    const std::string& data, bool overwrite, bool expand);
    bool SetDwordValueStep(RegistryRoot root, const std::string& subkey, const std::string& name, int value, bool overwrite);
    bool RegisterDocumentTypeStep(const std::string& progId, const std::string& typeName, const std::string& extension,
                                  const std::string& program);
    bool RegisterUninstallStep();

    // The settings file a registry root stands for.
    const std::string& StorePath(RegistryRoot root) const;
    const CInstallManifest& Manifest() const { return manifest; }
    // Files left as they were because they are the user's (changed since an installation
    // wrote them, or documents the installation did not write).
    const std::vector<std::string>& KeptFiles() const { return kept; }
    // After a failed run: the step it stopped at and why ("Stopped at: ...\nCause: ...").
    std::string FailureDescription() const;

    static constexpr const char* kMimeType = "application/x-lotwarden";
    // The application icon, carried in the payload and installed beside the program.
    static constexpr const char* kIconResource = "ICON";
    static constexpr const char* kIconFileName = "Lotwarden.svg";

private:
    void ShowMessage(int id, const std::string& argument = {});
    // Note the cause of a failing step (an errno value, or a text); always false.
    bool Fail(int error);
    bool Fail(const std::string& cause);
    bool KeepsExistingFile(const std::string& resource, const std::string& path,
                           const std::optional<std::string_view>& bytes) const;
    ManifestEntry::Kind ValueKind(RegistryRoot root) const;
    ManifestEntry::Kind SettingsKind(const std::string& store) const;
    std::string Localized(int id) const;
    // Maps a registry subkey to a settings section ("" with `ok` for the key itself).
    bool SectionOf(const std::string& subkey, std::string& section) const;
    void Record(const ManifestEntry& entry);

    CInstallConfig config;
    CInstallEnvironment env;
    const IPayloadSource& payload;
    int textLanguage;
    IInstallProgress* progress = nullptr;
    int languageIndex = 0;
    std::string typedDestination;
    CInstallManifest manifest;
    std::vector<std::string> kept;
    std::string lastMessage;
    std::string failureCause;

    // The macros, set once per run.
    std::string installDir, startMenu, startMenuPrograms, windowsDir, windowsSystem, desktopDir;
};

// Creates `path` and its missing parents; `path` must be absolute. Creating a directory that
// already exists counts as failure, as the step table expects. Directories it made are added to
// `created` when given.
bool CreateDirectoryWithParents(std::string path, std::vector<std::string>* created = nullptr);

// 8 March 2000 00:00:00 local time, the stamp of every payload file.
long long ReleaseTimeStamp();

// Tells the desktop that applications and document types changed: update-mime-database and
// update-desktop-database, each when installed, started with an argument list.
void RefreshDesktopDatabases(const std::string& mimeDir, const std::string& applicationsDir);

struct DesktopEntry
{
    std::string name, frenchName;
    std::string comment, frenchComment;
    std::string target;      // the program the entry starts
    std::string mimeType;    // "" = opens no documents
    std::string icon;        // "" = none
    std::string windowClass; // StartupWMClass; "" = none
};

// The text of a desktop entry (Exec quoted as the desktop entry specification asks).
std::string DesktopEntryText(const DesktopEntry& entry);
std::string MimePackageText(const std::string& mimeType, const std::string& typeName, const std::string& extension);
