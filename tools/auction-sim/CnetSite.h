#pragma once
// CNET Auctions item pages for the simulator, in the markup CCnetServer reads: the item form,
// its rendering with the current high bidders ("&languagePreference=_1"), and the winning bids
// of a closed auction.
//
//   [cnet-item 10482]
//   title = IBM ThinkPad 600E
//   category = Notebooks: PC Notebooks  (the navigation table between Auctions and the item)
//   quantity = 1
//   bids = 5
//   closing = 03/12/2000 06:30 PM PST
//   current-bid = $1,125.00
//   starting-bid = $800.00
//   location = San Jose, CA
//   seller = laptopdepot
//   next-bid = $1,150.00
//   high-bidder = notebookfan           (named only by the second rendering)
//   closed = yes                        (the page lists the winning bids instead)
//   winner = dimmdude 1 $121.00         (winning bids of a closed auction: bidder, quantity, amount)
//
// Texts are plain; the page escapes them. `page` is item, error or not-found; every key of a
// [route] section applies too.

#include <string>
#include <vector>

namespace lwsim {

struct CnetItemPage
{
    std::string itemNumber;
    std::string page = "item";
    std::string title;
    std::string category;
    std::string quantity = "1";
    std::string bids = "0";
    std::string closing;
    std::string currentBid;
    std::string startingBid;
    std::string location;
    std::string seller;
    std::string nextBid;
    std::string highBidder;
    bool closed = false;
    std::vector<std::string> winners;
};

// `bidders`: the rendering that names the current high bidders.
std::string RenderCnetItemPage(const CnetItemPage& item, bool bidders);
std::string RenderCnetErrorPage();

} // namespace lwsim
