#include "ui/SheetOption.h"

#include "sites/AuctionServer.h"
#include "ui/ChooserPage.h"
#include "ui/PageOptionAlarm.h"
#include "ui/PageOptionGeneral.h"
#include "ui/SheetOptionSpin.h"
#include "ui/SheetOptionState.h"
#include "ui/SheetOptionStrings.h"
#include "ui/UiStrings.h"
#include "ui/UiText.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <mutex>

namespace {

QString ServerName(int id)
{
    const CAuctionServer* server = FindServer(id);
    return server ? ToQt(server->GetDisplayName()) : QString();
}

} // namespace

CSheetOption::CSheetOption(const CAppOptions& options, QWidget* parent) : QDialog(parent), result(options)
{
    setWindowTitle(ResText(kStrOptionsTitle));
    tabs = new QTabWidget(this);
    general = new CPageOptionGeneral(options, tabs);
    tabs->addTab(general, ResText(kStrOptGeneral));

    ChooserParams params;
    params.captionId = kStrServersCaption;
    params.pluralId = kStrServersPlural;
    params.emptyMessageId = kStrNoServerChosen;
    params.userOrder = false;
    params.capacityHint = 30;
    params.textOf = ServerName;
    const std::vector<int> all = AllServerIds();
    servers = new CChooserPage(params, all, ChosenServers(all, options.rejectedServers), tabs);
    tabs->addTab(servers, servers->Caption());

    alarm = new CPageOptionAlarm(options, tabs);
    tabs->addTab(alarm, ResText(kStrOptAlarm));

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(ResText(kStrButtonOk), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(ResText(kStrButtonCancel), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
    resize(std::max(sizeHint().width(), 520), sizeHint().height());
}

void CSheetOption::accept()
{
    if (CRangeSpin* field = general->InvalidField()) {
        tabs->setCurrentWidget(general);
        RefuseOutOfRange(this, field);
        return;
    }
    if (servers->ChosenIds().empty()) {
        tabs->setCurrentWidget(servers);
        servers->Validate();
        return;
    }
    if (CRangeSpin* field = alarm->InvalidField()) {
        tabs->setCurrentWidget(alarm);
        RefuseOutOfRange(this, field);
        return;
    }
    general->Store(result);
    result.rejectedServers = RejectedServers(AllServerIds(), servers->ChosenIds());
    alarm->Store(result);
    QDialog::accept();
}

bool ShowOptionsSheet(QWidget* parent)
{
    CAppOptions copy;
    {
        std::lock_guard<std::mutex> lock(OptionsLock());
        const CAppOptions* options = AppOptionsUnlocked();
        if (!options)
            return false;
        copy = *options;
    }
    CSheetOption sheet(copy, parent);
    if (sheet.exec() != QDialog::Accepted)
        return false;
    const CAppOptions edited = sheet.Result();
    std::lock_guard<std::mutex> lock(OptionsLock());
    CAppOptions* options = AppOptionsUnlocked();
    if (!options)
        return false;
    *options = edited;
    return true;
}
