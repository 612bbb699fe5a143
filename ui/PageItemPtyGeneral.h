#pragma once
// The "General" page of the item property sheet: the item's data as the list shows it, read
// only, and the two texts the user keeps on the item, shipping charges and memo.

#include <QWidget>

class CItem;
class QLineEdit;

class CPageItemPtyGeneral : public QWidget
{
    Q_OBJECT
public:
    explicit CPageItemPtyGeneral(const CItem& item, QWidget* parent = nullptr);

    // The read-only field showing column `columnId`, or nullptr.
    QLineEdit* Field(int columnId) const;
    QLineEdit* ShippingEdit() const { return shipping; }
    QLineEdit* MemoEdit() const { return memo; }

private:
    QLineEdit* shipping = nullptr;
    QLineEdit* memo = nullptr;
};
