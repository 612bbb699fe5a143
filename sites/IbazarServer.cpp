#include "sites/IbazarServer.h"

#include "text/HtmlText.h"
#include "text/SiteDate.h"
#include "text/UrlHelpers.h"

#include <algorithm>
#include <climits>

const CIbazarLocale CIbazarServer::kFrance = {
    "Nom de l'objet",
    "Vendeur",
    "Nombre d'objets",
    "Prix de d\xE9part",
    "Prix actuel",
    "D\xE9" "but ench\xE8res",
    "Fin ench\xE8res",
    "LISTE DES DERNIERES ENCHERES",
    "Liste des derniers surencherisseurs",
    "LISTE DES VOTES",
    "Rubrique ",
    "Cat\xE9gorie : ",
    "d\xE9j\xE0 vendu sur iBazar",
    "www.ibazar.fr",
};

const CIbazarLocale CIbazarServer::kItaly = {
    "Nome dell'oggetto",
    "venditore",
    "Numero di oggetti",
    "Prezzo di partenza",
    "Prezzo ATTUALE",
    "Inizio dell'asta",
    "Termine dell'asta",
    "img/liste.gif",
    "Elenco degli ultimi offerenti",
    "Elenco dei voti",
    "Categoria ",
    "Categoria ",
    "gi\xE0 venduto su iBazar",
    "www.ibazar.it",
};

const char* const CIbazarServer::kItemPath = "/voirobjet.cgi?codeobjet%3d";
const char* const CIbazarServer::kPlainItemPath = "/voirobjet.cgi?codeobjet=";
const char* const CIbazarServer::kSearchPath = "/search1.cgi";
const char* const CIbazarServer::kBidderLink = "HRef=\"voirperso.cgi?codeperso%3d";
const char* const CIbazarServer::kBidderAnchor = "<A HRef=\"voirperso.cgi?codeperso%3d";

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

int LocalYear(std::time_t t)
{
    std::tm fields{};
    localtime_r(&t, &fields);
    return fields.tm_year + 1900;
}

std::time_t AddYear(std::time_t t)
{
    std::tm fields{};
    localtime_r(&t, &fields);
    ++fields.tm_year;
    fields.tm_isdst = -1;
    return std::mktime(&fields);
}

// Puts a "/" after every `attribute` whose value starts with none of `absolute`.
void RootRelative(std::string& line, const std::string& attribute, std::initializer_list<std::string_view> absolute)
{
    for (std::size_t at = line.find(attribute); at != std::string::npos; at = line.find(attribute, at + 1)) {
        const std::size_t value = at + attribute.size();
        const std::string_view rest = std::string_view(line).substr(value);
        if (std::none_of(absolute.begin(), absolute.end(), [&](std::string_view head) { return rest.starts_with(head); }))
            line.insert(value, 1, '/');
    }
}

} // namespace

CIbazarServer::CIbazarServer(std::string timeZone, int id, std::string categories, int region, CIbazarLocale locale)
    : CAuctionServer(std::move(timeZone), id, std::move(categories), region), texts(std::move(locale))
{
}

