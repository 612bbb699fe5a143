#include "text/ReferenceData.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

const std::string kRows = std::string(LW_TEST_DATA_DIR) + "/text/rows.dat";
const std::string kShipped = std::string(LW_SOURCE_DIR) + "/resources/Lotward.dat";

// A scratch copy the test may rewrite or delete.
class ScratchFile
{
public:
    explicit ScratchFile(const std::string& name)
        : path((std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()))).string())
    {
    }
    ~ScratchFile() { std::filesystem::remove(path); }
    void Write(const std::string& content) const { std::ofstream(path, std::ios::binary) << content; }
    const std::string path;
};

TEST(ReferenceData, RowsOfAPrefixInFileOrder)
{
    CReferenceData data(kRows);
    ASSERT_TRUE(data.CanOpen());
    const CReferenceData::RowList* rows = data.GetRows("EbC");
    ASSERT_NE(rows, nullptr);
    EXPECT_EQ(*rows, (CReferenceData::RowList{"Top|0|0", "Antiques|20081|0", "    General|12|1"}));
    // The key ends with "|": "YC" does not take the "YCFr" rows.
    EXPECT_EQ(*data.GetRows("YC"), (CReferenceData::RowList{"All|0", "Books|21"}));
    EXPECT_EQ(*data.GetRows("YCFr"), (CReferenceData::RowList{"Accueil|0"}));
    const CReferenceData::RowList* unknown = data.GetRows("Nope");
    ASSERT_NE(unknown, nullptr);
    EXPECT_TRUE(unknown->empty());
    EXPECT_EQ(data.GetRows("EbC"), rows);
}

TEST(ReferenceData, RowAccessors)
{
    CReferenceData data(kRows);
    std::string name = "x", id = "x", flag = "x", rest = "x", row = "x";

    EXPECT_TRUE(data.GetRowColumns("EbC", 2, &name, &id, &flag));
    EXPECT_EQ(name, "    General");
    EXPECT_EQ(id, "12");
    EXPECT_EQ(flag, "1");

    EXPECT_TRUE(data.GetRowColumns("ExcC", 0, &name, &id, &flag));
    EXPECT_EQ(name, "All");
    EXPECT_EQ(id, "");
    EXPECT_EQ(flag, "");

    EXPECT_TRUE(data.GetRowColumns("Odd", 1, &name, &id, &flag));
    EXPECT_EQ(name, "two");
    EXPECT_EQ(id, "bars");
    EXPECT_EQ(flag, "and|more");

    EXPECT_TRUE(data.GetRowColumns("CnetC", 1, nullptr, &id));
    EXPECT_EQ(id, "117&__catg=242&__catg=243");
    EXPECT_TRUE(data.GetRowColumns("CnetC", 1));

    EXPECT_TRUE(data.GetRowPair("Odd", 0, name, rest));
    EXPECT_EQ(name, "no bar here");
    EXPECT_EQ(rest, "");
    EXPECT_TRUE(data.GetRowPair("Odd", 2, name, rest));
    EXPECT_EQ(name, "");
    EXPECT_EQ(rest, "");

    // Out of range: false with every output cleared.
    name = id = flag = rest = row = "x";
    EXPECT_FALSE(data.GetRow("YC", 2, row));
    EXPECT_EQ(row, "");
    EXPECT_FALSE(data.GetRow("YC", -1, row));
    EXPECT_FALSE(data.GetRowPair("Nope", 0, name, rest));
    EXPECT_EQ(name + rest, "");
    name = "x";
    EXPECT_FALSE(data.GetRowColumns("EbC", 3, &name, &id, &flag));
    EXPECT_EQ(name + id + flag, "");
}

TEST(ReferenceData, PrefixIsReadOnceThenServedFromMemory)
{
    ScratchFile file("lw-refdata-cache");
    file.Write("A|one\r\nB|two\r\n");
    CReferenceData data(file.path);
    std::string row;
    ASSERT_TRUE(data.GetRow("A", 0, row));
    file.Write("A|changed\r\nB|changed\r\n");
    ASSERT_TRUE(data.GetRow("A", 0, row));
    EXPECT_EQ(row, "one");
    ASSERT_TRUE(data.GetRow("B", 0, row)); // first look at B reads the file as it is now
    EXPECT_EQ(row, "changed");
}

