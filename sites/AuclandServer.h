#pragma once
// Aucland: four national sites (France, U.K., Italy, Spain) with one page layout in four
// languages. When an item page shows a high bidder but no count of bids, the item's bid history
// is fetched as a second page and its bidders are counted.

#include "sites/AuctionServer.h"

// The texts of one national site, Windows-1252 bytes compared byte for byte with the page.
struct CAuclandLocale
{
    std::string host;
    std::string sellerLabel;
    std::string quantityLabel;
    std::string startingPriceLabel;
    std::string timeLeftLabel;
    std::string closedText;
    std::string commentsHeading;
    std::string nextBidLabel;
    std::string countryName;
    std::string descriptionHeading;
};

class CAuclandServer : public CAuctionServer
{
public:
    CAuclandServer(std::string timeZone, int id, std::string categories, int region, CAuclandLocale texts);

    static const CAuclandLocale kFrance;
    static const CAuclandLocale kUnitedKingdom;
    static const CAuclandLocale kItaly;
    static const CAuclandLocale kSpain;

    static const char* const kItemPath;
    static const char* const kHistorySuffix;
    static const char* const kBidderLinkMarker;
    static const char* const kTitleMarker;
    static const char* const kSearchPath;
    // Every site also labels the next bid this way on some pages.
    static const char* const kPriceLabel;

    const CAuclandLocale locale;

    bool ParseLine(const std::vector<std::string>& lines, std::size_t i, CItemInfo& info,
                   int pagesParsed) override;
    int FinishParse(const std::vector<std::string>& lines, CItemInfo& info, std::string& url, bool& fetchAgain,
                    int pagesParsed, const std::string& itemNumber) override;
    std::string BuildSearchUrl(const CSearchRequest& request) override;
    void GetSearchDefaults(CSearchRequest& request) override;
    std::string GetItemUrlPrefix() override;

private:
    void ParseItemLine(const std::vector<std::string>& lines, std::size_t i, CItemInfo& info);
    void ParseHistoryLine(const std::vector<std::string>& lines, std::size_t i, CItemInfo& info);
};
