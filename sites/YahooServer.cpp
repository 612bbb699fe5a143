#include "sites/YahooServer.h"

#include "text/HtmlText.h"
#include "text/ReferenceData.h"
#include "text/SiteDate.h"
#include "text/UrlHelpers.h"

#include <algorithm>
#include <climits>

const char* const CYahooServer::kAuctionsDomain = "page.auctions.yahoo.com";
const char* const CYahooServer::kCalendarLinkPrefix = "http://calendar.yahoo.com/";
const char* const CYahooServer::kTitleSearchHost = "http://search.auctions.yahoo.com";
const char* const CYahooServer::kDescriptionSearchHost = "http://search-desc.auctions.yahoo.com";
const char* const CYahooServer::kIntlSearchHost = "http://intl.search.auctions.yahoo.com";
const char* const CYahooServer::kPageTextAnchor = "<TABLE WIDTH=\"100%\" BORDER=0 CELLPADDING=2>";
const char* const CYahooServer::kTitleTable = "<table border=0 cellpadding=2 cellspacing=0 width=\"100%\">";
const char* const CYahooServer::kSellerLabel = "Seller (<SMALL>rating</SMALL>):";

namespace {

const char kSearchPath[] = "/search/auc?alocale=0";

// Leading blanks skipped, digits read up to the first other character; 0 without digits.
int ReadCount(const std::string& text)
{
    std::size_t pos = text.find_first_not_of(" \t");
    long long value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos)
        value = std::min<long long>(value * 10 + (text[pos] - '0'), INT_MAX);
    return static_cast<int>(value);
}

// The value in `tag` after the label on line i; when that fails, the value in `fallbackTag`.
bool ValueAfterLabel(const std::vector<std::string>& lines, std::size_t i, const char* label, const char* tag,
                     const char* fallbackTag, std::string& out)
{
    if (CAuctionServer::ValueInTag(lines, i, label, tag, out, 0, true))
        return true;
    return fallbackTag != nullptr && CAuctionServer::ValueInTag(lines, i, label, fallbackTag, out, 0, true);
}

// The end time that the "add to calendar" link carries in its ST parameter.
bool ReadCalendarEnd(const std::string& line, std::time_t& out)
{
    if (line.find(CYahooServer::kCalendarLinkPrefix) == std::string::npos)
        return false;
    std::string value = line;
    if (!KeepBetween(value, "&ST=", "&"))
        return false;
    return ParseSiteDate(value, out, 2);
}

// The opening time carries no year and no seconds: both come from the end time, and an
// opening that would fall after the end is from the year before (an auction over New Year).
bool ReadOpened(const std::string& value, std::time_t endDate, std::time_t& out)
{
    std::tm end{};
    if (localtime_r(&endDate, &end) == nullptr)
        return false;
    const int year = end.tm_year + 1900;
    std::time_t opened = 0;
    if (!ParseSiteDate(value, opened, 3, year, end.tm_sec))
        return false;
    if (opened > endDate && !ParseSiteDate(value, opened, 3, year - 1, end.tm_sec))
        return false;
    out = opened;
    return true;
}

// "Auctions > Antiques > General" as shown in the category cell becomes "Antiques:General".
std::string CategoryPath(std::string cell)
{
    RemoveTags(cell);
    DecodeHtmlEntities(cell);
    ReplaceAll(cell, " > ", ":");
    ReplacePrefix(cell, "Auctions:");
    return cell;
}

// The host of an "http://host/..." URL.
std::string HostOf(const std::string& url)
{
    std::string host = url;
    if (!KeepAfter(host, "http://"))
        return {};
    KeepBefore(host, "/");
    return host;
}

} // namespace

CYahooServer::CYahooServer(std::string timeZone, int id, std::string categories, int region, std::string country)
    : CAuctionServer(std::move(timeZone), id, std::move(categories), region), countryCode(std::move(country))
{
}

std::string CYahooServer::CountryHostUrl(const std::string& country)
{
    return "http://" + country + "." + kAuctionsDomain;
}

std::string CYahooServer::MainHostUrl()
{
    return std::string("http://") + kAuctionsDomain;
}

