#include "platform/InterruptCleanup.h"

#include "platform/PrivateTempDir.h"

#include <mutex>
#include <set>

#include <unistd.h>

namespace {

std::mutex filesLock;
std::set<std::string>& Files()
{
    static std::set<std::string> files;
    return files;
}

} // namespace

void RegisterFileToRemove(const std::string& path)
{
    std::lock_guard guard(filesLock);
    Files().insert(path);
}

void UnregisterFileToRemove(const std::string& path)
{
    std::lock_guard guard(filesLock);
    Files().erase(path);
}

void RemoveFilesOfInterruptedProgram()
{
    {
        std::lock_guard guard(filesLock);
        for (const std::string& path : Files())
            ::unlink(path.c_str());
    }
    RemoveAllNumberedTempFiles();
}
