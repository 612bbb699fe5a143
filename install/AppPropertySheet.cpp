#include "install/AppPropertySheet.h"

#include "install/InstallProgressDlg.h"
#include "install/InstallStringIds.h"
#include "install/InstallText.h"
#include "install/InstallUi.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QLabel* TextLabel(int id, QWidget* parent)
{
    auto* label = new QLabel(ReplaceAppName(Ids(id)), parent);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// The side picture: the product name and its icon over an evening-blue gradient.
QPixmap SidePicture()
{
    QPixmap picture(150, 300);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QLinearGradient gradient(0, 0, 0, picture.height());
    gradient.setColorAt(0, QColor(24, 52, 110));
    gradient.setColorAt(1, QColor(70, 130, 190));
    painter.fillRect(picture.rect(), gradient);
    painter.drawPixmap(QRect(27, 110, 96, 96), ApplicationIcon().pixmap(QSize(128, 128)));
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPointSize(15);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(0, 24, picture.width(), 40), Qt::AlignCenter, QStringLiteral("Lotwarden"));
    return picture;
}

} // namespace

void CInstallPage::SetContent(QWidget* content, bool withPicture)
{
    auto* layout = new QHBoxLayout(this);
    if (withPicture) {
        auto* picture = new QLabel(this);
        picture->setPixmap(SidePicture());
        picture->setAlignment(Qt::AlignTop);
        layout->addWidget(picture);
        layout->addSpacing(12);
    }
    layout->addWidget(content, 1);
}

CPageWelcome::CPageWelcome(int index, int count) : CInstallPage(index, count)
{
    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    QLabel* title = TextLabel(kIdsWelcomeTitle, content);
    QFont font = title->font();
    font.setBold(true);
    title->setFont(font);
    layout->addWidget(title);
    layout->addSpacing(10);
    layout->addWidget(TextLabel(kIdsWelcomeText, content));
    layout->addStretch(1);
    SetContent(content, true);
}

CPageLicence::CPageLicence(int index, int count, const QString& licenceText) : CInstallPage(index, count)
{
    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    layout->addWidget(TextLabel(kIdsLicenceIntro, content));
    text = new QPlainTextEdit(content);
    text->setObjectName(QStringLiteral("licenceText"));
    text->setReadOnly(true);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text->setPlainText(licenceText);
    layout->addWidget(text, 1);
    layout->addWidget(TextLabel(kIdsLicenceQuestion, content));
    SetContent(content, false);
}

CPageLanguage::CPageLanguage(int index, int count, int initialLanguage) : CInstallPage(index, count)
{
    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    layout->addWidget(TextLabel(kIdsLanguageIntro, content));
    group = new QButtonGroup(this);
    auto* english = new QRadioButton(ReplaceAppName(Ids(kIdsEnglish)), content);
    auto* french = new QRadioButton(ReplaceAppName(Ids(kIdsFrench)), content);
    group->addButton(english, 0);
    group->addButton(french, 1);
    (initialLanguage == 1 ? french : english)->setChecked(true);
    layout->addSpacing(8);
    layout->addWidget(english);
    layout->addWidget(french);
    layout->addStretch(1);
    SetContent(content, true);
}

int CPageLanguage::Language() const
{
    return group->checkedId() == 1 ? 1 : 0;
}

CPageDestination::CPageDestination(int index, int count, CAppPropertySheet& owner, const QString& directory,
                                   bool shortcut, bool offerDesktopShortcut)
    : CInstallPage(index, count), sheet(owner), destination(directory), desktopShortcut(shortcut)
{
    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    layout->addWidget(TextLabel(kIdsDestinationIntro, content));
    auto* box = new QGroupBox(Ids(kIdsDestinationGroup), content);
    auto* row = new QHBoxLayout(box);
    pathField = new QLineEdit(directory, box);
    pathField->setObjectName(QStringLiteral("destinationPath"));
    auto* browse = new QPushButton(Ids(kIdsBrowse), box);
    browse->setObjectName(QStringLiteral("browse"));
    row->addWidget(pathField, 1);
    row->addWidget(browse);
    layout->addWidget(box);
    layout->addWidget(TextLabel(kIdsDestinationHelp, content));
    shortcutBox = new QCheckBox(ReplaceAppName(Ids(kIdsDesktopShortcut)), content);
    shortcutBox->setChecked(shortcut);
    shortcutBox->setVisible(offerDesktopShortcut);
    layout->addWidget(shortcutBox);
    layout->addStretch(1);
    SetContent(content, true);
    connect(browse, &QPushButton::clicked, this, &CPageDestination::Browse);
}

void CPageDestination::Browse()
{
    const QString chosen = QFileDialog::getExistingDirectory(this, Ids(kIdsChooseDirectory), pathField->text());
    if (!chosen.isEmpty())
        pathField->setText(QDir::toNativeSeparators(chosen));
}

