// The document's item operations, update hints, sorting, purge on save, the open step with
// its backup offer, and saves that fail.

#include "core/StringTable.h"
#include "core/document/LotwardDoc.h"
#include "core/document/OpenStep.h"
#include "sites/ItemInfo.h"
#include "ModelTestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace modeltest;
using namespace std::string_literals;

namespace {

CTestServer& ServerA()
{
    static CTestServer server(9201);
    return server;
}

CTestServer& ServerB()
{
    static CTestServer server(9202);
    return server;
}

std::string Url(const CTestServer& server, const std::string& number)
{
    return "http://auction.test/" + std::to_string(server.serverId) + "/item/" + number;
}

struct HintRecorder : IDocumentObserver
{
    std::vector<std::pair<int, CItem*>> hints;
    void OnDocumentUpdate(CLotwardDoc&, int hint, CItem* item) override { hints.emplace_back(hint, item); }
};

struct RecordingDownloads : IItemDownloads
{
    std::vector<std::string> calls;
    void RefreshItem(CItem& item) override { calls.push_back("refresh " + item.GetItemNumber()); }
    void CancelItem(const CItem& item) override { calls.push_back("cancel " + item.GetItemNumber()); }
    void CancelAll() override { calls.push_back("cancel all"); }
};

struct ScriptedQuestions : IOpenQuestions
{
    bool answer = false;
    std::vector<std::string> asked;
    std::vector<std::string> errors;
    bool AskYesNo(const std::string& text) override
    {
        asked.push_back(text);
        return answer;
    }
    void ShowError(const std::string& text) override { errors.push_back(text); }
};

std::vector<std::string> Numbers(const CLotwardDoc& doc)
{
    std::vector<std::string> out;
    for (int i = 0; i < doc.GetItemCount(); ++i)
        out.push_back(doc.GetItem(i)->GetItemNumber());
    return out;
}

} // namespace

TEST(ModelDocument, AddItemOncePerNumberAndServer)
{
    CLotwardDoc doc;
    doc.OnNewDocument();
    HintRecorder views;
    RecordingDownloads downloads;
    doc.AddObserver(&views);
    doc.SetItemDownloads(&downloads);

    EXPECT_EQ(doc.AddItem("42", &ServerA()), nullptr);
    EXPECT_TRUE(doc.IsModified());
    CItem* first = doc.GetItem(0);
    EXPECT_EQ(views.hints, (std::vector<std::pair<int, CItem*>>{{kHintItemAdded, first}}));
    EXPECT_EQ(downloads.calls, std::vector<std::string>{"refresh 42"});

    doc.SetModifiedFlag(false);
    EXPECT_EQ(doc.AddItem("42", &ServerA()), first);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetItemCount(), 1);
    EXPECT_EQ(doc.AddItem("42", &ServerB()), nullptr) << "the same number on another server is another item";
    EXPECT_EQ(doc.AddItem("042", &ServerA()), nullptr) << "numbers compare exactly";
    EXPECT_EQ(doc.GetItemCount(), 3);
}

TEST(ModelDocument, RemoveItemCancelsItsDownloadAndSendsHint)
{
    CLotwardDoc doc;
    doc.OnNewDocument();
    doc.AddItem("1", &ServerA());
    doc.AddItem("2", &ServerA());
    HintRecorder views;
    RecordingDownloads downloads;
    doc.AddObserver(&views);
    doc.SetItemDownloads(&downloads);
    doc.SetModifiedFlag(false);
    CItem* item = doc.GetItem(0);
    EXPECT_TRUE(doc.ContainsItem(item));
    EXPECT_TRUE(doc.RemoveItem(item));
    EXPECT_FALSE(doc.ContainsItem(item));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(views.hints, (std::vector<std::pair<int, CItem*>>{{kHintItemRemoved, item}}));
    EXPECT_EQ(downloads.calls, std::vector<std::string>{"cancel 1"});

    CItem stranger("9", &ServerA());
    doc.SetModifiedFlag(false);
    EXPECT_FALSE(doc.RemoveItem(&stranger));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(Numbers(doc), std::vector<std::string>{"2"});
}

