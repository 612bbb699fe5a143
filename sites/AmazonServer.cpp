#include "sites/AmazonServer.h"

#include "text/HtmlText.h"
#include "text/SiteDate.h"
#include "text/UrlHelpers.h"

#include <algorithm>
#include <climits>

#define AMAZON_HOST "s1.amazon.com"

const char* const CAmazonServer::kHost = AMAZON_HOST;
const char* const CAmazonServer::kItemUrlPrefix = "http://" AMAZON_HOST "/exec/varzea/ts/exchange-glance/";
const char* const CAmazonServer::kBrowseUrlPrefix = "http://" AMAZON_HOST "/exec/varzea/glance-browse/";
const char* const CAmazonServer::kSearchPage = "http://" AMAZON_HOST "/exec/varzea/subst/search/auction-search.html/";
const char* const CAmazonServer::kPageTextAnchor = "<table border=0 width=100% cellspacing=0 cellpadding=0>";
const char* const CAmazonServer::kNavigationMapMarker = "<map name=\"sub_nav_map\">";

#undef AMAZON_HOST

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

// Tabs and line breaks become blanks, runs of blanks one blank, without leading blanks.
void NormaliseBlanks(std::string& text)
{
    CollapseChars(text, " \t\r\n");
}

// One date row: the first of the two labels that is on the line gives the text; a text that
// does not read as a date leaves the date unset, so a later line may still give it.
void ReadDate(const std::vector<std::string>& lines, std::size_t i, const char* label, const char* otherLabel,
              std::time_t& date, CItemInfo& info, std::uint32_t bit)
{
    std::string value;
    if (!CAuctionServer::TextAfterLabel(lines, i, label, value, info.foundFlags, bit) &&
        !CAuctionServer::TextAfterLabel(lines, i, otherLabel, value, info.foundFlags, bit))
        return;
    if (!ParseSiteDate(value, date, 1))
        info.foundFlags &= ~bit;
}

// The category path sits in the lines from the navigation map up to the end of its table cell:
// "Auctions / Toys & Games / Action Figures" becomes "Toys & Games:Action Figures".
void ReadCategory(const std::vector<std::string>& lines, std::size_t i, CItemInfo& info)
{
    std::string path = lines[i];
    // The marker's own line always belongs to the path, even when it closes a cell of its own.
    for (std::size_t j = i + 1; j < lines.size() && lines[j].find("</td>") == std::string::npos; ++j)
        path += lines[j];
    RemoveTags(path);
    NormaliseBlanks(path);
    ReplacePrefix(path, "Auctions / ");
    ReplaceAll(path, " / ", ":");
    info.category = std::move(path);
    info.foundFlags |= kFoundCategory;
}

} // namespace

bool CAmazonServer::ParseLine(const std::vector<std::string>& lines, std::size_t i, CItemInfo& info, int)
{
    std::uint32_t& flags = info.foundFlags;
    std::string value;

    if (TextAfterLabel(lines, i, "Quantity:", value, flags, kFoundQuantity))
        info.quantity = ReadCount(value);
    if (info.description.empty() && ValueInTag(lines, i, "<font size=+1>", "b", info.description, 0, true))
        flags |= kFoundDescription;

    // "3 (starting bid: $5.00)": the count of bids and the opening price on one line.
    if (TextAfterLabel(lines, i, "Number of Bids:", value, flags, kFoundBidCount)) {
        // Without both markers the value holds no starting bid at all, only the count.
        std::string price = value;
        if (KeepBetween(price, "starting bid: ", ")")) {
            info.initialPrice = std::move(price);
            flags |= kFoundInitialPrice;
        }
        KeepBefore(value, "(");
        info.bidCount = ReadCount(value);
    }

    ReadDate(lines, i, "Starting time:", "Auction started:", info.startDate, info, kFoundStartDate);
    ReadDate(lines, i, "Closing time:", "Auction closed:", info.endDate, info, kFoundEndDate);

    if (TextAfterLabel(lines, i, "Closes In:", value, flags, kFoundFinished))
        info.finished = value == "Closed." ? 1 : 0;

    if ((flags & kFoundCategory) == 0 && lines[i].find(kNavigationMapMarker) != std::string::npos)
        ReadCategory(lines, i, info);

    TextAfterLabel(lines, i, "Current Bid:", info.currentPrice, flags, kFoundCurrentPrice);
    if (TextAfterLabel(lines, i, "Location:", info.location, flags, kFoundLocation))
        NormaliseBlanks(info.location);
    TextAfterLabel(lines, i, "Seller:", info.seller, flags, kFoundSeller);
    if (TextAfterLabel(lines, i, "High Bidder:", info.currentBuyer, flags, kFoundCurrentBuyer) &&
        (info.currentBuyer == "No bids." || info.currentBuyer == "Bidders' names hidden until reserve is met.")) {
        info.currentBuyer.clear();
        flags &= ~kFoundCurrentBuyer;
    }
    TextAfterLabel(lines, i, "Minimum Bid:", info.nextBidPrice, flags, kFoundNextBidPrice);
    return true;
}

int CAmazonServer::FinishParse(const std::vector<std::string>& lines, CItemInfo& info, std::string& url,
                               bool& fetchAgain, int pagesParsed, const std::string& itemNumber)
{
    const int result = CAuctionServer::FinishParse(lines, info, url, fetchAgain, pagesParsed, itemNumber);
    if (result != 0)
        return result;
    const std::size_t last = info.pageText.rfind(kPageTextAnchor);
    if (last != std::string::npos && last > 0)
        info.pageText.erase(0, last);
    AbsolutizeLinks(info.pageText, kHost);
    return 0;
}

std::string CAmazonServer::GetItemUrlPrefix()
{
    return kItemUrlPrefix;
}

bool CAmazonServer::ParseItemUrl(const std::string& url, std::string* itemNumber)
{
    if (CAuctionServer::ParseItemUrl(url, itemNumber))
        return true;
    const std::string_view prefix(kBrowseUrlPrefix);
    if (url.compare(0, prefix.size(), prefix) != 0)
        return false;
    return TakeItemNumber(url.substr(prefix.size()), itemNumber);
}

void CAmazonServer::GetSearchDefaults(CSearchRequest& request)
{
    request.textOnly = false;
    request.searchDescriptions = false;
    request.ascending = false;
    request.optionMask = 0;
    request.sortMask = 0;
    request.sortKey = CSearchRequest::kSortEndDate;
}

std::string CAmazonServer::BuildSearchUrl(const CSearchRequest&)
{
    return kSearchPage;
}
