#pragma once
// iBazar: the French and Italian sites, one page layout in two languages. The bids are counted
// from the bid list on the item page, and the page is cleaned line by line (frames, browser
// sniffing, relative links) before it is shown. The sites offer this program no search form.

#include "sites/AuctionServer.h"

// The texts of one national site, Windows-1252 bytes compared byte for byte with the page.
// Labels keep their trailing blanks.
struct CIbazarLocale
{
    std::string titleLabel;
    std::string sellerLabel;
    std::string quantityLabel;
    std::string startingPriceLabel;
    std::string currentPriceLabel;
    std::string startLabel;
    std::string endLabel;
    std::string bidListMarker1;
    std::string bidListMarker2;
    std::string bidListEndMarker;
    std::string categoryLabel1;
    std::string categoryLabel2;
    std::string soldText;
    std::string host;
};

class CIbazarServer : public CAuctionServer
{
public:
    CIbazarServer(std::string timeZone, int id, std::string categories, int region, CIbazarLocale texts);

    static const CIbazarLocale kFrance;
    static const CIbazarLocale kItaly;

    // The "=" of the item link is sent encoded; links with a plain "=" are accepted as well.
    static const char* const kItemPath;
    static const char* const kPlainItemPath;
    static const char* const kSearchPath;
    static const char* const kBidderLink;
    static const char* const kBidderAnchor;

    const CIbazarLocale& Texts() const { return texts; }

    bool ParseLine(const std::vector<std::string>& lines, std::size_t i, CItemInfo& info,
                   int pagesParsed) override;
    int FinishParse(const std::vector<std::string>& lines, CItemInfo& info, std::string& url, bool& fetchAgain,
                    int pagesParsed, const std::string& itemNumber) override;
    std::string BuildSearchUrl(const CSearchRequest& request) override;
    void GetSearchDefaults(CSearchRequest& request) override;
    std::string GetItemUrlPrefix() override;
    bool ParseItemUrl(const std::string& url, std::string* itemNumber) override;

    // One kept page line as it goes into the shown page; empty when the line is dropped.
    std::string CleanPageLine(std::string line) const;

private:
    CIbazarLocale texts;
};
