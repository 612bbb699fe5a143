#include "tools/auction-sim/CnetSite.h"

#include "tools/auction-sim/EbaySite.h"
#include "tools/auction-sim/Scenario.h"

#include <algorithm>
#include <memory>
#include <sstream>

namespace lwsim {

namespace {

const char kItemPrefix[] = "http://auctions.cnet.com/cgi-bin/osa/ViewPage.cgi?templateName=item_form.htx&itemNumber=";
const char kBiddersSuffix[] = "&languagePreference=_1";
const char kWinFont[] = "<font face=\"arial\" size=\"2\" color=\"#008040\">";

bool BuildCnetItem(const ScenarioSection& section, RouteTable& table, std::string& error)
{
    CnetItemPage item;
    item.itemNumber = section.name;
    if (item.itemNumber.empty() || item.itemNumber.find_first_of("/?& ") != std::string::npos) {
        error = "a CNET item number has no blank, '/', '?' or '&': '" + item.itemNumber + "'";
        return false;
    }
    Route faults;
    const std::pair<const char*, std::string CnetItemPage::*> texts[] = {
        {"title", &CnetItemPage::title},         {"category", &CnetItemPage::category},
        {"quantity", &CnetItemPage::quantity},   {"bids", &CnetItemPage::bids},
        {"closing", &CnetItemPage::closing},     {"current-bid", &CnetItemPage::currentBid},
        {"starting-bid", &CnetItemPage::startingBid}, {"location", &CnetItemPage::location},
        {"seller", &CnetItemPage::seller},       {"next-bid", &CnetItemPage::nextBid},
        {"high-bidder", &CnetItemPage::highBidder}, {"page", &CnetItemPage::page}};
    for (const auto& [key, value] : section.entries) {
        auto text = std::find_if(std::begin(texts), std::end(texts), [&](auto& t) { return key == t.first; });
        if (text != std::end(texts))
            item.*(text->second) = value;
        else if (key == "closed")
            item.closed = value == "yes";
        else if (key == "winner")
            item.winners.push_back(value);
        else if (!ApplyRouteKey(key, value, section.baseDir, faults, error))
            return false;
    }
    if (item.page != "item" && item.page != "error" && item.page != "not-found") {
        error = "unknown CNET page kind '" + item.page + "'";
        return false;
    }
    if (item.title.empty())
        item.title = "Item " + item.itemNumber;
    auto shared = std::make_shared<const CnetItemPage>(item);
    Route route = faults;
    route.pattern = kItemPrefix + item.itemNumber + "*";
    route.handler = [shared](const Request& request, Response& response) {
        if (shared->page == "not-found") {
            response.status = 404;
            response.body = "<html><body>Not Found</body></html>\n";
        } else if (shared->page == "error") {
            response.body = RenderCnetErrorPage();
        } else {
            const bool bidders = request.query.find(kBiddersSuffix + 1) != std::string::npos;
            response.body = RenderCnetItemPage(*shared, bidders);
        }
        return true;
    };
    if (!table.Add(std::move(route))) {
        error = "cannot add the route of CNET item " + item.itemNumber;
        return false;
    }
    return true;
}

const SectionTypeRegistration cnetItems("cnet-item", BuildCnetItem);

std::string Row(const std::string& label, const std::string& value)
{
    return "<tr><td><font face=\"arial\" size=\"2\"><b>" + label + "</b></font></td><td><font face=\"arial\" "
           "size=\"2\">" + value + "</font></td></tr>\n";
}

} // namespace

std::string RenderCnetItemPage(const CnetItemPage& item, bool bidders)
{
    std::ostringstream page;
    page << "<html>\n<head><title>CNET Auctions - Item #" << item.itemNumber << "</title></head>\n"
         << "<body bgcolor=\"#ffffff\">\n<!--Begin Remote Served-->\n"
         << "<a href=\"http://ad.cnet.com/adclick/auctions\"><img src=\"http://ad.cnet.com/banner.gif\" border=0></a>\n"
         << "<!--End Remote Served-->\n"
         << "<table width=\"100%\" cellpadding=2><tr><td>\n"
         << "<font face=\"arial\" size=\"2\"><a href=\"/\">CNET</a>: "
            "<a href=\"/cgi-bin/osa/ViewPage.cgi?templateName=home.htx\">Auctions</a>: "
         << HtmlEscape(item.category) << ":<b>Item #" << item.itemNumber << "</b></font>\n</td></tr>\n</table>\n"
         << "<font face=\"arial\" size=\"4\"><b>" << HtmlEscape(item.title) << "</b></font>\n"
         << "<table border=0>\n";
    if (item.closed) {
        page << Row("Quantity Sold:", HtmlEscape(item.quantity)) << Row("Bid History:", HtmlEscape(item.bids) + " Bids")
             << Row("Starting Bid:", HtmlEscape(item.startingBid));
    } else {
        page << Row("Quantity Available:", HtmlEscape(item.quantity))
             << Row("Bid History:", "<a href=\"/cgi-bin/osa/ViewPage.cgi?templateName=bid_history.htx&itemNumber=" +
                                        item.itemNumber + "\">" + HtmlEscape(item.bids) + " Bids</a>")
             << Row("Closing:", HtmlEscape(item.closing));
        if (!item.currentBid.empty())
            page << Row("Current Lowest Bid:", HtmlEscape(item.currentBid));
        page << Row("Starting Bid:", HtmlEscape(item.startingBid));
        if (bidders)
            page << Row("Current high bidders", item.highBidder.empty() ? std::string("none")
                                                                      : HtmlEscape(item.highBidder));
    }
    page << Row("Based Out Of:", HtmlEscape(item.location))
         << "<tr><td><a href=\"/cgi-bin/osa/ossearch.cgi?__seller=" << HtmlEscape(item.seller)
         << "\">Other Items By Seller:</a></td><td>" << HtmlEscape(item.seller) << "</td></tr>\n";
    if (!item.closed && !item.nextBid.empty())
        page << Row("Next minimum bid:", HtmlEscape(item.nextBid));
    if (item.closed) {
        page << "<tr><td><b>Auction Closed</b></td><td>" << HtmlEscape(item.closing) << "</td></tr>\n</table>\n"
             << "<table>\n<tr><td>Winning Bidders</td><td>Qty</td><td>Amount</td></tr>\n";
        for (const std::string& winner : item.winners) {
            std::istringstream fields(winner);
            std::string name;
            std::string quantity;
            std::string amount;
            fields >> name >> quantity;
            std::getline(fields >> std::ws, amount);
            page << "<tr><td>" << kWinFont << HtmlEscape(name) << "</font></td><td>" << kWinFont
                 << HtmlEscape(quantity) << "</font></td><td align=right>" << kWinFont << HtmlEscape(amount)
                 << "</font></td></tr>\n";
        }
    }
    page << "</table>\n<img src=\"/images/items/" << item.itemNumber << ".jpg\">\n</body>\n</html>\n";
    return page.str();
}

std::string RenderCnetErrorPage()
{
    return "<html><body><h2>The auction item you requested is no longer available.</h2></body></html>\n";
}

} // namespace lwsim
