#pragma once
// Temporary folders and child processes for the installer tests.

#include <map>
#include <string>
#include <vector>

// A fresh folder under the test's temporary area, removed with everything in it at the end.
class TempRoot
{
public:
    TempRoot();
    ~TempRoot();
    const std::string& Path() const { return path; }
    std::string operator/(const std::string& name) const { return path + "/" + name; }

private:
    std::string path;
};

struct ProcessResult
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs `argv` with the current environment changed by `env` (an empty value removes the
// variable); waits for it and collects its output.
ProcessResult RunProgram(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env);

// The environment of a user whose HOME and XDG folders all lie under `root`.
std::map<std::string, std::string> PrivateUserEnv(const std::string& root);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);
// Every file and link under `root` (not directories), relative to it, sorted.
std::vector<std::string> ListFiles(const std::string& root);
// ListFiles without the desktop's generated databases (the shared-mime-info caches and the
// applications' mimeinfo.cache) as long as they do not mention Lotwarden's document type.
std::vector<std::string> ListFilesBesidesCleanDatabases(const std::string& root);
