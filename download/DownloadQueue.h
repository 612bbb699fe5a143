#pragma once
// The process-wide download queue: a scheduler thread that runs transfers on worker threads,
// at most GetMaxSimultaneous() of a kind at once. A download's kind is its dynamic type.

#include <string>
#include <typeinfo>

class CDownItem;
class CItem;

// Takes ownership of `download` when it returns true.
bool QueueDownload(CDownItem* download, const std::string& url);
bool CancelDownloads(const std::type_info* kind); // nullptr: every download
bool CancelMatching(const std::type_info& kind, const CItem* item, bool keep);
bool HasDownloadFor(const std::type_info& kind, const CItem* item, bool keep);
int CountDownloads(const std::type_info& kind);
bool IsQueueActive();
void StopAllDownloads();
