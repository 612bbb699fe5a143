#include "platform/FileLock.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

CFileLock::Result CFileLock::TryLockFile(const std::string& path)
{
    Unlock();
    // A few rounds are enough: each repeat means another program finished a save meanwhile.
    for (int round = 0; round < 100; ++round) {
        const int opened = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (opened < 0)
            return errno == ENOENT ? Result::Missing : Result::Failed;
        struct stat held {};
        if (::fstat(opened, &held) != 0 || !S_ISREG(held.st_mode)) {
            ::close(opened);
            return Result::NotRegular;
        }
        if (::flock(opened, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(opened);
            return error == EWOULDBLOCK ? Result::Busy : Result::Failed;
        }
        struct stat named {};
        if (::stat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino) {
            fd = opened;
            return Result::Locked;
        }
        ::close(opened);
    }
    return Result::Busy;
}

bool CFileLock::LockDirectory(const std::string& dir, bool shared, bool wait)
{
    Unlock();
    const int opened = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (opened < 0)
        return false;
    const int operation = (shared ? LOCK_SH : LOCK_EX) | (wait ? 0 : LOCK_NB);
    int result = 0;
    while ((result = ::flock(opened, operation)) != 0 && errno == EINTR) {
    }
    if (result != 0) {
        ::close(opened);
        return false;
    }
    fd = opened;
    return true;
}

void CFileLock::Unlock()
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

int CFileLock::Release()
{
    const int held = fd;
    fd = -1;
    return held;
}
