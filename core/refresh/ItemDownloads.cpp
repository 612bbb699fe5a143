#include "core/refresh/ItemDownloads.h"

#include "download/DownloadQueue.h"
#include "sites/AuctionServer.h"
#include "sites/DownAuctionItemInfo.h"

#include <typeinfo>

void CItemDownloads::RefreshItem(CItem& item)
{
    // The adapter itself refuses a second download for an item already queued or running.
    if (CAuctionServer* server = item.GetServer())
        server->StartItemDownload(&item);
}

void CItemDownloads::CancelItem(const CItem& item)
{
    // keep false: a running download lets go of the item, so its result can never reach it.
    CancelMatching(typeid(CDownAuctionItemInfo), &item, false);
}

void CItemDownloads::CancelAll()
{
    CancelDownloads(&typeid(CDownAuctionItemInfo));
}

bool DeliverItemResult(CLotwardDoc& doc, CItem* item, CItemInfo& info)
{
    if (item == nullptr || !doc.ContainsItem(item))
        return false;
    if (!item->ApplyResult(info))
        return false;
    doc.SetModifiedFlag();
    doc.UpdateAllViews(kHintItemChanged, item);
    return true;
}

int PendingItemDownloads()
{
    return CountDownloads(typeid(CDownAuctionItemInfo));
}
