#include "core/document/SafeSave.h"

#include "core/document/Archive.h"
#include "core/document/FrameworkMessages.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

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

} // namespace

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

    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        result.error = errno;
        return result;
    }
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
    if (result.error != 0) {
        ::unlink(temp.c_str());
        return result;
    }
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
