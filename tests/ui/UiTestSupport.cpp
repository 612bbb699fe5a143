#include "UiTestSupport.h"

#include "core/document/LotwardDoc.h"
#include "core/refresh/RefreshService.h"
#include "sites/AuctionServer.h"
#include "ui/LotwardView.h"
#include "ui/MainFrame.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

ProgramFolder::ProgramFolder(bool withData, bool withBlank, bool withFrench)
{
    const QString bin = QStringLiteral(LW_BIN_DIR);
    if (withData)
        QFile::copy(bin + QStringLiteral("/Lotward.dat"), dir.filePath(QStringLiteral("Lotward.dat")));
    if (withBlank)
        QFile::copy(bin + QStringLiteral("/Blank.html"), dir.filePath(QStringLiteral("Blank.html")));
    if (withFrench)
        QFile::copy(bin + QStringLiteral("/Lotward.fr"), dir.filePath(QStringLiteral("Lotward.fr")));
}

void AnswerNextModal(std::function<void(QWidget*)> answer, QString* seenText)
{
    // Polls from the event loop that the modal window runs, so the answer comes from inside it.
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, answer, seenText] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        timer->stop();
        timer->deleteLater();
        if (seenText)
            if (auto* box = qobject_cast<QMessageBox*>(modal))
                *seenText = box->text();
        answer(modal);
    });
    timer->start();
}

void PressInNextModal(const QString& label, QString* seenText)
{
    AnswerNextModal(
        [label](QWidget* modal) {
            for (QAbstractButton* button : modal->findChildren<QAbstractButton*>()) {
                if (button->text() == label) {
                    button->click();
                    return;
                }
            }
            QStringList shown;
            for (QAbstractButton* button : modal->findChildren<QAbstractButton*>())
                shown << button->text();
            ADD_FAILURE() << "no button " << label.toStdString() << " in " << modal->metaObject()->className() << ": "
                          << shown.join(QLatin1Char('|')).toStdString();
            modal->close();
        },
        seenText);
}

RunningApp::RunningApp(std::function<void(CMemorySettingsStore&)> prepare)
{
    settings.WriteInt("Main Window", "Split", 0);
    settings.WriteInt("Settings", "ReadTime", 3);
    if (prepare)
        prepare(settings);
    app = std::make_unique<CLotwardApp>(settings, folder.Path());
    const bool started = app->InitInstance({QStringLiteral("Lotward")});
    EXPECT_TRUE(started);
    if (started)
        app->Refresh()->Shutdown();
}

RunningApp::~RunningApp()
{
    if (app) {
        app->Document().SetModifiedFlag(false);
        app->ExitInstance();
    }
}

CLotwardDoc& RunningApp::Doc()
{
    return app->Document();
}

CMainFrame& RunningApp::Frame()
{
    return *app->Frame();
}

CLotwardView& RunningApp::View()
{
    return *app->Frame()->ItemView();
}

std::string EbayUrl(const std::string& number)
{
    return FindServer(107)->GetItemUrl(number);
}

void AddEbayItems(CLotwardDoc& doc, std::initializer_list<const char*> numbers)
{
    for (const char* number : numbers)
        doc.AddItem(number, FindServer(107));
}
