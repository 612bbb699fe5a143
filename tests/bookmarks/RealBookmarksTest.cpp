// Bookmark files written by real browsers and tools over the years, read where they are kept
// and copied only into temporary folders.

#include "browser/BookmarkFile.h"

#include "TestSupport.h"

#include <algorithm>

using namespace bmtest;
namespace fs = std::filesystem;

namespace {

std::vector<fs::path> RealBookmarkFiles()
{
    std::vector<fs::path> files;
    const fs::path root = fs::path(LW_REALDATA_DIR) / "bookmarks";
    std::error_code ec;
    if (!fs::is_directory(root, ec))
        return files;
    for (const auto& entry : fs::recursive_directory_iterator(root, ec))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// The file's lines with an item link put before the first "<DT>" line of every seven lines,
// every other one with a description of its own, so that no link comes between another link
// and its description; returns how many were put in.
int InjectItemLinks(const std::string& original, std::string& injected)
{
    int n = 0;
    std::size_t pos = 0;
    int lineNo = 0;
    bool due = true;
    while (pos < original.size()) {
        std::size_t nl = original.find('\n', pos);
        std::size_t end = nl == std::string::npos ? original.size() : nl + 1;
        due = due || lineNo % 7 == 0;
        std::string start = original.substr(original.find_first_not_of(" \t", pos) == std::string::npos
                                                ? pos
                                                : original.find_first_not_of(" \t", pos),
                                            4);
        std::transform(start.begin(), start.end(), start.begin(), ::toupper);
        if (due && start == "<DT>") {
            due = false;
            ++n;
            injected += "<DT><A HREF=\"" + Item(900000 + n) + "\" ADD_DATE=\"1\">Injected item</A>\n";
            if (n % 2 == 0)
                injected += "<DD>Injected description\nof two lines\n";
        }
        injected += original.substr(pos, end - pos);
        pos = end;
        ++lineNo;
    }
    return n;
}

} // namespace

TEST(RealBookmarkFiles, WalkImportNothingAndRewriteByteForByte)
{
    const auto files = RealBookmarkFiles();
    if (files.empty())
        GTEST_SKIP() << "no real bookmark files";
    TempDir dir;
    for (const fs::path& original : files) {
        SCOPED_TRACE(original.string());
        int links = 0;
        int depth = 0;
        ASSERT_TRUE(WalkBookmarkFile(
            original.string(), false,
            [&](BookmarkEvent e, const std::string&, const std::string& folder, std::string*) {
                EXPECT_EQ(folder.front(), '\\');
                EXPECT_EQ(folder.back(), '\\');
                links += e == BookmarkEvent::Link;
                depth = static_cast<int>(std::count(folder.begin(), folder.end(), '\\'));
                return true;
            }));
        EXPECT_GE(depth, 1);

        FakeWatchList list;
        int count = 0;
        ASSERT_TRUE(ImportNetscapeBookmarks(list, original.string(), "\\", true, false, count));
        EXPECT_EQ(count, 0);
        EXPECT_EQ(static_cast<int>(list.offered.size()), links);

        const fs::path copy = dir.path / "copy.htm";
        WriteFile(copy, ReadFile(original));
        int deleted = 0;
        ASSERT_TRUE(ImportNetscapeBookmarks(list, copy.string(), "\\", true, true, deleted));
        EXPECT_EQ(deleted, 0);
        EXPECT_EQ(ReadFile(copy), ReadFile(original));
    }
}

TEST(RealBookmarkFiles, DeleteOnImportRemovesExactlyTheInjectedLinks)
{
    const auto files = RealBookmarkFiles();
    if (files.empty())
        GTEST_SKIP() << "no real bookmark files";
    TempDir dir;
    for (const fs::path& original : files) {
        SCOPED_TRACE(original.string());
        const std::string bytes = ReadFile(original);
        for (bool crlf : {false, true}) {
            std::string source = bytes;
            if (crlf) {
                source.clear();
                for (char c : bytes) {
                    if (c == '\n')
                        source += '\r';
                    source += c;
                }
            }
            std::string injected;
            const int n = InjectItemLinks(source, injected);
            const fs::path copy = dir.path / "injected.htm";
            WriteFile(copy, injected);

            FakeWatchList list;
            int count = 0;
            ASSERT_TRUE(ImportNetscapeBookmarks(list, copy.string(), "\\", true, true, count));
            EXPECT_EQ(count, n);
            ASSERT_EQ(static_cast<int>(list.added.size()), n);
            if (n > 0) {
                EXPECT_EQ(list.added.back(), Item(900000 + n));
            }
            EXPECT_EQ(ReadFile(copy), source);
        }
    }
}
