#pragma once
// Yahoo Auctions item pages for the simulator, in the markup CYahooServer reads, for every
// country site, driven by scenario data:
//
//   [yahoo-item fr 7654321]          (country code, then item number)
//   title = Tin wind-up robot
//   national-title = Robot mecanique en fer blanc   (national page of a non-English country)
//   category = Toys & Games > Vintage
//   quantity = 1
//   started-at = FF 100.00
//   location = Lyon
//   seller = tinlover
//   seller-rating = 42
//   opened = Mar 5 18:30              (as the page prints it, no year)
//   closes = 20000312t183000          (the calendar link's end time)
//   closes-text = Mar 12 18:30 PST
//   time-left = 2 days 4 hrs
//   bid = 5 FF 300.00 robotfan        (one line per step: bid count, price, high bidder)
//   closed-at-step = 2                (from that step on: "Closed", and the buyer is the "Winner:")
//
// The price of a bid is everything between the count and the last word; a bid line without a
// bidder ("bid = 0 $10.00 -") shows "none" as high bidder, as does an item without bids.
// Other keys: description, page (item, error, not-found, server-error) and every key of a
// [route] section. English-language countries (us, uk, au, ca) serve one page on their item
// URL; the others serve the U.S. English rendering on the item URL + "?acc=us" and the page in
// their own language on the item URL itself.
//
// Auctions move on by steps: /__yahoo/step (every item), /__yahoo/step/NUMBER, /__yahoo/reset.

#include <string>
#include <vector>

namespace lwsim {

struct YahooBid
{
    int count = 0;
    std::string price;
    std::string bidder; // empty: "none"
};

struct YahooItemPage
{
    std::string country;
    std::string itemNumber;
    std::string page = "item";
    std::string title;
    std::string nationalTitle;
    std::string category;
    std::string quantity = "1";
    std::string startedAt;
    std::string location;
    std::string seller;
    std::string sellerRating = "0";
    std::string opened;
    std::string closes;
    std::string closesText;
    std::string timeLeft = "1 day 2 hrs";
    std::string description;
    std::vector<YahooBid> bids;
    int closedAtStep = -1; // never
};

bool IsYahooCountry(const std::string& country);
bool IsYahooEnglishCountry(const std::string& country);
// The item page URL of a country's site, without "?acc=us".
std::string YahooItemUrl(const std::string& country, const std::string& itemNumber);

// The page read for the fields: the site's own page for English countries, the U.S. English
// rendering for the others.
std::string RenderYahooItemPage(const YahooItemPage& item, int step);
// The page in the country's own language (non-English countries).
std::string RenderYahooNationalPage(const YahooItemPage& item, int step);
std::string RenderYahooErrorPage(const std::string& country);

} // namespace lwsim
