// Install's wizard and progress dialog, driven offscreen. Message boxes are answered by a
// responder that watches for the active modal box. With LW_SCREENSHOT_DIR set, the screenshot
// test writes every page in English and French there.

#include "InstallTestSupport.h"
#include "install/AppPropertySheet.h"
#include "install/InstallProgressDlg.h"
#include "install/InstallStringIds.h"
#include "install/InstallText.h"
#include "install/InstallUi.h"
#include "platform/IniSettingsStore.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

QApplication& App()
{
    // Offscreen unless the caller chose a platform (the screenshots run under Xvfb).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "ui_install_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Answers every message box that becomes the active modal window: `choose` gets the box's
// text and returns the text of the button to press.
class CModalResponder
{
public:
    explicit CModalResponder(std::function<QString(const QString&)> chooseButton) : choose(std::move(chooseButton))
    {
        QObject::connect(&timer, &QTimer::timeout, [this] { Poll(); });
        timer.start(10);
    }
    QStringList texts;
    QStringList captions;

private:
    void Poll()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box == last)
            return;
        last = box;
        texts << box->text();
        captions << box->windowTitle();
        const QString wanted = choose(box->text());
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == wanted) {
                QMetaObject::invokeMethod(button, "click", Qt::QueuedConnection);
                return;
            }
        }
        ADD_FAILURE() << "no button " << wanted.toStdString() << " on " << box->text().toStdString();
    }

    std::function<QString(const QString&)> choose;
    QTimer timer;
    QMessageBox* last = nullptr;
};

CMemoryPayload WizardPayload()
{
    CMemoryPayload payload;
    for (const char* name : {"FILE1", "FILE2", "FILE3", "FILE4", "FILE5", "FILE6", "FILE8", "FILE9"})
        payload.Add(name, name);
    payload.Add("FILE7", "LICENSE AGREEMENT\n\n1. Grant.", kInstallEnglish);
    payload.Add("FILE7", "CONTRAT DE LICENCE\n\n1. Concession.", kInstallFrench);
    return payload;
}

CInstallEnvironment EnvUnder(const TempRoot& root)
{
    CInstallEnvironment env;
    env.userSettingsPath = root / "config/Ashgrove/Lotwarden.ini";
    env.machineSettingsPath = root / "config/Ashgrove/LotwardenMachine.ini";
    env.applicationsDir = root / "data/applications";
    env.mimeDir = root / "data/mime";
    return env;
}

class Wizard : public ::testing::Test
{
protected:
    void SetUp() override
    {
        App();
        SetInstallLanguage(kInstallEnglish);
    }
    void TearDown() override { SetInstallLanguage(kInstallEnglish); }

    std::unique_ptr<CAppPropertySheet> Make(const QString& dir, bool licence = true, bool language = true)
    {
        config.hasLicencePage = licence;
        config.hasLanguagePage = language;
        env = EnvUnder(root);
        auto sheet = std::make_unique<CAppPropertySheet>(config, env, payload, GetInstallLanguage(), dir);
        sheet->show();
        return sheet;
    }
    static QString ButtonText(CAppPropertySheet& sheet, QWizard::WizardButton which)
    {
        return sheet.button(which)->text();
    }

    TempRoot root;
    CInstallConfig config;
    CInstallEnvironment env;
    CMemoryPayload payload = WizardPayload();
};

} // namespace

TEST_F(Wizard, WithoutTheOptionalPagesTwoPagesAreCaptionedOneAndTwoOfTwo)
{
    auto sheet = Make(QString::fromStdString(root / "Lotwarden"), false, false);
    EXPECT_EQ(sheet->PageCount(), 2);
    EXPECT_EQ(sheet->windowTitle(), "Lotwarden Installation (1/2)");
    EXPECT_FALSE(sheet->button(QWizard::BackButton)->isVisible());
    EXPECT_TRUE(sheet->button(QWizard::NextButton)->isVisible());
    sheet->next();
    EXPECT_EQ(sheet->windowTitle(), "Lotwarden Installation (2/2)");
    EXPECT_TRUE(sheet->button(QWizard::FinishButton)->isVisible());
    EXPECT_TRUE(sheet->button(QWizard::BackButton)->isVisible());
    EXPECT_EQ(sheet->Licence(), nullptr);
    EXPECT_EQ(sheet->LanguagePage(), nullptr);
}