bool CIbazarServer::ParseLine(const std::vector<std::string>& lines, std::size_t i, CItemInfo& info, int)
{
    const std::string& line = lines[i];
    std::string value;
    TextAfterLabel(lines, i, texts.titleLabel, info.description, info.foundFlags, kFoundDescription);
    TextAfterLabel(lines, i, texts.sellerLabel, info.seller, info.foundFlags, kFoundSeller);
    if (TextAfterLabel(lines, i, texts.quantityLabel, value, info.foundFlags, kFoundQuantity))
        info.quantity = ReadCount(value);

    // The seller's town follows the seller's name in parentheses.
    if ((info.foundFlags & kFoundSeller) != 0 &&
        TextAfterLabel(lines, i, info.seller, info.location, info.foundFlags, kFoundLocation)) {
        if (info.location.size() >= 2 && info.location.front() == '(' && info.location.back() == ')')
            info.location = info.location.substr(1, info.location.size() - 2);
        else
            info.foundFlags &= ~kFoundLocation;
    }

    TextAfterLabel(lines, i, texts.startingPriceLabel, info.initialPrice, info.foundFlags, kFoundInitialPrice);
    if (TextAfterLabel(lines, i, texts.currentPriceLabel, info.currentPrice, info.foundFlags, kFoundCurrentPrice) &&
        info.currentPrice == "-")
        info.foundFlags &= ~kFoundCurrentPrice;

    if (TextAfterLabel(lines, i, texts.startLabel, value, info.foundFlags, kFoundStartDate) &&
        !ParseSiteDate(value, info.startDate, 6))
        info.foundFlags &= ~kFoundStartDate;
    // The end date has no year: it closes in the start's year, or the next one.
    if ((info.foundFlags & kFoundStartDate) != 0 &&
        TextAfterLabel(lines, i, texts.endLabel, value, info.foundFlags, kFoundEndDate)) {
        if (ParseSiteDate(value, info.endDate, 7, LocalYear(info.startDate))) {
            if (info.endDate < info.startDate)
                info.endDate = AddYear(info.endDate);
        } else {
            info.foundFlags &= ~kFoundEndDate;
        }
    }

    // The bid count bit doubles as "inside the bid list" while the page is read.
    if (Contains(line, texts.bidListMarker1) || Contains(line, texts.bidListMarker2))
        info.foundFlags |= kFoundBidCount;
    if (Contains(line, texts.bidListEndMarker))
        info.foundFlags &= ~kFoundBidCount;
    if ((info.foundFlags & kFoundBidCount) != 0) {
        if (Contains(line, kBidderLink))
            ++info.bidCount;
        // The list starts with the highest bid.
        if ((info.foundFlags & kFoundCurrentBuyer) == 0 && Contains(line, kBidderAnchor) &&
            ValueInTag(lines, i, kBidderAnchor, "A", info.currentBuyer, 0, false))
            info.foundFlags |= kFoundCurrentBuyer;
    }

    if (TextAfterLabel(lines, i, texts.categoryLabel1, info.category, info.foundFlags, kFoundCategory) ||
        TextAfterLabel(lines, i, texts.categoryLabel2, info.category, info.foundFlags, kFoundCategory)) {
        std::replace(info.category.begin(), info.category.end(), '/', ':');
        ReplaceSuffix(info.category, ")");
    }

    if ((info.foundFlags & kFoundFinished) == 0 && Contains(line, texts.soldText)) {
        info.finished = 1;
        info.foundFlags |= kFoundFinished;
    }
    return true;
}

std::string CIbazarServer::CleanPageLine(std::string line) const
{
    if (Contains(line, "<IFRAME"))
        return {};
    ReplaceAll(line, "</IFRAME>", "");
    ReplaceAll(line, "abr=!ie4;abr=!ie5;", "");
    ReplaceAll(line, "HREF=", "href=");
    ReplaceAll(line, "HRef=", "href=");
    ReplaceAll(line, "SRC=", "src=");
    RootRelative(line, "src=\"", {"http://", "/"});
    RootRelative(line, "href=\"", {"http://", "/", "javascript:"});
    ReplaceAll(line, "src = \"img", "src = \"http://" + texts.host + "/img");
    if (line.starts_with("<!") && line.ends_with(">"))
        return {};
    return line;
}

int CIbazarServer::FinishParse(const std::vector<std::string>& lines, CItemInfo& info, std::string& url,
                               bool& fetchAgain, int pagesParsed, const std::string& itemNumber)
{
    if ((info.foundFlags & kFoundPageText) == 0) {
        info.pageText.clear();
        for (const std::string& line : lines) {
            const std::string cleaned = CleanPageLine(line);
            if (cleaned.empty())
                continue;
            info.pageText += cleaned;
            info.pageText += '\n';
        }
        info.foundFlags |= kFoundPageText;
        AbsolutizeLinks(info.pageText, texts.host);
    }
    if (const int result = CAuctionServer::FinishParse(lines, info, url, fetchAgain, pagesParsed, itemNumber))
        return result;
    // The count of the bid list is final, also when the page had no list (no bids).
    info.foundFlags |= kFoundBidCount;
    return 0;
}

std::string CIbazarServer::GetItemUrlPrefix()
{
    return "http://" + texts.host + kItemPath;
}

bool CIbazarServer::ParseItemUrl(const std::string& url, std::string* itemNumber)
{
    if (CAuctionServer::ParseItemUrl(url, itemNumber))
        return true;
    const std::string prefix = "http://" + texts.host + kPlainItemPath;
    if (url.compare(0, prefix.size(), prefix) != 0)
        return false;
    return TakeItemNumber(url.substr(prefix.size()), itemNumber, false);
}

void CIbazarServer::GetSearchDefaults(CSearchRequest& request)
{
    request.textOnly = false;
    request.searchDescriptions = false;
    request.ascending = true;
    request.categoryIndex = 0;
    request.optionMask = 0;
    request.sortMask = 0;
    request.sortKey = 0;
}

std::string CIbazarServer::BuildSearchUrl(const CSearchRequest&)
{
    return "http://" + texts.host + kSearchPath;
}
