#include "sites/EbayApiServer.h"

#include "core/StringTable.h"
#include "platform/Cp1252.h"
#include "sites/DownAuctionItemInfo.h"
#include "sites/EbayApiAccess.h"
#include "sites/EbayApiItem.h"
#include "text/SiteDate.h"
#include "text/UrlHelpers.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <random>

namespace {

constexpr const char* kDefaultApiUrl = "https://api.ebay.com";
constexpr std::size_t kMaxItemNumber = 19; // eBay's item numbers have 12 digits today
constexpr int kQuietRetries = 3;
constexpr long kMaxWaitSeconds = 300;

bool AllDigits(const std::string& text)
{
    return !text.empty() && text.size() <= kMaxItemNumber &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// "1125.5" -> integer digits "1125" and two decimals "50"; false for anything else.
bool SplitAmount(const std::string& value, std::string& units, std::string& cents)
{
    const std::size_t dot = value.find('.');
    units = value.substr(0, dot);
    cents = dot == std::string::npos ? "" : value.substr(dot + 1);
    if (!AllDigits(units) || (!cents.empty() && !AllDigits(cents)) || cents.size() > 2)
        return false;
    units.erase(0, std::min(units.find_first_not_of('0'), units.size() - 1));
    cents.resize(2, '0');
    return true;
}

std::string Grouped(const std::string& units, char separator)
{
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (i != 0 && (units.size() - i) % 3 == 0)
            out += separator;
        out += units[i];
    }
    return out;
}

} // namespace

const std::array<EbayMarketplace, 8> CEbayApiServer::kMarketplaces = {{
    {"EBAY_US", "ebay.com", "USD"},
    {"EBAY_GB", "ebay.co.uk", "GBP"},
    {"EBAY_DE", "ebay.de", "EUR"},
    {"EBAY_FR", "ebay.fr", "EUR"},
    {"EBAY_IT", "ebay.it", "EUR"},
    {"EBAY_ES", "ebay.es", "EUR"},
    {"EBAY_AU", "ebay.com.au", "AUD"},
    {"EBAY_ENCA", "ebay.ca", "CAD"},
}};

const char* const CEbayApiServer::kTimeZone = "Greenwich";

CEbayApiServer::CEbayApiServer(int id, int region, const EbayMarketplace& market)
    : CAuctionServer(kTimeZone, id, "", region), marketplace(market)
{
}

std::string CEbayApiServer::ApiBaseUrl()
{
    const char* configured = std::getenv("LOTWARDEN_EBAY_API_URL");
    std::string base = configured != nullptr && *configured != '\0' ? configured : kDefaultApiUrl;
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    return base;
}

std::string CEbayApiServer::GetItemUrlPrefix()
{
    return std::string("https://www.") + marketplace.domain + "/itm/";
}

std::string CEbayApiServer::GetPageUrl(const std::string& itemNumber)
{
    return ApiBaseUrl() + "/buy/browse/v1/item/get_item_by_legacy_id?legacy_item_id=" + UrlEncode(itemNumber);
}

bool CEbayApiServer::ParseItemUrl(const std::string& url, std::string* itemNumber)
{
    std::string rest = url;
    rest.erase(0, std::min(rest.find_first_not_of(" \t"), rest.size()));
    rest.erase(std::min(rest.find_last_not_of(" \t\r\n") + 1, rest.size()));
    const std::size_t schemeEnd = rest.find("://");
    if (schemeEnd == std::string::npos)
        return false;
    const std::string scheme = Lower(rest.substr(0, schemeEnd));
    if (scheme != "https" && scheme != "http")
        return false;
    rest.erase(0, schemeEnd + 3);
    const std::size_t hostEnd = std::min(rest.find_first_of("/?#"), rest.size());
    std::string host = Lower(rest.substr(0, hostEnd));
    if (host.ends_with(".")) // the root's dot: "www.ebay.com."
        host.pop_back();
    const std::string domain = marketplace.domain;
    if (host != domain && host != "www." + domain && host != "m." + domain)
        return false;
    std::string path = rest.substr(hostEnd);
    path.erase(std::min(path.find_first_of("?#"), path.size()));
    // /itm/123456789012 or /itm/title-slug/123456789012 (a trailing slash allowed)
    if (!path.starts_with("/itm/"))
        return false;
    path.erase(0, 5);
    if (path.ends_with("/"))
        path.pop_back();
    const std::size_t slash = path.find('/');
    if (slash != std::string::npos) {
        if (path.find('/', slash + 1) != std::string::npos)
            return false;
        path.erase(0, slash + 1);
    }
    if (!AllDigits(path))
        return false;
    if (itemNumber != nullptr)
        *itemNumber = path;
    return true;
}

void CEbayApiServer::GetSearchDefaults(CSearchRequest& request)
{
    request.textOnly = false;
    request.searchDescriptions = false;
    request.ascending = true;
    request.categoryIndex = 0;
    request.optionMask = CSearchRequest::kOptSortDirection | CSearchRequest::kOptDescriptions;
    request.sortMask = CSearchRequest::kSortEndDate | CSearchRequest::kSortStartDate |
                       CSearchRequest::kSortCurrentPrice | CSearchRequest::kSortRanking |
                       CSearchRequest::kSortBidCount;
    request.sortKey = CSearchRequest::kSortEndDate;
}