TEST(ModelDocument, EmptyingCancelsDownloadsAndSendsHintZero)
{
    ScopedClock clock(123456);
    CLotwardDoc doc;
    doc.OnNewDocument();
    doc.AddItem("1", &ServerA());
    HintRecorder views;
    RecordingDownloads downloads;
    doc.AddObserver(&views);
    doc.SetItemDownloads(&downloads);
    doc.DeleteContents();
    EXPECT_EQ(doc.GetItemCount(), 0);
    EXPECT_EQ(doc.Columns().GetCount(), 0);
    EXPECT_EQ(doc.lastRefreshTime, 123456);
    EXPECT_EQ(downloads.calls, std::vector<std::string>{"cancel all"});
    EXPECT_EQ(views.hints.back().first, kHintAll);
}

TEST(ModelDocument, RefreshAllSkipsFinishedAndServerlessItems)
{
    CLotwardDoc doc;
    doc.OnNewDocument();
    RecordingDownloads downloads;
    doc.AddItem("running", &ServerA());
    doc.AddItem("finished", &ServerA());
    doc.AddItem("unknown", &ServerA());
    doc.GetItem(0)->finished = 0;
    doc.GetItem(1)->finished = 1;
    doc.SetItemDownloads(&downloads);
    doc.RefreshAll();
    EXPECT_EQ(downloads.calls, (std::vector<std::string>{"refresh running", "refresh unknown"}));
    doc.RefreshItem(doc.GetItem(1));
    EXPECT_EQ(downloads.calls.back(), "refresh finished") << "refreshing one item ignores its state";
}

TEST(ModelDocument, ItemsTextIsOneUrlPerLine)
{
    CLotwardDoc doc;
    doc.OnNewDocument();
    doc.AddItem("1", &ServerA());
    doc.AddItem("2", &ServerB());
    EXPECT_EQ(doc.GetItemsText({doc.GetItem(1), doc.GetItem(0)}), Url(ServerB(), "2") + "\n" + Url(ServerA(), "1") + "\n");
    EXPECT_EQ(doc.GetItemsText({}), "");
}

TEST(ModelDocument, AddFromTextAddingAndChecking)
{
    CLotwardDoc doc;
    doc.OnNewDocument();
    bool found = true;
    const std::string two = Url(ServerA(), "1") + "\r\n" + Url(ServerB(), "2?x=1") + "\r\n";
    EXPECT_EQ(doc.AddFromText(two, false, &found), 2) << "checking mode counts without adding";
    EXPECT_FALSE(found);
    EXPECT_EQ(doc.GetItemCount(), 0);

    EXPECT_EQ(doc.AddFromText(two, true, &found), 2);
    EXPECT_FALSE(found);
    EXPECT_EQ(Numbers(doc), (std::vector<std::string>{"1", "2"}));

    EXPECT_EQ(doc.AddFromText("\n\n" + Url(ServerA(), "3") + "\n\n" + Url(ServerA(), "1"), true, &found), 2);
    EXPECT_TRUE(found) << "one line named an item already present";
    EXPECT_EQ(doc.AddFromText(Url(ServerA(), "1"), false, &found), 1);
    EXPECT_TRUE(found);

    // A line that is no item URL stops the work: earlier lines stay added, the result is 0.
    const std::string broken = Url(ServerA(), "4") + "\n" + Url(ServerA(), "5") + "\nnot a url\n" + Url(ServerA(), "6");
    EXPECT_EQ(doc.AddFromText(broken, true, &found), 0);
    EXPECT_EQ(Numbers(doc), (std::vector<std::string>{"1", "2", "3", "4", "5"}));
    EXPECT_EQ(doc.AddFromText("", true, &found), 0);
    EXPECT_FALSE(found);
    EXPECT_EQ(doc.AddFromText("\r\n\r\n", true, nullptr), 0);
}

