#include "ui/PageItemPtyAlarm.h"

#include "core/item/Item.h"
#include "ui/AlarmStrings.h"
#include "ui/UiText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace {

constexpr int kSecondsPerUnit[] = {1, 60, 3600};

} // namespace

LeadTime LeadTimeFromSeconds(int seconds)
{
    if (seconds % 3600 == 0)
        return {seconds / 3600, 2};
    if (seconds % 60 != 0)
        return {seconds, 0};
    return {seconds / 60, 1};
}

int LeadTimeToSeconds(const LeadTime& lead)
{
    const int unit = std::clamp(lead.unit, 0, 2);
    const long long seconds = static_cast<long long>(lead.value) * kSecondsPerUnit[unit];
    return static_cast<int>(std::clamp<long long>(seconds, INT_MIN, INT_MAX));
}

CLeadTimeSpin::CLeadTimeSpin(QWidget* parent) : QSpinBox(parent)
{
    // Wide enough for any stored lead time to show as it is, seconds included.
    setRange(INT_MIN / 2, INT_MAX / 2);
    setAccelerated(true);
}

void CLeadTimeSpin::stepBy(int steps)
{
    const long long next = static_cast<long long>(value()) + steps;
    setValue(static_cast<int>(std::clamp<long long>(next, kLeadTimeMin, kLeadTimeMax)));
    selectAll();
}

CPageItemPtyAlarm::CPageItemPtyAlarm(int alarmMode, int alarmSeconds, QWidget* parent)
    : QWidget(parent), storedSeconds(alarmSeconds)
{
    useDefault = new QRadioButton(ResText(kStrAlarmUseDefault), this);
    noAlarm = new QRadioButton(ResText(kStrAlarmNone), this);
    custom = new QRadioButton(ResText(kStrAlarmCustom), this);
    auto* group = new QButtonGroup(this);
    for (QRadioButton* button : {useDefault, noAlarm, custom})
        group->addButton(button);

    endCheck = new QCheckBox(ResText(kStrAlarmEndCheck), this);
    leadValue = new CLeadTimeSpin(this);
    leadValue->setObjectName(QStringLiteral("leadValue"));
    leadUnit = new QComboBox(this);
    leadUnit->addItems({ResText(kStrUnitSeconds), ResText(kStrUnitMinutes), ResText(kStrUnitHours)});
    beforeEnd = new QLabel(ResText(kStrAlarmBeforeEnd), this);
    buyerCheck = new QCheckBox(ResText(kStrAlarmBuyerCheck), this);

    auto* leadRow = new QHBoxLayout;
    leadRow->setContentsMargins(24, 0, 0, 0);
    leadRow->addWidget(leadValue);
    leadRow->addWidget(leadUnit);
    leadRow->addWidget(beforeEnd);
    leadRow->addStretch(1);
    auto* checks = new QVBoxLayout;
    checks->setContentsMargins(24, 0, 0, 0);
    checks->addWidget(endCheck);
    checks->addLayout(leadRow);
    checks->addWidget(buyerCheck);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(useDefault);
    layout->addWidget(noAlarm);
    layout->addWidget(custom);
    layout->addLayout(checks);
    layout->addStretch(1);

    switch (alarmMode) {
    case kAlarmDefault:
        useDefault->setChecked(true);
        break;
    case kAlarmEnd:
    case kAlarmBuyer:
    case kAlarmBoth:
        custom->setChecked(true);
        break;
    default:
        noAlarm->setChecked(true);
        break;
    }
    endCheck->setChecked(alarmMode == kAlarmEnd || alarmMode == kAlarmBoth);
    buyerCheck->setChecked(alarmMode == kAlarmBuyer || alarmMode == kAlarmBoth);
    const LeadTime lead = LeadTimeFromSeconds(alarmSeconds);
    leadValue->setValue(lead.value);
    leadUnit->setCurrentIndex(lead.unit);

    for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{useDefault, noAlarm, custom, endCheck})
        connect(button, &QAbstractButton::toggled, this, &CPageItemPtyAlarm::UpdateEnabling);
    UpdateEnabling();
}

void CPageItemPtyAlarm::UpdateEnabling()
{
    const bool customOn = custom->isChecked();
    endCheck->setEnabled(customOn);
    buyerCheck->setEnabled(customOn);
    const bool leadOn = LeadTimeInUse();
    for (QWidget* widget : std::initializer_list<QWidget*>{leadValue, leadUnit, beforeEnd})
        widget->setEnabled(leadOn);
}

int CPageItemPtyAlarm::AlarmMode() const
{
    if (useDefault->isChecked())
        return kAlarmDefault;
    if (!custom->isChecked())
        return kAlarmNone;
    const bool end = endCheck->isChecked();
    const bool buyer = buyerCheck->isChecked();
    if (end && buyer)
        return kAlarmBoth;
    if (buyer)
        return kAlarmBuyer;
    return end ? kAlarmEnd : kAlarmNone;
}

bool CPageItemPtyAlarm::LeadTimeInUse() const
{
    return custom->isChecked() && endCheck->isChecked();
}

bool CPageItemPtyAlarm::LeadTimeValid() const
{
    const int value = leadValue->value();
    return value >= kLeadTimeMin && value <= kLeadTimeMax;
}

int CPageItemPtyAlarm::AlarmSeconds() const
{
    // An out-of-range value left in the unused field keeps the item's lead time.
    if (!LeadTimeValid())
        return storedSeconds;
    return LeadTimeToSeconds({leadValue->value(), leadUnit->currentIndex()});
}

void CPageItemPtyAlarm::FocusLeadTime()
{
    leadValue->setFocus();
    leadValue->selectAll();
}
