#include "ui/SheetItemPty.h"

#include "core/document/LotwardDoc.h"
#include "ui/AlarmStrings.h"
#include "ui/LotwardView.h"
#include "ui/MessageBox.h"
#include "ui/PageItemPtyAlarm.h"
#include "ui/PageItemPtyGeneral.h"
#include "ui/UiStrings.h"
#include "ui/UiText.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

CSheetItemPty::CSheetItemPty(const CItem& item, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(ResFormat(kStrItemPtyTitle, {ToQt(item.GetItemNumber()), ToQt(item.GetDisplayText(kColServer))}));
    tabs = new QTabWidget(this);
    general = new CPageItemPtyGeneral(item, tabs);
    alarm = new CPageItemPtyAlarm(item.alarmMode, item.alarmSeconds, tabs);
    tabs->addTab(general, ResText(kStrPageGeneral));
    tabs->addTab(alarm, ResText(kStrPageAlarm));

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(ResText(kStrButtonOk), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(ResText(kStrButtonCancel), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
    resize(std::max(sizeHint().width(), 460), sizeHint().height());
}

void CSheetItemPty::accept()
{
    if (alarm->LeadTimeInUse() && !alarm->LeadTimeValid()) {
        tabs->setCurrentWidget(alarm);
        LwMessage::Show(this,
                        ResFormat(kStrRangeMessage, {QString::number(kLeadTimeMin), QString::number(kLeadTimeMax)}),
                        LwMessage::Ok, QMessageBox::Warning);
        alarm->FocusLeadTime();
        return;
    }
    QDialog::accept();
}

bool ShowItemProperties(CLotwardDoc& doc, CLotwardView* list, CItem& item, QWidget* parent)
{
    if (list) {
        list->MarkItem(&item, 1);
    } else {
        const bool hadAlarm = item.alarmRaised != 0;
        if (item.SetReadState(1)) {
            doc.SetModifiedFlag();
            doc.UpdateAllViews(kHintItemChanged, &item);
        } else if (hadAlarm) {
            doc.UpdateAllViews(kHintItemChanged, &item);
        }
    }

    CSheetItemPty sheet(item, parent);
    if (sheet.exec() != QDialog::Accepted)
        return false;
    // While the sheet was open the timer kept running; the item is still the document's
    // because removing items needs the list, which the modal sheet blocked.
    if (!doc.ContainsItem(&item))
        return false;

    bool changed = item.SetAlarmMode(sheet.AlarmPage()->AlarmMode());
    changed = item.SetAlarmSeconds(sheet.AlarmPage()->AlarmSeconds()) || changed;
    const bool memoChanged = item.SetMemo(FromQt(sheet.GeneralPage()->MemoEdit()->text()));
    const bool shippingChanged = item.SetShippingCharges(FromQt(sheet.GeneralPage()->ShippingEdit()->text()));
    if (!changed && !memoChanged && !shippingChanged)
        return false;
    doc.SetModifiedFlag();
    if (memoChanged || shippingChanged)
        doc.UpdateAllViews(kHintItemChanged, &item);
    return true;
}
