#pragma once
// Aucland item pages for the simulator, on its four national sites, in the markup
// CAuclandServer reads: the item page and the item's bid history ("&VH=1").
//
//   [aucland-item fr 4711]           (fr, uk, it or es, then the item number)
//   title = Portable IBM ThinkPad 600E
//   category = Informatique : Portables
//   seller = infoplus
//   quantity = 1
//   starting-price = 1 500,00 FF
//   next-bid = 2 100,00 FF
//   time-left = 2 jours 3 heures     (closed = yes: the site's "auction closed" text instead)
//   bid = jeanmi 2 000,00 FF         (one line per bid, highest first: bidder, then price)
//   bid = paulo 1 800,00 FF
//
// The item page names only the high bidder and no count of bids; the history lists every bid.
// An item without bid lines shows no bidder. Texts are Windows-1252 bytes, written as they are.
// `page` is item or not-found; every key of a [route] section applies to both pages.

#include <string>
#include <utility>
#include <vector>

namespace lwsim {

struct AuclandItemPage
{
    std::string country; // fr, uk, it, es
    std::string itemNumber;
    std::string page = "item";
    std::string title;
    std::string category;
    std::string seller;
    std::string quantity = "1";
    std::string startingPrice;
    std::string nextBid;
    std::string timeLeft;
    bool closed = false;
    std::vector<std::pair<std::string, std::string>> bids; // bidder, price
};

// The host of a country code, empty for an unknown one.
std::string AuclandHost(const std::string& country);
std::string RenderAuclandItemPage(const AuclandItemPage& item, bool history);

} // namespace lwsim
