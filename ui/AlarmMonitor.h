#pragma once
// The alarm check that the frame timer runs every 5 seconds, and what the user sees and hears
// when alarms go off: the items marked unread (icon and bold text), one sound per check, the
// alarm dialog listing them, and a desktop notification for each.

#include "ui/AlarmDialog.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <ctime>
#include <functional>
#include <vector>

class CItem;
class CLotwardDoc;
class QWidget;

class CAlarmMonitor : public QObject
{
    Q_OBJECT
public:
    // `dialogParent` owns the alarm dialog while it shows.
    explicit CAlarmMonitor(QWidget* dialogParent, QObject* parent = nullptr);

    // Tests every item of `doc` at `now`, in document order, and raises those that fired.
    // Returns them.
    std::vector<CItem*> Check(CLotwardDoc& doc, std::time_t now);
    void Raise(CLotwardDoc& doc, const std::vector<CItem*>& fired);

    // The alarm dialog while it is open, else nullptr.
    CAlarmDialog* OpenDialog() const { return dialog; }

    // Replaces the sound player (tests); it receives the "Alarm Sound File" value.
    void SetSoundPlayer(std::function<void(const QString& soundFile)> player) { soundPlayer = std::move(player); }

private:
    QWidget* dialogParent;
    QPointer<CAlarmDialog> dialog;
    std::function<void(const QString&)> soundPlayer;
};
