#include "ui/AddItemDialog.h"

#include "platform/SettingsStore.h"
#include "sites/AuctionServer.h"
#include "ui/UiStrings.h"
#include "ui/UiText.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CAddItemDialog::CAddItemDialog(ISettingsStore& store, QWidget* parent) : QDialog(parent), settings(store)
{
    setWindowTitle(ResText(kStrAddItemTitle));
    serverList = new QComboBox(this);
    numberEdit = new QLineEdit(this);

    const std::vector<CAuctionServer*> servers = SelectableServers();
    for (CAuctionServer* server : servers)
        serverList->addItem(ToQt(server->GetDisplayLabel()), QVariant::fromValue(static_cast<void*>(server)));

    int selection = -1;
    const int stored = settings.GetInt("Settings", "Server", 0);
    for (std::size_t i = 0; stored != 0 && i < servers.size(); ++i)
        if (servers[i]->serverId == stored)
            selection = static_cast<int>(i);
    if (selection < 0 && !servers.empty())
        selection = DefaultServerIndex(servers);
    serverList->setCurrentIndex(selection);

    auto* serverLabel = new QLabel(ResText(kStrAddItemServer), this);
    serverLabel->setBuddy(serverList);
    auto* numberLabel = new QLabel(ResText(kStrAddItemNumber), this);
    numberLabel->setBuddy(numberEdit);

    auto* buttons = new QDialogButtonBox(this);
    okButton = buttons->addButton(ResText(kStrButtonOk), QDialogButtonBox::AcceptRole);
    buttons->addButton(ResText(kStrButtonCancel), QDialogButtonBox::RejectRole);
    okButton->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(numberEdit, &QLineEdit::textChanged, this, &CAddItemDialog::UpdateOk);

    auto* form = new QFormLayout;
    form->addRow(serverLabel, serverList);
    form->addRow(numberLabel, numberEdit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    numberEdit->setFocus();
    UpdateOk();
}

void CAddItemDialog::UpdateOk()
{
    okButton->setEnabled(!numberEdit->text().isEmpty());
}

void CAddItemDialog::accept()
{
    if (numberEdit->text().isEmpty())
        return;
    chosen = static_cast<CAuctionServer*>(serverList->currentData().value<void*>());
    if (chosen)
        settings.WriteInt("Settings", "Server", chosen->serverId);
    itemNumber = FromQt(numberEdit->text());
    QDialog::accept();
}
