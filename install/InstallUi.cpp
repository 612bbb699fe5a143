#include "install/InstallUi.h"

#include "install/AppPropertySheet.h"
#include "install/InstallEngine.h"
#include "install/InstallStringIds.h"
#include "install/InstallText.h"
#include "install/Uninstaller.h"
#include "platform/Cp1252.h"
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
    return recorded.empty() ? defaultDirectory : Utf8FromCp1252(recorded);
}

int RunInstallWizard(const InstallCommandLine& line, const IPayloadSource& payload)
{
    CInstallConfig config;
    const CInstallEnvironment env = CInstallEnvironment::FromSystem(line.perUser);
    config.defaultDirectory = DefaultInstallDirectory(env.machineWide);
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
    if (result.Succeeded()) {
        ShowMessage(nullptr, IdsFormat(kIdsUninstalled, {appName}), caption, QMessageBox::Information);
        return 0;
    }
    std::string list;
    for (const std::string& path : result.leftOver)
        list += path + "\n";
    ShowMessage(nullptr, IdsFormat(kIdsUninstallIncomplete, {appName, list}), caption, QMessageBox::Warning);
    return 1;
}
