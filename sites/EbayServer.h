#pragma once
// eBay: item pages on cgi.ebay.com (and its numbered mirrors), where a field's value mostly
// stands on the line after its label, and the texis search of search.ebay.com.

#include "sites/AuctionServer.h"

#include <array>

class CEbayServer : public CAuctionServer
{
public:
    using CAuctionServer::CAuctionServer;

    // The page's title table; reading starts at it and the title is two lines below it.
    static const char* const kStartMarker;
    // Item pages are served by the main host and six numbered mirrors, tried in this order.
    static const std::array<const char*, 7> kItemUrlPrefixes;
    static const char* const kCategoryLinkMarker;
    static const char* const kSearchBase;
    static const char* const kDescriptionSearchBase;

    bool IsStartLine(const std::string& line, int pagesParsed) override;
    bool ParseLine(const std::vector<std::string>& lines, std::size_t i, CItemInfo& info,
                   int pagesParsed) override;
    std::string BuildSearchUrl(const CSearchRequest& request) override;
    void GetSearchDefaults(CSearchRequest& request) override;
    std::string GetItemUrlPrefix() override;
    bool ParseItemUrl(const std::string& url, std::string* itemNumber) override;
};
