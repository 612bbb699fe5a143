#pragma once
// Yahoo Auctions: one site per country on page.auctions.yahoo.com and its country hosts
// (uk.page.auctions.yahoo.com ...). The English-language sites are read directly; the other
// countries are read from the U.S. English rendering of the same page ("?acc=us"), after which
// the page in the country's own language is fetched for the description pane.

#include "sites/AuctionServer.h"

class CYahooServer : public CAuctionServer
{
public:
    CYahooServer(std::string timeZone, int id, std::string categories, int region, std::string country);

    // Lower-case two-letter country code; "us" for the main site.
    std::string countryCode;

    // Hosts of the Yahoo Auctions network, kept together here.
    static const char* const kAuctionsDomain;      // item pages; the main auctions host
    static const char* const kCalendarLinkPrefix;  // "add to calendar" links carrying the end time
    static const char* const kTitleSearchHost;
    static const char* const kDescriptionSearchHost;
    static const char* const kIntlSearchHost;
    // The table that starts the item part of the page; the description pane shows from there.
    static const char* const kPageTextAnchor;
    static const char* const kTitleTable;
    static const char* const kSellerLabel;

    // "http://" + country code + "." + kAuctionsDomain.
    static std::string CountryHostUrl(const std::string& country);
    static std::string MainHostUrl();

    bool ParseLine(const std::vector<std::string>& lines, std::size_t i, CItemInfo& info,
                   int pagesParsed) override;
    int FinishParse(const std::vector<std::string>& lines, CItemInfo& info, std::string& url, bool& fetchAgain,
                    int pagesParsed, const std::string& itemNumber) override;
    std::string BuildSearchUrl(const CSearchRequest& request) override;
    void GetSearchDefaults(CSearchRequest& request) override;
    std::string GetItemUrlPrefix() override;
    std::string GetSearchBase(bool searchDescriptions) override;
};

class CYahooIntlServer : public CYahooServer
{
public:
    CYahooIntlServer(std::string timeZone, int id, std::string categories, int region, std::string country);

    // The real country code; the base keeps "us", the language its pages are read in.
    std::string intlCountryCode;

    bool ParseLine(const std::vector<std::string>& lines, std::size_t i, CItemInfo& info,
                   int pagesParsed) override;
    int FinishParse(const std::vector<std::string>& lines, CItemInfo& info, std::string& url, bool& fetchAgain,
                    int pagesParsed, const std::string& itemNumber) override;
    std::string GetPageUrl(const std::string& itemNumber) override;
    std::string GetItemUrlPrefix() override;
    bool ParseItemUrl(const std::string& url, std::string* itemNumber) override;
    std::string GetSearchBase(bool searchDescriptions) override;
};
