#pragma once
// What the transfer threads share with the queue (download engine internal).

#include <mutex>

class CDownItem;
struct CurlSession;

std::mutex& DownloadQueueLock();

// The last act of a transfer thread with its download: unregisters `session` (when still
// registered), records the status, marks the transfer ended and wakes the scheduler. Takes the
// queue lock; `download` must not be touched afterwards.
void EndTransfer(CDownItem* download, int status, CurlSession* session);

// The body of a transfer thread (HttpTransfer.cpp): fetches download->url into localFile and
// ends with EndTransfer.
void RunTransferThread(CDownItem* download);

// Called once before the first transfer.
void InitHttpTransfers();