std::string CEbayApiServer::BuildSearchUrl(const CSearchRequest& request)
{
    if (request.query.empty())
        return {};
    // eBay's own search page, auctions only; "_sop" is its sort order.
    std::string url = std::string("https://www.") + marketplace.domain +
                      "/sch/i.html?_nkw=" + UrlEncode(Utf8FromCp1252(request.query)) + "&LH_Auction=1";
    if (request.searchDescriptions)
        url += "&LH_TitleDesc=1";
    switch (request.sortKey) {
    case CSearchRequest::kSortEndDate:
        url += request.ascending ? "&_sop=1" : "&_sop=10"; // ending soonest / newly listed
        break;
    case CSearchRequest::kSortStartDate:
        url += request.ascending ? "&_sop=1" : "&_sop=10";
        break;
    case CSearchRequest::kSortCurrentPrice:
        url += request.ascending ? "&_sop=15" : "&_sop=16"; // price + postage lowest / highest
        break;
    case CSearchRequest::kSortBidCount:
        url += request.ascending ? "&_sop=6" : "&_sop=7"; // fewest / most bids
        break;
    default:
        url += "&_sop=12"; // best match
        break;
    }
    return url;
}

std::string CEbayApiServer::FormatPrice(const std::string& value, const std::string& currency) const
{
    std::string units;
    std::string cents;
    if (!SplitAmount(value, units, cents))
        return currency.empty() ? value : currency + " " + value;
    const std::string english = Grouped(units, ',') + "." + cents;
    if (currency == "USD" && marketplace.currency == std::string("USD"))
        return "$" + english;
    if (currency == "GBP")
        return "\xA3" + english; // £ in Windows-1252
    if (currency == "EUR")
        return "EUR " + Grouped(units, '.') + "," + cents;
    if (currency == "AUD")
        return "AU $" + english;
    if (currency == "CAD")
        return "C $" + english;
    if (currency == "USD")
        return "US $" + english;
    return currency + " " + english;
}

bool CEbayApiServer::PrepareRequest(CDownAuctionItemInfo& download, std::string& failure)
{
    EbayApiKeys keys;
    if (!LoadEbayApiKeys(keys)) {
        failure = FormatText(LoadResString(220), {EbayApiKeysPath()});
        return false;
    }
    if (!SpendEbayApiCall(keys, failure))
        return false;
    std::string token;
    if (!TheEbayApiTokens().Get(ApiBaseUrl(), keys, token, failure))
        return false;
    download.url = GetPageUrl(download.itemNumber);
    download.userAgent = LiveUserAgent();
    download.requestHeaders = {"Authorization: Bearer " + token,
                               std::string("X-EBAY-C-MARKETPLACE-ID: ") + marketplace.marketplaceId,
                               "Accept: application/json"};
    download.credential = token;
    return true;
}

bool CEbayApiServer::RetryQuietly(CDownAuctionItemInfo& download)
{
    // A refused token (expired early, revoked) is renewed once, without a question.
    if (download.httpStatus == 401 && !download.credentialRenewed && !download.credential.empty()) {
        TheEbayApiTokens().Invalidate(download.credential);
        download.credentialRenewed = true;
        return true;
    }
    // A busy (429) or failing (5xx) server is asked again a few times, after the wait it names
    // or else after a doubling back-off, with up to a quarter more so that many items do not
    // come back at the same moment.
    const bool busy =
        download.httpStatus == 429 || (download.httpStatus >= 500 && download.httpStatus <= 599);
    if (!busy || download.quietRetries >= kQuietRetries)
        return false;
    const long seconds = download.retryAfterSeconds >= 0
                             ? std::min(download.retryAfterSeconds, kMaxWaitSeconds)
                             : 1L << download.quietRetries;
    static std::mutex jitterLock;
    static std::minstd_rand jitter(std::random_device{}());
    long extraMs = 0;
    {
        std::lock_guard guard(jitterLock);
        extraMs = static_cast<long>(jitter() % static_cast<unsigned long>(seconds * 250 + 1));
    }
    download.delayBeforeRequestMs = seconds * 1000 + extraMs;
    ++download.quietRetries;
    return true;
}

int CEbayApiServer::ReadDownload(CDownAuctionItemInfo& download, bool& fetchAgain)
{
    fetchAgain = false;
    std::ifstream file(download.localFile, std::ios::in | std::ios::binary);
    if (!file)
        return 1;
    const std::string body((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    download.info.foundFlags = 0;
    if (!ReadEbayApiItem(body, *this, std::time(nullptr), download.info, download.failureReason)) {
        download.info.foundFlags = 0;
        return 1;
    }
    download.info.retrievalDate = CurrentTime();
    download.info.foundFlags |= kFoundRetrievalDate;
    if ((download.info.foundFlags & kFoundQuantity) == 0) {
        download.info.quantity = 1;
        download.info.foundFlags |= kFoundQuantity;
    }
    return 0;
}
