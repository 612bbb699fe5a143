#pragma once
// The progress dialog: a message line and a progress bar over the install run, which goes on a
// worker thread. It has no buttons and closes with 1 (installed) or 0 when the run ends.

#include "install/InstallEngine.h"

#include <QDialog>

#include <memory>
#include <thread>

class QLabel;
class QProgressBar;

class CInstallProgressDlg : public QDialog, private IInstallProgress
{
    Q_OBJECT
public:
    CInstallProgressDlg(const CInstallConfig& config, const CInstallEnvironment& env, const IPayloadSource& payload,
                        int textLanguage, QString destination, int languageIndex, bool desktopShortcut,
                        QWidget* parent = nullptr);
    ~CInstallProgressDlg() override;

    // The worker runs until it finishes; closing the dialog meanwhile is not offered.
    void reject() override {}

    QLabel* MessageLine() const { return message; }
    QProgressBar* ProgressBar() const { return bar; }
    // Once the dialog has closed (the worker has ended): what the run left or why it stopped.
    const CInstallEngine& Engine() const { return engine; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Called on the worker thread; they hand the values to the dialog's thread.
    void SetMessage(const std::string& text) override;
    void SetPosition(int position) override;
    void OnCompleted(bool success);

    CInstallEngine engine;
    InstallRunParams params;
    QLabel* message = nullptr;
    QProgressBar* bar = nullptr;
    std::thread worker;
    bool started = false;
};
