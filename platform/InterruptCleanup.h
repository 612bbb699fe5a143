#pragma once
// Files that must not outlive an interrupted program: the temporary file of a save in progress.
// A program that ends on a signal removes them (with the download files it made) before it goes.

#include <string>

void RegisterFileToRemove(const std::string& path);
void UnregisterFileToRemove(const std::string& path);

// Removes the registered files and this process's numbered temporary files. Safe to call from
// any thread while others still run; the program is expected to end right after.
void RemoveFilesOfInterruptedProgram();
