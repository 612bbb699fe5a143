#pragma once
// eBay item pages for the simulator, in the markup CEbayServer reads, driven by scenario data.
//
//   [ebay-item 1234567890]
//   title = Vintage tin wind-up robot & original box
//   category = Toys & Hobbies
//   category-id = 220
//   first-bid = $10.00
//   location = Chicago, IL
//   seller = tinlover
//   started = 03/05/00 18:30:00 PST
//   ends = 03/12/00 18:30:00 PST
//   time-left = 2 days, 4 hours +
//   bid = 12 $45.00 robotfan      (one line per step: bid count, current price, high bidder)
//   bid = 13 $47.50 m&m_toys
//   ends-at-step = 2              (from that step on the page says "Auction has ended.")
//
// Texts are plain; the page escapes them. Other keys: quantity, description, seller-rating,
// page (item, missing-labels, error, not-found, server-error) and every key of a [route]
// section (faults such as header-delay-ms). The item answers on the item URL of the item host
// and of its six numbered variants, so the program reaches it through http_proxy unchanged.
//
// The auctions move on by steps, through plain requests to the simulator:
//   /__ebay/step            every item of the scenario one step on
//   /__ebay/step/NUMBER     one item
//   /__ebay/reset           every item back to step 0
// A step past the last bid line keeps the last one.

#include <string>
#include <vector>

namespace lwsim {

struct EbayBid
{
    int count = 0;
    std::string price;
    std::string bidder; // empty: no high bidder shown
};

struct EbayItemPage
{
    std::string itemNumber;
    std::string page = "item";
    std::string title;
    std::string category;
    std::string categoryId = "1";
    std::string quantity = "1";
    std::string firstBid;
    std::string location;
    std::string seller;
    std::string sellerRating = "0";
    std::string started;
    std::string ends;
    std::string timeLeft = "1 days, 2 hours +";
    std::string description;
    std::vector<EbayBid> bids;
    int endsAtStep = -1; // never
};

// The HTML of `item` at `step`.
std::string RenderEbayItemPage(const EbayItemPage& item, int step);
std::string RenderEbayErrorPage(const std::string& itemNumber);
std::string HtmlEscape(const std::string& text);

} // namespace lwsim
