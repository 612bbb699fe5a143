#pragma once
// Writing a file so that a failure never damages the previous version: the bytes go to a
// temporary file in the same directory, which replaces the target only once it is complete
// and on disk.

#include <functional>
#include <string>

class CArchiveWriter;

struct SafeSaveResult
{
    bool ok = false;
    int error = 0; // errno of the failing step
};

SafeSaveResult SaveArchiveFile(const std::string& path, const std::function<void(CArchiveWriter&)>& write);

// Removes the temporary files that saves of `path` by programs no longer running left beside it.
void RemoveSaveLeftovers(const std::string& path);

// The frame's message for a failed save of `path`.
std::string SaveErrorMessage(const std::string& path, int error);