TEST(ModelDocument, SortByEachValueKindIsStableAndReportsChange)
{
    CLotwardDoc doc;
    doc.OnNewDocument();
    struct Row
    {
        const char* number;
        const char* description;
        std::time_t end;
        const char* price;
        int bids;
    } rows[] = {
        {"a", "b", 300, "$5.00", 2},  {"b", "A", 100, "$1,234.50", -1}, {"c", "a", 200, "$5", 2},
        {"d", "b", 100, "", 10},
    };
    for (const Row& r : rows) {
        doc.AddItem(r.number, &ServerA());
        CItem* item = doc.GetItem(doc.GetItemCount() - 1);
        item->description = r.description;
        item->SetEndDate(r.end);
        item->currentPrice = r.price;
        item->bidCount = r.bids;
    }
    HintRecorder views;
    doc.AddObserver(&views);
    struct Case
    {
        int column;
        bool ascending;
        std::vector<std::string> order;
    } cases[] = {
        {kColDescription, true, {"b", "c", "a", "d"}},  // byte order in the C locale, ties kept
        {kColDescription, false, {"a", "d", "c", "b"}}, // descending keeps ties in their order
        {kColEndDate, true, {"d", "b", "c", "a"}},
        {kColCurrentPrice, true, {"d", "c", "a", "b"}}, // "" is 0, "$1,234.50" is 1234.5
        {kColBidCount, false, {"d", "c", "a", "b"}},
        {kColEndDateLocal, false, {"a", "c", "d", "b"}},
    };
    for (const Case& c : cases) {
        doc.SortItems(c.column, c.ascending);
        EXPECT_EQ(Numbers(doc), c.order) << c.column << (c.ascending ? " up" : " down");
        // Sorting a sorted list changes nothing and tells nobody.
        views.hints.clear();
        doc.SetModifiedFlag(false);
        EXPECT_FALSE(doc.SortItems(c.column, c.ascending));
        EXPECT_FALSE(doc.IsModified());
        EXPECT_TRUE(views.hints.empty());
    }
    EXPECT_TRUE(doc.SortItems(kColItemNumber, true));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(views.hints, (std::vector<std::pair<int, CItem*>>{{kHintOrder, nullptr}}));
    EXPECT_FALSE(doc.SortItems(999, false)) << "a column without values leaves the order";
}

TEST(ModelDocument, SetDocumentColumnsSyncsWidthsFirstAndHintsOnChange)
{
    struct Widths : IColumnWidthSource
    {
        bool GetColumnWidth(int position, int& width) const override
        {
            width = position == 2 ? 414 : -1;
            return position == 2;
        }
    } widths;
    CLotwardDoc doc;
    doc.OnNewDocument();
    HintRecorder views;
    doc.AddObserver(&views);
    doc.SetColumnWidthSource(&widths);
    std::vector<int> same;
    doc.Columns().GetColumnIds(same);
    doc.SetDocumentColumns(same);
    EXPECT_TRUE(doc.IsModified()) << "the synchronised width is a change";
    EXPECT_TRUE(views.hints.empty()) << "the same choice sends no hint";
    doc.SetDocumentColumns({104, 103});
    EXPECT_EQ(doc.Columns().GetWidth(0), 414);
    EXPECT_EQ(views.hints, (std::vector<std::pair<int, CItem*>>{{kHintColumns, nullptr}}));
}

TEST(ModelDocument, PurgeLeavesOldFinishedItemsOutOfTheFileOnly)
{
    ScopedOptions options;
    options.options.purge = 1;
    options.options.purgePeriod = 7;
    const std::time_t now = 1700000000;
    ScopedClock clock(now);
    TempDir dir;
    CLotwardDoc doc;
    doc.OnNewDocument();
    const std::pair<const char*, std::time_t> ends[] = {{"old", now - 8 * 86400}, {"edge", now - 7 * 86400}, {"new", now}};
    for (const auto& [number, end] : ends) {
        doc.AddItem(number, &ServerA());
        CItem* item = doc.GetItem(doc.GetItemCount() - 1);
        item->finished = 1;
        item->SetEndDate(end);
    }
    const std::string path = dir / "purge.lwd";
    ASSERT_TRUE(doc.OnSaveDocument(path));
    EXPECT_EQ(doc.GetItemCount(), 3) << "the open document keeps them";
    CLotwardDoc reread;
    ASSERT_TRUE(reread.OnOpenDocument(path));
    EXPECT_EQ(Numbers(reread), (std::vector<std::string>{"edge", "new"}));

    options.options.purge = 0;
    ASSERT_TRUE(doc.OnSaveDocument(path));
    ASSERT_TRUE(reread.OnOpenDocument(path));
    EXPECT_EQ(reread.GetItemCount(), 3);
}

