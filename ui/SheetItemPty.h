#pragma once
// The item property sheet: "General" (the item's data, shipping charges and memo) and "Alarm"
// (the item's own alarm), with OK and Cancel.

#include <QDialog>

class CItem;
class CLotwardDoc;
class CLotwardView;
class CPageItemPtyAlarm;
class CPageItemPtyGeneral;
class QTabWidget;

class CSheetItemPty : public QDialog
{
    Q_OBJECT
public:
    CSheetItemPty(const CItem& item, QWidget* parent = nullptr);

    CPageItemPtyGeneral* GeneralPage() const { return general; }
    CPageItemPtyAlarm* AlarmPage() const { return alarm; }
    QTabWidget* Tabs() const { return tabs; }

    // Refuses a lead time out of range with the range message and keeps the sheet open.
    void accept() override;

private:
    QTabWidget* tabs = nullptr;
    CPageItemPtyGeneral* general = nullptr;
    CPageItemPtyAlarm* alarm = nullptr;
};

// The Properties command for `item`: marks it read (through the list when there is one), shows
// the sheet modally and, on OK, writes back only the values that changed. Returns whether
// anything was written.
bool ShowItemProperties(CLotwardDoc& doc, CLotwardView* list, CItem& item, QWidget* parent);
