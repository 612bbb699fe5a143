#include "core/refresh/RefreshService.h"

#include "core/options/AppOptions.h"
#include "download/DownloadQueue.h"
#include "sites/AuctionServer.h"
#include "sites/DownAuctionItemInfo.h"

#include <algorithm>
#include <mutex>
#include <typeinfo>
#include <utility>

CRefreshService::CRefreshService(CLotwardDoc& document, const CAppOptions& appOptions, IErrorQuestion& failureQuestion,
                                 IProxyCredentialsProvider& proxy, std::function<void()> wakeOwner)
    : doc(document), options(appOptions), failures(failureQuestion), proxyQuestion(proxy),
      bridge([this](CItem* item, CItemInfo& info) { ApplyResult(item, info); }, std::move(wakeOwner))
{
    doc.SetItemDownloads(this);
}

CRefreshService::~CRefreshService()
{
    Shutdown();
    doc.SetItemDownloads(nullptr);
    StopAllDownloads();
}

void CRefreshService::Shutdown()
{
    shutDown = true;
    bridge.Close();
    CancelAll();
}

void CRefreshService::RefreshItem(CItem& item)
{
    if (shutDown)
        return;
    // A new refresh may ask for proxy credentials again. (The engine's busy flag, not a count
    // of its lists: this runs once per item of a refresh.)
    if (!IsBusy())
        proxyDeclined = false;
    // The adapter itself refuses a second download for an item already queued or running.
    if (CAuctionServer* server = item.GetServer())
        server->StartItemDownload(&item, *this);
}

void CRefreshService::CancelItem(const CItem& item)
{
    // keep false: a running download lets go of the item, so its result can never reach it.
    CancelMatching(typeid(CDownAuctionItemInfo), &item, false);
}

void CRefreshService::CancelAll()
{
    CancelDownloads(&typeid(CDownAuctionItemInfo));
}

int CRefreshService::PendingCount() const
{
    return CountDownloads(typeid(CDownAuctionItemInfo));
}

bool CRefreshService::IsBusy() const
{
    return IsQueueActive();
}

void CRefreshService::SetResultListener(std::function<void(CItem&, bool)> listener)
{
    resultListener = std::move(listener);
}

void CRefreshService::ApplyResult(CItem* item, CItemInfo& info)
{
    // A result for an item deleted meanwhile, or for a document emptied since, is dropped.
    if (item == nullptr || !doc.ContainsItem(item))
        return;
    const bool changed = item->ApplyResult(info);
    if (changed) {
        doc.SetModifiedFlag();
        doc.UpdateAllViews(kHintItemChanged, item);
    }
    if (resultListener)
        resultListener(*item, changed);
}

void CRefreshService::DeliverItemResult(CItem* item, CItemInfo& info)
{
    bridge.DeliverItemResult(item, info);
}

int CRefreshService::AskAbortRetryIgnore(const std::string& message)
{
    if (shutDown)
        return kIgnore;
    return failures.AskAbortRetryIgnore(message);
}

int CRefreshService::MaxSimultaneousDownloads()
{
    std::lock_guard lock(OptionsLock());
    // A limit below 1 would leave every download waiting for ever.
    return std::max(options.simultDownload, 1);
}

bool CRefreshService::AskProxyCredentials(const std::string& proxy, std::string& user, std::string& password)
{
    if (shutDown || proxyDeclined)
        return false;
    if (proxyQuestion.AskProxyCredentials(proxy, user, password))
        return true;
    proxyDeclined = true;
    return false;
}
