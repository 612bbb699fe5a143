#include "tools/auction-sim/YahooSite.h"

#include "tools/auction-sim/Scenario.h"
#include "tools/auction-sim/StepControls.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <sstream>

namespace lwsim {

namespace {

const char* const kDomain = "page.auctions.yahoo.com";
const char* const kEnglishCountries[] = {"us", "uk", "au", "ca"};
const char* const kNationalCountries[] = {"fr", "es", "dk", "de", "it", "se", "br", "mx"};
const char* const kPageAnchor = "<TABLE WIDTH=\"100%\" BORDER=0 CELLPADDING=2>";
const char* const kTitleTable = "<table border=0 cellpadding=2 cellspacing=0 width=\"100%\">";

// The labels of a national page (Windows-1252 bytes); the program reads none of them.
struct NationalLabels
{
    const char* country;
    const char* site;
    const char* currentBid;
    const char* timeLeft;
    const char* seller;
    const char* bid;
};

const NationalLabels kNationalLabels[] = {
    {"fr", "Yahoo! Ench\xE8res", "Ench\xE8re actuelle :", "Temps restant :", "Vendeur :", "Ench\xE9rir"},
    {"es", "Yahoo! Subastas", "Puja actual:", "Tiempo restante:", "Vendedor:", "Pujar"},
    {"dk", "Yahoo! Auktioner", "Nuv\xE6rende bud:", "Tid tilbage:", "S\xE6lger:", "Byd"},
    {"de", "Yahoo! Auktionen", "Aktuelles Gebot:", "Verbleibende Zeit:", "Verk\xE4ufer:", "Bieten"},
    {"it", "Yahoo! Aste", "Offerta attuale:", "Tempo rimanente:", "Venditore:", "Fai un'offerta"},
    {"se", "Yahoo! Auktioner", "Aktuellt bud:", "Tid kvar:", "S\xE4ljare:", "Bjud"},
    {"br", "Yahoo! Leil\xF5" "es", "Lance atual:", "Tempo restante:", "Vendedor:", "Dar um lance"},
    {"mx", "Yahoo! Subastas", "Oferta actual:", "Tiempo restante:", "Vendedor:", "Ofertar"},
};

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

// The path that a country's own links start with: "/uk" on the U.K. site, "" on the U.S. one.
std::string LinkPath(const std::string& country)
{
    return country == "us" || country == "ca" ? std::string() : "/" + country;
}

std::string HostUrl(const std::string& country)
{
    return country == "us" ? std::string("http://") + kDomain : "http://" + country + "." + kDomain;
}

// "COUNT PRICE... [BIDDER]": the price may hold blanks ("FF 300.00"); "-" names no bidder.
bool ParseBid(const std::string& value, YahooBid& bid)
{
    std::istringstream in(value);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    if (words.size() < 2)
        return false;
    const std::string& count = words.front();
    const auto [ptr, ec] = std::from_chars(count.data(), count.data() + count.size(), bid.count);
    if (ec != std::errc() || ptr != count.data() + count.size() || bid.count < 0)
        return false;
    std::size_t priceEnd = words.size();
    if (words.size() >= 3) {
        bid.bidder = words.back() == "-" ? std::string() : words.back();
        priceEnd = words.size() - 1;
    }
    for (std::size_t i = 1; i < priceEnd; ++i)
        bid.price += (i > 1 ? " " : "") + words[i];
    return true;
}

struct PageState
{
    YahooBid bid;
    bool closed = false;
};

PageState StateAt(const YahooItemPage& item, int step)
{
    PageState state;
    state.bid.price = item.startedAt;
    if (!item.bids.empty())
        state.bid = item.bids[static_cast<std::size_t>(std::min<int>(step, static_cast<int>(item.bids.size()) - 1))];
    state.closed = item.closedAtStep >= 0 && step >= item.closedAtStep;
    return state;
}

std::string CountdownLink(const std::string& country, const std::string& number, const char* text)
{
    // The English sites open the main site's countdown; the national ones their own.
    const std::string path = IsYahooEnglishCountry(country) ? "/show/countdown" : "/" + country + "/show/countdown";
    return "<a href=\"#\" onClick=\"window.open('" + path + "?aID=" + number +
           "','countdown','width=250,height=120'); return false;\">" + text + "</a>";
}

std::string CalendarLink(const YahooItemPage& item, const char* text)
{
    return "<a href=\"http://calendar.yahoo.com/?v=60&TYPE=16&ST=" + item.closes +
           "&TITLE=Yahoo!+Auction+closes&URL=" + YahooItemUrl(item.country, item.itemNumber) + "\">" + text + "</a>";
}

std::string CategoryCell(const std::string& category)
{
    std::string cell = "<a href=\"http://list.auctions.yahoo.com/0-category.html\">Auctions</a>";
    std::istringstream in(category);
    int id = 21600;
    for (std::string part; std::getline(in, part, '>');) {
        part.erase(0, part.find_first_not_of(' '));
        part.erase(part.find_last_not_of(' ') + 1);
        if (part.empty())
            continue;
        cell += " &gt; <a href=\"http://list.auctions.yahoo.com/" + std::to_string(id++) + "-category.html\">" +
                Escape(part) + "</a>";
    }
    return cell;
}

std::string Row(const char* label, const std::string& value)
{
    return std::string("<tr><td><font size=-1>") + label + "</font></td><TD>" + value + "</TD></tr>\n";
}

std::string UserLink(const std::string& country, const std::string& user, const std::string& rating)
{
    return "<A HREF=\"http://profiles.yahoo.com/" + Escape(user) + "\">" + Escape(user) + "</A> (<A HREF=\"" +
           LinkPath(country) + "/show/rating?userID=" + Escape(user) + "\">" + rating + "</A>)";
}

bool BuildYahooItem(const ScenarioSection& section, RouteTable& table, std::string& error)
{
    YahooItemPage item;
    std::istringstream name(section.name);
    name >> item.country >> item.itemNumber;
    if (!IsYahooCountry(item.country)) {
        error = "a Yahoo item starts with its country code (us, uk, au, ca, fr, es, dk, de, it, se, br, mx): '" +
                section.name + "'";
        return false;
    }
    if (item.itemNumber.empty() ||
        !std::all_of(item.itemNumber.begin(), item.itemNumber.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        error = "a Yahoo item number is digits only: '" + section.name + "'";
        return false;
    }
    Route faults;
    const std::pair<const char*, std::string YahooItemPage::*> texts[] = {
        {"title", &YahooItemPage::title},           {"national-title", &YahooItemPage::nationalTitle},
        {"category", &YahooItemPage::category},     {"quantity", &YahooItemPage::quantity},
        {"started-at", &YahooItemPage::startedAt},  {"location", &YahooItemPage::location},
        {"seller", &YahooItemPage::seller},         {"seller-rating", &YahooItemPage::sellerRating},
        {"opened", &YahooItemPage::opened},         {"closes", &YahooItemPage::closes},
        {"closes-text", &YahooItemPage::closesText}, {"time-left", &YahooItemPage::timeLeft},
        {"description", &YahooItemPage::description}, {"page", &YahooItemPage::page}};
    for (const auto& [key, value] : section.entries) {
        auto text = std::find_if(std::begin(texts), std::end(texts), [&](auto& t) { return key == t.first; });
        if (text != std::end(texts)) {
            item.*(text->second) = value;
        } else if (key == "bid") {
            YahooBid bid;
            if (!ParseBid(value, bid)) {
                error = "bid must be 'COUNT PRICE [BIDDER]': '" + value + "'";
                return false;
            }
            item.bids.push_back(bid);
        } else if (key == "closed-at-step") {
            const auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), item.closedAtStep);
            if (ec != std::errc() || ptr != value.data() + value.size() || item.closedAtStep < 0) {
                error = "bad step '" + value + "' for closed-at-step";
                return false;
            }
        } else if (!ApplyRouteKey(key, value, section.baseDir, faults, error)) {
            return false;
        }
    }
    static const char* const kPages[] = {"item", "error", "not-found", "server-error"};
    if (std::find(std::begin(kPages), std::end(kPages), item.page) == std::end(kPages)) {
        error = "unknown Yahoo page kind '" + item.page + "'";
        return false;
    }
    if (item.title.empty())
        item.title = "Item " + item.itemNumber;
    if (item.nationalTitle.empty())
        item.nationalTitle = item.title;

