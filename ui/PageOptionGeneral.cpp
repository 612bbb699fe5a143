#include "ui/PageOptionGeneral.h"

#include "core/options/AppOptions.h"
#include "ui/SheetOptionSpin.h"
#include "ui/SheetOptionStrings.h"
#include "ui/UiText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QHBoxLayout* IndentedRow(std::initializer_list<QWidget*> widgets)
{
    auto* row = new QHBoxLayout;
    row->setContentsMargins(24, 0, 0, 0);
    for (QWidget* widget : widgets)
        row->addWidget(widget);
    row->addStretch(1);
    return row;
}

} // namespace

CPageOptionGeneral::CPageOptionGeneral(const CAppOptions& options, QWidget* parent) : QWidget(parent)
{
    refreshStartup = new QCheckBox(ResText(kStrOptRefreshStartup), this);
    refreshPeriodically = new QCheckBox(ResText(kStrOptRefreshPeriodically), this);
    periodLabel = new QLabel(ResText(kStrOptPeriod), this);
    period = new CRangeSpin(kRefreshPeriodRange, this);
    period->setObjectName(QStringLiteral("period"));
    periodLabel->setBuddy(period);
    periodUnit = new QLabel(ResText(kStrOptMinutes), this);

    purge = new QCheckBox(ResText(kStrOptPurge), this);
    purgeLabel = new QLabel(ResText(kStrOptPurgeSince), this);
    purgeDays = new CRangeSpin(kPurgeDaysRange, this);
    purgeDays->setObjectName(QStringLiteral("purgeDays"));
    purgeLabel->setBuddy(purgeDays);
    purgeUnit = new QLabel(ResText(kStrOptDays), this);

    auto* simultLabel = new QLabel(ResText(kStrOptSimultDownload), this);
    simult = new QComboBox(this);
    for (int i = 0; i < kSimultDownloadChoices; ++i)
        simult->addItem(i < 4 ? ResText(kStrOptSimult1 + i) : QString::number(i + 1));
    simultLabel->setBuddy(simult);

    auto* languageLabel = new QLabel(ResText(kStrOptLanguage), this);
    english = new QRadioButton(ResText(kStrOptEnglish), this);
    french = new QRadioButton(ResText(kStrOptFrench), this);
    auto* languages = new QButtonGroup(this);
    languages->addButton(english);
    languages->addButton(french);
    languageLabel->setBuddy(english);
    auto* note = new QLabel(ResText(kStrOptLanguageNote), this);
    note->setWordWrap(true);

    auto* choices = new QGridLayout;
    choices->addWidget(simultLabel, 0, 0);
    choices->addWidget(simult, 0, 1);
    choices->addWidget(languageLabel, 1, 0);
    auto* languageRow = new QHBoxLayout;
    languageRow->addWidget(english);
    languageRow->addWidget(french);
    languageRow->addStretch(1);
    choices->addLayout(languageRow, 1, 1);
    choices->setColumnStretch(2, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(refreshStartup);
    layout->addWidget(refreshPeriodically);
    layout->addLayout(IndentedRow({periodLabel, period, periodUnit}));
    layout->addSpacing(6);
    layout->addWidget(purge);
    layout->addLayout(IndentedRow({purgeLabel, purgeDays, purgeUnit}));
    layout->addSpacing(6);
    layout->addLayout(choices);
    layout->addSpacing(6);
    layout->addWidget(note);
    layout->addStretch(1);

    refreshStartup->setChecked(options.refreshStartup != 0);
    refreshPeriodically->setChecked(options.refreshPeriodically != 0);
    period->setValue(options.refreshPeriod);
    purge->setChecked(options.purge != 0);
    purgeDays->setValue(options.purgePeriod);
    const bool listed = options.simultDownload >= 1 && options.simultDownload <= kSimultDownloadChoices;
    simult->setCurrentIndex(listed ? options.simultDownload - 1 : -1);
    english->setChecked(options.language == 0);
    french->setChecked(options.language == 1);

    connect(refreshPeriodically, &QCheckBox::toggled, this, &CPageOptionGeneral::UpdateEnabling);
    connect(purge, &QCheckBox::toggled, this, &CPageOptionGeneral::UpdateEnabling);
    UpdateEnabling();
}

void CPageOptionGeneral::UpdateEnabling()
{
    const bool periodic = refreshPeriodically->isChecked();
    for (QWidget* widget : {static_cast<QWidget*>(periodLabel), static_cast<QWidget*>(period), static_cast<QWidget*>(periodUnit)})
        widget->setEnabled(periodic);
    const bool purging = purge->isChecked();
    for (QWidget* widget : {static_cast<QWidget*>(purgeLabel), static_cast<QWidget*>(purgeDays), static_cast<QWidget*>(purgeUnit)})
        widget->setEnabled(purging);
}

CRangeSpin* CPageOptionGeneral::InvalidField() const
{
    // A field the user cannot reach (its box unchecked) is no reason to refuse the sheet.
    if (refreshPeriodically->isChecked() && !period->Valid())
        return period;
    if (purge->isChecked() && !purgeDays->Valid())
        return purgeDays;
    return nullptr;
}

void CPageOptionGeneral::Store(CAppOptions& options) const
{
    options.refreshStartup = refreshStartup->isChecked() ? 1 : 0;
    options.refreshPeriodically = refreshPeriodically->isChecked() ? 1 : 0;
    if (period->Valid())
        options.refreshPeriod = period->value();
    options.purge = purge->isChecked() ? 1 : 0;
    if (purgeDays->Valid())
        options.purgePeriod = purgeDays->value();
    if (simult->currentIndex() >= 0)
        options.simultDownload = simult->currentIndex() + 1;
    if (english->isChecked())
        options.language = 0;
    else if (french->isChecked())
        options.language = 1;
}
