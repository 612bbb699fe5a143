#include "tools/auction-sim/EbaySite.h"

#include "tools/auction-sim/Scenario.h"
#include "tools/auction-sim/StepControls.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <sstream>

namespace lwsim {

namespace {

const char* const kItemPath = "/aw-cgi/eBayISAPI.dll?ViewItem&item=";
const char* const kItemHosts[] = {"http://cgi.ebay.com",  "http://cgi1.ebay.com", "http://cgi2.ebay.com",
                                  "http://cgi3.ebay.com", "http://cgi4.ebay.com", "http://cgi5.ebay.com",
                                  "http://cgi6.ebay.com"};
const char* const kFont = "<font size=2 face=\"Arial, Helvetica\">";

bool ParseBid(const std::string& value, EbayBid& bid)
{
    std::istringstream in(value);
    std::string count;
    if (!(in >> count >> bid.price))
        return false;
    const auto [ptr, ec] = std::from_chars(count.data(), count.data() + count.size(), bid.count);
    if (ec != std::errc() || ptr != count.data() + count.size() || bid.count < 0)
        return false;
    std::getline(in >> std::ws, bid.bidder);
    return true;
}

bool BuildEbayItem(const ScenarioSection& section, RouteTable& table, std::string& error)
{
    EbayItemPage item;
    item.itemNumber = section.name;
    if (item.itemNumber.empty() ||
        !std::all_of(item.itemNumber.begin(), item.itemNumber.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        error = "an eBay item number is digits only: '" + item.itemNumber + "'";
        return false;
    }
    Route faults; // the route keys of the section, applied to every host's route
    const std::pair<const char*, std::string EbayItemPage::*> texts[] = {
        {"title", &EbayItemPage::title},         {"category", &EbayItemPage::category},
        {"category-id", &EbayItemPage::categoryId}, {"quantity", &EbayItemPage::quantity},
        {"first-bid", &EbayItemPage::firstBid},  {"location", &EbayItemPage::location},
        {"seller", &EbayItemPage::seller},       {"seller-rating", &EbayItemPage::sellerRating},
        {"started", &EbayItemPage::started},     {"ends", &EbayItemPage::ends},
        {"time-left", &EbayItemPage::timeLeft},  {"description", &EbayItemPage::description},
        {"page", &EbayItemPage::page}};
    for (const auto& [key, value] : section.entries) {
        auto text = std::find_if(std::begin(texts), std::end(texts), [&](auto& t) { return key == t.first; });
        if (text != std::end(texts)) {
            item.*(text->second) = value;
        } else if (key == "bid") {
            EbayBid bid;
            if (!ParseBid(value, bid)) {
                error = "bid must be 'COUNT PRICE [BIDDER]': '" + value + "'";
                return false;
            }
            item.bids.push_back(bid);
        } else if (key == "ends-at-step") {
            const auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), item.endsAtStep);
            if (ec != std::errc() || ptr != value.data() + value.size() || item.endsAtStep < 0) {
                error = "bad step '" + value + "' for ends-at-step";
                return false;
            }
        } else if (!ApplyRouteKey(key, value, section.baseDir, faults, error)) {
            return false;
        }
    }
    static const char* const kPages[] = {"item", "missing-labels", "error", "not-found", "server-error"};
    if (std::find(std::begin(kPages), std::end(kPages), item.page) == std::end(kPages)) {
        error = "unknown eBay page kind '" + item.page + "'";
        return false;
    }
    if (item.title.empty())
        item.title = "Item " + item.itemNumber;

    std::shared_ptr<StepWorld> world = StepWorldFor(table, "/__ebay");
    world->AddItem(item.itemNumber);
    auto shared = std::make_shared<const EbayItemPage>(item);
    for (const char* host : kItemHosts) {
        Route route = faults;
        route.pattern = std::string(host) + kItemPath + item.itemNumber;
        route.handler = [world, shared](const Request&, Response& response) {
            const EbayItemPage& page = *shared;
            if (page.page == "not-found") {
                response.status = 404;
                response.body = "<html><body>Not Found</body></html>\n";
            } else if (page.page == "server-error") {
                response.status = 500;
                response.body = "<html><body>Internal Server Error</body></html>\n";
            } else if (page.page == "error") {
                response.body = RenderEbayErrorPage(page.itemNumber);
            } else {
                response.body = RenderEbayItemPage(page, world->Step(page.itemNumber));
            }
            return true;
        };
        if (!table.Add(std::move(route))) {
            error = "cannot add the routes of eBay item " + item.itemNumber;
            return false;
        }
    }
    return true;
}

const SectionTypeRegistration ebayItems("ebay-item", BuildEbayItem);

std::string Cell(const std::string& content)
{
    return std::string("<td>") + kFont + content + "</font></td>\n";
}

} // namespace

std::string HtmlEscape(const std::string& text)
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