TEST(ModelOpenStep, BackupNames)
{
    const std::pair<const char*, const char*> cases[] = {
        {"list", "list.old"},
        {"/home/u/watch.lwd", "/home/u/watch.old"},
        {"/home/u/my.lists/watch", "/home/u/my.lists/watch.old"},
        {"archive.tar.lwd", "archive.tar.old"},
        {"./w.lwd", "./w.old"},
    };
    for (const auto& [path, backup] : cases)
        EXPECT_EQ(BackupFileName(path), backup) << path;
}

TEST(ModelOpenStep, OlderFileOffersOneBackupAndCopiesTheOldBytes)
{
    TempDir dir;
    // Two version 2 items: the question comes once, however many items are old.
    std::string item = U32(9201) + Str("7") + Str("d") + U32(1) + U32(0) + U32(1) + U32(0) + U32(0) + U32(0) +
                       std::string(9, '\0') + U32(1);
    const std::string bytes = U16(0) + U16(2) + "\xFF\xFF" + U16(2) + U16(5) + "CItem" + item + "\x01\x80" + item;
    const std::string path = dir / "old.lwd";
    for (bool answer : {false, true}) {
        WriteFileBytes(path, bytes);
        std::filesystem::remove(dir / "old.old");
        ScriptedQuestions questions;
        questions.answer = answer;
        CLotwardDoc doc;
        ASSERT_TRUE(OpenDocumentFile(doc, path, questions));
        EXPECT_EQ(doc.GetItemCount(), 2);
        ASSERT_EQ(questions.asked.size(), 1u);
        EXPECT_NE(questions.asked[0].find(dir / "old.old"), std::string::npos) << questions.asked[0];
        EXPECT_EQ(std::filesystem::exists(dir / "old.old"), answer);
        if (answer) {
            EXPECT_EQ(ReadFileBytes(dir / "old.old"), bytes);
        }
        EXPECT_EQ(ReadFileBytes(path), bytes) << "opening never rewrites the file";
        EXPECT_FALSE(doc.IsModified());
    }
    // A current file asks nothing.
    CLotwardDoc doc;
    doc.OnNewDocument();
    ASSERT_TRUE(doc.OnSaveDocument(path));
    ScriptedQuestions questions;
    ASSERT_TRUE(OpenDocumentFile(doc, path, questions));
    EXPECT_TRUE(questions.asked.empty());
}

TEST(ModelOpenStep, FailedBackupCopyIsReportedAndTheDocumentStaysOpen)
{
    TempDir dir;
    std::string item = U32(9201) + Str("7") + Str("d") + U32(1) + U32(0) + U32(1) + U32(0) + U32(0) + U32(0) +
                       std::string(9, '\0');
    const std::string path = dir / "v1.lwd";
    WriteFileBytes(path, U16(0) + U16(1) + "\xFF\xFF" + U16(1) + U16(5) + "CItem" + item);
    std::filesystem::create_directory(dir / "v1.old"); // the copy cannot replace a folder
    ScriptedQuestions questions;
    questions.answer = true;
    CLotwardDoc doc;
    EXPECT_TRUE(OpenDocumentFile(doc, path, questions));
    EXPECT_EQ(doc.GetItemCount(), 1);
    ASSERT_EQ(questions.errors.size(), 1u);
    EXPECT_NE(questions.errors[0].find(dir / "v1.old"), std::string::npos);
}

TEST(ModelSave, FailedWriteLeavesThePreviousFileIntact)
{
    TempDir dir;
    const std::string path = dir / "keep.lwd";
    CLotwardDoc doc;
    doc.OnNewDocument();
    doc.AddItem("1", &ServerA());
    ASSERT_TRUE(doc.OnSaveDocument(path));
    const std::string before = ReadFileBytes(path);

    doc.GetItem(0)->pageText.assign(2 * 1024 * 1024, 'x');
    doc.SetModifiedFlag();
    // The file-size limit makes the writer fail part-way, as a full disk would.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 256 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    const bool saved = doc.OnSaveDocument(path, &error);
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(saved);
    EXPECT_EQ(error, "Destination disk drive is full.");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(ReadFileBytes(path), before);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path))
        ++files;
    EXPECT_EQ(files, 1) << "the temporary file is removed";
}

