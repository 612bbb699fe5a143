#pragma once
// The adapter of one auction site: item and search URLs, and reading item pages.
// One object per row of the server table lives for the whole run (see ServerTable.cpp).

#include "sites/ItemInfo.h"

#include <ctime>
#include <string>
#include <vector>

class CDownAuctionItemInfo;
class CItem;
class IItemDownloadOwner;

// The Find Items window's choices, as the adapters read and fill them.
struct CSearchRequest
{
    enum OptionBits { kOptSortDirection = 1, kOptDescriptions = 2, kOptTextOnly = 4, kOptCategory = 8 };
    enum SortBits {
        kSortEndDate = 2, kSortStartDate = 4, kSortCurrentPrice = 8, kSortRanking = 16,
        kSortPhoto = 32, kSortDescription = 64, kSortBidCount = 128
    };
    bool textOnly = false;
    bool searchDescriptions = false;
    bool ascending = true;
    int categoryIndex = 0;
    int optionMask = 0;
    int sortMask = 0;
    int sortKey = 0;
    std::string query;
};

class CAuctionServer
{
public:
    CAuctionServer(std::string timeZone, int id, std::string categories, int region);
    virtual ~CAuctionServer();
    CAuctionServer(const CAuctionServer&) = delete;
    CAuctionServer& operator=(const CAuctionServer&) = delete;

    std::string timeZoneName;
    int serverId;
    std::string categoryPrefix;
    int regionId;

    // Page reading, in the order the page reader calls them.
    virtual bool IsStartLine(const std::string& line, int pagesParsed);
    virtual bool IsEndLine(const std::string& line, int pagesParsed);
    virtual bool ParseLine(const std::vector<std::string>& lines, std::size_t i, CItemInfo& info,
                           int pagesParsed);
    virtual int FinishParse(const std::vector<std::string>& lines, CItemInfo& info, std::string& url,
                            bool& fetchAgain, int pagesParsed, const std::string& itemNumber);

    virtual std::string GetItemUrl(const std::string& itemNumber);
    virtual void GetCategoryNames(std::vector<std::string>& names);
    virtual std::string BuildSearchUrl(const CSearchRequest& request) = 0;
    virtual void GetSearchDefaults(CSearchRequest& request) = 0;
    virtual std::string GetPageUrl(const std::string& itemNumber);
    virtual std::string GetItemUrlPrefix() = 0;
    // Whether `url` is an item page of this site; the item number goes to *itemNumber when given.
    virtual bool ParseItemUrl(const std::string& url, std::string* itemNumber);
    // The item number in what follows an item URL's prefix: cut at a fragment ("#") and, with
    // `cutAtQuery`, at the first "&", "?" or "/"; trailing blanks dropped. An empty number names
    // no item: false, and *itemNumber is left alone.
    static bool TakeItemNumber(std::string tail, std::string* itemNumber, bool cutAtQuery = true);
    virtual std::string GetSearchBase(bool searchDescriptions);
    // Sites read through an API: what a request needs beyond its URL (headers, a token fetched
    // now), called on the transfer thread before every request. False fails the download
    // without sending it, `failure` saying why. Base: nothing to add.
    virtual bool PrepareRequest(CDownAuctionItemInfo& download, std::string& failure);
    // Whether a failed request is sent again without asking the user (a renewed token, a
    // server's Retry-After). Base: never.
    virtual bool RetryQuietly(CDownAuctionItemInfo& download);
    // Reads a finished download into download.info; 0 on success. Base: ParsePage of the page.
    virtual int ReadDownload(CDownAuctionItemInfo& download, bool& fetchAgain);

    // Reads a downloaded page file into `info`; 0 on success, 1 on failure.
    int ParsePage(const std::string& localFile, CItemInfo& info, std::string& url, bool& fetchAgain,
                  int pagesParsed, const std::string& itemNumber);
    // Queues the item's page for `owner`, unless a download for the item is already queued or
    // running.
    bool StartItemDownload(CItem* item, IItemDownloadOwner& owner);

    std::string GetDisplayName() const;
    std::string GetDisplayLabel() const; // "%s   [%s]": name and region
    std::time_t SiteToLocal(std::time_t t) const;
    std::time_t LocalToSite(std::time_t t) const;

    // Line readers shared by the site parsers.
    static bool ValueInTag(const std::vector<std::string>& lines, std::size_t i, const std::string& label,
                           const std::string& tag, std::string& out, std::size_t offset, bool restOfLine);
    static bool NextTextLine(const std::vector<std::string>& lines, std::size_t i, const std::string& label,
                             std::string& out, std::uint32_t& flags, std::uint32_t bit);
    static bool TextAfterLabel(const std::vector<std::string>& lines, std::size_t i, const std::string& label,
                               std::string& out, std::uint32_t& flags, std::uint32_t bit);
};

// The server registry, in the order of the server table.
const std::vector<CAuctionServer*>& AllServers();
CAuctionServer* FindServer(int serverId);
std::vector<int> AllServerIds();
CAuctionServer* FindServerForUrl(const std::string& url, std::string* itemNumber);
// The servers a user may choose (not rejected in the options), in registry order.
std::vector<CAuctionServer*> SelectableServers();
// Index in `servers` of the default server (string 12, eBay), 0 when absent.
int DefaultServerIndex(const std::vector<CAuctionServer*>& servers);
