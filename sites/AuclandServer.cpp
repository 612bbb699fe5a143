#include "sites/AuclandServer.h"

#include "text/HtmlText.h"
#include "text/ReferenceData.h"
#include "text/SiteDate.h"
#include "text/UrlHelpers.h"

#include <algorithm>
#include <climits>
#include <utility>
#include <vector>

// Accented letters are written as Windows-1252 bytes; a literal is split after an escape that a
// hex digit follows.
const CAuclandLocale CAuclandServer::kFrance = {
    "www.aucland.fr",
    "&nbsp;Vendeur&nbsp;:",
    "&nbsp;Quantit\xE9&nbsp;:",
    "&nbsp;Prix de d\xE9part&nbsp;:",
    "&nbsp;Ferme dans&nbsp;:",
    "Ench\xE8re ferm\xE9" "e",
    "<b>Commentaires</b>",
    "&nbsp;Prochaine ench\xE8re&nbsp;:",
    "France",
    "Description du Produit",
};

const CAuclandLocale CAuclandServer::kUnitedKingdom = {
    "www.aucland.co.uk",
    "&nbsp;Seller:",
    "&nbsp;Quantity:",
    "&nbsp;Starting price:",
    "&nbsp;Time left:",
    "Auction closed",
    "<b>Comments</b>",
    "&nbsp;Next bid at:",
    "UK",
    "Item Description",
};

const CAuclandLocale CAuclandServer::kItaly = {
    "www.aucland.it",
    "&nbsp;Venditore:",
    "&nbsp;Quantit\xE0:",
    "&nbsp;Prezzo d'inizio:",
    "&nbsp;Tempo rimasto:",
    "Asta chiusa",
    "<b>Commenti</b>",
    "&nbsp;Prossima offerta a:",
    "Italia",
    "Descrizione dell'Oggetto",
};

const CAuclandLocale CAuclandServer::kSpain = {
    "www.aucland.es",
    "&nbsp;Vendedor:",
    "&nbsp;Cantidad:",
    "&nbsp;Precio inicial:",
    "&nbsp;Tiempo restante:",
    "Subasta finalizada",
    "<b>Comentarios:</b>",
    "&nbsp;M\xEDnimo a pujar:",
    "Espa\xF1" "a",
    "Descripci\xF3n del art\xED" "culo",
};

const char* const CAuclandServer::kItemPath = "/accdb/viewItem.asp?IDI=";
const char* const CAuclandServer::kHistorySuffix = "&VH=1";
const char* const CAuclandServer::kBidderLinkMarker = "/accdb/viewUser.asp?";
const char* const CAuclandServer::kTitleMarker = "<font size=\"4\" color=\"#FFFFFF\">";
const char* const CAuclandServer::kSearchPath = "/form/advSearch.asp?searchOn1=0&searchKey1=";
const char* const CAuclandServer::kPriceLabel = "&nbsp;Prix&nbsp;:";

namespace {

int ReadCount(const std::string& text)
{
    std::size_t pos = text.find_first_not_of(" \t");
    long long value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos)
        value = std::min<long long>(value * 10 + (text[pos] - '0'), INT_MAX);
    return static_cast<int>(value);
}

void TrimTrailingBlanks(std::string& text)
{
    const std::size_t last = text.find_last_not_of(' ');
    text.erase(last == std::string::npos ? 0 : last + 1);
}

// "150,00 FF (1 enchère minimum)" keeps only the price.
void KeepPrice(std::string& text)
{
    KeepBefore(text, "(");
    TrimTrailingBlanks(text);
}

