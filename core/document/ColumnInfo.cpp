#include "core/document/ColumnInfo.h"

#include "core/document/Archive.h"
#include "core/item/Item.h"

#include <algorithm>

namespace {

struct AvailableColumn
{
    int id;
    int width;
};

constexpr AvailableColumn kAvailableColumns[] = {
    {kColItemNumber, 200},    {kColDescription, 200},    {kColQuantity, 200},
    {kColServer, 100},        {kColCategory, 100},       {kColFinished, 100},
    {kColCurrentPrice, 100},  {kColInitialPrice, 100},   {kColLocation, 100},
    {kColBidCount, 100},      {kColStartDate, 100},      {kColEndDate, 100},
    {kColStartDateLocal, 100}, {kColEndDateLocal, 100},  {kColTimeLeft, 100},
    {kColRetrievalDate, 100},
    {kColSeller, 100},        {kColCurrentBuyer, 100},   {kColMemo, 100},
    {kColShippingCharges, 100},
};

constexpr CColumnInfo kDefaultColumns[] = {
    {kColItemNumber, 92}, {kColServer, 92},  {kColDescription, 320},   {kColCurrentPrice, 92},
    {kColEndDateLocal, 135}, {kColBidCount, 106}, {kColQuantity, 72}, {kColRetrievalDate, 135},
};

constexpr int kUnknownColumnWidth = 50;

} // namespace

void GetAvailableColumnIds(std::vector<int>& ids)
{
    for (const AvailableColumn& column : kAvailableColumns)
        ids.push_back(column.id);
}

int CColumnInfoList::NewColumnWidth(int id)
{
    for (const AvailableColumn& column : kAvailableColumns)
        if (column.id == id)
            return column.width;
    return kUnknownColumnWidth;
}

void CColumnInfoList::ResetToDefaults()
{
    columns.assign(std::begin(kDefaultColumns), std::end(kDefaultColumns));
}

int CColumnInfoList::GetColumnIds(std::vector<int>& ids) const
{
    for (const CColumnInfo& column : columns)
        ids.push_back(column.id);
    return GetCount();
}

bool CColumnInfoList::SetWidth(int position, int width)
{
    CColumnInfo& column = columns.at(static_cast<std::size_t>(position));
    if (column.width == width)
        return false;
    column.width = width;
    return true;
}

bool CColumnInfoList::SetColumns(const std::vector<int>& ids)
{
    if (ids.size() == columns.size() &&
        std::equal(ids.begin(), ids.end(), columns.begin(),
                   [](int id, const CColumnInfo& column) { return id == column.id; }))
        return false;
    std::vector<CColumnInfo> previous = std::move(columns);
    std::vector<bool> taken(previous.size(), false);
    columns.clear();
    for (int id : ids) {
        bool moved = false;
        for (std::size_t i = 0; i < previous.size(); ++i) {
            if (!taken[i] && previous[i].id == id) {
                columns.push_back(previous[i]);
                taken[i] = true;
                moved = true;
                break;
            }
        }
        if (!moved)
            columns.push_back({id, NewColumnWidth(id)});
    }
    return true;
}

void CColumnInfoList::Write(CArchiveWriter& ar) const
{
    ar.WriteCount(static_cast<std::uint32_t>(columns.size()));
    for (const CColumnInfo& column : columns) {
        ar.WriteObjectTag(ArchiveClass::kColumnInfo, ArchiveClass::kColumnInfoSchema);
        ar.WriteI32(column.id);
        ar.WriteI32(column.width);
    }
}

void CColumnInfoList::Read(CArchiveReader& ar)
{
    const std::uint32_t count = ar.ReadCount();
    std::vector<CColumnInfo> read;
    for (std::uint32_t i = 0; i < count; ++i) {
        ar.ReadObjectTag(ArchiveClass::kColumnInfo);
        CColumnInfo column;
        column.id = ar.ReadI32();
        column.width = ar.ReadI32();
        read.push_back(column);
    }
    columns = std::move(read);
}