TEST_F(Wizard, FourPagesWithTheLicenceRelabellingNextAndCancelAsYesAndNo)
{
    auto sheet = Make(QString::fromStdString(root / "Lotwarden"));
    const QStringList captions = {"Lotwarden Installation (1/4)", "Lotwarden Installation (2/4)",
                                  "Lotwarden Installation (3/4)", "Lotwarden Installation (4/4)"};
    EXPECT_EQ(sheet->windowTitle(), captions[0]);
    EXPECT_EQ(ButtonText(*sheet, QWizard::NextButton), "&Next >");
    sheet->next();
    EXPECT_EQ(sheet->windowTitle(), captions[1]);
    EXPECT_EQ(ButtonText(*sheet, QWizard::NextButton), "&Yes");
    EXPECT_EQ(ButtonText(*sheet, QWizard::CancelButton), "&No");
    EXPECT_EQ(sheet->Licence()->Text()->toPlainText(), "LICENSE AGREEMENT\n\n1. Grant.");
    EXPECT_TRUE(sheet->Licence()->Text()->isReadOnly());
    sheet->next();
    EXPECT_EQ(sheet->windowTitle(), captions[2]);
    EXPECT_EQ(ButtonText(*sheet, QWizard::NextButton), "&Next >");
    EXPECT_EQ(ButtonText(*sheet, QWizard::CancelButton), "Cancel");
    EXPECT_EQ(sheet->LanguagePage()->Language(), 0);
    sheet->back();
    EXPECT_EQ(ButtonText(*sheet, QWizard::NextButton), "&Yes");
    sheet->next();
    sheet->next();
    EXPECT_EQ(sheet->windowTitle(), captions[3]);
    // Texts name the product instead of the placeholder.
    for (const QLabel* label : sheet->findChildren<QLabel*>())
        EXPECT_FALSE(label->text().contains("%APP_NAME%")) << label->text().toStdString();
    EXPECT_FALSE(sheet->Destination()->findChild<QCheckBox*>()->isVisibleTo(sheet->Destination()));
}

TEST_F(Wizard, CancelAsksFirstAndNoKeepsTheWizardOpen)
{
    auto sheet = Make(QString::fromStdString(root / "Lotwarden"));
    {
        CModalResponder responder([](const QString&) { return QString("&No"); });
        sheet->reject();
        ASSERT_EQ(responder.texts.size(), 1);
        EXPECT_EQ(responder.texts[0], "Are you sure you want to exit setup ?");
        EXPECT_EQ(responder.captions[0], "Question");
        EXPECT_TRUE(sheet->isVisible());
    }
    CModalResponder responder([](const QString&) { return QString("&Yes"); });
    sheet->reject();
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), QDialog::Rejected);
    EXPECT_EQ(ListFiles(root.Path()), std::vector<std::string>{});
}

TEST_F(Wizard, ANewFolderIsQuestionedAndNoKeepsThePage)
{
    auto sheet = Make(QString::fromStdString(root / "Proposed"));
    sheet->next();
    sheet->next();
    sheet->next();
    const QString typed = QString::fromStdString(root / "Typed/Lotwarden");
    sheet->Destination()->PathField()->setText(typed);
    CModalResponder responder([](const QString&) { return QString("&No"); });
    EXPECT_FALSE(sheet->Destination()->validatePage());
    ASSERT_EQ(responder.texts.size(), 1);
    EXPECT_EQ(responder.texts[0], "The directory:\n\n" + typed + "\n\ndoes not exist.  Do you want the directory to be created?");
    EXPECT_EQ(responder.captions[0], "Question");
    EXPECT_FALSE(FileExists(root / "Typed"));
    EXPECT_EQ(sheet->Outcome(), -1);
}

TEST_F(Wizard, TheProposedFolderIsCreatedWithoutAQuestionAndInstalled)
{
    const QString proposed = QString::fromStdString(root / "opt/Lotwarden");
    auto sheet = Make(proposed);
    sheet->next();
    sheet->next();
    // French for the watch-list program.
    sheet->LanguagePage()->findChildren<QRadioButton*>()[1]->setChecked(true);
    sheet->next();
    CModalResponder responder([](const QString&) { return QString("OK"); });
    EXPECT_TRUE(sheet->Destination()->validatePage());
    ASSERT_EQ(responder.texts.size(), 1) << responder.texts.join("|").toStdString();
    EXPECT_EQ(responder.texts[0], "Lotwarden has been successfully installed.");
    EXPECT_EQ(responder.captions[0], "Lotwarden installation");
    EXPECT_EQ(sheet->Outcome(), 1);
    EXPECT_EQ(ReadFile(root / "opt/Lotwarden/Lotward"), "FILE4");
    EXPECT_EQ(CIniSettingsStore(env.userSettingsPath).GetInt("Options", "Language", -1), 1);
    EXPECT_EQ(ProposedDestination(env.machineSettingsPath, "/default"), proposed.toStdString());
    EXPECT_EQ(ProposedDestination(root / "none.ini", "/default"), "/default");
}

