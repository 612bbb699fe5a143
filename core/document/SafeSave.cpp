#include "core/document/SafeSave.h"

#include "core/document/Archive.h"
#include "core/document/FrameworkMessages.h"
#include "platform/InterruptCleanup.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The process umask, read without changing it (umask() would race with threads creating files).
mode_t CurrentUmask()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    return 022;
}

std::string ReplaceFirst(std::string text, const std::string& what, const std::string& with)
{
    const std::size_t at = text.find(what);
    if (at != std::string::npos)
        text.replace(at, what.size(), with);
    return text;
}

// A save's temporary file is "<file>.~<pid>.XXXXXX": the name tells which process wrote it,
// and the writer holds a lock on it while it exists.
std::string TempPrefix(const std::string& fileName, long pid)
{
    return fileName + ".~" + std::to_string(pid) + ".";
}

std::string FileNamePart(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DirectoryPart(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Whether the temporary file `name` of a save of `fileName` belongs to a process that no longer
// runs. A name whose process still runs (or whose number was given to another process) stays.
bool IsDeadSaveLeftover(int dirFd, const std::string& fileName, const std::string& name)
{
    const std::string head = fileName + ".~";
    if (name.size() <= head.size() + 7 || name.compare(0, head.size(), head) != 0)
        return false;
    const std::size_t dot = name.size() - 7;
    if (name[dot] != '.' || dot == head.size())
        return false;
    long pid = 0;
    for (std::size_t i = head.size(); i < dot; ++i) {
        if (name[i] < '0' || name[i] > '9' || pid > 100'000'000)
            return false;
        pid = pid * 10 + (name[i] - '0');
    }
    if (pid <= 0 || ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)
        return false;
    const int fd = ::openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    const bool unused = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return unused;
}

// A file that the user marked read-only is never replaced, though its folder would allow it.
bool IsReadOnlyFile(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return false;
    return (st.st_mode & 0222) == 0 ||
           (::access(path.c_str(), W_OK) != 0 && (errno == EACCES || errno == EROFS));
}

} // namespace

void RemoveSaveLeftovers(const std::string& requestedPath)
{
    std::error_code ec;
    std::string path = requestedPath;
    if (std::filesystem::is_symlink(path, ec)) {
        const auto target = std::filesystem::canonical(path, ec);
        if (!ec)
            path = target.string();
    }
    const std::string fileName = FileNamePart(path);
    const int dirFd = ::open(DirectoryPart(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return;
    DIR* listing = ::fdopendir(dirFd);
    if (!listing) {
        ::close(dirFd);
        return;
    }
    std::vector<std::string> dead;
    while (const dirent* entry = ::readdir(listing))
        if (IsDeadSaveLeftover(dirFd, fileName, entry->d_name))
            dead.emplace_back(entry->d_name);
    for (const std::string& name : dead)
        ::unlinkat(dirFd, name.c_str(), 0);
    ::closedir(listing);
}

SafeSaveResult SaveArchiveFile(const std::string& requestedPath, const std::function<void(CArchiveWriter&)>& write)
{
    SafeSaveResult result;
    // Saving through a symbolic link replaces the file it points to, not the link.
    std::string path = requestedPath;
    std::error_code ec;
    if (std::filesystem::is_symlink(path, ec)) {
        const auto target = std::filesystem::canonical(path, ec);
        if (!ec)
            path = target.string();
    }

    if (IsReadOnlyFile(path)) {
        result.error = EACCES;
        return result;
    }
    RemoveSaveLeftovers(path);

    std::string temp = DirectoryPart(path) + "/" + TempPrefix(FileNamePart(path), ::getpid()) + "XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        result.error = errno;
        return result;
    }
    ::flock(fd, LOCK_EX);
    RegisterFileToRemove(temp);
    struct stat existing {};
    const mode_t mode = ::stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : (0666 & ~CurrentUmask());
    ::fchmod(fd, mode);

    CFdSink sink(fd);
    {
        CArchiveWriter writer(sink);
        write(writer);
        writer.Flush();
        result.error = writer.Error();
    }
    if (result.error == 0 && ::fsync(fd) != 0)
        result.error = errno;
    if (::close(fd) != 0 && result.error == 0)
        result.error = errno;
    if (result.error == 0 && std::rename(temp.c_str(), path.c_str()) != 0)
        result.error = errno;
    if (result.error != 0)
        ::unlink(temp.c_str());
    UnregisterFileToRemove(temp);
    if (result.error != 0)
        return result;
    result.ok = true;
    return result;
}

std::string SaveErrorMessage(const std::string& path, int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return FrameworkMessage::kDiskFull;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return ReplaceFirst(FrameworkMessage::kReadOnly, "%1", path);
    default:
        return FrameworkMessage::kFailedToSave;
    }
}
