#include "ui/ItemListModel.h"

#include "core/document/LotwardDoc.h"
#include "core/item/Item.h"
#include "ui/Artwork.h"
#include "ui/TimeLeft.h"
#include "ui/UiStrings.h"
#include "ui/UiText.h"

#include <algorithm>
#include <unordered_map>

CItemListModel::CItemListModel(CLotwardDoc& document, QObject* parent)
    : QAbstractTableModel(parent), doc(document), clock([] { return std::time(nullptr); })
{
}

void CItemListModel::SetClock(std::function<std::time_t()> now)
{
    clock = std::move(now);
}

bool CItemListModel::HasTimeLeft() const
{
    return std::find(columnIds.begin(), columnIds.end(), kColTimeLeft) != columnIds.end();
}

void CItemListModel::TimeLeftChanged(int first, int last)
{
    first = std::max(first, 0);
    last = std::min(last, rowCount() - 1);
    if (first > last)
        return;
    for (std::size_t column = 0; column < columnIds.size(); ++column)
        if (columnIds[column] == kColTimeLeft)
            emit dataChanged(index(first, static_cast<int>(column)), index(last, static_cast<int>(column)),
                             {Qt::DisplayRole, Qt::ForegroundRole});
}

int CItemListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows.size());
}

int CItemListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(columnIds.size());
}

CItem* CItemListModel::ItemAt(int row) const
{
    return row >= 0 && row < static_cast<int>(rows.size()) ? rows[static_cast<std::size_t>(row)] : nullptr;
}

int CItemListModel::RowOf(const CItem* item) const
{
    // Updates tend to come in row order (a refresh walks the list), so the search starts where
    // the last one ended.
    const int count = static_cast<int>(rows.size());
    for (int n = 0; n < count; ++n) {
        const int row = (lastFound + n) % count;
        if (rows[static_cast<std::size_t>(row)] == item) {
            lastFound = row;
            return row;
        }
    }
    return -1;
}

int CItemListModel::ColumnId(int column) const
{
    return column >= 0 && column < static_cast<int>(columnIds.size()) ? columnIds[static_cast<std::size_t>(column)] : 0;
}

int CItemListModel::IconIndex(const CItem& item)
{
    if (item.alarmRaised)
        return 2;
    return item.finished == 1 ? 1 : 0;
}

QVariant CItemListModel::data(const QModelIndex& index, int role) const
{
    const CItem* item = ItemAt(index.row());
    if (!item || index.column() >= static_cast<int>(columnIds.size()))
        return {};
    const int columnId = columnIds[static_cast<std::size_t>(index.column())];
    if (columnId == kColTimeLeft) {
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return item->finished == 1 && item->GetEndDateLocal()
                       ? ResText(kStrTimeLeftEnded)
                       : TimeLeftText(item->GetEndDateLocal(), clock());
        if (role == Qt::ForegroundRole)
            return WithinAlarmLead(*item, clock()) && alarmColor.isValid() ? QVariant(alarmColor)
                                                                           : QVariant();
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return ToQt(item->GetDisplayText(columnId));
    case Qt::DecorationRole:
        return index.column() == 0 ? QVariant(ItemStateIcon(IconIndex(*item))) : QVariant();
    case Qt::FontRole:
        return (boldUnread && item->readState == 0) ? boldFont : normalFont;
    case Qt::TextAlignmentRole:
        return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant CItemListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= static_cast<int>(columnIds.size()))
        return {};
    if (role == Qt::DisplayRole)
        return ResText(columnIds[static_cast<std::size_t>(section)]);
    if (role == Qt::TextAlignmentRole)
        return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags CItemListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}

void CItemListModel::SetBoldUnread(bool bold, const QFont& normal, const QFont& boldVariant)
{
    normalFont = normal;
    boldFont = boldVariant;
    if (bold == boldUnread)
        return;
    boldUnread = bold;
    if (!rows.empty() && !columnIds.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::FontRole});
}

void CItemListModel::RebuildColumns()
{
    std::vector<int> ids;
    doc.Columns().GetColumnIds(ids);
    const int oldCount = static_cast<int>(columnIds.size());
    if (oldCount > 0) {
        beginRemoveColumns(QModelIndex(), 0, oldCount - 1);
        columnIds.clear();
        endRemoveColumns();
    }
    if (!ids.empty()) {
        beginInsertColumns(QModelIndex(), 0, static_cast<int>(ids.size()) - 1);
        columnIds = std::move(ids);
        endInsertColumns();
    }
}

void CItemListModel::RebuildRows()
{
    beginResetModel();
    rows.clear();
    rows.reserve(static_cast<std::size_t>(doc.GetItemCount()));
    for (int i = 0; i < doc.GetItemCount(); ++i)
        rows.push_back(doc.GetItem(i));
    lastFound = 0;
    endResetModel();
}

void CItemListModel::AppendRow(CItem* item)
{
    const int row = static_cast<int>(rows.size());
    beginInsertRows(QModelIndex(), row, row);
    rows.push_back(item);
    endInsertRows();
}

void CItemListModel::RemoveRow(const CItem* item)
{
    const int row = RowOf(item);
    if (row < 0)
        return;
    beginRemoveRows(QModelIndex(), row, row);
    rows.erase(rows.begin() + row);
    endRemoveRows();
    if (lastFound >= static_cast<int>(rows.size()))
        lastFound = 0;
}

void CItemListModel::ReorderRows()
{
    std::vector<CItem*> order;
    order.reserve(static_cast<std::size_t>(doc.GetItemCount()));
    for (int i = 0; i < doc.GetItemCount(); ++i)
        order.push_back(doc.GetItem(i));
    if (order.size() != rows.size()) {
        RebuildRows();
        return;
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::unordered_map<const CItem*, int> newRow;
    newRow.reserve(order.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        newRow.emplace(order[i], static_cast<int>(i));
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& index : from) {
        auto it = newRow.find(ItemAt(index.row()));
        to.append(it == newRow.end() ? QModelIndex() : createIndex(it->second, index.column()));
    }
    rows = std::move(order);
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CItemListModel::RowChanged(const CItem* item)
{
    const int row = RowOf(item);
    if (row >= 0 && !columnIds.empty())
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}