TEST(ReferenceData, FailedReadCachesNothing)
{
    ScratchFile file("lw-refdata-missing");
    CReferenceData data(file.path);
    EXPECT_FALSE(data.CanOpen());
    EXPECT_EQ(data.GetRows("A"), nullptr);
    std::string row = "x";
    EXPECT_FALSE(data.GetRow("A", 0, row));
    EXPECT_EQ(row, "");

    file.Write("A|later\n");
    EXPECT_TRUE(data.CanOpen());
    ASSERT_TRUE(data.GetRow("A", 0, row));
    EXPECT_EQ(row, "later"); // also a bare line feed ends a line
}

TEST(ReferenceData, ListsStayValidAfterTheFileChanges)
{
    CReferenceData data(kRows);
    const CReferenceData::RowList* before = data.GetRows("EbC");
    ASSERT_NE(before, nullptr);
    data.SetPath("/nonexistent/Lotward.dat");
    EXPECT_EQ(data.GetRows("EbC"), nullptr);
    EXPECT_EQ(before->size(), 3u);
    EXPECT_EQ(before->front(), "Top|0|0");
}

TEST(ReferenceData, ConcurrentFirstLookupsShareOneList)
{
    CReferenceData data(kRows);
    const char* prefixes[] = {"EbC", "YC", "YCFr", "CnetC"};
    std::vector<std::vector<const CReferenceData::RowList*>> seen(8);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < seen.size(); ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 50; ++round)
                for (const char* prefix : prefixes)
                    seen[t].push_back(data.GetRows(prefix));
        });
    for (std::thread& thread : threads)
        thread.join();
    for (const auto& results : seen)
        EXPECT_EQ(results, seen.front());
}

TEST(ReferenceData, DefaultFileIsBesideTheExecutable)
{
    const std::string path = DefaultReferenceDataPath();
    EXPECT_EQ(std::filesystem::path(path).filename(), "Lotward.dat");
    EXPECT_EQ(std::filesystem::path(path).parent_path(),
              std::filesystem::canonical("/proc/self/exe").parent_path());
}

TEST(ReferenceData, ShippedFile)
{
    if (!std::filesystem::exists(kShipped))
        GTEST_SKIP() << "no " << kShipped;
    CReferenceData data(kShipped);
    std::string name, rest, id, flag, row;
    ASSERT_TRUE(data.GetRowPair("TZ", 0, name, rest));
    EXPECT_EQ(name, "AUS Eastern");
    EXPECT_EQ(rest, "-600#0#-60#0#3#0#5#2#0#0#0#0#10#0#5#2#0#0#0");
    ASSERT_TRUE(data.GetRowColumns("EbC", 2, &name, &id, &flag));
    EXPECT_EQ(name, "    General");
    EXPECT_EQ(id, "12");
    EXPECT_EQ(flag, "1");
    ASSERT_TRUE(data.GetRowColumns("ExcC", 0, &name, &id, &flag));
    EXPECT_EQ(name, "All");
    EXPECT_EQ(id + flag, "");
    EXPECT_TRUE(data.GetRow("YC", 169, row));
    EXPECT_FALSE(data.GetRow("YC", 170, row));

    const std::pair<const char*, std::size_t> counts[] = {
        {"TZ", 62},    {"EbC", 205},   {"YC", 170},    {"YCUk", 166},  {"YCAu", 178},  {"YCCa", 179},
        {"YCFr", 124}, {"YCEs", 86},   {"YCDk", 82},   {"YCDe", 139},  {"YCIt", 124},  {"YCSe", 102},
        {"YCBr", 169}, {"YCMx", 69},   {"AucFr", 18},  {"AucUK", 14},  {"AucIt", 14},  {"AucEs", 14},
        {"ExcC", 636}, {"CnetC", 81}};
    for (const auto& [prefix, count] : counts)
    {
        const CReferenceData::RowList* rows = data.GetRows(prefix);
        ASSERT_NE(rows, nullptr);
        EXPECT_EQ(rows->size(), count) << prefix;
    }
}

} // namespace
