#include "install/InstallUi.h"

#include "install/AppPropertySheet.h"
#include "install/InstallEngine.h"
#include "install/InstallStringIds.h"
#include "install/InstallText.h"
#include "install/SilentRun.h"
#include "install/Uninstaller.h"
#include "platform/IniSettingsStore.h"

#include <QApplication>
#include <QPushButton>

QString Ids(int id)
{
    return QString::fromStdString(InstallString(id));
}

QString IdsFormat(int id, const std::vector<std::string>& args)
{
    return QString::fromStdString(FormatInstallString(id, args));
}

QString ReplaceAppName(QString text)
{
    return text.replace(QStringLiteral("%APP_NAME%"), QString::fromStdString(CInstallConfig().appName));
}

// The icons are compiled into this static library; naming their initialiser keeps the linker
// from dropping them.
static void InitInstallIcons()
{
    Q_INIT_RESOURCE(InstallIcons);
}

QIcon ApplicationIcon()
{
    InitInstallIcons();
    QIcon icon;
    for (int size : {16, 32, 48, 128})
        icon.addFile(QStringLiteral(":/icons/lotwarden-%1.png").arg(size), QSize(size, size));
    return icon;
}

bool AskYesNo(QWidget* parent, const QString& text, const QString& caption, QMessageBox::Icon icon)
{
    QMessageBox box(icon, caption, text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(Ids(kIdsYes), QMessageBox::YesRole);
    QPushButton* no = box.addButton(Ids(kIdsNo), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

void ShowMessage(QWidget* parent, const QString& text, const QString& caption, QMessageBox::Icon icon)
{
    QMessageBox box(icon, caption, text, QMessageBox::NoButton, parent);
    box.addButton(Ids(kIdsOk), QMessageBox::AcceptRole);
    box.exec();
}

std::string ProposedDestination(const std::string& machineSettingsPath, const std::string& defaultDirectory)
{
    const CInstallConfig config;
    const std::string section = config.installKey.substr(config.installKey.rfind('\\') + 1);
    const std::string recorded = CIniSettingsStore(machineSettingsPath).GetString(section, config.installValue);
    // The recorded path holds the file system's bytes.
    return recorded.empty() ? defaultDirectory : recorded;
}

int RunInstallWizard(const InstallCommandLine& line, const IPayloadSource& payload)
{
    CInstallConfig config;
    const CInstallEnvironment env = CInstallEnvironment::FromSystem(line.perUser, line.systemRoot);
    config.defaultDirectory = line.systemRoot + DefaultInstallDirectory(env.machineWide);
    const std::string proposed = line.dir.empty() ? ProposedDestination(env.machineSettingsPath, config.defaultDirectory)
                                                  : line.dir;
    CAppPropertySheet sheet(config, env, payload, GetInstallLanguage(), QString::fromStdString(proposed));
    sheet.exec();
    RefreshDesktopDatabases(env.mimeDir, env.applicationsDir);
    return sheet.Outcome() == 1 ? 0 : 1;
}

int RunUninstallWithQuestions(const std::string& installDir)
{
    const std::string appName = CInstallConfig().appName;
    const QString caption = IdsFormat(kIdsUninstallCaption, {appName});
    CUninstaller uninstaller(installDir);
    if (!uninstaller.Load()) {
        ShowMessage(nullptr, IdsFormat(kIdsNotInstalledHere, {appName}), caption, QMessageBox::Warning);
        return 1;
    }
    if (!AskYesNo(nullptr, IdsFormat(kIdsUninstallConfirm, {appName}), caption))
        return 1;
    const bool removeSettings = AskYesNo(nullptr, IdsFormat(kIdsRemoveSettings, {appName}), caption);
    const UninstallResult result = uninstaller.Run(removeSettings);
    ShowMessage(nullptr, QString::fromStdString(UninstallSummary(result)).trimmed(), caption,
                result.Succeeded() ? QMessageBox::Information : QMessageBox::Warning);
    return result.Succeeded() ? 0 : 1;
}
