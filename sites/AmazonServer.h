#pragma once
// Amazon Auctions: item pages on Amazon's shop host where each value follows its label in free
// text, read nearly field by field with TextAfterLabel. The site takes no search words from this
// program; a search only opens its auction search page.

#include "sites/AuctionServer.h"

class CAmazonServer : public CAuctionServer
{
public:
    using CAuctionServer::CAuctionServer;

    static const char* const kHost;
    static const char* const kItemUrlPrefix;
    static const char* const kBrowseUrlPrefix; // a second form of item URL, from category browsing
    static const char* const kSearchPage;
    // The table that opens the item's own part of the page; the kept page text starts at its last
    // occurrence, which leaves the site's navigation bars out of the description pane.
    static const char* const kPageTextAnchor;
    static const char* const kNavigationMapMarker;

    bool ParseLine(const std::vector<std::string>& lines, std::size_t i, CItemInfo& info,
                   int pagesParsed) override;
    int FinishParse(const std::vector<std::string>& lines, CItemInfo& info, std::string& url, bool& fetchAgain,
                    int pagesParsed, const std::string& itemNumber) override;
    std::string BuildSearchUrl(const CSearchRequest& request) override;
    void GetSearchDefaults(CSearchRequest& request) override;
    std::string GetItemUrlPrefix() override;
    bool ParseItemUrl(const std::string& url, std::string* itemNumber) override;
};
