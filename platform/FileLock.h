#pragma once
// Advisory locks (flock) shared by every Lotwarden program, so that two of them never
// interleave the read-change-write of one file. The lock lives on an open file description:
// closing some other descriptor of the same file never lets it go, and it ends with the process.

#include <string>

class CFileLock
{
public:
    enum class Result
    {
        Locked,
        Busy,
        Missing,
        NotRegular,
        Failed
    };

    CFileLock() = default;
    ~CFileLock() { Unlock(); }
    CFileLock(const CFileLock&) = delete;
    CFileLock& operator=(const CFileLock&) = delete;

    // An exclusive lock on the regular file at `path`, without waiting. Our files are replaced
    // by renaming a new file over them, so a lock that was granted on a file replaced meanwhile
    // is let go and taken again on the file that now has the name. Never opens a FIFO or a
    // device for reading in a way that could block.
    Result TryLockFile(const std::string& path);

    // Waits for an exclusive (or, with `shared`, a shared) lock on a directory, which unlike
    // a file is never replaced. `wait` false tries once.
    bool LockDirectory(const std::string& dir, bool shared = false, bool wait = true);

    bool IsLocked() const { return fd >= 0; }
    void Unlock();
    // Hands the descriptor over (it stays open and locked until the process ends).
    int Release();

private:
    int fd = -1;
};
