#pragma once
// The options sheet: "General", the servers offered, and the default alarm, with OK and
// Cancel. The pages work on a copy of the options; nothing changes until OK.

#include "core/options/AppOptions.h"

#include <QDialog>

class CChooserPage;
class CPageOptionAlarm;
class CPageOptionGeneral;
class QTabWidget;

class CSheetOption : public QDialog
{
    Q_OBJECT
public:
    explicit CSheetOption(const CAppOptions& options, QWidget* parent = nullptr);

    // The options as the pages hold them; meaningful after the sheet was accepted.
    CAppOptions Result() const { return result; }

    CPageOptionGeneral* GeneralPage() const { return general; }
    CChooserPage* ServersPage() const { return servers; }
    CPageOptionAlarm* AlarmPage() const { return alarm; }
    QTabWidget* Tabs() const { return tabs; }

    // Refuses an out-of-range number or an empty server choice on the page concerned, which
    // it shows, and keeps the sheet open.
    void accept() override;

private:
    CAppOptions result;
    QTabWidget* tabs = nullptr;
    CPageOptionGeneral* general = nullptr;
    CChooserPage* servers = nullptr;
    CPageOptionAlarm* alarm = nullptr;
};

// The Options command: copies the options out under the options lock, runs the sheet without
// the lock, and on OK copies the pages' values back under the lock. Returns whether they were
// written.
bool ShowOptionsSheet(QWidget* parent);
