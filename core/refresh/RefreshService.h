#pragma once
// The one object a refresh needs from end to end, built the same way by both programs: it is
// the document's link to the download engine (adding, refreshing, cancelling item downloads),
// reads "Simult Download" from the options it is given, applies every finished result to the
// document in one place, and passes failures and proxy password demands to the front end's
// questions. The front end keeps only the hand-over of results to the thread that owns the
// document: lotwarden pumps them from its main thread (WaitAndApply), the desktop program from
// its event loop after the wake-up call it gave at construction.

#include "core/document/LotwardDoc.h"
#include "core/refresh/SyncResultBridge.h"
#include "download/ProxyCredentials.h"
#include "sites/ItemDownloadOwner.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <string>

class CAppOptions;

// The front end's Abort/Retry/Ignore question about a failed item download.
class IErrorQuestion
{
public:
    virtual ~IErrorQuestion() = default;
    using Answer = IItemDownloadOwner::Answer;
    static constexpr Answer kRetry = IItemDownloadOwner::kRetry;
    static constexpr Answer kIgnore = IItemDownloadOwner::kIgnore;
    static constexpr Answer kAbort = IItemDownloadOwner::kAbort;
    // Asked on the download scheduler thread; shows `message` and returns the answer.
    virtual int AskAbortRetryIgnore(const std::string& message) = 0;
};

class CRefreshService final : public IItemDownloads, public IItemDownloadOwner, private IProxyCredentialsProvider
{
public:
    // Becomes `doc`'s download link until destroyed. The options, questions and document must
    // outlive the service. `wakeOwner` is called on the scheduler thread when a result waits
    // for ApplyPendingResults (empty: the owner polls with WaitAndApply).
    CRefreshService(CLotwardDoc& doc, const CAppOptions& options, IErrorQuestion& failures,
                    IProxyCredentialsProvider& proxyQuestion, std::function<void()> wakeOwner = {});
    // Shuts down and waits until no item download is left. An owner whose questions are
    // answered on its own thread must first wait for IsBusy() to turn false while it handles
    // its events.
    ~CRefreshService() override;
    CRefreshService(const CRefreshService&) = delete;
    CRefreshService& operator=(const CRefreshService&) = delete;

    // IItemDownloads, on the owner's thread.
    void RefreshItem(CItem& item) override;
    void CancelItem(const CItem& item) override;
    void CancelAll() override;

    // Item downloads queued, running or being finished ("Nb of Items pending: %d").
    int PendingCount() const;
    // Whether the download engine still has work (item downloads or their last steps).
    bool IsBusy() const;

    // Owner's thread: applies every result handed over so far; returns how many.
    int ApplyPendingResults() { return bridge.ApplyPending(); }
    // Owner's thread without an event loop: waits up to `timeout` for results and applies them.
    int WaitAndApply(std::chrono::milliseconds timeout) { return bridge.WaitAndApply(timeout); }
    // Owner's thread: from now on results are dropped, every item download is cancelled and no
    // question is asked any more.
    void Shutdown();

    // Called on the owner's thread after each result was applied to an item still in the
    // document, with whether the item changed.
    void SetResultListener(std::function<void(CItem& item, bool changed)> listener);

    // IItemDownloadOwner, called by the download engine's threads.
    void DeliverItemResult(CItem* item, CItemInfo& info) override;
    int AskAbortRetryIgnore(const std::string& message) override;
    int MaxSimultaneousDownloads() override;
    IProxyCredentialsProvider* ProxyCredentials() override { return this; }

private:
    void ApplyResult(CItem* item, CItemInfo& info);
    bool AskProxyCredentials(const std::string& proxy, std::string& user, std::string& password) override;

    CLotwardDoc& doc;
    const CAppOptions& options;
    IErrorQuestion& failures;
    IProxyCredentialsProvider& proxyQuestion;
    CSyncResultBridge bridge;
    std::function<void(CItem&, bool)> resultListener;
    std::atomic<bool> shutDown{false};
    // A declined proxy question is not asked again by the other items of the same refresh.
    std::atomic<bool> proxyDeclined{false};
};