    std::shared_ptr<StepWorld> world = StepWorldFor(table, "/__yahoo");
    world->AddItem(item.itemNumber);
    auto shared = std::make_shared<const YahooItemPage>(item);
    auto serve = [world, shared](bool national) {
        return [world, shared, national](const Request&, Response& response) {
            const YahooItemPage& page = *shared;
            if (page.page == "not-found") {
                response.status = 404;
                response.body = "<html><body>Not Found</body></html>\n";
            } else if (page.page == "server-error") {
                response.status = 500;
                response.body = "<html><body>Internal Server Error</body></html>\n";
            } else if (page.page == "error") {
                response.body = RenderYahooErrorPage(page.country);
            } else {
                const int step = world->Step(page.itemNumber);
                response.body = national ? RenderYahooNationalPage(page, step) : RenderYahooItemPage(page, step);
            }
            return true;
        };
    };

    std::vector<std::pair<std::string, bool>> urls; // URL, national page
    const std::string itemUrl = YahooItemUrl(item.country, item.itemNumber);
    if (IsYahooEnglishCountry(item.country)) {
        urls.emplace_back(itemUrl, false);
    } else {
        urls.emplace_back(itemUrl + "?acc=us", false);
        urls.emplace_back(itemUrl, true);
        // The national sites also answer under their country path.
        urls.emplace_back(HostUrl(item.country) + "/" + item.country + "/auction/" + item.itemNumber, true);
    }
    for (const auto& [url, national] : urls) {
        Route route = faults;
        route.pattern = url;
        route.handler = serve(national);
        if (!table.Add(std::move(route))) {
            error = "cannot add the routes of Yahoo item " + item.itemNumber;
            return false;
        }
    }
    return true;
}

const SectionTypeRegistration yahooItems("yahoo-item", BuildYahooItem);

} // namespace