TEST(ModelSave, UnwritableDirectoryGivesTheReadOnlyMessage)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root";
    TempDir dir;
    const std::string path = dir / "ro.lwd";
    CLotwardDoc doc;
    doc.OnNewDocument();
    ASSERT_TRUE(doc.OnSaveDocument(path));
    const std::string before = ReadFileBytes(path);
    doc.AddItem("1", &ServerA());
    std::filesystem::permissions(dir.path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    std::string error;
    EXPECT_FALSE(doc.OnSaveDocument(path, &error));
    EXPECT_EQ(error, "Unable to write to " + path + ", it is read-only or opened by someone else.");
    EXPECT_EQ(ReadFileBytes(path), before);
}

TEST(ModelSave, MissingDirectoryFailsWithoutCreatingAnything)
{
    TempDir dir;
    CLotwardDoc doc;
    doc.OnNewDocument();
    std::string error;
    EXPECT_FALSE(doc.OnSaveDocument(dir / "nowhere/x.lwd", &error));
    EXPECT_EQ(error, "Failed to save document.");
    EXPECT_FALSE(std::filesystem::exists(dir / "nowhere"));
}

TEST(ModelSave, KeepsTheFileModeOfTheFileItReplaces)
{
    TempDir dir;
    const std::string path = dir / "mode.lwd";
    CLotwardDoc doc;
    doc.OnNewDocument();
    ASSERT_TRUE(doc.OnSaveDocument(path));
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_read);
    ASSERT_TRUE(doc.OnSaveDocument(path));
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);
}

TEST(ModelSave, ThroughASymbolicLinkWritesItsTargetAndKeepsTheLink)
{
    TempDir dir;
    std::filesystem::create_directory(dir / "real");
    const std::string target = dir / "real/list.lwd";
    const std::string link = dir / "link.lwd";
    CLotwardDoc doc;
    doc.OnNewDocument();
    ASSERT_TRUE(doc.OnSaveDocument(target));
    std::filesystem::create_symlink(target, link);

    ASSERT_TRUE(doc.OnOpenDocument(link));
    doc.AddItem("1", &ServerA());
    ASSERT_TRUE(doc.OnSaveDocument(link));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    CLotwardDoc reread;
    ASSERT_TRUE(reread.OnOpenDocument(target));
    EXPECT_EQ(reread.GetItemCount(), 1);
}

// The desktop program asks before saving over a file that another program saved since it was
// read; a copy written elsewhere (File > Send) does not move what the document follows.
TEST(ModelDocument, NoticesAFileSavedByAnotherProgramSinceItWasRead)
{
    TempDir dir;
    const std::string path = dir / "w.lwd";
    CLotwardDoc mine;
    mine.OnNewDocument();
    EXPECT_FALSE(mine.FileChangedOnDisk(path)) << "a file the document never had";
    ASSERT_TRUE(mine.OnSaveDocument(path));
    EXPECT_FALSE(mine.FileChangedOnDisk(path));
    EXPECT_FALSE(mine.FileChangedOnDisk(dir / "./w.lwd")) << "the same file spelt another way";

    CLotwardDoc other;
    ASSERT_TRUE(other.OnOpenDocument(path));
    other.AddItem("1", nullptr);
    ASSERT_TRUE(other.OnSaveDocument(path));
    EXPECT_TRUE(mine.FileChangedOnDisk(path));
    EXPECT_FALSE(other.FileChangedOnDisk(path));
    ASSERT_TRUE(mine.SaveCopy(dir / "copy.lwd"));
    EXPECT_TRUE(mine.FileChangedOnDisk(path)) << "the copy changed nothing";

    ASSERT_TRUE(mine.OnOpenDocument(path));
    EXPECT_FALSE(mine.FileChangedOnDisk(path));
    std::filesystem::remove(path);
    EXPECT_FALSE(mine.FileChangedOnDisk(path)) << "a file that is gone loses nothing";
}

// A read-only file is never replaced, though its folder would let a rename through.
TEST(ModelDocument, ReadOnlyFileIsRefusedAndKept)
{
    TempDir dir;
    const std::string path = dir / "ro.lwd";
    CLotwardDoc doc;
    doc.OnNewDocument();
    ASSERT_TRUE(doc.OnSaveDocument(path));
    const std::string before = ReadFileBytes(path);
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
    doc.AddItem("1", nullptr);
    std::string error;
    EXPECT_FALSE(doc.OnSaveDocument(path, &error));
    EXPECT_EQ(error, "Unable to write to " + path + ", it is read-only or opened by someone else.");
    EXPECT_EQ(ReadFileBytes(path), before);
}
