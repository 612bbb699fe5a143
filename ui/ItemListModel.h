#pragma once
// The rows of the item list: one per item of the document, in the document's order. A row
// holds only its item's address; text, icon and font are read from the item when drawn.

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>

#include <ctime>
#include <functional>
#include <vector>

class CItem;
class CLotwardDoc;

class CItemListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit CItemListModel(CLotwardDoc& doc, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    CItem* ItemAt(int row) const;
    int RowOf(const CItem* item) const; // -1 when no row holds it
    int ColumnId(int column) const;
    // Icon index of an item: 2 alarm raised, 1 finished, 0 otherwise.
    static int IconIndex(const CItem& item);

    // The clock the Time Left column counts against (tests fix it).
    void SetClock(std::function<std::time_t()> now);
    bool HasTimeLeft() const;
    // Rows `first`..`last` of the Time Left column have a new text (the clock moved on).
    void TimeLeftChanged(int first, int last);
    void SetAlarmColor(const QColor& color) { alarmColor = color; }

    void SetBoldUnread(bool bold, const QFont& normal, const QFont& boldFont);
    bool BoldUnread() const { return boldUnread; }

    // Document updates.
    void RebuildColumns();
    void RebuildRows();
    void AppendRow(CItem* item);
    void RemoveRow(const CItem* item);
    void ReorderRows(); // to the document's order; persistent indexes (selection, focus) follow their items
    void RowChanged(const CItem* item);

private:
    CLotwardDoc& doc;
    std::vector<CItem*> rows;
    std::vector<int> columnIds;
    bool boldUnread = false;
    QFont normalFont;
    QFont boldFont;
    mutable int lastFound = 0;
    std::function<std::time_t()> clock;
    QColor alarmColor;
};