bool IsYahooEnglishCountry(const std::string& country)
{
    return std::find(std::begin(kEnglishCountries), std::end(kEnglishCountries), country) !=
           std::end(kEnglishCountries);
}

bool IsYahooCountry(const std::string& country)
{
    return IsYahooEnglishCountry(country) || std::find(std::begin(kNationalCountries), std::end(kNationalCountries),
                                                       country) != std::end(kNationalCountries);
}

std::string YahooItemUrl(const std::string& country, const std::string& itemNumber)
{
    if (country == "us" || country == "ca" || !IsYahooEnglishCountry(country))
        return HostUrl(country) + "/auction/" + itemNumber;
    return HostUrl(country) + "/" + country + "/auction/" + itemNumber;
}

std::string RenderYahooItemPage(const YahooItemPage& item, int step)
{
    const PageState state = StateAt(item, step);
    const std::string number = item.itemNumber;
    const std::string links = IsYahooEnglishCountry(item.country) ? LinkPath(item.country) : "/" + item.country;
    const std::string buyer = state.bid.bidder.empty() ? std::string("none") : UserLink(item.country, state.bid.bidder, "1");

    std::ostringstream page;
    page << "<html>\n<head>\n<title>Yahoo! Auctions - " << Escape(item.title) << "</title>\n</head>\n"
         << "<body bgcolor=\"#ffffff\" link=\"#0000cc\">\n"
         << "<!-- Yahoo! Auctions page header -->\n"
         << kPageAnchor << "\n"
         << "<tr><td><a href=\"/\"><img src=\"http://us.yimg.com/images/auctions/auctions.gif\" width=232 height=44 "
            "border=0 alt=\"Yahoo! Auctions\"></a></td>\n"
         << "<td align=right><font size=-1><a href=\"" << links << "/show/mystuff\">My Auctions</a> - "
         << "<a href=\"http://help.yahoo.com/help/auct/\">Help</a></font></td></tr>\n</TABLE>\n";
    if (!item.category.empty())
        page << "<table border=0 cellpadding=0 cellspacing=0 width=\"100%\">\n<tr><td bgcolor=\"#eeeeee\"><font size=-1>"
             << CategoryCell(item.category) << "</font></td></tr>\n</table>\n";
    page << kPageAnchor << "\n<tr><td valign=top>\n"
         << kTitleTable << "\n"
         << "<tr bgcolor=\"#dcdcdc\"><td><font size=+1><b>" << Escape(item.title)
         << "</b></font></td><td align=right><font size=-1>Item # " << number << "</font></td></tr>\n</table>\n"
         << "<table border=0 cellpadding=3 cellspacing=0 width=\"100%\">\n"
         << Row("Current Bid:", "<b>" + Escape(state.bid.price) + "</b>")
         << Row("Started at:", Escape(item.startedAt)) << Row("#of Items:", Escape(item.quantity))
         << Row("Time Left:", "<B>" + (state.closed ? std::string("Closed") : Escape(item.timeLeft)) + "</B> " +
                                  CountdownLink(item.country, number, "(countdown)"))
         << Row("# of Bids:", "<b>" + std::to_string(state.bid.count) + "</b> <a href=\"" + links +
                                  "/show/bids?aID=" + number + "\">(bid history)</a>")
         << Row("Location:", "<b>" + Escape(item.location) + "</b>")
         << Row("Closes:", Escape(item.closesText) + " " + CalendarLink(item, "(add to my calendar)"))
         << Row("Opened:", Escape(item.opened))
         << Row("Seller (<SMALL>rating</SMALL>):", UserLink(item.country, item.seller, item.sellerRating))
         << Row(state.closed && !state.bid.bidder.empty() ? "Winner:" : "High Bidder:", buyer)
         << "</table>\n</td></tr>\n</TABLE>\n"
         << "<!-- Begin seller's description -->\n"
         << "<p><font face=\"Arial\">" << Escape(item.description.empty() ? item.title : item.description)
         << "</font>\n<img src=\"/images/" << number << "/item.jpg\" width=300 height=200>\n"
         << "<p><a href=\"" << links << "/show/bid?aID=" << number << "\">Place a bid</a>\n"
         << "<p><font size=-2>Copyright &copy; 2000 Yahoo! Inc. All rights reserved.</font>\n</body>\n</html>\n";
    return page.str();
}

