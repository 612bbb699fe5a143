#include "tools/auction-sim/ExciteSite.h"

#include "tools/auction-sim/EbaySite.h"
#include "tools/auction-sim/Scenario.h"

#include <algorithm>
#include <memory>
#include <sstream>

namespace lwsim {

namespace {

const char kHost[] = "http://auctions.excite.com";
const char* const kLotPaths[] = {"/Scripts/ListingInfo.asp?LotNo=", "/scripts/LotPage.asp?LotNo=",
                                 "/scripts/ListingInfo.asp?LotNo=", "/Scripts/LotPage.asp?LotNo="};
const char kHistoryPath[] = "/Scripts/BidHistory.asp?LotNo=";

bool AddRoute(RouteTable& table, const Route& faults, const std::string& pattern, PageHandler handler)
{
    Route route = faults;
    route.pattern = pattern;
    route.handler = std::move(handler);
    return table.Add(std::move(route));
}

bool BuildExciteLot(const ScenarioSection& section, RouteTable& table, std::string& error)
{
    ExciteLotPage lot;
    lot.lotNumber = section.name;
    if (lot.lotNumber.empty() || lot.lotNumber.find_first_of("/?& ") != std::string::npos) {
        error = "an Excite lot number has no blank, '/', '?' or '&': '" + lot.lotNumber + "'";
        return false;
    }
    Route faults;
    const std::pair<const char*, std::string ExciteLotPage::*> texts[] = {
        {"title", &ExciteLotPage::title},           {"category", &ExciteLotPage::category},
        {"quantity", &ExciteLotPage::quantity},     {"bids", &ExciteLotPage::bids},
        {"time-remaining", &ExciteLotPage::timeRemaining}, {"high-bid", &ExciteLotPage::highBid},
        {"opening-bid", &ExciteLotPage::openingBid}, {"location", &ExciteLotPage::location},
        {"seller", &ExciteLotPage::seller},         {"open-date", &ExciteLotPage::openDate},
        {"close-date", &ExciteLotPage::closeDate},  {"page", &ExciteLotPage::page}};
    for (const auto& [key, value] : section.entries) {
        auto text = std::find_if(std::begin(texts), std::end(texts), [&](auto& t) { return key == t.first; });
        if (text != std::end(texts))
            lot.*(text->second) = value;
        else if (key == "bidder")
            lot.bidders.push_back(value);
        else if (!ApplyRouteKey(key, value, section.baseDir, faults, error))
            return false;
    }
    if (lot.page != "lot" && lot.page != "error" && lot.page != "not-found") {
        error = "unknown Excite page kind '" + lot.page + "'";
        return false;
    }
    if (lot.title.empty())
        lot.title = "Lot " + lot.lotNumber;
    auto shared = std::make_shared<const ExciteLotPage>(lot);
    auto answer = [shared](bool history) {
        return [shared, history](const Request&, Response& response) {
            if (shared->page == "not-found") {
                response.status = 404;
                response.body = "<html><body>Not Found</body></html>\n";
            } else if (shared->page == "error") {
                response.body = RenderExciteErrorPage();
            } else {
                response.body = history ? RenderExciteBidHistory(*shared) : RenderExciteLotPage(*shared);
            }
            return true;
        };
    };
    for (const char* path : kLotPaths)
        if (!AddRoute(table, faults, kHost + std::string(path) + lot.lotNumber + "*", answer(false))) {
            error = "cannot add the routes of Excite lot " + lot.lotNumber;
            return false;
        }
    if (!AddRoute(table, faults, kHost + std::string(kHistoryPath) + lot.lotNumber + "*", answer(true))) {
        error = "cannot add the bid history of Excite lot " + lot.lotNumber;
        return false;
    }
    return true;
}

const SectionTypeRegistration exciteLots("excite-lot", BuildExciteLot);

std::string Row(const std::string& label, const std::string& value)
{
    return "<tr><td><b>" + label + "</b></td><td>" + value + "</td></tr>\n";
}

std::string PageHead(const std::string& title)
{
    return "<html>\n<head><title>Excite Auctions: " + title +
           "</title></head>\n<body bgcolor=\"#FFFFFF\">\n"
           "<form action=\"/scripts/LotSearch.asp\" method=\"get\">\n"
           "<input type=\"text\" name=\"ProdName\"> <input type=\"submit\" value=\"Search\">\n"
           "</form>\n<!-- END SEARCH -->\n";
}

} // namespace

std::string RenderExciteLotPage(const ExciteLotPage& lot)
{
    std::ostringstream page;
    const std::string number = lot.lotNumber;
    page << PageHead(HtmlEscape(lot.title))
         << "<table width=\"100%\"><tr><td><font size=2><a href=\"/default.htm\">Auction Home</a>";
    std::size_t start = 0;
    int level = 0;
    while (!lot.category.empty() && start <= lot.category.size()) {
        std::size_t end = lot.category.find(" > ", start);
        if (end == std::string::npos)
            end = lot.category.size();
        page << "&nbsp;&gt; <a href=\"/scripts/Browse.asp?SiteCatNo=" << ++level << "\">"
             << HtmlEscape(lot.category.substr(start, end - start)) << "</a>";
        start = end + 3;
    }
    page << " &gt; Listing</font></td></tr></table>\n"
         << "<hr size=1>\n<font size=4><b>" << HtmlEscape(lot.title) << "</b></font>\n"
         << "<table border=0 cellpadding=2>\n"
         << Row("Quantity:", HtmlEscape(lot.quantity))
         << "<tr><td><b>Bids</b> <a href=\"" << kHistoryPath << number << "\">(History)</a></td><td>"
         << HtmlEscape(lot.bids) << "</td></tr>\n"
         << Row("Time Remaining:", HtmlEscape(lot.timeRemaining))
         << Row("High Bid:", lot.highBid.empty() ? std::string("No bids yet") : HtmlEscape(lot.highBid))
         << Row("Opening Bid:", HtmlEscape(lot.openingBid)) << Row("Location", HtmlEscape(lot.location))
         << Row("Seller Username", "<a href=\"/scripts/UserInfo.asp?User=" + HtmlEscape(lot.seller) + "\">" +
                                       HtmlEscape(lot.seller) + "</a>")
         << Row("Open Date:", HtmlEscape(lot.openDate)) << Row("Close Date:", HtmlEscape(lot.closeDate))
         << "</table>\n<img src=\"/images/lots/" << number << ".jpg\">\n</body>\n</html>\n";
    return page.str();
}

std::string RenderExciteBidHistory(const ExciteLotPage& lot)
{
    std::ostringstream page;
    page << PageHead("Bid History") << "<h3>Bid History for Lot " << lot.lotNumber << "</h3>\n<table>\n"
         << "<tr><th>Bidder</th><th>Bid</th><th>Status</th></tr>\n";
    bool first = true;
    for (const std::string& row : lot.bidders) {
        const std::size_t blank = row.find(' ');
        const std::string name = row.substr(0, blank);
        const std::string amount = blank == std::string::npos ? std::string() : row.substr(blank + 1);
        page << "<tr><td>" << HtmlEscape(name) << "</td><td>" << HtmlEscape(amount) << "</td><td>"
             << (first ? "High bidder" : "Outbid") << "</td></tr>\n";
        first = false;
    }
    page << "</table>\n</body>\n</html>\n";
    return page.str();
}

std::string RenderExciteErrorPage()
{
    return "<html><head><title>Excite Auctions</title></head>\n<body><h2>The lot you requested could not be "
           "found.</h2>\n<a href=\"/default.htm\">Auction Home</a></body></html>\n";
}

} // namespace lwsim
