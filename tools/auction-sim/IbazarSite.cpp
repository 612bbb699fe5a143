#include "tools/auction-sim/IbazarSite.h"

#include "tools/auction-sim/EbaySite.h"
#include "tools/auction-sim/Scenario.h"

#include <algorithm>
#include <memory>
#include <sstream>

namespace lwsim {

namespace {

struct Labels
{
    const char* host;
    const char* title;
    const char* seller;
    const char* quantity;
    const char* startingPrice;
    const char* currentPrice;
    const char* start;
    const char* end;
    const char* listHeading;
    const char* votesHeading;
    const char* category;
    const char* sold;
};

const Labels kFrench = {"http://www.ibazar.fr",
                        "Nom de l'objet",
                        "Vendeur",
                        "Nombre d'objets",
                        "Prix de d\xE9part",
                        "Prix actuel",
                        "D\xE9" "but ench\xE8res",
                        "Fin ench\xE8res",
                        "LISTE DES DERNIERES ENCHERES",
                        "LISTE DES VOTES",
                        "Rubrique ",
                        "Cet objet a d\xE9j\xE0 vendu sur iBazar"};
const Labels kItalian = {"http://www.ibazar.it",
                         "Nome dell'oggetto",
                         "venditore",
                         "Numero di oggetti",
                         "Prezzo di partenza",
                         "Prezzo ATTUALE",
                         "Inizio dell'asta",
                         "Termine dell'asta",
                         "Elenco degli ultimi offerenti",
                         "Elenco dei voti",
                         "Categoria ",
                         "Oggetto gi\xE0 venduto su iBazar"};

bool BuildIbazarItem(const ScenarioSection& section, RouteTable& table, std::string& error)
{
    IbazarItemPage item;
    const std::size_t blank = section.name.find(' ');
    const std::string country = section.name.substr(0, blank);
    if (country != "fr" && country != "it") {
        error = "an iBazar item names its site first (fr or it): '" + section.name + "'";
        return false;
    }
    item.italian = country == "it";
    item.itemNumber = blank == std::string::npos ? std::string() : section.name.substr(blank + 1);
    if (item.itemNumber.empty() || item.itemNumber.find_first_of("/?& ") != std::string::npos) {
        error = "an iBazar item number has no blank, '/', '?' or '&': '" + item.itemNumber + "'";
        return false;
    }
    Route faults;
    const std::pair<const char*, std::string IbazarItemPage::*> texts[] = {
        {"title", &IbazarItemPage::title},
        {"category", &IbazarItemPage::category},
        {"seller", &IbazarItemPage::seller},
        {"location", &IbazarItemPage::location},
        {"quantity", &IbazarItemPage::quantity},
        {"starting-price", &IbazarItemPage::startingPrice},
        {"current-price", &IbazarItemPage::currentPrice},
        {"start", &IbazarItemPage::start},
        {"end", &IbazarItemPage::end},
        {"page", &IbazarItemPage::page}};
    for (const auto& [key, value] : section.entries) {
        auto text = std::find_if(std::begin(texts), std::end(texts), [&](auto& t) { return key == t.first; });
        if (text != std::end(texts))
            item.*(text->second) = value;
        else if (key == "bid")
            item.bids.push_back(value);
        else if (key == "sold")
            item.sold = value == "yes";
        else if (!ApplyRouteKey(key, value, section.baseDir, faults, error))
            return false;
    }
    if (item.page != "item" && item.page != "error" && item.page != "not-found") {
        error = "unknown iBazar page kind '" + item.page + "'";
        return false;
    }
    if (item.title.empty())
        item.title = "Objet " + item.itemNumber;
    auto shared = std::make_shared<const IbazarItemPage>(item);
    const std::string host = item.italian ? kItalian.host : kFrench.host;
    for (const char* path : {"/voirobjet.cgi?codeobjet%3d", "/voirobjet.cgi?codeobjet="}) {
        Route route = faults;
        route.pattern = host + path + item.itemNumber + "*";
        route.handler = [shared](const Request&, Response& response) {
            response.contentType = "text/html; charset=windows-1252";
            if (shared->page == "not-found") {
                response.status = 404;
                response.body = "<html><body>Not Found</body></html>\n";
            } else {
                response.body = shared->page == "error" ? RenderIbazarErrorPage(shared->italian)
                                                        : RenderIbazarItemPage(*shared);
            }
            return true;
        };
        if (!table.Add(std::move(route))) {
            error = "cannot add the routes of iBazar item " + item.itemNumber;
            return false;
        }
    }
    return true;
}

const SectionTypeRegistration ibazarItems("ibazar-item", BuildIbazarItem);

std::string Row(const char* label, const std::string& value)
{
    return std::string("<TR><TD><FONT SIZE=2>") + label + "</FONT></TD><TD><B>" + value + "</B></TD></TR>\n";
}

std::string BidderLink(const std::string& name)
{
    return "<A HRef=\"voirperso.cgi?codeperso%3d" + HtmlEscape(name) + "\">" + HtmlEscape(name) + "</A>";
}

} // namespace

std::string RenderIbazarItemPage(const IbazarItemPage& item)
{
    const Labels& l = item.italian ? kItalian : kFrench;
    std::ostringstream page;
    page << "<HTML>\n<HEAD><TITLE>iBazar - " << HtmlEscape(item.title) << "</TITLE></HEAD>\n"
         << "<BODY BGCOLOR=\"#FFFFFF\">\n"
         << "<IFRAME SRC=\"" << l.host << "/pub/bandeau.cgi?abr=!ie4;abr=!ie5;\" WIDTH=468 HEIGHT=60></IFRAME>\n"
         << "<TABLE WIDTH=600>\n"
         << "<TR><TD COLSPAN=2><FONT SIZE=2>" << l.category << "<A HRef=\"rubrique.cgi?abr=!ie4;abr=!ie5;\">"
         << HtmlEscape(item.category) << "</A></FONT></TD></TR>\n"
         << Row(l.title, HtmlEscape(item.title))
         << "<TR><TD><FONT SIZE=2>" << l.seller << "</FONT></TD><TD><A HRef=\"voirperso.cgi?codeperso%3d0\">"
         << HtmlEscape(item.seller) << "</A>" << (item.location.empty() ? "" : " (" + HtmlEscape(item.location) + ")")
         << "</TD></TR>\n"
         << Row(l.quantity, HtmlEscape(item.quantity)) << Row(l.startingPrice, HtmlEscape(item.startingPrice))
         << Row(l.currentPrice, HtmlEscape(item.currentPrice)) << Row(l.start, HtmlEscape(item.start))
         << Row(l.end, HtmlEscape(item.end)) << "</TABLE>\n";
    if (item.sold)
        page << "<P><B>" << l.sold << "</B></P>\n";
    page << "<IMG src = \"img/objets/" << item.itemNumber << ".jpg\" BORDER=0>\n";
    if (!item.bids.empty()) {
        page << "<TABLE>\n<TR><TD><IMG SRC=\"img/liste.gif\">" << l.listHeading << "</TD></TR>\n";
        for (const std::string& bid : item.bids) {
            const std::size_t blank = bid.find(' ');
            page << "<TR><TD>" << BidderLink(bid.substr(0, blank)) << "</TD><TD>"
                 << (blank == std::string::npos ? std::string() : HtmlEscape(bid.substr(blank + 1))) << "</TD></TR>\n";
        }
        page << "<TR><TD>" << l.votesHeading << "</TD></TR>\n</TABLE>\n";
    }
    page << "<A HREF=\"aide.html\">Aide</A>\n</BODY>\n</HTML>\n";
    return page.str();
}

std::string RenderIbazarErrorPage(bool italian)
{
    return italian ? "<HTML><BODY>Oggetto inesistente.</BODY></HTML>\n" : "<HTML><BODY>Objet inexistant.</BODY></HTML>\n";
}

} // namespace lwsim
