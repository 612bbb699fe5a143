#include "install/InstallProgressDlg.h"

#include "install/InstallStringIds.h"
#include "install/InstallUi.h"

#include <QLabel>
#include <QMetaObject>
#include <QPointer>
#include <QProgressBar>
#include <QShowEvent>
#include <QVBoxLayout>

CInstallProgressDlg::CInstallProgressDlg(const CInstallConfig& config, const CInstallEnvironment& env,
                                         const IPayloadSource& payload, int textLanguage, QString destination,
                                         int languageIndex, bool desktopShortcut, QWidget* parent)
    : QDialog(parent), engine(config, env, payload, textLanguage)
{
    setWindowTitle(Ids(kIdsProgressTitle));
    setWindowFlags(windowFlags() & ~Qt::WindowCloseButtonHint & ~Qt::WindowContextHelpButtonHint);
    message = new QLabel(this);
    message->setWordWrap(true);
    message->setMinimumWidth(420);
    message->setMinimumHeight(message->fontMetrics().lineSpacing() * 2);
    message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    bar = new QProgressBar(this);
    bar->setRange(0, CInstallEngine::GetStepCount());
    bar->setValue(0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(message);
    layout->addWidget(bar);

    params.progress = this;
    params.stepCount = CInstallEngine::GetStepCount();
    params.destination = destination.toStdString();
    params.languageIndex = languageIndex;
    params.desktopShortcut = desktopShortcut;
}

CInstallProgressDlg::~CInstallProgressDlg()
{
    params.running = 0;
    if (worker.joinable())
        worker.join();
}

void CInstallProgressDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (started)
        return;
    started = true;
    message->clear();
    params.running = 1;
    worker = std::thread([this] {
        const bool ok = engine.Run(params);
        // Worker thread -> dialog's thread: the completion notification.
        QMetaObject::invokeMethod(this, [this, ok] { OnCompleted(ok); }, Qt::QueuedConnection);
    });
}

void CInstallProgressDlg::SetMessage(const std::string& text)
{
    // Worker thread -> dialog's thread.
    QMetaObject::invokeMethod(message, "setText", Qt::QueuedConnection, Q_ARG(QString, QString::fromStdString(text)));
}

void CInstallProgressDlg::SetPosition(int position)
{
    // Worker thread -> dialog's thread.
    QMetaObject::invokeMethod(bar, "setValue", Qt::QueuedConnection, Q_ARG(int, position));
}

void CInstallProgressDlg::OnCompleted(bool success)
{
    if (worker.joinable())
        worker.join();
    done(success ? 1 : 0);
}
