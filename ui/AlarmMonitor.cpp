#include "ui/AlarmMonitor.h"

#include "core/document/LotwardDoc.h"
#include "core/options/AppOptions.h"
#include "ui/AlarmDialog.h"
#include "ui/AlarmSound.h"
#include "ui/AlarmStrings.h"
#include "ui/Notifier.h"
#include "ui/UiText.h"

#include <QFile>
#include <QTreeWidget>

namespace {

constexpr int kOptAlarmBehavior = 6;
constexpr int kBehaviorMessage = 0;
constexpr int kBehaviorSound = 1;
constexpr int kBehaviorBoth = 2;

} // namespace

CAlarmMonitor::CAlarmMonitor(QWidget* owner, QObject* parent)
    : QObject(parent), dialogParent(owner), soundPlayer(PlayAlarmSound)
{
}

std::vector<CItem*> CAlarmMonitor::Check(CLotwardDoc& doc, std::time_t now)
{
    std::vector<CItem*> fired;
    for (int i = 0; i < doc.GetItemCount(); ++i) {
        CItem* item = doc.GetItem(i);
        if (item->CheckAlarm(now))
            fired.push_back(item);
    }
    if (!fired.empty())
        Raise(doc, fired);
    return fired;
}

void CAlarmMonitor::Raise(CLotwardDoc& doc, const std::vector<CItem*>& fired)
{
    if (fired.empty())
        return;
    const int behavior = GetIntOption(kOptAlarmBehavior);
    const bool message = behavior == kBehaviorMessage || behavior == kBehaviorBoth;
    for (CItem* item : fired) {
        doc.SetModifiedFlag();
        item->readState = 0;
        doc.UpdateAllViews(kHintItemChanged, item);
        // The notification is the message's desktop form: it follows the "message" choice.
        if (message)
            PostDesktopNotification(
                ResFormat(kStrAlarmNotifyTitle,
                          {ToQt(item->GetItemNumber()), ToQt(item->GetDisplayText(kColServer))}),
                ResFormat(kStrAlarmNotifyBody,
                          {ToQt(item->description), ToQt(item->GetDisplayText(kColEndDateLocal))}));
    }

    if ((behavior == kBehaviorSound || behavior == kBehaviorBoth) && soundPlayer)
        soundPlayer(QFile::decodeName(QByteArray::fromStdString(GetAlarmSoundFile())));
    if (!message)
        return;

    if (dialog) {
        // The dialog of an earlier check is still up: its list grows instead of a second one.
        dialog->AddItems(fired);
        return;
    }
    // Shown without a modal loop of its own: the check runs inside the frame timer's handler,
    // and the timer must keep ticking (status bar, periodic refresh, later alarms) meanwhile.
    dialog = new CAlarmDialog(dialogParent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->AddItems(fired);
    dialog->open();
}
