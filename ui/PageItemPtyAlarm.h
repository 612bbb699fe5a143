#pragma once
// The "Alarm" page of the item property sheet: use the default alarm, no alarm, or a custom
// alarm before the end (with its lead time) and/or when the buyer changes.

#include <QSpinBox>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;

// A lead time as the dialogs show it: a value and a unit (0 seconds, 1 minutes, 2 hours).
struct LeadTime
{
    int value = 0;
    int unit = 0;
    bool operator==(const LeadTime&) const = default;
};
// Hours when `seconds` is a multiple of 3600 (so 0 is 0 hours), else seconds when it is not a
// multiple of 60, else minutes.
LeadTime LeadTimeFromSeconds(int seconds);
int LeadTimeToSeconds(const LeadTime& lead);

inline constexpr int kLeadTimeMin = 1;
inline constexpr int kLeadTimeMax = 10000;

// The lead-time field: any number can be typed (the page refuses those out of range when it is
// confirmed), the arrows stay within the accepted range.
class CLeadTimeSpin : public QSpinBox
{
    Q_OBJECT
public:
    explicit CLeadTimeSpin(QWidget* parent = nullptr);
    void stepBy(int steps) override;
};

class CPageItemPtyAlarm : public QWidget
{
    Q_OBJECT
public:
    CPageItemPtyAlarm(int alarmMode, int alarmSeconds, QWidget* parent = nullptr);

    // The choices made, as stored on the item: alarm mode 0 to 4 and the lead time in seconds.
    int AlarmMode() const;
    int AlarmSeconds() const;
    // Whether the lead-time field holds an accepted number; it is checked only while the field
    // is in use (custom alarm with the end alarm), a stored value the user cannot see being no
    // reason to refuse the sheet.
    bool LeadTimeValid() const;
    bool LeadTimeInUse() const;
    void FocusLeadTime();

    QRadioButton* UseDefaultButton() const { return useDefault; }
    QRadioButton* NoAlarmButton() const { return noAlarm; }
    QRadioButton* CustomButton() const { return custom; }
    QCheckBox* EndCheck() const { return endCheck; }
    QCheckBox* BuyerCheck() const { return buyerCheck; }
    CLeadTimeSpin* LeadValue() const { return leadValue; }
    QComboBox* LeadUnit() const { return leadUnit; }
    QLabel* BeforeEndText() const { return beforeEnd; }

private:
    void UpdateEnabling();

    QRadioButton* useDefault = nullptr;
    QRadioButton* noAlarm = nullptr;
    QRadioButton* custom = nullptr;
    QCheckBox* endCheck = nullptr;
    QCheckBox* buyerCheck = nullptr;
    CLeadTimeSpin* leadValue = nullptr;
    QComboBox* leadUnit = nullptr;
    QLabel* beforeEnd = nullptr;
    int storedSeconds = 0;
};