// The bytes of a raw page line that decode to `text` (a name read with its entities decoded, such
// as "jean&mi" written "jean&amp;mi"); empty when the line does not hold it.
std::string RawSpelling(const std::string& line, const std::string& text)
{
    if (text.empty())
        return {};
    if (line.find(text) != std::string::npos)
        return text;
    std::string decoded;
    std::vector<std::pair<std::size_t, std::size_t>> rawSpan; // raw [start, end) of each decoded byte
    for (std::size_t pos = 0; pos < line.size();) {
        const std::size_t semicolon = line[pos] == '&' ? line.find(';', pos) : std::string::npos;
        if (semicolon != std::string::npos && semicolon - pos <= 10) {
            std::string entity = line.substr(pos, semicolon + 1 - pos);
            DecodeHtmlEntities(entity);
            if (entity != line.substr(pos, semicolon + 1 - pos)) {
                decoded += entity;
                rawSpan.insert(rawSpan.end(), entity.size(), {pos, semicolon + 1});
                pos = semicolon + 1;
                continue;
            }
        }
        decoded += line[pos];
        rawSpan.emplace_back(pos, pos + 1);
        ++pos;
    }
    const std::size_t at = decoded.find(text);
    if (at == std::string::npos)
        return {};
    const std::size_t start = rawSpan[at].first;
    return line.substr(start, rawSpan[at + text.size() - 1].second - start);
}

} // namespace

CAuclandServer::CAuclandServer(std::string timeZone, int id, std::string categories, int region,
                               CAuclandLocale texts)
    : CAuctionServer(std::move(timeZone), id, std::move(categories), region), locale(std::move(texts))
{
}

bool CAuclandServer::ParseLine(const std::vector<std::string>& lines, std::size_t i, CItemInfo& info,
                               int pagesParsed)
{
    if (pagesParsed == 0)
        ParseItemLine(lines, i, info);
    else
        ParseHistoryLine(lines, i, info);
    return true;
}

void CAuclandServer::ParseItemLine(const std::vector<std::string>& lines, std::size_t i, CItemInfo& info)
{
    std::uint32_t& flags = info.foundFlags;
    std::string value;

    if (info.description.empty() && ValueInTag(lines, i, kTitleMarker, "b", info.description, 0, true)) {
        TrimTrailingBlanks(info.description);
        flags |= kFoundDescription;
    }
    // The category path is the first line of text under the title.
    if (!info.description.empty() && NextTextLine(lines, i, info.description, info.category, flags, kFoundCategory)) {
        ReplaceAll(info.category, " : ", ":");
        ReplacePrefix(info.category, "Aucland:");
    }

    TextAfterLabel(lines, i, locale.sellerLabel, info.seller, flags, kFoundSeller);
    if (TextAfterLabel(lines, i, locale.quantityLabel, value, flags, kFoundQuantity))
        info.quantity = ReadCount(value);
    if (TextAfterLabel(lines, i, locale.startingPriceLabel, info.initialPrice, flags, kFoundInitialPrice))
        KeepPrice(info.initialPrice);
    if (TextAfterLabel(lines, i, locale.nextBidLabel, info.nextBidPrice, flags, kFoundNextBidPrice) ||
        TextAfterLabel(lines, i, kPriceLabel, info.nextBidPrice, flags, kFoundNextBidPrice))
        KeepPrice(info.nextBidPrice);

    // The time left is either the closed text or a duration from now, which becomes an end date
    // on the site's clock.
    if (TextAfterLabel(lines, i, locale.timeLeftLabel, value, flags, kFoundFinished)) {
        flags &= ~kFoundFinished;
        std::time_t end = 0;
        if (value == locale.closedText) {
            info.finished = 1;
            flags |= kFoundFinished;
        } else if (ParseSiteDate(value, end, 4)) {
            info.endDate = LocalToSite(end);
            flags |= kFoundEndDate;
        }
    }

    // Under the comments heading the high bidder's name comes first, then the price of the bid.
    TextAfterLabel(lines, i, locale.commentsHeading, info.currentBuyer, flags, kFoundCurrentBuyer);
    // The name is compared as the line spells it: decoded, a nickname with an entity is not there.
    if (!info.currentBuyer.empty() && (flags & kFoundCurrentPrice) == 0) {
        const std::string buyer = RawSpelling(lines[i], info.currentBuyer);
        if (!buyer.empty())
            TextAfterLabel(lines, i, buyer, info.currentPrice, flags, kFoundCurrentPrice);
    }
}

