#pragma once
// The document's choice of item-list columns: ids (string-resource numbers of the titles)
// and widths in pixels, left to right.

#include <vector>

class CArchiveReader;
class CArchiveWriter;

struct CColumnInfo
{
    int id = 0;
    int width = 0;
};

class CColumnInfoList
{
public:
    void ResetToDefaults();
    void RemoveAll() { columns.clear(); }
    int GetColumnIds(std::vector<int>& ids) const; // appends; returns the count
    int GetCount() const { return static_cast<int>(columns.size()); }
    int GetId(int position) const { return columns.at(static_cast<std::size_t>(position)).id; }
    int GetWidth(int position) const { return columns.at(static_cast<std::size_t>(position)).width; }
    bool SetWidth(int position, int width);
    bool SetColumns(const std::vector<int>& ids);

    void Write(CArchiveWriter& archive) const;
    void Read(CArchiveReader& archive);

    // The width a column gets when the user newly chooses it.
    static int NewColumnWidth(int id);

private:
    std::vector<CColumnInfo> columns;
};

// Appends the ids the display preferences offer, in the order they are offered.
void GetAvailableColumnIds(std::vector<int>& ids);