bool CPageDestination::validatePage()
{
    const QString typed = pathField->text();
    if (!QFileInfo::exists(typed) && typed != destination) {
        if (!AskYesNo(this, IdsFormat(kIdsCreateDirectoryQuestion, {typed.toStdString()}), Ids(kIdsQuestionCreate)))
            return false;
    }
    destination = typed;
    desktopShortcut = shortcutBox->isChecked();
    if (!QFileInfo::exists(destination) && !CreateDirectoryWithParents(destination.toStdString())) {
        ShowMessage(this, IdsFormat(kIdsCannotCreateDirectory, {destination.toStdString()}), Ids(kIdsProblem),
                    QMessageBox::Warning);
        return false;
    }
    sheet.RunInstallation(destination, desktopShortcut);
    return true;
}

CAppPropertySheet::CAppPropertySheet(const CInstallConfig& cfg, const CInstallEnvironment& environment,
                                     const IPayloadSource& source, int language, const QString& initialDirectory)
    : config(cfg), env(environment), payload(source), textLanguage(language)
{
    setWizardStyle(QWizard::ClassicStyle);
    setWindowIcon(ApplicationIcon());
    setOption(QWizard::NoBackButtonOnStartPage, true);
    setOption(QWizard::NoDefaultButton, false);
    setWindowFlags((windowFlags() | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint |
                    Qt::WindowSystemMenuHint) &
                   ~Qt::WindowMinMaxButtonsHint & ~Qt::WindowContextHelpButtonHint);
    pageCount = 2 + (config.hasLicencePage ? 1 : 0) + (config.hasLanguagePage ? 1 : 0);
    int index = 0;
    addPage(new CPageWelcome(++index, pageCount));
    if (config.hasLicencePage) {
        const std::optional<std::string_view> text = payload.Find(config.licenceResource, textLanguage);
        licencePage = new CPageLicence(++index, pageCount,
                                       text ? QString::fromUtf8(text->data(), static_cast<qsizetype>(text->size())) : QString());
        licenceId = addPage(licencePage);
    }
    if (config.hasLanguagePage) {
        languagePage = new CPageLanguage(++index, pageCount, std::atoi(InstallString(kIdsDefaultLanguage, textLanguage).c_str()));
        addPage(languagePage);
    }
    destinationPage = new CPageDestination(++index, pageCount, *this, initialDirectory, config.offerDesktopShortcut,
                                           config.offerDesktopShortcut);
    addPage(destinationPage);
    SetStandardButtonTexts();
    connect(this, &QWizard::currentIdChanged, this, &CAppPropertySheet::OnPageChanged);
    resize(600, 400);
    OnPageChanged(startId());
}

void CAppPropertySheet::SetStandardButtonTexts()
{
    setButtonText(QWizard::BackButton, Ids(kIdsBack));
    setButtonText(QWizard::NextButton, Ids(kIdsNext));
    setButtonText(QWizard::FinishButton, Ids(kIdsFinish));
    setButtonText(QWizard::CancelButton, Ids(kIdsCancel));
}

void CAppPropertySheet::OnPageChanged(int id)
{
    const auto* page = qobject_cast<const CInstallPage*>(this->page(id));
    if (!page)
        return;
    setWindowTitle(IdsFormat(kIdsPageCaption, {config.appName, std::to_string(page->PageIndex()),
                                               std::to_string(page->PageCount())}));
    // On the licence page Next means "I accept" and Cancel "I do not".
    SetStandardButtonTexts();
    if (id == licenceId) {
        setButtonText(QWizard::NextButton, Ids(kIdsYes));
        setButtonText(QWizard::CancelButton, Ids(kIdsNo));
    }
}

void CAppPropertySheet::reject()
{
    if (outcome >= 0 || AskYesNo(this, Ids(kIdsExitSetup), Ids(kIdsQuestion)))
        QWizard::reject();
}

bool CAppPropertySheet::RunInstallation(const QString& destination, bool desktopShortcut)
{
    const int language = languagePage ? languagePage->Language() : 0;
    CInstallProgressDlg progress(config, env, payload, textLanguage, destination, language, desktopShortcut, this);
    outcome = progress.exec() == 1 ? 1 : 0;
    const QString caption = IdsFormat(kIdsInstallationCaption, {config.appName});
    if (outcome == 1) {
        QString text = IdsFormat(kIdsInstalled, {config.appName});
        std::string kept;
        for (const std::string& path : progress.Engine().KeptFiles())
            kept += path + "\n";
        if (!kept.empty())
            text += QStringLiteral("\n\n") + IdsFormat(kIdsInstallKept, {kept}).trimmed();
        ShowMessage(this, text, caption, QMessageBox::NoIcon);
    } else {
        ShowMessage(this,
                    IdsFormat(kIdsNotInstalled, {config.appName}) + QStringLiteral("\n\n") +
                        QString::fromStdString(progress.Engine().FailureDescription()),
                    caption, QMessageBox::Warning);
    }
    return outcome == 1;
}
