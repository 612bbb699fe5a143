#pragma once
// Excite Auctions lot pages and bid histories for the simulator, in the markup CExciteServer
// reads.
//
//   [excite-lot 4417]
//   title = 1921 Morgan silver dollar
//   category = Collectibles > Coins     (the navigation path between Auction Home and Listing)
//   quantity = 1
//   bids = 4
//   time-remaining = 2 days 3 hours     ("Closed" for an ended lot)
//   high-bid = $42.50                   (no line: "No bids yet")
//   opening-bid = $20.00
//   location = Boston, MA
//   seller = coinhound
//   open-date = 12/28 10AM              (month/day and hour, no year, as the site prints them)
//   close-date = 1/4 9PM
//   bidder = silverfox $42.50           (bid history rows, highest first; the first is the high bidder)
//
// Texts are plain; the page escapes them. `page` is lot, error or not-found; every key of a
// [route] section applies too. The lot answers on its four lot URL forms and its bid history.

#include <string>
#include <vector>

namespace lwsim {

struct ExciteLotPage
{
    std::string lotNumber;
    std::string page = "lot";
    std::string title;
    std::string category;
    std::string quantity = "1";
    std::string bids = "0";
    std::string timeRemaining = "1 day 2 hours";
    std::string highBid;
    std::string openingBid;
    std::string location;
    std::string seller;
    std::string openDate;
    std::string closeDate;
    std::vector<std::string> bidders; // "name amount"
};

std::string RenderExciteLotPage(const ExciteLotPage& lot);
std::string RenderExciteBidHistory(const ExciteLotPage& lot);
std::string RenderExciteErrorPage();

} // namespace lwsim
