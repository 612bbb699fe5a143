#include "tools/auction-sim/AmazonSite.h"

#include "tools/auction-sim/EbaySite.h"
#include "tools/auction-sim/Scenario.h"

#include <algorithm>
#include <memory>
#include <sstream>

namespace lwsim {

namespace {

const char* const kItemPrefixes[] = {"http://s1.amazon.com/exec/varzea/ts/exchange-glance/",
                                     "http://s1.amazon.com/exec/varzea/glance-browse/"};

bool BuildAmazonItem(const ScenarioSection& section, RouteTable& table, std::string& error)
{
    AmazonItemPage item;
    item.itemNumber = section.name;
    if (item.itemNumber.empty() || item.itemNumber.find_first_of("/?& ") != std::string::npos) {
        error = "an Amazon item number has no blank, '/', '?' or '&': '" + item.itemNumber + "'";
        return false;
    }
    Route faults;
    const std::pair<const char*, std::string AmazonItemPage::*> texts[] = {
        {"title", &AmazonItemPage::title},           {"category", &AmazonItemPage::category},
        {"current-bid", &AmazonItemPage::currentBid}, {"minimum-bid", &AmazonItemPage::minimumBid},
        {"bids", &AmazonItemPage::bids},             {"starting-bid", &AmazonItemPage::startingBid},
        {"quantity", &AmazonItemPage::quantity},     {"high-bidder", &AmazonItemPage::highBidder},
        {"seller", &AmazonItemPage::seller},         {"location", &AmazonItemPage::location},
        {"started", &AmazonItemPage::started},       {"closes", &AmazonItemPage::closes},
        {"closes-in", &AmazonItemPage::closesIn},    {"page", &AmazonItemPage::page}};
    for (const auto& [key, value] : section.entries) {
        auto text = std::find_if(std::begin(texts), std::end(texts), [&](auto& t) { return key == t.first; });
        if (text != std::end(texts))
            item.*(text->second) = value;
        else if (!ApplyRouteKey(key, value, section.baseDir, faults, error))
            return false;
    }
    if (item.page != "item" && item.page != "error" && item.page != "not-found") {
        error = "unknown Amazon page kind '" + item.page + "'";
        return false;
    }
    if (item.title.empty())
        item.title = "Item " + item.itemNumber;
    auto shared = std::make_shared<const AmazonItemPage>(item);
    for (const char* prefix : kItemPrefixes) {
        Route route = faults;
        route.pattern = std::string(prefix) + item.itemNumber + "*";
        route.handler = [shared](const Request&, Response& response) {
            if (shared->page == "not-found") {
                response.status = 404;
                response.body = "<html><body>Not Found</body></html>\n";
            } else {
                response.body = shared->page == "error" ? RenderAmazonErrorPage() : RenderAmazonItemPage(*shared);
            }
            return true;
        };
        if (!table.Add(std::move(route))) {
            error = "cannot add the routes of Amazon item " + item.itemNumber;
            return false;
        }
    }
    return true;
}

const SectionTypeRegistration amazonItems("amazon-item", BuildAmazonItem);

std::string Row(const char* label, const std::string& value)
{
    return std::string("<tr><td align=right><font size=-1><b>") + label + "</b></font></td><td><font size=-1>" +
           value + "</font></td></tr>\n";
}

// The category path as the navigation bar links it, one level a line.
std::string NavigationBar(const std::string& path)
{
    std::string bar = "<map name=\"sub_nav_map\">\n<area shape=rect coords=\"0,0,80,20\" "
                      "href=\"/exec/varzea/subst/home/home.html\">\n</map>\n"
                      "<font face=verdana,arial,helvetica size=-1><a href=\"/exec/varzea/subst/home/home.html\">"
                      "Auctions</a>";
    std::size_t start = 0;
    int level = 1;
    while (!path.empty() && start <= path.size()) {
        std::size_t end = path.find(" / ", start);
        if (end == std::string::npos)
            end = path.size();
        bar += " / \n<a href=\"/exec/varzea/browse/-/" + std::to_string(level++) + "/\">" +
               HtmlEscape(path.substr(start, end - start)) + "</a>";
        start = end + 3;
    }
    return bar + "</font>\n";
}

} // namespace

std::string RenderAmazonItemPage(const AmazonItemPage& item)
{
    std::ostringstream page;
    page << "<html>\n<head><title>Amazon.com Auctions: " << HtmlEscape(item.title) << "</title></head>\n"
         << "<body bgcolor=#FFFFFF link=#003399 vlink=#996633>\n"
         << "<map name=\"top_nav_map\"><area shape=rect coords=\"0,0,70,20\" "
            "href=\"/exec/varzea/subst/home/home.html\"></map>\n"
         << "<table border=0 width=100% cellspacing=0 cellpadding=0>\n"
         << "<tr><td><img src=\"/g/v2/tabs/auctions-on.gif\" usemap=\"#top_nav_map\" border=0></td></tr>\n</table>\n"
         << "<table cellspacing=0 cellpadding=2 border=0><tr><td>\n"
         << NavigationBar(item.category) << "</td></tr></table>\n"
         << "<table border=0 width=100% cellspacing=0 cellpadding=0>\n<tr><td valign=top>\n"
         << "<font size=+1><b>" << HtmlEscape(item.title) << "</b></font><br>\n"
         << "<table border=0 cellpadding=2 cellspacing=0>\n";
    if (!item.currentBid.empty())
        page << Row("Current Bid:", HtmlEscape(item.currentBid));
    if (!item.minimumBid.empty())
        page << Row("Minimum Bid:", HtmlEscape(item.minimumBid));
    page << Row("Number of Bids:", HtmlEscape(item.bids) +
                                       (item.startingBid.empty() ? "" : " (starting bid: " + HtmlEscape(item.startingBid) + ")"))
         << Row("Quantity:", HtmlEscape(item.quantity))
         << Row("High Bidder:", item.highBidder.empty()
                                    ? std::string("No bids.")
                                    : "<a href=\"/exec/varzea/ts/user-glance/-/" + HtmlEscape(item.highBidder) + "/\">" +
                                          HtmlEscape(item.highBidder) + "</a>")
         << Row("Seller:", "<a href=\"/exec/varzea/ts/user-glance/-/" + HtmlEscape(item.seller) + "/\">" +
                               HtmlEscape(item.seller) + "</a>");
    if (!item.location.empty())
        page << Row("Location:", HtmlEscape(item.location));
    page << Row("Starting time:", HtmlEscape(item.started)) << Row("Closing time:", HtmlEscape(item.closes))
         << Row("Closes In:", HtmlEscape(item.closesIn)) << "</table>\n"
         << "<p><font size=-1><b>Description</b></font><br>\n" << HtmlEscape(item.title) << "\n"
         << "</td></tr></table>\n</body>\n</html>\n";
    return page.str();
}

std::string RenderAmazonErrorPage()
{
    return "<html><head><title>Amazon.com Auctions</title></head>\n<body><font size=+1>We're sorry.</font> "
           "The auction you requested could not be found.\n<a href=\"/exec/varzea/subst/home/home.html\">Return to "
           "Auctions</a></body></html>\n";
}

} // namespace lwsim
