#pragma once
// What the transfer threads share with the queue (download engine internal).

#include <mutex>

class CDownItem;

std::mutex& DownloadQueueLock();

// The last act of a transfer thread: records the status, marks the transfer ended and wakes the
// scheduler. Takes the queue lock; `download` is not touched afterwards.
void EndTransfer(CDownItem* download, int status);

// The body of a transfer thread (HttpTransfer.cpp): fetches download->url into localFile and
// ends with EndTransfer.
void RunTransferThread(CDownItem* download);

// Called once before the first transfer.
void InitHttpTransfers();
