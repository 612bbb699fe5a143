#pragma once
// One queued download: the URL to fetch, the temporary file that receives the body, and the
// operations through which the download engine hands the result back to its owner.

#include <string>
#include <thread>
#include <vector>

class CItem;
class IProxyCredentialsProvider;
struct CurlSession; // the libcurl state of a running transfer (download engine internal)

class CDownItem
{
public:
    CDownItem();          // reserves a fresh temporary file name (download_N)
    virtual ~CDownItem(); // deletes the temporary file
    CDownItem(const CDownItem&) = delete;
    CDownItem& operator=(const CDownItem&) = delete;

    std::string url;
    std::string localFile;
    int downloadStatus =
        0; // 0 ok, 1 not started, 2 network failure, 3 HTTP failure; then OnDownloaded's result
    std::thread workerThread;
    CurlSession* session = nullptr; // guarded by the queue lock
    bool cancelRequested = false;   // guarded by the queue lock
    // Set by the transfer thread as its last act (under the queue lock): the scheduler may then
    // join workerThread and finish the download.
    bool transferEnded = false;
    // Asked when a proxy wants credentials that the engine does not know yet; not owned, may
    // be null (the transfer then fails with status 3).
    IProxyCredentialsProvider* proxyCredentials = nullptr;
    // Sent with the request: extra header lines ("Name: value") and, for live hosts, the user
    // agent (empty: the engine's own). PrepareRequest may set them before each request.
    std::vector<std::string> requestHeaders;
    std::string userAgent;
    // The last answer: its HTTP status (0 when none came) and Retry-After in seconds (-1: none).
    long httpStatus = 0;
    long retryAfterSeconds = -1;
    // A wait before the request is sent (a server's Retry-After); a cancel ends it at once.
    long delayBeforeRequestMs = 0;

    // Called on the transfer thread before each request (a retry included); false fails the
    // transfer with status 1 and sends nothing.
    virtual bool PrepareRequest() { return true; }

    // Called on the scheduler thread.
    virtual int OnDownloaded(bool& fetchAgain) = 0;
    virtual int OnError() = 0; // 1 retry, 2 ignore, 3 abort
    virtual void OnComplete() = 0;
    // Called under the queue lock.
    virtual bool IsForItem(const CItem* item, bool keep) = 0;
    virtual int GetMaxSimultaneous() = 0;
};
