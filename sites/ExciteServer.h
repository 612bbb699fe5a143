#pragma once
// Excite Auctions: lot pages on auctions.excite.com. Dates carry no year, so the years are
// inferred once the lot is read; a single-item lot with bids is read a second time from its
// bid history to learn the high bidder.

#include "sites/AuctionServer.h"

#include <array>

class CExciteServer : public CAuctionServer
{
public:
    using CAuctionServer::CAuctionServer;

    static const char* const kHost;
    static const char* const kItemPath;
    // Older links to a lot, recognised when an item is added from a URL.
    static const std::array<const char*, 3> kOtherItemPaths;
    static const char* const kBidHistoryPath;
    static const char* const kSearchPath;
    // The comment that closes the search box; the lot itself follows it.
    static const char* const kStartMarker;

    bool IsStartLine(const std::string& line, int pagesParsed) override;
    bool ParseLine(const std::vector<std::string>& lines, std::size_t i, CItemInfo& info,
                   int pagesParsed) override;
    int FinishParse(const std::vector<std::string>& lines, CItemInfo& info, std::string& url, bool& fetchAgain,
                    int pagesParsed, const std::string& itemNumber) override;
    std::string BuildSearchUrl(const CSearchRequest& request) override;
    void GetSearchDefaults(CSearchRequest& request) override;
    std::string GetItemUrlPrefix() override;
    bool ParseItemUrl(const std::string& url, std::string* itemNumber) override;
};
