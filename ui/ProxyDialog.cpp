#include "ui/ProxyDialog.h"

#include "ui/UiStrings.h"
#include "ui/UiText.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CProxyDialog::CProxyDialog(const QString& proxy, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(ResText(kStrProxyTitle));
    auto* prompt = new QLabel(ResFormat(kStrProxyPrompt, {proxy}), this);
    prompt->setWordWrap(true);
    userEdit = new QLineEdit(this);
    passwordEdit = new QLineEdit(this);
    passwordEdit->setEchoMode(QLineEdit::Password);
    auto* userLabel = new QLabel(ResText(kStrProxyUser), this);
    userLabel->setBuddy(userEdit);
    auto* passwordLabel = new QLabel(ResText(kStrProxyPassword), this);
    passwordLabel->setBuddy(passwordEdit);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(ResText(kStrButtonOk), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(ResText(kStrButtonCancel), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* form = new QFormLayout;
    form->addRow(userLabel, userEdit);
    form->addRow(passwordLabel, passwordEdit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

QString CProxyDialog::User() const
{
    return userEdit->text();
}

QString CProxyDialog::Password() const
{
    return passwordEdit->text();
}
