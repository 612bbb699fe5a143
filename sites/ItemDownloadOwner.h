#pragma once
// The refresh that queued an item download. The download engine's threads call it for the
// three moments where a finished download needs its owner: handing the result over, asking
// what to do about a failure, and the number of item downloads that may run at once.

#include "sites/ItemInfo.h"

#include <string>

class CItem;
class IProxyCredentialsProvider;

class IItemDownloadOwner
{
public:
    virtual ~IItemDownloadOwner() = default;
    enum Answer { kRetry = 1, kIgnore = 2, kAbort = 3 };

    // Scheduler thread: applies `info` to `item` (which may have left the document, or be null)
    // on the thread that owns the items, and returns once that is done or the owner has closed.
    virtual void DeliverItemResult(CItem* item, CItemInfo& info) = 0;
    // Scheduler thread: Abort, Retry or Ignore for a failed download; returns an Answer.
    virtual int AskAbortRetryIgnore(const std::string& message) = 0;
    // Under the download queue lock: item downloads allowed to run at once ("Simult Download").
    virtual int MaxSimultaneousDownloads() = 0;
    // Who answers a proxy's demand for credentials; may be null.
    virtual IProxyCredentialsProvider* ProxyCredentials() = 0;
};