bool CYahooServer::ParseLine(const std::vector<std::string>& lines, std::size_t i, CItemInfo& info, int)
{
    std::string value;
    if (ValueAfterLabel(lines, i, "#of Items:", "TD", nullptr, value)) {
        info.quantity = ReadCount(value);
        info.foundFlags |= kFoundQuantity;
    }
    if (info.description.empty() && ValueInTag(lines, i, kTitleTable, "b", info.description, 1, true))
        info.foundFlags |= kFoundDescription;
    if (ValueAfterLabel(lines, i, "# of Bids:", "b", "TD", value)) {
        info.bidCount = ReadCount(value);
        info.foundFlags |= kFoundBidCount;
    }
    if (ValueAfterLabel(lines, i, "Time Left:", "B", nullptr, value) && value == "Closed") {
        info.finished = 1;
        info.foundFlags |= kFoundFinished;
    }
    if (ReadCalendarEnd(lines[i], info.endDate))
        info.foundFlags |= kFoundEndDate;
    if ((info.foundFlags & kFoundEndDate) != 0 && ValueAfterLabel(lines, i, "Opened:", "TD", nullptr, value) &&
        ReadOpened(value, info.endDate, info.startDate))
        info.foundFlags |= kFoundStartDate;
    if (ValueInTag(lines, i, "/0-category.html", "td", value, 0, false)) {
        info.category = CategoryPath(value);
        info.foundFlags |= kFoundCategory;
    }
    if (info.currentPrice.empty() && lines[i].find("Current Bid:") != std::string::npos) {
        bool found = ValueAfterLabel(lines, i, "Current Bid:", "A", nullptr, info.currentPrice);
        if (info.currentPrice.empty())
            found = ValueAfterLabel(lines, i, "Current Bid:", "b", nullptr, info.currentPrice) || found;
        if (found)
            info.foundFlags |= kFoundCurrentPrice;
    }
    if (ValueAfterLabel(lines, i, "Started at:", "TD", nullptr, info.initialPrice))
        info.foundFlags |= kFoundInitialPrice;
    if (ValueAfterLabel(lines, i, "Location:", "b", "TD", info.location))
        info.foundFlags |= kFoundLocation;
    if (ValueAfterLabel(lines, i, kSellerLabel, "A", nullptr, info.seller))
        info.foundFlags |= kFoundSeller;

    const bool buyerFound = TextAfterLabel(lines, i, "High Bidder:", info.currentBuyer, info.foundFlags,
                                           kFoundCurrentBuyer) ||
                            TextAfterLabel(lines, i, "Winner:", info.currentBuyer, info.foundFlags,
                                           kFoundCurrentBuyer);
    // An auction without bids names "none" as its high bidder: there is no buyer.
    if (buyerFound && info.currentBuyer == "none") {
        info.currentBuyer.clear();
        info.foundFlags &= ~static_cast<std::uint32_t>(kFoundCurrentBuyer);
    }
    return true;
}

int CYahooServer::FinishParse(const std::vector<std::string>& lines, CItemInfo& info, std::string& url,
                              bool& fetchAgain, int pagesParsed, const std::string& itemNumber)
{
    if (const int result = CAuctionServer::FinishParse(lines, info, url, fetchAgain, pagesParsed, itemNumber))
        return result;
    const std::string host = HostOf(GetItemUrlPrefix());

    // The page repeats the anchor table below its navigation bar; the item starts at the last
    // of the (at most two) copies looked for.
    const std::size_t anchor = info.pageText.find(kPageTextAnchor);
    if (anchor != std::string::npos) {
        info.pageText.erase(0, anchor);
        const std::size_t second = info.pageText.find(kPageTextAnchor, 1);
        if (second != std::string::npos)
            info.pageText.erase(0, second);
    }
    // The countdown window is served by the main site whatever the country.
    ReplaceAll(info.pageText, "'/show/countdown", "'" + MainHostUrl() + "/show/countdown");
    AbsolutizeLinks(info.pageText, host);
    return 0;
}

std::string CYahooServer::GetItemUrlPrefix()
{
    if (countryCode == "us")
        return MainHostUrl() + "/auction/";
    if (countryCode == "ca")
        return CountryHostUrl(countryCode) + "/auction/";
    return CountryHostUrl(countryCode) + "/" + countryCode + "/auction/";
}

std::string CYahooServer::GetSearchBase(bool searchDescriptions)
{
    const char* host = searchDescriptions ? kDescriptionSearchHost : kTitleSearchHost;
    return std::string(host) + kSearchPath + countryCode + "&acc=" + countryCode + "&p=";
}

