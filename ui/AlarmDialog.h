#pragma once
// The alarm dialog: the items whose alarm went off, with their number, server, description
// and local end date. Alarms raised while it is open join its list.

#include <QDialog>

#include <vector>

class CItem;
class QTreeWidget;

class CAlarmDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CAlarmDialog(QWidget* parent = nullptr);

    // Appends one row per item, in the order given; the texts are taken now, so the rows
    // outlive the items.
    void AddItems(const std::vector<CItem*>& items);
    QTreeWidget* List() const { return list; }

    static const std::vector<int>& ColumnIds();

private:
    void FitColumns();

    QTreeWidget* list = nullptr;
};