TEST_F(Wizard, AFolderThatCannotBeCreatedIsRefusedAndAFailedRunReported)
{
    WriteFile(root / "file", "x");
    auto sheet = Make(QString::fromStdString(root / "file/Lotwarden"), false, false);
    sheet->next();
    {
        CModalResponder responder([](const QString&) { return QString("OK"); });
        EXPECT_FALSE(sheet->Destination()->validatePage());
        ASSERT_EQ(responder.texts.size(), 1);
        EXPECT_EQ(responder.texts[0], "The directory:\n\n" + QString::fromStdString(root / "file/Lotwarden") +
                                          "\n\ncan not be created!");
        EXPECT_EQ(responder.captions[0], "Problem");
    }
    // An existing folder whose program name is taken by a folder: the run fails at that step.
    const std::string dir = root / "taken";
    ASSERT_TRUE(CreateDirectoryWithParents(dir + "/Lotward"));
    sheet->Destination()->PathField()->setText(QString::fromStdString(dir));
    CModalResponder responder([](const QString&) { return QString("OK"); });
    EXPECT_TRUE(sheet->Destination()->validatePage());
    ASSERT_EQ(responder.texts.size(), 1);
    // The box names the step and the cause.
    EXPECT_EQ(responder.texts[0],
              "Lotwarden has not been successfully installed.\n\nStopped at: Installing \"" +
                  QString::fromStdString(dir) + "/Lotward\".\nCause: Is a directory");
    EXPECT_EQ(sheet->Outcome(), 0);
    EXPECT_TRUE(FileExists(dir + "/Lotward.dat"));
}

TEST_F(Wizard, FrenchTextsAndTheFrenchProposal)
{
    SetInstallLanguage(kInstallFrench);
    auto sheet = Make(QString::fromStdString(root / "Lotwarden"));
    EXPECT_EQ(sheet->windowTitle(), "Installation de Lotwarden (1/4)");
    EXPECT_EQ(ButtonText(*sheet, QWizard::NextButton), "&Suivant >");
    sheet->next();
    EXPECT_EQ(ButtonText(*sheet, QWizard::NextButton), "&Oui");
    EXPECT_EQ(ButtonText(*sheet, QWizard::CancelButton), "&Non");
    EXPECT_EQ(sheet->Licence()->Text()->toPlainText(), "CONTRAT DE LICENCE\n\n1. Concession.");
    sheet->next();
    EXPECT_EQ(sheet->LanguagePage()->Language(), 1);
}

// Not a check: writes every page to LW_SCREENSHOT_DIR for a look by eye.
TEST_F(Wizard, Screenshots)
{
    const QString dir = qEnvironmentVariable("LW_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "LW_SCREENSHOT_DIR not set";
    for (int language : {kInstallEnglish, kInstallFrench}) {
        SetInstallLanguage(language);
        const QString suffix = language == kInstallFrench ? "fr" : "en";
        auto sheet = Make(QStringLiteral("/home/alice/.local/opt/Lotwarden"));
        for (int page = 1; page <= 4; ++page) {
            QTest::qWait(200);
            sheet->grab().save(QString("%1/wizard-%2-page%3.png").arg(dir, suffix).arg(page));
            if (page < 4)
                sheet->next();
        }
        // A real run into the test's folder; the picture is taken once it has finished, with the
        // message line as it reads during step 6.
        CInstallProgressDlg progress(config, env, payload, language, QString::fromStdString(root / "shot"), 0, false);
        progress.show();
        QTest::qWait(1000);
        progress.show();
        progress.ProgressBar()->setValue(6);
        progress.MessageLine()->setText(
            QString::fromStdString(FormatInstallString(kIdsInstallingFile, {"/home/alice/.local/opt/Lotwarden/Lotward"})));
        QTest::qWait(200);
        progress.grab().save(QString("%1/progress-%2.png").arg(dir, suffix));
        progress.hide();
        struct
        {
            const char* name;
            QString text;
            QString caption;
            QMessageBox::Icon icon;
        } boxes[] = {
            {"exit", Ids(kIdsExitSetup), Ids(kIdsQuestion), QMessageBox::Question},
            {"create", IdsFormat(kIdsCreateDirectoryQuestion, {"/home/alice/Programs/Lotwarden"}), Ids(kIdsQuestionCreate),
             QMessageBox::Question},
            {"done", IdsFormat(kIdsInstalled, {"Lotwarden"}), IdsFormat(kIdsInstallationCaption, {"Lotwarden"}),
             QMessageBox::NoIcon},
        };
        for (const auto& b : boxes) {
            QMessageBox box(b.icon, b.caption, b.text);
            box.addButton(Ids(kIdsYes), QMessageBox::YesRole);
            box.addButton(Ids(kIdsNo), QMessageBox::NoRole);
            box.show();
            QTest::qWait(100);
            box.grab().save(QString("%1/message-%2-%3.png").arg(dir, b.name, suffix));
        }
        CModalResponder responder([](const QString&) { return Ids(kIdsYes); });
        sheet->reject();
    }
}
