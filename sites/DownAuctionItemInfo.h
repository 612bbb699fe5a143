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
    CAuctionServer* server; // not owned
    std::string itemNumber;
    std::string description; // the item's title when queued, for error messages
    // Not owned; cleared (from the user-interface thread) when the item goes away while the
    // download is pending, hence atomic: the scheduler thread reads it.
    std::atomic<CItem*> item;
    CItemInfo info;
    int pagesParsed = 0;
    // Why the last request could not be made or read, in words for the user; added to the
    // error message (a live site without keys, an answer that is no item).
    std::string failureReason;
    // For sites read with a token: the one the last request carried, and whether a refused
    // token was already renewed for this download.
    std::string credential;
    bool credentialRenewed = false;
    int quietRetries = 0; // requests sent again after a busy or failing server

    int OnDownloaded(bool& fetchAgain) override;
    int OnError() override;
    void OnComplete() override;
    bool IsForItem(const CItem* forItem, bool keep) override;
    int GetMaxSimultaneous() override;
    bool PrepareRequest() override; // the adapter's own, on the transfer thread

    // The text OnError shows: strings 4 or 5 with the item number, site name and title.
    std::string ErrorMessage() const;
};
