#include "sites/CnetServer.h"

#include "text/HtmlText.h"
#include "text/ReferenceData.h"
#include "text/SiteDate.h"
#include "text/UrlHelpers.h"

#include <algorithm>
#include <climits>

const char* const CCnetServer::kHost = "auctions.cnet.com";
const char* const CCnetServer::kItemPath = "/cgi-bin/osa/ViewPage.cgi?templateName=item_form.htx&itemNumber=";
const char* const CCnetServer::kSecondPageSuffix = "&languagePreference=_1";
const char* const CCnetServer::kSearchPath = "/cgi-bin/osa/ossearch.cgi?__catg=";
const char* const CCnetServer::kStartMarker = "<!--End Remote Served-->";
const char* const CCnetServer::kBidRowMarker = "<font face=\"arial\" size=\"2\" color=\"#008040\">";

namespace {

int ReadCount(const std::string& text)
{
    std::size_t pos = text.find_first_not_of(" \t");
    long long value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos)
        value = std::min<long long>(value * 10 + (text[pos] - '0'), INT_MAX);
    return static_cast<int>(value);
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// Tabs and line ends become blanks, runs of blanks one blank, no outer blanks.
void NormaliseBlanks(std::string& text)
{
    CollapseChars(text, " \t\r\n");
    if (!text.empty() && text.back() == ' ')
        text.pop_back();
}

// The navigation table "CNET: Auctions: A: B: Item #n" up to the first table end gives "A:B".
std::string CategoryFromNavigation(const std::vector<std::string>& lines, std::size_t i)
{
    std::string text;
    for (std::size_t j = i; j < lines.size() && !Contains(lines[j], "</table>"); ++j)
        text += lines[j];
    RemoveTags(text);
    DecodeHtmlEntities(text);
    NormaliseBlanks(text);
    ReplacePrefix(text, "CNET:");
    NormaliseBlanks(text);
    ReplacePrefix(text, "Auctions:");
    NormaliseBlanks(text);
    KeepBefore(text, ":Item#");
    KeepBefore(text, ":Item #");
    ReplaceAll(text, ": ", ":");
    return text;
}

} // namespace

bool CCnetServer::IsStartLine(const std::string& line, int)
{
    return Contains(line, kStartMarker);
}

bool CCnetServer::ParseLine(const std::vector<std::string>& lines, std::size_t i, CItemInfo& info, int pagesParsed)
{
    if (pagesParsed == 1) {
        TextAfterLabel(lines, i, "Current high bidders", info.currentBuyer, info.foundFlags, kFoundCurrentBuyer);
        return true;
    }
    if (pagesParsed != 0)
        return true;

    const std::string& line = lines[i];
    std::string value;
    if ((info.foundFlags & kFoundCategory) == 0) {
        info.category = CategoryFromNavigation(lines, i);
        info.foundFlags |= kFoundCategory;
    }
    TextAfterLabel(lines, i, "</table>", info.description, info.foundFlags, kFoundDescription);
    if (TextAfterLabel(lines, i, "Quantity Available:", value, info.foundFlags, kFoundQuantity) ||
        TextAfterLabel(lines, i, "Quantity Sold:", value, info.foundFlags, kFoundQuantity))
        info.quantity = ReadCount(value);
    if (TextAfterLabel(lines, i, "Bid History:", value, info.foundFlags, kFoundBidCount)) {
        ReplaceSuffix(value, "Bids");
        info.bidCount = ReadCount(value);
    }
    if ((TextAfterLabel(lines, i, "Closing:", value, info.foundFlags, kFoundEndDate) ||
         TextAfterLabel(lines, i, "Auction Closed", value, info.foundFlags, kFoundEndDate)) &&
        !ParseSiteDate(value, info.endDate, 8))
        info.foundFlags &= ~kFoundEndDate;
    TextAfterLabel(lines, i, "Current Lowest Bid:", info.currentPrice, info.foundFlags, kFoundCurrentPrice);
    TextAfterLabel(lines, i, "Starting Bid:", info.initialPrice, info.foundFlags, kFoundInitialPrice);
    TextAfterLabel(lines, i, "Based Out Of:", info.location, info.foundFlags, kFoundLocation);
    if (!TextAfterLabel(lines, i, "Other Items By Seller:", info.seller, info.foundFlags, kFoundSeller))
        TextAfterLabel(lines, i, "Other Postings By", info.seller, info.foundFlags, kFoundSeller);
    TextAfterLabel(lines, i, "Next minimum bid:", info.nextBidPrice, info.foundFlags, kFoundNextBidPrice);

    // A closed auction lists its winning bids below this line: count them afresh.
    if (Contains(line, "Auction Closed")) {
        info.foundFlags |= kFoundBidCount | kFoundFinished;
        info.finished = 1;
        info.bidCount = 0;
    }
    if ((info.foundFlags & kFoundFinished) != 0 && info.finished == 1) {
        if ((info.foundFlags & kFoundQuantity) != 0 && info.quantity == 1)
            TextAfterLabel(lines, i, kBidRowMarker, info.currentBuyer, info.foundFlags, kFoundCurrentBuyer);
        if (Contains(line, kBidRowMarker))
            ++info.bidCount;
        if (info.bidCount == 1)
            TextAfterLabel(lines, i, "align=right>", info.currentPrice, info.foundFlags, kFoundCurrentPrice);
    }
    return true;
}

int CCnetServer::FinishParse(const std::vector<std::string>& lines, CItemInfo& info, std::string& url,
                             bool& fetchAgain, int pagesParsed, const std::string& itemNumber)
{
    if (pagesParsed == 0) {
        if (const int result = CAuctionServer::FinishParse(lines, info, url, fetchAgain, pagesParsed, itemNumber))
            return result;
        if (info.bidCount > 0 && info.quantity == 1 && (info.foundFlags & kFoundCurrentBuyer) == 0) {
            fetchAgain = true;
            url = GetItemUrlPrefix() + itemNumber + kSecondPageSuffix;
        }
    }
    if (!fetchAgain) {
        std::string host = GetItemUrlPrefix();
        ReplacePrefix(host, "http://");
        KeepBefore(host, "/");
        AbsolutizeLinks(info.pageText, host);
    }
    return 0;
}

std::string CCnetServer::GetItemUrlPrefix()
{
    return std::string("http://") + kHost + kItemPath;
}

void CCnetServer::GetSearchDefaults(CSearchRequest& request)
{
    request.textOnly = false;
    request.searchDescriptions = true;
    request.ascending = true;
    request.optionMask = CSearchRequest::kOptSortDirection | CSearchRequest::kOptCategory;
    request.sortMask = 0;
    request.sortKey = 0;
}

std::string CCnetServer::BuildSearchUrl(const CSearchRequest& request)
{
    CReferenceData& data = TheReferenceData();
    if (request.query.empty() || data.GetRows(categoryPrefix) == nullptr)
        return {};
    std::string url = std::string("http://") + kHost + kSearchPath;
    // A parent category's value names its sub-categories too, joined by "&__catg=".
    std::string name;
    std::string categories;
    if (data.GetRowPair(categoryPrefix, request.categoryIndex, name, categories))
        url += categories;
    url += "&__param=&__search=" + UrlEncode(request.query);
    url += "&__type=AUC&";
    return url;
}
