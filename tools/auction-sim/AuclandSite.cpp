#include "tools/auction-sim/AuclandSite.h"

#include "tools/auction-sim/Scenario.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <sstream>

namespace lwsim {

namespace {

struct Texts
{
    const char* code;
    const char* host;
    const char* seller;
    const char* quantity;
    const char* startingPrice;
    const char* timeLeft;
    const char* closed;
    const char* comments;
    const char* nextBid;
    const char* description;
};

// The labels as each site printed them, Windows-1252 bytes.
const Texts kSites[] = {
    {"fr", "www.aucland.fr", "&nbsp;Vendeur&nbsp;:", "&nbsp;Quantit\xE9&nbsp;:", "&nbsp;Prix de d\xE9part&nbsp;:",
     "&nbsp;Ferme dans&nbsp;:", "Ench\xE8re ferm\xE9" "e", "<b>Commentaires</b>", "&nbsp;Prochaine ench\xE8re&nbsp;:",
     "Description du Produit"},
    {"uk", "www.aucland.co.uk", "&nbsp;Seller:", "&nbsp;Quantity:", "&nbsp;Starting price:", "&nbsp;Time left:",
     "Auction closed", "<b>Comments</b>", "&nbsp;Next bid at:", "Item Description"},
    {"it", "www.aucland.it", "&nbsp;Venditore:", "&nbsp;Quantit\xE0:", "&nbsp;Prezzo d'inizio:",
     "&nbsp;Tempo rimasto:", "Asta chiusa", "<b>Commenti</b>", "&nbsp;Prossima offerta a:",
     "Descrizione dell'Oggetto"},
    {"es", "www.aucland.es", "&nbsp;Vendedor:", "&nbsp;Cantidad:", "&nbsp;Precio inicial:",
     "&nbsp;Tiempo restante:", "Subasta finalizada", "<b>Comentarios:</b>", "&nbsp;M\xEDnimo a pujar:",
     "Descripci\xF3n del art\xED" "culo"},
};

const Texts* FindSite(const std::string& code)
{
    for (const Texts& site : kSites)
        if (code == site.code)
            return &site;
    return nullptr;
}

std::string Escape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

bool BuildAuclandItem(const ScenarioSection& section, RouteTable& table, std::string& error)
{
    AuclandItemPage item;
    std::istringstream name(section.name);
    name >> item.country >> item.itemNumber;
    if (FindSite(item.country) == nullptr || item.itemNumber.empty() ||
        !std::all_of(item.itemNumber.begin(), item.itemNumber.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        error = "an Aucland item is 'fr|uk|it|es NUMBER': '" + section.name + "'";
        return false;
    }
    Route faults;
    const std::pair<const char*, std::string AuclandItemPage::*> texts[] = {
        {"title", &AuclandItemPage::title},       {"category", &AuclandItemPage::category},
        {"seller", &AuclandItemPage::seller},     {"quantity", &AuclandItemPage::quantity},
        {"starting-price", &AuclandItemPage::startingPrice}, {"next-bid", &AuclandItemPage::nextBid},
        {"time-left", &AuclandItemPage::timeLeft}, {"page", &AuclandItemPage::page}};
    for (const auto& [key, value] : section.entries) {
        auto text = std::find_if(std::begin(texts), std::end(texts), [&](auto& t) { return key == t.first; });
        if (text != std::end(texts)) {
            item.*(text->second) = value;
        } else if (key == "closed") {
            item.closed = value == "yes";
        } else if (key == "bid") {
            const std::size_t blank = value.find(' ');
            if (blank == std::string::npos || blank == 0) {
                error = "bid must be 'BIDDER PRICE': '" + value + "'";
                return false;
            }
            item.bids.emplace_back(value.substr(0, blank), value.substr(blank + 1));
        } else if (!ApplyRouteKey(key, value, section.baseDir, faults, error)) {
            return false;
        }
    }
    if (item.page != "item" && item.page != "not-found") {
        error = "unknown Aucland page kind '" + item.page + "'";
        return false;
    }
    if (item.title.empty())
        item.title = "Item " + item.itemNumber;
    auto shared = std::make_shared<const AuclandItemPage>(item);
    const std::string url = "http://" + AuclandHost(item.country) + "/accdb/viewItem.asp?IDI=" + item.itemNumber;
    for (bool history : {false, true}) {
        Route route = faults;
        route.pattern = history ? url + "&VH=1" : url;
        route.handler = [shared, history](const Request&, Response& response) {
            if (shared->page == "not-found") {
                response.status = 404;
                response.body = "<html><body>Not Found</body></html>\n";
            } else {
                response.body = RenderAuclandItemPage(*shared, history);
            }
            return true;
        };
        if (!table.Add(std::move(route))) {
            error = "cannot add the routes of Aucland item " + section.name;
            return false;
        }
    }
    return true;
}

const SectionTypeRegistration auclandItems("aucland-item", BuildAuclandItem);

std::string UserLink(const std::string& nick)
{
    return "<a href=\"/accdb/viewUser.asp?IDU=" + std::to_string(std::hash<std::string>()(nick) % 100000) + "\">" +
           Escape(nick) + "</a>";
}

} // namespace

std::string AuclandHost(const std::string& country)
{
    const Texts* site = FindSite(country);
    return site != nullptr ? site->host : "";
}

std::string RenderAuclandItemPage(const AuclandItemPage& item, bool history)
{
    const Texts& site = *FindSite(item.country);
    std::ostringstream page;
    auto row = [&](const char* label, const std::string& value) {
        page << "<tr><td bgcolor=\"#CCCCFF\">" << label << "</td><td>" << value << "</td></tr>\n";
    };
    page << "<html>\n<head><title>Aucland</title></head>\n<body bgcolor=\"#FFFFFF\" topmargin=\"0\">\n"
         << "<table width=\"100%\" border=\"0\" cellspacing=\"0\" cellpadding=\"2\" bgcolor=\"#003399\">\n"
         << "<tr><td><font size=\"4\" color=\"#FFFFFF\"><b>" << Escape(item.title) << "</b></font></td></tr>\n"
         << "</table>\n<table width=\"100%\" border=\"0\"><tr><td><font size=\"2\">\n"
         << "<a href=\"/accdb/viewCatg.asp?IDC=0\">Aucland</a> : <a href=\"/accdb/viewCatg.asp?IDC=1\">"
         << Escape(item.category) << "</a>\n</font></td></tr></table>\n"
         << "<table border=\"0\" cellspacing=\"1\" cellpadding=\"2\">\n";
    row(site.seller, UserLink(item.seller));
    row(site.quantity, Escape(item.quantity));
    row(site.startingPrice, Escape(item.startingPrice));
    if (!item.nextBid.empty())
        row(site.nextBid, Escape(item.nextBid));
    row(site.timeLeft, "<font color=\"#CC0000\">" + (item.closed ? std::string(site.closed) : Escape(item.timeLeft)) +
                           "</font>");
    page << "</table>\n";
    if (!item.bids.empty()) {
        page << "<table border=\"0\" width=\"100%\"><tr><td colspan=\"3\">" << site.comments << "</td></tr>\n";
        const std::size_t shown = history ? item.bids.size() : 1;
        for (std::size_t i = 0; i < shown; ++i)
            page << "<tr><td>" << UserLink(item.bids[i].first) << "</td><td>" << Escape(item.bids[i].second)
                 << "</td><td>12/03/2000 21:40</td></tr>\n";
        page << "</table>\n";
    }
    page << "<p><font size=\"3\"><b>" << site.description << "</b></font></p>\n<p>" << Escape(item.title)
         << " <img src=\"/images/items/" << item.itemNumber << ".jpg\"></p>\n</body>\n</html>\n";
    return page.str();
}

} // namespace lwsim
