#include "sites/ExciteServer.h"

#include "text/HtmlText.h"
#include "text/ReferenceData.h"
#include "text/SiteDate.h"
#include "text/UrlHelpers.h"

#include <algorithm>
#include <climits>

const char* const CExciteServer::kHost = "auctions.excite.com";
const char* const CExciteServer::kItemPath = "/Scripts/ListingInfo.asp?LotNo=";
const std::array<const char*, 3> CExciteServer::kOtherItemPaths = {
    "/scripts/LotPage.asp?LotNo=",
    "/scripts/ListingInfo.asp?LotNo=",
    "/Scripts/LotPage.asp?LotNo=",
};
const char* const CExciteServer::kBidHistoryPath = "/Scripts/BidHistory.asp?LotNo=";
const char* const CExciteServer::kSearchPath = "/scripts/LotSearch.asp?SubmitFlag=1&PageNo=1&bAdv=True";
const char* const CExciteServer::kStartMarker = "<!-- END SEARCH -->";

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

int LocalYear(std::time_t t)
{
    std::tm fields{};
    localtime_r(&t, &fields);
    return fields.tm_year + 1900;
}

// The same wall-clock reading in another year (29 February rolls over to 1 March).
std::time_t WithYear(std::time_t t, int year)
{
    std::tm fields{};
    localtime_r(&t, &fields);
    fields.tm_year = year - 1900;
    fields.tm_isdst = -1;
    return std::mktime(&fields);
}

// Lot dates read as month/day and hour; the year is settled in FinishParse.
void ReadDate(const std::vector<std::string>& lines, std::size_t i, const char* label, std::time_t& out,
              CItemInfo& info, std::uint32_t bit)
{
    std::string text;
    if (!CAuctionServer::TextAfterLabel(lines, i, label, text, info.foundFlags, bit))
        return;
    if (!ParseSiteDate(text, out, 5, LocalYear(CurrentTime())))
        info.foundFlags &= ~bit;
}

// The navigation path "Auction Home > A > B > Listing" gives the category "A:B".
std::string CategoryFromPath(std::string line)
{
    RemoveTags(line);
    DecodeHtmlEntities(line);
    std::replace(line.begin(), line.end(), static_cast<char>(160), ' ');
    ReplaceAll(line, " > ", ":");
    KeepAfter(line, "Auction Home:");
    KeepBefore(line, ":Listing");
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    line.erase(line.find_last_not_of(" \t") + 1);
    return line.substr(first);
}

} // namespace

bool CExciteServer::IsStartLine(const std::string& line, int)
{
    return line.find(kStartMarker) != std::string::npos;
}

bool CExciteServer::ParseLine(const std::vector<std::string>& lines, std::size_t i, CItemInfo& info,
                              int pagesParsed)
{
    if (pagesParsed == 1) {
        TextAfterLabel(lines, i, "Status", info.currentBuyer, info.foundFlags, kFoundCurrentBuyer);
        return true;
    }
    if (pagesParsed != 0)
        return true;

    std::string value;
    TextAfterLabel(lines, i, "<hr size=1>", info.description, info.foundFlags, kFoundDescription);
    if (TextAfterLabel(lines, i, "Quantity:", value, info.foundFlags, kFoundQuantity))
        info.quantity = ReadCount(value);
    if (TextAfterLabel(lines, i, "(History)", value, info.foundFlags, kFoundBidCount))
        info.bidCount = ReadCount(value);

    // Only "Closed" is worth reporting: a running lot is marked by the finishing step.
    if (TextAfterLabel(lines, i, "Time Remaining:", value, info.foundFlags, kFoundFinished)) {
        if (value == "Closed")
            info.finished = 1;
        else
            info.foundFlags &= ~kFoundFinished;
    }

    if (info.category.empty() && lines[i].find("/default.htm") != std::string::npos) {
        info.category = CategoryFromPath(lines[i]);
        info.foundFlags |= kFoundCategory;
    }

    if (TextAfterLabel(lines, i, "High Bid:", info.currentPrice, info.foundFlags, kFoundCurrentPrice) &&
        info.currentPrice.find_first_of("0123456789") == std::string::npos) {
        info.currentPrice.clear();
        info.foundFlags &= ~kFoundCurrentPrice;
    }
    TextAfterLabel(lines, i, "Opening Bid:", info.initialPrice, info.foundFlags, kFoundInitialPrice);
    TextAfterLabel(lines, i, "Location", info.location, info.foundFlags, kFoundLocation);
    TextAfterLabel(lines, i, "Seller Username", info.seller, info.foundFlags, kFoundSeller);
    ReadDate(lines, i, "Open Date:", info.startDate, info, kFoundStartDate);
    ReadDate(lines, i, "Close Date:", info.endDate, info, kFoundEndDate);
    return true;
}

