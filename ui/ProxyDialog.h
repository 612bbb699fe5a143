#pragma once
// Asks the user name and password a proxy demands.

#include <QDialog>

class QLineEdit;

class CProxyDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CProxyDialog(const QString& proxy, QWidget* parent = nullptr);
    QString User() const;
    QString Password() const;

private:
    QLineEdit* userEdit = nullptr;
    QLineEdit* passwordEdit = nullptr;
};