std::string RenderYahooNationalPage(const YahooItemPage& item, int step)
{
    const NationalLabels* labels = &kNationalLabels[0];
    for (const NationalLabels& candidate : kNationalLabels)
        if (item.country == candidate.country)
            labels = &candidate;
    const PageState state = StateAt(item, step);
    const std::string number = item.itemNumber;
    const std::string links = "/" + item.country;

    std::ostringstream page;
    page << "<html>\n<head>\n<title>" << labels->site << " - " << Escape(item.nationalTitle) << "</title>\n</head>\n"
         << "<body bgcolor=\"#ffffff\">\n"
         << kPageAnchor << "\n"
         << "<tr><td><a href=\"" << links << "/\"><img src=\"http://" << item.country
         << ".yimg.com/i/auctions.gif\" border=0 alt=\"" << labels->site << "\"></a></td></tr>\n</TABLE>\n"
         << kPageAnchor << "\n<tr><td>\n"
         << kTitleTable << "\n"
         << "<tr bgcolor=\"#dcdcdc\"><td><font size=+1><b>" << Escape(item.nationalTitle) << "</b></font></td></tr>\n"
         << "</table>\n<table border=0 cellpadding=3 cellspacing=0 width=\"100%\">\n"
         << Row(labels->currentBid, "<b>" + Escape(state.bid.price) + "</b>")
         << Row(labels->timeLeft, "<B>" + std::string(state.closed ? "--" : Escape(item.timeLeft)) + "</B> " +
                                      CountdownLink(item.country, number, "(...)"))
         << Row(labels->seller, UserLink(item.country, item.seller, item.sellerRating)) << "</table>\n</td></tr>\n</TABLE>\n"
         << "<p>" << Escape(item.description.empty() ? item.nationalTitle : item.description) << "\n"
         << "<img src=\"/images/" << number << "/item.jpg\">\n"
         << "<p><a href=\"" << links << "/show/bid?aID=" << number << "\">" << labels->bid << "</a>\n"
         << "</body>\n</html>\n";
    return page.str();
}

std::string RenderYahooErrorPage(const std::string& country)
{
    return std::string("<html><head><title>Yahoo! Auctions - Error</title></head>\n<body>\n") + kPageAnchor +
           "\n<tr><td><a href=\"" + LinkPath(country) +
           "/\"><img src=\"http://us.yimg.com/images/auctions/auctions.gif\" border=0></a></td></tr>\n</TABLE>\n"
           "<p><b>Sorry, the auction you requested does not exist.</b>\n"
           "<p>It may have been removed by the seller or by Yahoo!.\n</body></html>\n";
}

} // namespace lwsim
