#pragma once
// Install's wizard: welcome, licence (when the product has one), language (when the product
// offers one) and destination pages. Finish on the destination page runs the installation
// behind the progress dialog and reports the outcome.

#include "install/InstallEngine.h"

#include <QWizard>
#include <QWizardPage>

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

class CAppPropertySheet;

class CInstallPage : public QWizardPage
{
    Q_OBJECT
public:
    CInstallPage(int index, int count) : pageIndex(index), pageCount(count) {}
    int PageIndex() const { return pageIndex; }
    int PageCount() const { return pageCount; }

protected:
    // The side picture beside the page's content.
    void SetContent(QWidget* content, bool withPicture);

private:
    int pageIndex;
    int pageCount;
};

class CPageWelcome : public CInstallPage
{
    Q_OBJECT
public:
    CPageWelcome(int index, int count);
};

class CPageLicence : public CInstallPage
{
    Q_OBJECT
public:
    CPageLicence(int index, int count, const QString& licenceText);
    QPlainTextEdit* Text() const { return text; }

private:
    QPlainTextEdit* text = nullptr;
};

class CPageLanguage : public CInstallPage
{
    Q_OBJECT
public:
    CPageLanguage(int index, int count, int initialLanguage);
    int Language() const;

private:
    QButtonGroup* group = nullptr;
};

class CPageDestination : public CInstallPage
{
    Q_OBJECT
public:
    CPageDestination(int index, int count, CAppPropertySheet& sheet, const QString& directory, bool desktopShortcut,
                     bool offerDesktopShortcut);
    bool validatePage() override;

    QLineEdit* PathField() const { return pathField; }
    const QString& Destination() const { return destination; }
    bool DesktopShortcut() const { return desktopShortcut; }

private:
    void Browse();

    CAppPropertySheet& sheet;
    QLineEdit* pathField = nullptr;
    QCheckBox* shortcutBox = nullptr;
    QString destination;
    bool desktopShortcut;
};

class CAppPropertySheet : public QWizard
{
    Q_OBJECT
public:
    CAppPropertySheet(const CInstallConfig& config, const CInstallEnvironment& env, const IPayloadSource& payload,
                      int textLanguage, const QString& initialDirectory);

    void reject() override;

    int PageCount() const { return pageCount; }
    CPageLicence* Licence() const { return licencePage; }
    CPageLanguage* LanguagePage() const { return languagePage; }
    CPageDestination* Destination() const { return destinationPage; }

    // Runs the installation for the destination page (steps 4 to 6 of Finish); true when
    // installed.
    bool RunInstallation(const QString& destination, bool desktopShortcut);
    // -1 until Finish ran the installation, then 1 (installed) or 0.
    int Outcome() const { return outcome; }

private:
    void OnPageChanged(int id);
    void SetStandardButtonTexts();

    const CInstallConfig& config;
    const CInstallEnvironment& env;
    const IPayloadSource& payload;
    int textLanguage;
    int pageCount = 0;
    CPageLicence* licencePage = nullptr;
    CPageLanguage* languagePage = nullptr;
    CPageDestination* destinationPage = nullptr;
    int licenceId = -1;
    int outcome = -1;
};
