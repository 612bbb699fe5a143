#pragma once
// eBay's Browse API and its OAuth token endpoint, as the live eBay rows call them: give the
// program LOTWARDEN_EBAY_API_URL=http://127.0.0.1:PORT and these keys.
//
//   [ebay-api-token]                 (optional; these are the defaults)
//   client-id = sim-app
//   client-secret = sim-cert
//   expires-in = 7200
//   revoke-after = 0                 (item calls one token serves before a 401; 0: no limit)
//
//   [ebay-api-item 123456789012]
//   title = Tin robot
//   price = 45.00                    (currentBidPrice.value)
//   currency = USD
//   bids = 3
//   step-price = 2.50                (each step adds one bid and this much)
//   quantity = 1
//   seller = tinlover
//   category = Toys & Hobbies|Robots
//   city = Portland / region = Oregon / country = US
//   created = 2026-12-03T18:00:00.000Z
//   ends = 2026-12-10T18:00:00.000Z  (or ends-in = SECONDS from loading; negative: ended)
//   description = Winds up and walks
//   page = item | not-found
//   busy-first = 0                   (the first N calls answer 429 with Retry-After: busy-wait)
//   busy-wait = 1
//
// Every key of a [route] section applies too (status, header, body, truncate-after, body-size,
// header-delay-ms ...): a section with its own body answers that body (malformed JSON, say).
// Items answer GET /buy/browse/v1/item/get_item_by_legacy_id?legacy_item_id=N on any host,
// only with the current token and an X-EBAY-C-MARKETPLACE-ID header. /__ebay-api/step moves
// the items on (see StepControls.h).

#include <string>

namespace lwsim {

struct EbayApiItem
{
    std::string itemNumber;
    std::string page = "item";
    std::string title;
    std::string price = "1.00";
    std::string currency = "USD";
    std::string bids = "0";
    std::string stepPrice = "1.00";
    std::string quantity = "1";
    std::string seller;
    std::string category;
    std::string city;
    std::string region;
    std::string country;
    std::string created = "2026-01-01T00:00:00.000Z";
    std::string ends = "2036-01-01T00:00:00.000Z";
    std::string description;
    long busyFirst = 0;
    long busyWait = 1;
};

// The item's JSON after `step` steps, shaped like the Browse API's item.
std::string RenderEbayApiItem(const EbayApiItem& item, int step);

} // namespace lwsim