std::string RenderEbayItemPage(const EbayItemPage& item, int step)
{
    const bool labels = item.page != "missing-labels";
    const bool ended = item.endsAtStep >= 0 && step >= item.endsAtStep;
    EbayBid bid;
    bid.price = item.firstBid;
    if (!item.bids.empty())
        bid = item.bids[static_cast<std::size_t>(std::min<int>(step, static_cast<int>(item.bids.size()) - 1))];
    const std::string title = HtmlEscape(item.title);
    const std::string number = item.itemNumber;
    const std::string blank = "&nbsp;";
    auto label = [&](const char* text) { return labels ? std::string(text) : blank; };
    auto userLink = [&](const std::string& user, const std::string& rating) {
        const std::string link = "<a href=\"http://cgi3.ebay.com/aw-cgi/eBayISAPI.dll?MfcISAPICommand=ViewFeedback&userid=" +
                                 HtmlEscape(user) + "\">";
        return link + HtmlEscape(user) + "</a> (" + link + rating + "</a>)";
    };

    std::ostringstream page;
    page << "<html>\n<head>\n<title>eBay item " << number << " (Ends " << HtmlEscape(item.ends) << ") - " << title
         << "</title>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">\n</head>\n"
         << "<body bgcolor=\"#FFFFFF\" link=\"#0000FF\" vlink=\"#800080\">\n"
         << "<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" width=\"100%\">\n"
         << "<tr><td width=\"120\"><a href=\"http://www.ebay.com\"><img src=\"http://pics.ebay.com/aw/pics/navbar/"
            "ebay_logo_home.gif\" width=\"120\" height=\"34\" border=\"0\" alt=\"eBay logo\"></a></td>\n"
         << "<td>" << kFont
         << "<a href=\"http://pages.ebay.com/buy/index.html\">Browse</a> | <a href=\"http://pages.ebay.com/sell/"
            "index.html\">Sell</a> | <a href=\"http://pages.ebay.com/search/items/search.html\">Search</a></font>"
            "</td></tr>\n</table>\n"
         << "<table border=1 cellspacing=0 width=\"100%\" bgcolor=\"#99CCCC\">\n"
         << "<tr><td align=center width=\"100%\">\n"
         << "<font size=4 face=\"Arial, Helvetica\"><b>" << title << "</b></font>\n"
         << "</td></tr>\n<tr><td align=center><font size=3 face=\"Arial, Helvetica\"><b>Item #" << number
         << "</b></font></td></tr>\n</table>\n";
    if (!item.category.empty())
        page << "<table border=0 cellpadding=0 width=\"100%\"><tr><td align=center>\n" << kFont
             << "<a href=\"http://listings.ebay.com/aw/listings/list/category" << item.categoryId << "/index.html\">"
             << HtmlEscape(item.category) << "</a></font>\n</td></tr></table>\n";
    page << "<table border=0 cellpadding=0 cellspacing=0 width=\"100%\">\n<tr>\n"
         << Cell(label("Currently")) << Cell("<b>" + HtmlEscape(bid.price) + "</b>") << Cell("First bid")
         << Cell("<b>" + HtmlEscape(item.firstBid) + "</b>") << "</tr>\n<tr>\n"
         << Cell(label("Quantity")) << Cell("<b>" + HtmlEscape(item.quantity) + "</b>") << Cell("# of bids")
         << Cell("<b>" + std::to_string(bid.count) + "</b>") << "</tr>\n<tr>\n"
         << Cell("Time left")
         << Cell(ended ? std::string("Auction has ended.") : "<b>" + HtmlEscape(item.timeLeft) + "</b>")
         << Cell(label("Location")) << Cell("<b>" + HtmlEscape(item.location) + "</b>") << "</tr>\n<tr>\n"
         << Cell("Started") << Cell(labels ? HtmlEscape(item.started) : std::string("(see description)"))
         << "</tr>\n<tr>\n"
         << Cell("Ends") << Cell(HtmlEscape(item.ends)) << "</tr>\n<tr>\n"
         << Cell("Seller (Rating)") << Cell(userLink(item.seller, item.sellerRating)) << "</tr>\n";
    if (!bid.bidder.empty())
        page << "<tr>\n" << Cell(label("High bid")) << Cell(userLink(bid.bidder, "1")) << "</tr>\n";
    page << "</table>\n<hr>\n<table border=1 cellspacing=0 width=\"100%\" bgcolor=\"#99CCCC\">\n"
         << "<tr><td align=center width=\"100%\">\n<font size=4 face=\"Arial, Helvetica\"><b>Description</b>"
            "</font>\n</td></tr>\n</table>\n<blockquote>\n<font face=\"Arial\" size=3>"
         << HtmlEscape(item.description.empty() ? item.title : item.description) << "</font>\n</blockquote>\n<hr>\n"
         << "<font size=1 face=\"Arial, Helvetica\">Copyright &copy; 1995-2000 eBay Inc. All Rights Reserved."
            "</font>\n</body>\n</html>\n";
    return page.str();
}

std::string RenderEbayErrorPage(const std::string& itemNumber)
{
    return "<html>\n<head>\n<title>eBay - Invalid Item</title>\n</head>\n<body bgcolor=\"#FFFFFF\">\n"
           "<table border=0 cellpadding=4 width=\"100%\"><tr><td bgcolor=\"#FFCC00\">\n"
           "<font size=4 face=\"Arial, Helvetica\"><b>Invalid Item</b></font>\n</td></tr></table>\n"
           "<p><font size=2 face=\"Arial, Helvetica\">The item you requested (" +
           HtmlEscape(itemNumber) +
           ") is invalid, still pending, or no longer in our database.\nPlease check the item number and try "
           "again.</font>\n<p><a href=\"http://pages.ebay.com/help/index.html\">Help</a>\n</body>\n</html>\n";
}

} // namespace lwsim