void CYahooServer::GetSearchDefaults(CSearchRequest& request)
{
    request.textOnly = false;
    request.searchDescriptions = false;
    request.ascending = true;
    request.optionMask = CSearchRequest::kOptSortDirection | CSearchRequest::kOptCategory;
    request.sortMask = 1 | CSearchRequest::kSortEndDate | CSearchRequest::kSortCurrentPrice |
                       CSearchRequest::kSortPhoto | CSearchRequest::kSortDescription |
                       CSearchRequest::kSortBidCount;
    request.sortKey = CSearchRequest::kSortEndDate;
}

std::string CYahooServer::BuildSearchUrl(const CSearchRequest& request)
{
    std::string url = GetSearchBase(request.searchDescriptions);
    if (request.query.empty())
        return {};
    url += UrlEncode(request.query);

    std::string name;
    std::string number;
    if (request.categoryIndex != 0 &&
        TheReferenceData().GetRowPair(categoryPrefix, request.categoryIndex, name, number))
        url += "&auccat=" + number;

    switch (request.sortKey) {
    case CSearchRequest::kSortEndDate:
        url += "&s1=end";
        break;
    case CSearchRequest::kSortCurrentPrice:
        url += "&s1=cbid";
        break;
    case CSearchRequest::kSortPhoto:
        url += "&s1=img";
        break;
    case CSearchRequest::kSortDescription:
        url += "&s1=item";
        break;
    case CSearchRequest::kSortBidCount:
        url += "&s1=bids";
        break;
    default:
        break;
    }
    url += request.ascending ? "&o1=a" : "&o1=d";
    return url;
}

CYahooIntlServer::CYahooIntlServer(std::string timeZone, int id, std::string categories, int region,
                                   std::string country)
    : CYahooServer(std::move(timeZone), id, std::move(categories), region, "us"),
      intlCountryCode(std::move(country))
{
}

std::string CYahooIntlServer::GetItemUrlPrefix()
{
    return CountryHostUrl(intlCountryCode) + "/auction/";
}

std::string CYahooIntlServer::GetPageUrl(const std::string& itemNumber)
{
    return GetItemUrl(itemNumber) + "?acc=us";
}

bool CYahooIntlServer::ParseLine(const std::vector<std::string>& lines, std::size_t i, CItemInfo& info,
                                 int pagesParsed)
{
    // Only the English rendering is read; the national page is kept for the pane alone.
    if (pagesParsed != 0)
        return true;
    return CYahooServer::ParseLine(lines, i, info, pagesParsed);
}

int CYahooIntlServer::FinishParse(const std::vector<std::string>& lines, CItemInfo& info, std::string& url,
                                  bool& fetchAgain, int pagesParsed, const std::string& itemNumber)
{
    if (pagesParsed == 0) {
        fetchAgain = true;
        url = GetItemUrl(itemNumber);
        return 0;
    }
    if (const int result = CYahooServer::FinishParse(lines, info, url, fetchAgain, pagesParsed, itemNumber))
        return result;

    const std::string countryHost = CountryHostUrl(intlCountryCode);
    ReplaceAll(info.pageText, "'/" + intlCountryCode + "/show/countdown",
               "'" + countryHost + "/" + intlCountryCode + "/show/countdown");

    // The English rendering gives U.S. Pacific times; the item keeps the country's clock.
    for (auto [date, bit] : {std::pair{&info.startDate, kFoundStartDate}, std::pair{&info.endDate, kFoundEndDate}}) {
        if ((info.foundFlags & bit) == 0)
            continue;
        *date = ShiftTimeZone("Pacific", timeZoneName, *date);
    }
    return 0;
}

bool CYahooIntlServer::ParseItemUrl(const std::string& url, std::string* itemNumber)
{
    if (CAuctionServer::ParseItemUrl(url, itemNumber))
        return true;
    const std::string prefix = CountryHostUrl(intlCountryCode) + "/" + intlCountryCode + "/auction/";
    if (url.compare(0, prefix.size(), prefix) != 0)
        return false;
    return TakeItemNumber(url.substr(prefix.size()), itemNumber);
}

std::string CYahooIntlServer::GetSearchBase(bool searchDescriptions)
{
    return std::string(kIntlSearchHost) + kSearchPath + intlCountryCode + "&acc=" + intlCountryCode +
           (searchDescriptions ? "&p=" : "&p=title%3a");
}
