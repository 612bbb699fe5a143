#pragma once
// The download of one item's page (and its follow-up pages): the adapter reads the page into
// `info`, and the result is handed to the refresh that queued it.

#include "download/DownItem.h"
#include "sites/ItemInfo.h"

#include <atomic>
#include <string>

class CAuctionServer;
class CItem;
class IItemDownloadOwner;

class CDownAuctionItemInfo : public CDownItem
{
public:
    CDownAuctionItemInfo(IItemDownloadOwner& refresh, CAuctionServer* adapter, std::string number,
                         std::string itemDescription, CItem* forItem);

    IItemDownloadOwner& owner;
    CAuctionServer* server;  // not owned
    std::string itemNumber;
    std::string description; // the item's title when queued, for error messages
    // Not owned; cleared (from the user-interface thread) when the item goes away while the
    // download is pending, hence atomic: the scheduler thread reads it.
    std::atomic<CItem*> item;
    CItemInfo info;
    int pagesParsed = 0;

    int OnDownloaded(bool& fetchAgain) override;
    int OnError() override;
    void OnComplete() override;
    bool IsForItem(const CItem* forItem, bool keep) override;
    int GetMaxSimultaneous() override;

    // The text OnError shows: strings 4 or 5 with the item number, site name and title.
    std::string ErrorMessage() const;
};
