#pragma once
// Reading one item as eBay's Browse API describes it (getItem, get_item_by_legacy_id) into the
// fields the watch list keeps.

#include "sites/ItemInfo.h"

#include <ctime>
#include <string>
#include <string_view>

class CEbayApiServer;

// Fills `info` from the item JSON. `now` (UTC seconds) decides whether the auction has ended.
// Texts become Windows-1252; dates UTC wall clocks (the server's zone has no daylight time).
// False, with `problem` in words for the user, for an answer that is no item: malformed or
// truncated JSON, or eBay's own error list (an unknown or removed item).
bool ReadEbayApiItem(std::string_view json, const CEbayApiServer& server, std::time_t now, CItemInfo& info,
                     std::string& problem);

// The ISO 8601 times the API writes ("2026-12-10T18:00:00.000Z"): UTC seconds, false when the
// text is no such time.
bool ParseApiTime(const std::string& text, std::time_t& utc);