int CExciteServer::FinishParse(const std::vector<std::string>& lines, CItemInfo& info, std::string& url,
                               bool& fetchAgain, int pagesParsed, const std::string& itemNumber)
{
    if (pagesParsed == 0) {
        if (const int result = CAuctionServer::FinishParse(lines, info, url, fetchAgain, pagesParsed, itemNumber))
            return result;
        if (info.bidCount > 0 && info.quantity == 1) {
            fetchAgain = true;
            url = std::string("http://") + kHost + kBidHistoryPath + itemNumber;
        }
    }
    if (fetchAgain)
        return 0;

    // The page prints month and day only. A lot cannot open in the future, and it closes after
    // it opens, so a lot that spans the new year closes in the year after its opening. Only
    // dates that were read take part: an unread date would drag the other one to 1970.
    if ((info.foundFlags & kFoundStartDate) != 0) {
        if (SiteToLocal(info.startDate) > CurrentTime())
            info.startDate = WithYear(info.startDate, LocalYear(info.startDate) - 1);
        if ((info.foundFlags & kFoundEndDate) != 0) {
            info.endDate = WithYear(info.endDate, LocalYear(info.startDate));
            if (info.startDate > info.endDate)
                info.endDate = WithYear(info.endDate, LocalYear(info.endDate) + 1);
        }
    }
    AbsolutizeLinks(info.pageText, kHost);
    return 0;
}

std::string CExciteServer::GetItemUrlPrefix()
{
    return std::string("http://") + kHost + kItemPath;
}

bool CExciteServer::ParseItemUrl(const std::string& url, std::string* itemNumber)
{
    if (CAuctionServer::ParseItemUrl(url, itemNumber))
        return true;
    for (const char* path : kOtherItemPaths) {
        const std::string prefix = std::string("http://") + kHost + path;
        if (url.compare(0, prefix.size(), prefix) != 0)
            continue;
        return TakeItemNumber(url.substr(prefix.size()), itemNumber);
    }
    return false;
}

void CExciteServer::GetSearchDefaults(CSearchRequest& request)
{
    request.textOnly = false;
    request.searchDescriptions = false;
    request.ascending = true;
    request.optionMask = CSearchRequest::kOptSortDirection | CSearchRequest::kOptCategory;
    request.sortMask = CSearchRequest::kSortEndDate | CSearchRequest::kSortCurrentPrice |
                       CSearchRequest::kSortDescription | CSearchRequest::kSortBidCount;
    request.sortKey = CSearchRequest::kSortDescription;
}

std::string CExciteServer::BuildSearchUrl(const CSearchRequest& request)
{
    // Excite lists a category without search words, so an empty query still makes a search.
    std::string url = std::string("http://") + kHost + kSearchPath;
    std::string name;
    std::string number;
    if (request.categoryIndex != 0 &&
        TheReferenceData().GetRowPair(categoryPrefix, request.categoryIndex, name, number))
        url += "&SiteCatNo=" + number;
    url += "&ProdName=" + UrlEncode(request.query);
    switch (request.sortKey) {
    case CSearchRequest::kSortEndDate:
        url += "&SortBy=4";
        break;
    case CSearchRequest::kSortCurrentPrice:
        url += "&SortBy=2";
        break;
    case CSearchRequest::kSortDescription:
        url += "&SortBy=1";
        break;
    case CSearchRequest::kSortBidCount:
        url += "&SortBy=3";
        break;
    default:
        break;
    }
    return url;
}
