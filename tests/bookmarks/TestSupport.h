#pragma once
// Files, temporary folders and a stand-in watch list for the bookmark tests.

#include "browser/BookmarkTarget.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bmtest {

inline const std::string kItemPrefix = "http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=";

// Takes the addresses that start like an eBay item page, as the document would through its
// adapters, and remembers them in order.
class FakeWatchList : public IBookmarkImportTarget
{
public:
    bool AddUrl(const std::string& url) override
    {
        offered.push_back(url);
        if (url.rfind(kItemPrefix, 0) != 0)
            return false;
        added.push_back(url);
        return true;
    }
    std::vector<std::string> offered;
    std::vector<std::string> added;
};

inline std::string ReadFile(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteFile(const std::filesystem::path& p, const std::string& data)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << data;
}

inline std::string Item(int n)
{
    return kItemPrefix + std::to_string(n);
}

// A fresh folder under the test's private temporary area, removed at the end.
class TempDir
{
public:
    TempDir()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path = std::filesystem::temp_directory_path() / ("lw-bookmarks-" + std::to_string(::getpid()) + "-" +
                                                         info->test_suite_name() + "-" + info->name());
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path, ec);
    }
    std::filesystem::path path;
};

inline std::filesystem::path DataFile(const std::string& name)
{
    return std::filesystem::path(LW_TEST_DATA_DIR) / "bookmarks" / name;
}

// Copies a data file into `dir` and returns the copy's path.
inline std::string CopyData(const std::string& name, const std::filesystem::path& dir)
{
    std::filesystem::path to = dir / name;
    std::filesystem::copy_file(DataFile(name), to, std::filesystem::copy_options::overwrite_existing);
    return to.string();
}

// The text with every line containing `needle` removed (lines end with "\n").
inline std::string WithoutLinesContaining(const std::string& text, const std::string& needle)
{
    std::string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        std::size_t end = nl == std::string::npos ? text.size() : nl + 1;
        std::string line = text.substr(pos, end - pos);
        if (line.find(needle) == std::string::npos)
            out += line;
        pos = end;
    }
    return out;
}

// Makes a file or folder that nobody may change while the object lives: read-only for a user,
// immutable for root (whose rights ignore read-only modes). `ok` is false when the file system
// cannot do that.
class UnchangeableFile
{
public:
    explicit UnchangeableFile(const std::string& target) : path(target)
    {
        struct stat st
        {
        };
        if (::stat(path.c_str(), &st) != 0)
            return;
        mode = st.st_mode & 07777;
        if (::geteuid() != 0) {
            ok = ::chmod(path.c_str(), mode & ~0222) == 0;
            return;
        }
        immutable = SetImmutable(true);
        ok = immutable;
    }
    ~UnchangeableFile()
    {
        if (immutable)
            SetImmutable(false);
        else if (ok)
            ::chmod(path.c_str(), mode);
    }
    UnchangeableFile(const UnchangeableFile&) = delete;
    UnchangeableFile& operator=(const UnchangeableFile&) = delete;
    bool ok = false;

private:
    bool SetImmutable(bool on)
    {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return false;
        int flags = 0;
        bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (done) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return done;
    }
    std::string path;
    mode_t mode = 0;
    bool immutable = false;
};

} // namespace bmtest
