#pragma once
// The "Add Item" dialog: a server list and an item number; OK only while a number is typed.

#include <QDialog>

#include <string>

class CAuctionServer;
class ISettingsStore;
class QComboBox;
class QLineEdit;
class QPushButton;

class CAddItemDialog : public QDialog
{
    Q_OBJECT
public:
    CAddItemDialog(ISettingsStore& settings, QWidget* parent = nullptr);

    // Valid after OK: the chosen adapter and the item number exactly as typed.
    CAuctionServer* ChosenServer() const { return chosen; }
    std::string ItemNumber() const { return itemNumber; }

    QComboBox* ServerList() const { return serverList; }
    QLineEdit* NumberEdit() const { return numberEdit; }
    QPushButton* OkButton() const { return okButton; }

    void accept() override;

private:
    void UpdateOk();

    ISettingsStore& settings;
    QComboBox* serverList = nullptr;
    QLineEdit* numberEdit = nullptr;
    QPushButton* okButton = nullptr;
    CAuctionServer* chosen = nullptr;
    std::string itemNumber;
};
