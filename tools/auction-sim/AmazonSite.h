#pragma once
// Amazon Auctions item pages for the simulator, in the markup CAmazonServer reads.
//
//   [amazon-item 12345678]
//   title = Star Wars Boba Fett figure 1979
//   category = Toys & Games / Action Figures
//   current-bid = $27.50            (no line: the page shows no current bid)
//   minimum-bid = $28.50
//   bids = 3
//   starting-bid = $5.00
//   quantity = 1
//   high-bidder = fettcollector     (no line: "No bids.")
//   seller = galaxytoys
//   location = Seattle, WA
//   started = 03/05/00 18:30:00 PST
//   closes = 03/12/00 18:30:00 PST
//   closes-in = 2 days, 4 hours     ("Closed." for an ended auction)
//
// Texts are plain; the page escapes them. `page` is item, error or not-found; every key of a
// [route] section applies too. The item answers on both item URL forms of the item host.

#include <string>

namespace lwsim {

struct AmazonItemPage
{
    std::string itemNumber;
    std::string page = "item";
    std::string title;
    std::string category;
    std::string currentBid;
    std::string minimumBid;
    std::string bids = "0";
    std::string startingBid;
    std::string quantity = "1";
    std::string highBidder;
    std::string seller;
    std::string location;
    std::string started;
    std::string closes;
    std::string closesIn = "1 day, 2 hours";
};

std::string RenderAmazonItemPage(const AmazonItemPage& item);
std::string RenderAmazonErrorPage();

} // namespace lwsim
