#pragma once
// Refreshing items through the download engine, and folding a finished result into the
// document. Both front ends use these: the GUI from its main frame, lotwarden from its own
// main thread.

#include "core/document/LotwardDoc.h"

struct CItemInfo;

// The document's link to the real download engine: an item's page is queued through its
// adapter, and cancelling reaches the item downloads (CDownAuctionItemInfo) only.
class CItemDownloads : public IItemDownloads
{
public:
    void RefreshItem(CItem& item) override;
    void CancelItem(const CItem& item) override;
    void CancelAll() override;
};

// Applies a result handed over by the download scheduler, on the thread that owns the
// document. Nothing happens unless both are given and the document still holds that very item
// (a result for a deleted item is dropped). When the item changed, the document is marked
// modified and every view redraws the item's row. Returns whether the item changed.
bool DeliverItemResult(CLotwardDoc& doc, CItem* item, CItemInfo& info);

// Item downloads queued or running ("Nb of Items pending: %d").
int PendingItemDownloads();
