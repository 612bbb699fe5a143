#include "sites/DownAuctionItemInfo.h"

#include "core/StringTable.h"
#include "sites/AuctionServer.h"
#include "sites/ItemDownloadOwner.h"

#include <utility>

CDownAuctionItemInfo::CDownAuctionItemInfo(IItemDownloadOwner& refresh, CAuctionServer* adapter,
                                           std::string number, std::string itemDescription, CItem* forItem)
    : owner(refresh), server(adapter), itemNumber(std::move(number)), description(std::move(itemDescription)),
      item(forItem)
{
    proxyCredentials = owner.ProxyCredentials();
}

int CDownAuctionItemInfo::OnDownloaded(bool& fetchAgain)
{
    fetchAgain = false;
    // A page for an item that went away, or a cancelled download, is not read: the failure
    // path then ends in OnError, which ignores it silently.
    if (item.load() == nullptr || cancelRequested || server == nullptr)
        return 1;
    const int result = server->ReadDownload(*this, fetchAgain);
    if (fetchAgain)
        ++pagesParsed;
    return result;
}

std::string CDownAuctionItemInfo::ErrorMessage() const
{
    const std::string site = server != nullptr ? server->GetDisplayName() : std::string();
    std::string message = description.empty() ? FormatText(LoadResString(5), {itemNumber, site})
                                              : FormatText(LoadResString(4), {itemNumber, site, description});
    if (!failureReason.empty())
        message += "\n" + failureReason;
    return message;
}

bool CDownAuctionItemInfo::PrepareRequest()
{
    failureReason.clear();
    return server == nullptr || server->PrepareRequest(*this, failureReason);
}

int CDownAuctionItemInfo::OnError()
{
    if (item.load() == nullptr)
        return IItemDownloadOwner::kIgnore;
    delayBeforeRequestMs = 0;
    if (server != nullptr && server->RetryQuietly(*this))
        return IItemDownloadOwner::kRetry;
    const int answer = owner.AskAbortRetryIgnore(ErrorMessage());
    if (answer == IItemDownloadOwner::kRetry || answer == IItemDownloadOwner::kAbort)
        return answer;
    return IItemDownloadOwner::kIgnore;
}

void CDownAuctionItemInfo::OnComplete()
{
    owner.DeliverItemResult(item.load(), info);
}

bool CDownAuctionItemInfo::IsForItem(const CItem* forItem, bool keep)
{
    CItem* current = item.load();
    if (current == nullptr || current != forItem)
        return false;
    if (!keep)
        item.store(nullptr);
    return true;
}

int CDownAuctionItemInfo::GetMaxSimultaneous()
{
    return owner.MaxSimultaneousDownloads();
}
