#include "platform/PrivateTempDir.h"

#include "platform/FileLock.h"

#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>
#include <set>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string FromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    // Only absolute paths: a relative one would depend on the current directory.
    if (!value || value[0] != '/')
        return {};
    return value;
}

std::string ChooseDirectory()
{
    std::string dir = FromEnvironment("LOTWARDEN_TMPDIR");
    if (!dir.empty())
        return dir;
    dir = FromEnvironment("XDG_RUNTIME_DIR");
    if (!dir.empty())
        return dir + "/lotwarden";
    dir = FromEnvironment("TMPDIR");
    if (dir.empty())
        dir = "/tmp";
    return dir + "/lotwarden-" + std::to_string(static_cast<unsigned long>(geteuid()));
}

// Creates the directory or accepts an existing one only when it is a real directory (not a
// link) owned by us; group and other permissions on our own directory are taken away.
bool MakePrivate(const std::string& dir)
{
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid();
    if (ok && (st.st_mode & 077) != 0)
        ok = fchmod(fd, 0700) == 0;
    close(fd);
    return ok;
}

// Removes the files and links in `dir` (never a subdirectory, never through a link).
void RemoveLeftovers(const std::string& dir)
{
    const int dirFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dirFd < 0)
        return;
    DIR* listing = fdopendir(dirFd);
    if (!listing) {
        close(dirFd);
        return;
    }
    while (const dirent* entry = readdir(listing)) {
        struct stat st {};
        if (fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(st.st_mode))
            unlinkat(dirFd, entry->d_name, 0);
    }
    closedir(listing);
}

// Directories this process uses, each with the descriptor that holds its shared lock.
std::mutex joinedLock;
std::map<std::string, int> joinedDirs;

void Join(const std::string& dir)
{
    std::lock_guard guard(joinedLock);
    if (joinedDirs.count(dir))
        return;
    CFileLock lock;
    // Alone with the directory: whatever is in it belongs to no running program.
    if (lock.LockDirectory(dir, false, false))
        RemoveLeftovers(dir);
    if (lock.LockDirectory(dir, true))
        joinedDirs[dir] = lock.Release();
}

// Numbers handed out by this process and not yet removed, per "<dir><prefix>". Knowing them
// saves a failed creation for every live download when thousands are queued.
std::mutex numbersLock;
std::map<std::string, std::set<long>> numbersInUse;
// Set once an interrupted program has removed its files: a download thread still running until
// the process ends must not leave a new one behind.
bool numberedFilesClosed = false;

constexpr long kMaxNumber = 10'000'000;

bool SplitNumbered(const std::string& path, std::string& base, long& number)
{
    size_t digits = path.size();
    while (digits > 0 && path[digits - 1] >= '0' && path[digits - 1] <= '9')
        --digits;
    if (digits == path.size() || path.size() - digits > 9)
        return false;
    base = path.substr(0, digits);
    number = std::strtol(path.c_str() + digits, nullptr, 10);
    return true;
}

} // namespace

std::string GetPrivateTempDir()
{
    std::string dir = ChooseDirectory();
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    if (!MakePrivate(dir))
        return {};
    Join(dir);
    return dir + "/";
}

std::string CreateNumberedTempFile(const std::string& prefix)
{
    if (prefix.empty() || prefix.find('/') != std::string::npos)
        return {};
    const std::string dir = GetPrivateTempDir();
    if (dir.empty())
        return {};
    const std::string base = dir + prefix;

    std::lock_guard guard(numbersLock);
    if (numberedFilesClosed)
        return {};
    std::set<long>& used = numbersInUse[base];
    auto next = used.begin();
    for (long n = 0; n < kMaxNumber; ++n) {
        if (next != used.end() && *next == n) {
            ++next;
            continue;
        }
        const std::string path = base + std::to_string(n);
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            close(fd);
            used.insert(n);
            return path;
        }
        if (errno != EEXIST)
            break;
    }
    if (used.empty())
        numbersInUse.erase(base);
    return {};
}

void RemoveNumberedTempFile(const std::string& path)
{
    if (path.empty())
        return;
    unlink(path.c_str());
    std::string base;
    long number = 0;
    if (!SplitNumbered(path, base, number))
        return;
    std::lock_guard guard(numbersLock);
    auto it = numbersInUse.find(base);
    if (it == numbersInUse.end())
        return;
    it->second.erase(number);
    if (it->second.empty())
        numbersInUse.erase(it);
}

std::string CreateNamedTempFile(const std::string& name)
{
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
        return {};
    const std::string dir = GetPrivateTempDir();
    if (dir.empty())
        return {};
    const std::size_t dot = name.find_last_of('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    const std::string extension = stem.size() == name.size() ? std::string() : name.substr(dot);
    for (int n = 1; n < 10000; ++n) {
        const std::string path = dir + (n == 1 ? name : stem + "-" + std::to_string(n) + extension);
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            close(fd);
            return path;
        }
        if (errno != EEXIST)
            break;
    }
    return {};
}

void RemoveAllNumberedTempFiles()
{
    std::lock_guard guard(numbersLock);
    numberedFilesClosed = true;
    for (const auto& [base, numbers] : numbersInUse)
        for (long number : numbers)
            unlink((base + std::to_string(number)).c_str());
}
