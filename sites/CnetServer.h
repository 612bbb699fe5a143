#pragma once
// CNET Auctions: item pages on auctions.cnet.com. The page starts after an advertising block,
// names its category in a navigation table and, once closed, lists the winning bids in green.
// A single-item auction with bids whose page names no buyer is read again in the rendering that
// lists the current high bidders.

#include "sites/AuctionServer.h"

class CCnetServer : public CAuctionServer
{
public:
    using CAuctionServer::CAuctionServer;

    static const char* const kHost;
    static const char* const kItemPath;
    static const char* const kSecondPageSuffix;
    static const char* const kSearchPath;
    // The comment that ends the advertising block.
    static const char* const kStartMarker;
    // The font of the winning bids of a closed auction.
    static const char* const kBidRowMarker;

    bool IsStartLine(const std::string& line, int pagesParsed) override;
    bool ParseLine(const std::vector<std::string>& lines, std::size_t i, CItemInfo& info,
                   int pagesParsed) override;
    int FinishParse(const std::vector<std::string>& lines, CItemInfo& info, std::string& url, bool& fetchAgain,
                    int pagesParsed, const std::string& itemNumber) override;
    std::string BuildSearchUrl(const CSearchRequest& request) override;
    void GetSearchDefaults(CSearchRequest& request) override;
    std::string GetItemUrlPrefix() override;
};
