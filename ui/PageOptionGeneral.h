#pragma once
// The "General" page of the options sheet: refresh at open and periodically, purging finished
// items when saving, simultaneous downloads and the language.

#include <QWidget>

class CAppOptions;
class CRangeSpin;
class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;

class CPageOptionGeneral : public QWidget
{
    Q_OBJECT
public:
    explicit CPageOptionGeneral(const CAppOptions& options, QWidget* parent = nullptr);

    // The first field in use holding a number out of its range, or nullptr.
    CRangeSpin* InvalidField() const;
    // Writes the page's values; call only when InvalidField() is nullptr. A value the page
    // could not show (an unknown language, a download count outside the list) stays as stored.
    void Store(CAppOptions& options) const;

    QCheckBox* RefreshStartupCheck() const { return refreshStartup; }
    QCheckBox* RefreshPeriodicallyCheck() const { return refreshPeriodically; }
    CRangeSpin* PeriodField() const { return period; }
    QCheckBox* PurgeCheck() const { return purge; }
    CRangeSpin* PurgeDaysField() const { return purgeDays; }
    QComboBox* SimultDownloadList() const { return simult; }
    QRadioButton* EnglishButton() const { return english; }
    QRadioButton* FrenchButton() const { return french; }

private:
    void UpdateEnabling();

    QCheckBox* refreshStartup = nullptr;
    QCheckBox* refreshPeriodically = nullptr;
    QLabel* periodLabel = nullptr;
    CRangeSpin* period = nullptr;
    QLabel* periodUnit = nullptr;
    QCheckBox* purge = nullptr;
    QLabel* purgeLabel = nullptr;
    CRangeSpin* purgeDays = nullptr;
    QLabel* purgeUnit = nullptr;
    QComboBox* simult = nullptr;
    QRadioButton* english = nullptr;
    QRadioButton* french = nullptr;
};
