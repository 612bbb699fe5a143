#pragma once
// Building large watch lists for the model benchmarks.

#include <string>

class CLotwardDoc;

inline constexpr int kBenchItems = 10000;
inline constexpr std::size_t kBenchPageText = 30 * 1024;

// Adds `count` items with varied texts, dates and prices, each with `pageText` bytes of page.
void FillDocument(CLotwardDoc& doc, int count, std::size_t pageText, unsigned seed = 1);
// Writes a watch list of `count` such items to `path` one item at a time, without holding them.
bool WriteLargeFile(const std::string& path, int count, std::size_t pageText);
// Peak resident set (VmHWM) of this process in bytes.
long long PeakResidentBytes();
// Restarts the peak count from the current resident set.
void ResetPeakResident();
std::string BenchFilePath(const std::string& name);