// The bid history lists one link per bid between the comments heading and the description.
void CAuclandServer::ParseHistoryLine(const std::vector<std::string>& lines, std::size_t i, CItemInfo& info)
{
    std::string ignored;
    if (TextAfterLabel(lines, i, locale.commentsHeading, ignored, info.foundFlags, kFoundBidCount))
        info.bidCount = 0;
    if ((info.foundFlags & kFoundBidCount) == 0)
        return;
    if (lines[i].find(kBidderLinkMarker) != std::string::npos)
        ++info.bidCount;
    if (lines[i].find(locale.descriptionHeading) != std::string::npos)
        info.foundFlags &= ~kFoundBidCount;
}

int CAuclandServer::FinishParse(const std::vector<std::string>& lines, CItemInfo& info, std::string& url,
                                bool& fetchAgain, int pagesParsed, const std::string& itemNumber)
{
    std::uint32_t& flags = info.foundFlags;
    fetchAgain = false;
    if (pagesParsed == 0) {
        const int result = CAuctionServer::FinishParse(lines, info, url, fetchAgain, pagesParsed, itemNumber);
        if (result != 0)
            return result;
        if ((flags & kFoundBidCount) == 0 && (flags & kFoundCurrentBuyer) != 0) {
            fetchAgain = true;
            url = GetItemUrlPrefix() + itemNumber + kHistorySuffix;
            return 0;
        }
    }

    // No bid count was counted: the page showed no bids, or the history listed none.
    flags |= kFoundBidCount;
    if ((flags & kFoundLocation) == 0) {
        info.location = locale.countryName;
        flags |= kFoundLocation;
    }
    if ((flags & kFoundCurrentPrice) == 0 && (flags & kFoundNextBidPrice) != 0) {
        info.currentPrice = info.nextBidPrice;
        flags |= kFoundCurrentPrice;
    }
    if ((flags & (kFoundCurrentBuyer | kFoundInitialPrice)) == 0 && (flags & kFoundCurrentPrice) != 0) {
        info.initialPrice = info.currentPrice;
        flags |= kFoundInitialPrice;
    }
    if ((flags & kFoundDescription) != 0)
        std::replace(info.description.begin(), info.description.end(), '\t', ' ');
    AbsolutizeLinks(info.pageText, locale.host);
    return 0;
}

std::string CAuclandServer::GetItemUrlPrefix()
{
    return "http://" + locale.host + kItemPath;
}

void CAuclandServer::GetSearchDefaults(CSearchRequest& request)
{
    request.textOnly = false;
    request.searchDescriptions = false;
    request.ascending = false;
    request.optionMask = CSearchRequest::kOptSortDirection | CSearchRequest::kOptCategory;
    request.sortMask = 1 | CSearchRequest::kSortEndDate | CSearchRequest::kSortCurrentPrice |
                       CSearchRequest::kSortBidCount;
    request.sortKey = CSearchRequest::kSortBidCount;
}

std::string CAuclandServer::BuildSearchUrl(const CSearchRequest& request)
{
    std::string url = "http://" + locale.host + kSearchPath + UrlEncode(request.query) +
                      "&logicalOp=0&searchOn2=0&searchKey2=&objectFilter=0&auctionFilter=0&display=0";
    switch (request.sortKey) {
    case CSearchRequest::kSortEndDate:
        url += "&sortBy=3";
        break;
    case CSearchRequest::kSortCurrentPrice:
        url += "&sortBy=2";
        break;
    case CSearchRequest::kSortBidCount:
        url += "&sortBy=1";
        break;
    default:
        break;
    }
    url += request.ascending ? "&sortDirection=1" : "&sortDirection=0";
    url += "&countries=1000";
    std::string name;
    std::string value;
    if (TheReferenceData().GetRowPair(categoryPrefix, request.categoryIndex, name, value))
        url += "&txtCatg=" + value;
    url += "&users=0&nick=&prevNick=&IDU=";
    return url;
}
