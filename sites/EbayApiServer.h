#pragma once
// Today's eBay, one row per marketplace: items are read through eBay's official Browse API
// with an application token made from the user's own developer keys (EbayApiAccess.h), never
// from eBay's pages. Item and search addresses are the marketplace's own web pages, which the
// browser opens.

#include "sites/AuctionServer.h"

#include <array>
#include <string>

struct EbayMarketplace
{
    const char* marketplaceId; // X-EBAY-C-MARKETPLACE-ID, e.g. "EBAY_US"
    const char* domain;        // the web site's domain after "www." or "m.", e.g. "ebay.co.uk"
    const char* currency;      // the marketplace's own currency, e.g. "GBP"
};

class CEbayApiServer : public CAuctionServer
{
public:
    // The eight marketplaces, in the order of their server rows (ids 201 to 208).
    static const std::array<EbayMarketplace, 8> kMarketplaces;
    // Dates are kept as UTC wall clocks: a zone without daylight time, so that every
    // conversion to the user's clock works unchanged.
    static const char* const kTimeZone;

    CEbayApiServer(int id, int region, const EbayMarketplace& marketplace);

    const EbayMarketplace& marketplace;

    // The API's base address: LOTWARDEN_EBAY_API_URL when set (the simulator, the sandbox),
    // else https://api.ebay.com; never with a trailing slash.
    static std::string ApiBaseUrl();

    std::string GetItemUrlPrefix() override;                        // https://www.<domain>/itm/
    std::string GetPageUrl(const std::string& itemNumber) override; // the Browse API call
    // https or http, www., m. or no host prefix, /itm/N or /itm/slug/N, any query or fragment.
    bool ParseItemUrl(const std::string& url, std::string* itemNumber) override;
    std::string BuildSearchUrl(const CSearchRequest& request) override;
    void GetSearchDefaults(CSearchRequest& request) override;

    bool PrepareRequest(CDownAuctionItemInfo& download, std::string& failure) override;
    bool RetryQuietly(CDownAuctionItemInfo& download) override;
    int ReadDownload(CDownAuctionItemInfo& download, bool& fetchAgain) override;

    // The price as the marketplace shows it: "$1,125.00", "£31.00" (Windows-1252),
    // "EUR 1.125,00", "AU $45.00", "C $45.00"; other currencies as "CHF 45.00".
    std::string FormatPrice(const std::string& value, const std::string& currency) const;
};
