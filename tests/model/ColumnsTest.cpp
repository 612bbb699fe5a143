// The column list: defaults, new choices keeping moved widths, table widths for new columns.

#include "core/document/ColumnInfo.h"
#include "core/item/Item.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::pair<int, int>> Columns(const CColumnInfoList& list)
{
    std::vector<std::pair<int, int>> out;
    for (int i = 0; i < list.GetCount(); ++i)
        out.emplace_back(list.GetId(i), list.GetWidth(i));
    return out;
}

} // namespace

TEST(ModelColumns, DefaultsAndAvailableTable)
{
    CColumnInfoList list;
    list.ResetToDefaults();
    const std::vector<std::pair<int, int>> defaults = {{103, 92}, {106, 92}, {104, 320}, {112, 92},
                                                       {127, 135}, {115, 106}, {105, 72}, {118, 135}};
    EXPECT_EQ(Columns(list), defaults);
    std::vector<int> available;
    GetAvailableColumnIds(available);
    const std::vector<int> expected = {103, 104, 105, 106, 110, 111, 112, 113, 114, 115,
                                       116, 117, 126, 127, 128, 118, 119, 120, 101, 125};
    EXPECT_EQ(available, expected);
}

TEST(ModelColumns, SetColumnsCases)
{
    struct Case
    {
        const char* what;
        std::vector<int> first;  // a choice made first (empty: none)
        std::vector<int> ids;
        bool changed;
        std::vector<std::pair<int, int>> result;
    } cases[] = {
        {"same ids, same order", {}, {103, 106, 104, 112, 127, 115, 105, 118}, false,
         {{103, 92}, {106, 92}, {104, 320}, {112, 92}, {127, 135}, {115, 106}, {105, 72}, {118, 135}}},
        {"description moved first keeps 320", {}, {104, 103, 106, 112, 127, 115, 105, 118}, true,
         {{104, 320}, {103, 92}, {106, 92}, {112, 92}, {127, 135}, {115, 106}, {105, 72}, {118, 135}}},
        {"seller added gets 100, unknown id 50", {}, {103, 119, 999}, true, {{103, 92}, {119, 100}, {999, 50}}},
        {"quantity removed then added again gets 200", {103, 104}, {103, 104, 105}, true,
         {{103, 92}, {104, 320}, {105, 200}}},
        {"fewer ids with the same prefix is a change", {}, {103, 106}, true, {{103, 92}, {106, 92}}},
        {"a repeated id takes the old width once, then the table's", {}, {104, 104}, true, {{104, 320}, {104, 200}}},
        {"empty choice", {}, {}, true, {}},
    };
    for (const Case& c : cases) {
        CColumnInfoList list;
        list.ResetToDefaults();
        if (!c.first.empty())
            list.SetColumns(c.first);
        EXPECT_EQ(list.SetColumns(c.ids), c.changed) << c.what;
        EXPECT_EQ(Columns(list), c.result) << c.what;
    }
}

TEST(ModelColumns, SetWidthReportsChange)
{
    CColumnInfoList list;
    list.ResetToDefaults();
    EXPECT_FALSE(list.SetWidth(2, 320));
    EXPECT_TRUE(list.SetWidth(2, 414));
    EXPECT_EQ(list.GetWidth(2), 414);
    std::vector<int> ids{1};
    EXPECT_EQ(list.GetColumnIds(ids), 8);
    EXPECT_EQ(ids.size(), 9u) << "ids are appended";
}
