#pragma once
// The transfer settings of the download engine. The defaults are the program's; tests shorten
// the delays so that failure paths run quickly. Changes apply to transfers started afterwards.

#include <cstdint>

struct DownloadTuning
{
    long connectTimeoutMs = 30000;
    int connectRetries = 3;          // further attempts after a failed connect
    long connectRetryDelayMs = 1000; // pause before each further attempt
    // A transfer that receives nothing for this long fails as a network time-out (status 2);
    // without it a server that stops answering would hold a transfer slot for ever.
    long stallTimeoutSec = 60;
    // A larger body ends the transfer with status 3 instead of filling the disk.
    std::int64_t maxBodyBytes = std::int64_t{32} * 1024 * 1024;
    // The scheduler's longest wait between two passes.
    long idlePassMs = 1000;
};

DownloadTuning GetDownloadTuning();
void SetDownloadTuning(const DownloadTuning& tuning);

// Makes the next `count` transfer-thread starts fail as if the system had no thread to give.
void FailTransferThreadStartsForTesting(int count);
