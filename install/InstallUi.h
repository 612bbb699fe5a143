#pragma once
// Qt helpers shared by Install's wizard and Uninstall: texts of the installer's table as
// QString, and message boxes whose captions and buttons come from that table.

#include "install/InstallCommandLine.h"
#include "install/Payload.h"

#include <QIcon>
#include <QMessageBox>
#include <QString>
#include <vector>

class QWidget;

QString Ids(int id);
QString IdsFormat(int id, const std::vector<std::string>& args);
QString ReplaceAppName(QString text);
// Lotwarden's icon, for the installer's windows.
QIcon ApplicationIcon();

// Yes/No question; true for Yes. Closing the box answers No.
bool AskYesNo(QWidget* parent, const QString& text, const QString& caption, QMessageBox::Icon icon = QMessageBox::Question);
void ShowMessage(QWidget* parent, const QString& text, const QString& caption, QMessageBox::Icon icon);

// The whole interactive flow of Install (start-up, wizard, progress, result); returns the
// program's exit code.
int RunInstallWizard(const InstallCommandLine& line, const IPayloadSource& payload);
// Uninstall with its questions; returns the exit code.
int RunUninstallWithQuestions(const std::string& installDir);

// The destination the wizard proposes: the recorded "Path" of an earlier installation, else
// the default folder.
std::string ProposedDestination(const std::string& machineSettingsPath, const std::string& defaultDirectory);
