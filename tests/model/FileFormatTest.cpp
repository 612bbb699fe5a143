// The .lwd bytes: exact layouts, round trips, older versions, and damaged files of every kind.

#include "core/document/Archive.h"
#include "core/document/LotwardDoc.h"
#include "core/document/OpenStep.h"
#include "ModelTestSupport.h"

#include <gtest/gtest.h>

using namespace modeltest;
using namespace std::string_literals;

namespace {

CTestServer& Server()
{
    static CTestServer server(9301);
    return server;
}

std::string Bytes(const CLotwardDoc& doc)
{
    std::string bytes;
    CStringSink sink(bytes);
    CArchiveWriter writer(sink);
    doc.Serialize(writer);
    writer.Flush();
    return bytes;
}

const std::string kColumnClass = "\xFF\xFF\x01\x00\x0B\x00" "CColumnInfo"s;
const std::string kItemClass3 = "\xFF\xFF\x03\x00\x05\x00" "CItem"s;

std::string Column(int id, int width)
{
    return U32(static_cast<unsigned long>(id)) + U32(static_cast<unsigned long>(width));
}

std::string Item3(unsigned long serverId, const std::string& number)
{
    return U32(serverId) + Str(number) + Str("") + U32(0xFFFFFFFF) + U32(0xFFFFFFFF) + U32(2) + U32(0) + U32(0) +
           U32(0) + std::string(9, '\0') + U32(0) + U32(86400) + U32(0) + U32(1) + U32(1);
}

// A small document with two columns and three items, one of them with a long string.
std::string SmallSample()
{
    CLotwardDoc doc;
    doc.OnNewDocument();
    doc.SetDocumentColumns({103, 104});
    doc.AddItem("11", &Server());
    doc.AddItem("22", &Server());
    doc.AddItem("33", &Server());
    doc.GetItem(0)->description = "Lamp \x80 50";
    doc.GetItem(1)->pageText.assign(300, 'p');
    doc.GetItem(2)->SetEndDate(1000000000);
    return Bytes(doc);
}

struct OpenResult
{
    bool ok;
    std::string error;
    int items;
    int columns;
};

OpenResult OpenBytes(const TempDir& dir, const std::string& bytes)
{
    const std::string path = dir / "doc.lwd";
    WriteFileBytes(path, bytes);
    CLotwardDoc doc;
    doc.OnNewDocument();
    doc.AddItem("present before", &Server());
    OpenResult result{};
    result.ok = doc.OnOpenDocument(path, &result.error);
    result.items = doc.GetItemCount();
    result.columns = doc.Columns().GetCount();
    EXPECT_EQ(ReadFileBytes(path), bytes) << "a refused file is left as it was";
    return result;
}

void ExpectRefused(const OpenResult& result, const std::string& what)
{
    EXPECT_FALSE(result.ok) << what;
    EXPECT_EQ(result.error, "Unexpected file format.") << what;
    EXPECT_EQ(result.items, 0) << what << ": the document is left empty";
    EXPECT_EQ(result.columns, 8) << what << ": as after New";
}

} // namespace

TEST(ModelFileFormat, NewDocumentBytes)
{
    CLotwardDoc doc;
    doc.OnNewDocument();
    const std::string expected = "\x08\x00"s + kColumnClass + Column(103, 92) + "\x01\x80" + Column(106, 92) +
                                 "\x01\x80" + Column(104, 320) + "\x01\x80" + Column(112, 92) + "\x01\x80" +
                                 Column(127, 135) + "\x01\x80" + Column(115, 106) + "\x01\x80" + Column(105, 72) +
                                 "\x01\x80" + Column(118, 135) + "\x00\x00"s;
    EXPECT_EQ(Bytes(doc), expected);
    TempDir dir;
    ASSERT_TRUE(doc.OnSaveDocument(dir / "new.lwd"));
    EXPECT_EQ(ReadFileBytes(dir / "new.lwd"), expected);
}

TEST(ModelFileFormat, EmptyFileOpensEmptyAndSavesFourZeroBytes)
{
    TempDir dir;
    const std::string path = dir / "empty.lwd";
    WriteFileBytes(path, "");
    CLotwardDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_EQ(doc.Columns().GetCount(), 0);
    EXPECT_EQ(doc.GetItemCount(), 0);
    ASSERT_TRUE(doc.OnSaveDocument(path));
    EXPECT_EQ(ReadFileBytes(path), "\x00\x00\x00\x00"s);
}

