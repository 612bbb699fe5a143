#include "sites/EbayServer.h"

#include "text/ReferenceData.h"
#include "text/SiteDate.h"
#include "text/UrlHelpers.h"

#include <algorithm>
#include <climits>

#define EBAY_ITEM_PATH "/aw-cgi/eBayISAPI.dll?ViewItem&item="

const char* const CEbayServer::kStartMarker = "<table border=1 cellspacing=0 width=\"100%\" bgcolor=\"#99CCCC\">";

const std::array<const char*, 7> CEbayServer::kItemUrlPrefixes = {
    "http://cgi.ebay.com" EBAY_ITEM_PATH,  "http://cgi1.ebay.com" EBAY_ITEM_PATH,
    "http://cgi2.ebay.com" EBAY_ITEM_PATH, "http://cgi3.ebay.com" EBAY_ITEM_PATH,
    "http://cgi4.ebay.com" EBAY_ITEM_PATH, "http://cgi5.ebay.com" EBAY_ITEM_PATH,
    "http://cgi6.ebay.com" EBAY_ITEM_PATH,
};

const char* const CEbayServer::kCategoryLinkMarker = "http://listings.ebay.com/aw/listings/list/category";
const char* const CEbayServer::kSearchBase = "http://search.ebay.com/cgi-bin/texis/ebay/results.html?ht=1&query=";
const char* const CEbayServer::kDescriptionSearchBase =
    "http://search-desc.ebay.com/cgi-bin/texis/ebaydesc/results.html?query=";

#undef EBAY_ITEM_PATH

namespace {

// Leading blanks skipped, digits read up to the first other character; 0 without digits.
int ReadCount(const std::string& text)
{
    std::size_t pos = text.find_first_not_of(" \t");
    long long value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos)
        value = std::min<long long>(value * 10 + (text[pos] - '0'), INT_MAX);
    return static_cast<int>(value);
}

bool ReadDate(const std::vector<std::string>& lines, std::size_t i, const char* label, std::time_t& out)
{
    std::string value;
    if (!CAuctionServer::ValueInTag(lines, i, label, "font", value, 1, true))
        return false;
    std::erase(value, ',');
    return ParseSiteDate(value, out, 1);
}

// One "label on line i, value in a tag on the next line" rule storing text.
void ReadText(const std::vector<std::string>& lines, std::size_t i, const char* label, const char* tag,
              std::string& field, CItemInfo& info, std::uint32_t bit)
{
    if (CAuctionServer::ValueInTag(lines, i, label, tag, field, 1, true))
        info.foundFlags |= bit;
}

} // namespace

bool CEbayServer::IsStartLine(const std::string& line, int)
{
    return line.find(kStartMarker) != std::string::npos;
}

bool CEbayServer::ParseLine(const std::vector<std::string>& lines, std::size_t i, CItemInfo& info, int)
{
    std::string value;
    if (ValueInTag(lines, i, "Quantity", "b", value, 1, true)) {
        info.quantity = ReadCount(value);
        info.foundFlags |= kFoundQuantity;
    }
    // Only the first title table names the item; later ones belong to other parts of the page.
    if (info.description.empty() && ValueInTag(lines, i, kStartMarker, "b", info.description, 2, true))
        info.foundFlags |= kFoundDescription;
    if (ValueInTag(lines, i, "# of bids", "b", value, 1, true)) {
        info.bidCount = ReadCount(value);
        info.foundFlags |= kFoundBidCount;
    }
    if (ValueInTag(lines, i, "Time left", "font", value, 1, true) && value == "Auction has ended.") {
        info.finished = 1;
        info.foundFlags |= kFoundFinished;
    }
    if (ReadDate(lines, i, "Started", info.startDate))
        info.foundFlags |= kFoundStartDate;
    if (ReadDate(lines, i, "Ends", info.endDate))
        info.foundFlags |= kFoundEndDate;
    if (ValueInTag(lines, i, kCategoryLinkMarker, "a", info.category, 0, false))
        info.foundFlags |= kFoundCategory;
    ReadText(lines, i, "Starts at", "b", info.currentPrice, info, kFoundCurrentPrice);
    ReadText(lines, i, "Currently", "b", info.currentPrice, info, kFoundCurrentPrice);
    ReadText(lines, i, "Lowest", "b", info.currentPrice, info, kFoundCurrentPrice);
    ReadText(lines, i, "First bid", "b", info.initialPrice, info, kFoundInitialPrice);
    ReadText(lines, i, "Location", "b", info.location, info, kFoundLocation);
    ReadText(lines, i, "Seller", "a", info.seller, info, kFoundSeller);
    ReadText(lines, i, "High bid", "a", info.currentBuyer, info, kFoundCurrentBuyer);
    return true;
}

std::string CEbayServer::GetItemUrlPrefix()
{
    return kItemUrlPrefixes[0];
}

bool CEbayServer::ParseItemUrl(const std::string& url, std::string* itemNumber)
{
    for (const char* prefix : kItemUrlPrefixes) {
        const std::string_view head(prefix);
        if (url.compare(0, head.size(), head) != 0)
            continue;
        std::string number = url.substr(head.size());
        // The first matching host decides; a URL that names no item is not an item's URL.
        if (!TakeItemNumber(std::move(number), &number, false) ||
            !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return false;
        if (itemNumber != nullptr)
            *itemNumber = number;
        return true;
    }
    return false;
}

void CEbayServer::GetSearchDefaults(CSearchRequest& request)
{
    request.textOnly = false;
    request.searchDescriptions = false;
    request.ascending = true;
    request.optionMask = CSearchRequest::kOptSortDirection | CSearchRequest::kOptDescriptions |
                         CSearchRequest::kOptTextOnly | CSearchRequest::kOptCategory;
    request.sortMask = 31;
    request.sortKey = CSearchRequest::kSortEndDate;
}

std::string CEbayServer::BuildSearchUrl(const CSearchRequest& request)
{
    if (request.query.empty())
        return {};
    std::string url = request.searchDescriptions ? kDescriptionSearchBase : kSearchBase;
    url += UrlEncode(request.query);
    url += request.searchDescriptions ? "&srchdesc=y" : "&srchdesc=n";
    url += request.textOnly ? "&textonly=y" : "&textonly=n";
    url += request.ascending ? "&SortOrder=%5Ba%5D" : "&SortOrder=%5Bd%5D";

    std::string id;
    std::string flag;
    if (request.categoryIndex != 0 &&
        TheReferenceData().GetRowColumns(categoryPrefix, request.categoryIndex, nullptr, &id, &flag))
        url += "&category" + flag + "=" + id;

    switch (request.sortKey) {
    case CSearchRequest::kSortEndDate:
        url += "&SortProperty=MetaEndSort";
        break;
    case CSearchRequest::kSortStartDate:
        url += "&SortProperty=MetaStartSort";
        break;
    case CSearchRequest::kSortCurrentPrice:
        url += "&SortProperty=MetaCurrentPriceSort";
        break;
    case CSearchRequest::kSortRanking:
        url += "&SortProperty=rank";
        break;
    default:
        break;
    }
    return url;
}