TEST(ModelFileFormat, SampleLayoutIsReadToTheLastByteAndWrittenBackIdentically)
{
    // 8 columns of a user's file, then 6 items, the first of server 167 (no adapter here yet
    // or a real one: either way it must survive).
    const int columns[8][2] = {{103, 105}, {106, 96}, {104, 414}, {112, 80},
                               {127, 130}, {115, 60}, {105, 50}, {118, 130}};
    std::string bytes = "\x08\x00"s + kColumnClass + Column(columns[0][0], columns[0][1]);
    for (int i = 1; i < 8; ++i)
        bytes += "\x01\x80" + Column(columns[i][0], columns[i][1]);
    bytes += "\x06\x00"s + kItemClass3 + Item3(167, "1001");
    for (int i = 2; i <= 6; ++i)
        bytes += "\x0A\x80" + Item3(i % 2 ? 107 : 4242, std::to_string(1000 + i));
    TempDir dir;
    const std::string path = dir / "sample.lwd";
    WriteFileBytes(path, bytes);
    CLotwardDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_EQ(doc.GetItemCount(), 6);
    EXPECT_EQ(doc.Columns().GetWidth(2), 414);
    EXPECT_EQ(doc.GetItem(1)->GetServerId(), 4242u);
    ASSERT_TRUE(doc.OnSaveDocument(path));
    EXPECT_EQ(ReadFileBytes(path), bytes);
}

TEST(ModelFileFormat, EveryFieldAndEveryColumnRoundTripsByteForByte)
{
    CLotwardDoc doc;
    doc.OnNewDocument();
    std::vector<int> all;
    GetAvailableColumnIds(all);
    all.push_back(999); // an id of no column is kept
    doc.SetDocumentColumns(all);
    for (int i = 0; i < 3; ++i) {
        doc.AddItem("N" + std::to_string(i), &Server());
        CItem* item = doc.GetItem(i);
        item->description = "Desc \x80\x9F\xFF " + std::to_string(i);
        item->quantity = i;
        item->bidCount = 10 + i;
        item->finished = i % 3;
        item->SetStartDate(-5 + i);
        item->SetEndDate(2000000000 + i);
        item->retrievalDate = 1999999999;
        item->category = "Cat";
        item->currentPrice = "$1,234.50";
        item->initialPrice = "12,50 FF";
        item->location = std::string(254, 'L');
        item->seller = std::string(255, 'S');
        item->currentBuyer = std::string(65533, 'B');
        item->memo = std::string(65534, 'M');
        item->shippingCharges = "";
        item->pageText = std::string(70000, '\n');
        item->readState = 1;
        item->alarmSeconds = 12345;
        item->alarmMode = 4;
        item->inAlarmWindow = 0;
        item->firstResultPending = 0;
    }
    const std::string first = Bytes(doc);
    TempDir dir;
    const std::string path = dir / "all.lwd";
    ASSERT_TRUE(doc.OnSaveDocument(path));
    EXPECT_EQ(ReadFileBytes(path), first);
    CLotwardDoc back;
    ASSERT_TRUE(back.OnOpenDocument(path));
    EXPECT_EQ(back.Columns().GetCount(), static_cast<int>(all.size()));
    EXPECT_EQ(back.GetItem(2)->GetStartDate(), -3);
    EXPECT_EQ(Bytes(back), first);
}

TEST(ModelFileFormat, OlderVersionsReadWithTheirDefaultsAndOneBackupOffer)
{
    struct Questions : IOpenQuestions
    {
        int asked = 0;
        bool AskYesNo(const std::string&) override { return ++asked, false; }
        void ShowError(const std::string&) override {}
    };
    const std::string v1 = U32(9301) + Str("1") + Str("d") + U32(3) + U32(4) + U32(0) + U32(0) + U32(9000) +
                           U32(8000) + std::string(9, '\0');
    TempDir dir;
    for (int version : {1, 2}) {
        const std::string item = version == 1 ? v1 : v1 + U32(0);
        const std::string bytes = "\x01\x00"s + kColumnClass + Column(103, 80) + "\x03\x00\xFF\xFF"s +
                                  U16(static_cast<unsigned>(version)) + U16(5) + "CItem" + item + "\x03\x80" + item +
                                  "\x03\x80" + item;
        const std::string path = dir / "old.lwd";
        WriteFileBytes(path, bytes);
        Questions questions;
        CLotwardDoc doc;
        ASSERT_TRUE(OpenDocumentFile(doc, path, questions)) << version;
        EXPECT_EQ(questions.asked, 1);
        ASSERT_EQ(doc.GetItemCount(), 3);
        const CItem& read = *doc.GetItem(2);
        EXPECT_EQ(read.readState, version == 1 ? 1 : 0);
        EXPECT_EQ(read.alarmSeconds, 86400);
        EXPECT_EQ(read.alarmMode, 0);
        EXPECT_EQ(read.inAlarmWindow, 1);
        EXPECT_EQ(read.firstResultPending, 0);
        EXPECT_EQ(read.quantity, 3);
        EXPECT_EQ(read.GetEndDate(), 9000);
        EXPECT_EQ(read.retrievalDate, 8000);
        EXPECT_EQ(ReadFileBytes(path), bytes);
    }
}

TEST(ModelFileFormat, EveryTruncationIsRefused)
{
    const std::string sample = SmallSample();
    ASSERT_GT(sample.size(), 300u);
    TempDir dir;
    ASSERT_TRUE(OpenBytes(dir, sample).ok);
    for (std::size_t length = 1; length < sample.size(); ++length)
        ExpectRefused(OpenBytes(dir, sample.substr(0, length)), "cut at " + std::to_string(length));
    ExpectRefused(OpenBytes(dir, sample + '\0'), "a byte after the last item");
}

TEST(ModelFileFormat, DamagedStructuresAreRefused)
{
    const std::string item = Item3(9301, "5");
    const std::string header = "\x01\x00"s + kColumnClass + Column(103, 80);
    struct Case
    {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"column schema 2", "\x01\x00\xFF\xFF\x02\x00\x0B\x00" "CColumnInfo"s + Column(103, 80) + "\x00\x00"s},
        {"item version 4", header + "\x01\x00\xFF\xFF\x04\x00\x05\x00" "CItem"s + item},
        {"item version 0", header + "\x01\x00\xFF\xFF\x00\x00\x05\x00" "CItem"s + item},
        {"unknown class", header + "\x01\x00\xFF\xFF\x03\x00\x05\x00" "CItex"s + item},
        {"an item in the column list", "\x01\x00"s + kItemClass3 + item + "\x00\x00"s},
        {"a column in the item list", header + "\x01\x00\x01\x80"s + Column(104, 1)},
        {"a second reference to a column", header + "\x01\x00\x02\x00"s},
        {"class index past the table", header + "\x01\x00\x09\x80"s + item},
        {"object count past the file", header + "\xFF\xFF\xFF\xFF\xFF\x7F"s + kItemClass3 + item},
        {"column count past the file", "\xFE\xFF"s + kColumnClass + Column(103, 80)},
        {"2 GB description", header + "\x01\x00"s + kItemClass3 + U32(9301) + Str("5") + "\xFF\xFF\xFF\xFF\xFF\xFF\x7F"s},
        {"4 GB UTF-16 page text", header + "\x01\x00"s + kItemClass3 + item.substr(0, item.size() - 21) +
                                      "\xFF\xFE\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF"s + std::string(20, '\0')},
        {"only a count", "\x08\x00"s},
        {"a lone byte", "\x00"s},
    };
    TempDir dir;
    for (const Case& c : cases)
        ExpectRefused(OpenBytes(dir, c.bytes), c.what);
}

TEST(ModelFileFormat, OverwrittenBytesNeverCrash)
{
    // Each byte of the sample replaced by values that hit the format's escapes; every result
    // is either a document or a clean refusal.
    const std::string sample = SmallSample();
    CLotwardDoc doc;
    int refused = 0;
    for (std::size_t at = 0; at < sample.size(); ++at) {
        for (unsigned char value : {0x00, 0x7F, 0x80, 0xFE, 0xFF}) {
            std::string damaged = sample;
            damaged[at] = static_cast<char>(value);
            CArchiveReader reader(damaged);
            try {
                doc.Serialize(reader);
            } catch (const CArchiveException&) {
                ++refused;
            }
        }
    }
    EXPECT_GT(refused, 0);
}

TEST(ModelFileFormat, FilesOfAnotherProgramsArchiveAreRefused)
{
    const std::filesystem::path root = LW_REALDATA_DIR "/mfc-carchive/";
    std::error_code ec;
    if (!std::filesystem::is_directory(root, ec))
        GTEST_SKIP() << "no real archive files at " << root;
    int checked = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file())
            continue;
        const std::string path = entry.path().string();
        const std::string before = ReadFileBytes(path);
        CLotwardDoc doc;
        std::string error;
        const bool ok = doc.OnOpenDocument(path, &error);
        // Zero bytes, and four zero bytes (no columns, no items), are empty watch lists.
        if (before.empty() || before == std::string(4, '\0')) {
            EXPECT_TRUE(ok) << path;
        } else {
            EXPECT_FALSE(ok) << path;
            EXPECT_EQ(error, "Unexpected file format.") << path;
            EXPECT_EQ(doc.GetItemCount(), 0);
        }
        EXPECT_EQ(ReadFileBytes(path), before);
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

TEST(ModelFileFormat, MissingFileGivesTheFileMessage)
{
    TempDir dir;
    CLotwardDoc doc;
    std::string error;
    EXPECT_FALSE(doc.OnOpenDocument(dir / "absent.lwd", &error));
    EXPECT_EQ(error, dir / "absent.lwd" + "\nCannot find this file.\nPlease verify that the correct path and file name are given.");
    EXPECT_FALSE(doc.OnOpenDocument(dir.path.string(), &error)) << "a folder is no watch list";
}
