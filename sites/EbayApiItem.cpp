#include "sites/EbayApiItem.h"

#include "core/StringTable.h"
#include "platform/Cp1252.h"
#include "sites/EbayApiServer.h"
#include "text/SiteDate.h"

#include <nlohmann/json.hpp>

#include <cstdio>

namespace {

using nlohmann::json;

// The text at `path` (member names, array index 0 for "[0]"), empty when absent or no string.
const json* Find(const json& item, std::initializer_list<const char*> path)
{
    const json* at = &item;
    for (const char* name : path) {
        if (at->is_array())
            at = at->empty() ? nullptr : &(*at)[0];
        if (at == nullptr || !at->is_object())
            return nullptr;
        const auto found = at->find(name);
        if (found == at->end())
            return nullptr;
        at = &*found;
    }
    return at;
}

std::string Text(const json& item, std::initializer_list<const char*> path)
{
    const json* value = Find(item, path);
    return value != nullptr && value->is_string() ? Cp1252FromUtf8(value->get<std::string>()) : std::string();
}

bool Integer(const json& item, std::initializer_list<const char*> path, int& out)
{
    const json* value = Find(item, path);
    if (value == nullptr || !value->is_number_integer())
        return false;
    const long long n = value->get<long long>();
    if (n < 0 || n > 2147483647LL)
        return false;
    out = static_cast<int>(n);
    return true;
}

void Append(std::string& list, const std::string& part, const char* separator)
{
    if (part.empty())
        return;
    if (!list.empty())
        list += separator;
    list += part;
}

std::string EscapeHtml(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// The description pane's page: what the API tells about the item, with a link to eBay's page.
std::string DescriptionPage(const json& item, const CItemInfo& info, const std::string& endText)
{
    std::string page = "<html><head><title>" + EscapeHtml(info.description) + "</title></head>\n<body>\n";
    const std::string image = Text(item, {"image", "imageUrl"});
    if (image.starts_with("https://") || image.starts_with("http://"))
        page += "<p><img src=\"" + EscapeHtml(image) + "\" alt=\"\" style=\"max-width:300px\"></p>\n";
    page += "<h2>" + EscapeHtml(info.description) + "</h2>\n<table>\n";
    auto row = [&page](int label, const std::string& value) {
        if (!value.empty())
            page += "<tr><td><b>" + EscapeHtml(LoadResString(label)) + "</b></td><td>" + EscapeHtml(value) +
                    "</td></tr>\n";
    };
    row(212, info.currentPrice);
    row(213, std::to_string(info.bidCount));
    row(214, endText);
    row(215, info.seller);
    row(216, info.location);
    page += "</table>\n";
    const std::string summary = Text(item, {"shortDescription"});
    if (!summary.empty())
        page += "<p>" + EscapeHtml(summary) + "</p>\n";
    const std::string web = Text(item, {"itemWebUrl"});
    if (web.starts_with("https://") || web.starts_with("http://"))
        page += "<p><a href=\"" + EscapeHtml(web) + "\">" + EscapeHtml(LoadResString(217)) + "</a></p>\n";
    return page + "</body></html>\n";
}

} // namespace

bool ParseApiTime(const std::string& text, std::time_t& utc)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, used = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%n", &year, &month, &day, &hour, &minute, &second,
                    &used) != 6 ||
        month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60 ||
        year < 1970)
        return false;
    std::size_t rest = static_cast<std::size_t>(used);
    if (rest < text.size() && text[rest] == '.')
        rest = text.find_first_not_of("0123456789", rest + 1);
    if (rest == std::string::npos || text.substr(rest) != "Z")
        return false;
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    utc = timegm(&fields);
    return utc != static_cast<std::time_t>(-1);
}

bool ReadEbayApiItem(std::string_view text, const CEbayApiServer& server, std::time_t now, CItemInfo& info,
                     std::string& problem)
{
    const json item = json::parse(text.begin(), text.end(), nullptr, false);
    if (item.is_discarded() || !item.is_object()) {
        problem = LoadResString(218);
        return false;
    }
    if (const json* errors = Find(item, {"errors"}); errors != nullptr && Find(item, {"title"}) == nullptr) {
        // {"errors":[{"errorId":11001,"message":"The specified item Id was not found."}]}
        const std::string message = Text(*errors, {"message"});
        problem = FormatText(LoadResString(219), {message.empty() ? std::string("?") : message});
        return false;
    }
    info.description = Text(item, {"title"});
    if (info.description.empty()) {
        problem = LoadResString(218);
        return false;
    }
    info.foundFlags |= kFoundDescription;

    const std::string value = Text(item, {"currentBidPrice", "value"});
    if (!value.empty()) {
        info.currentPrice = server.FormatPrice(value, Text(item, {"currentBidPrice", "currency"}));
        info.foundFlags |= kFoundCurrentPrice;
    }
    if (Integer(item, {"bidCount"}, info.bidCount)) {
        info.foundFlags |= kFoundBidCount;
        // Before the first bid the current price is the opening price; afterwards the document
        // keeps the one it learned.
        if (info.bidCount == 0 && !value.empty()) {
            info.initialPrice = info.currentPrice;
            info.foundFlags |= kFoundInitialPrice;
        }
    }
    if (Integer(item, {"estimatedAvailabilities", "estimatedAvailableQuantity"}, info.quantity))
        info.foundFlags |= kFoundQuantity;
    info.seller = Text(item, {"seller", "username"});
    if (!info.seller.empty())
        info.foundFlags |= kFoundSeller;

    std::time_t utc = 0;
    if (ParseApiTime(Text(item, {"itemCreationDate"}), utc)) {
        info.startDate = ValueOfWallClock(static_cast<ClockReading>(utc));
        info.foundFlags |= kFoundStartDate;
    }
    std::string endText;
    bool ended = false;
    if (ParseApiTime(Text(item, {"itemEndDate"}), utc)) {
        info.endDate = ValueOfWallClock(static_cast<ClockReading>(utc));
        info.foundFlags |= kFoundEndDate;
        ended = utc <= now;
        endText = Text(item, {"itemEndDate"});
        endText.replace(endText.find('T'), 1, " ");
        endText = endText.substr(0, 16) + " UTC";
    }
    if (Text(item, {"estimatedAvailabilities", "estimatedAvailabilityStatus"}) == "OUT_OF_STOCK")
        ended = true;
    info.finished = ended ? 1 : 0;
    info.foundFlags |= kFoundFinished;

    std::string category = Text(item, {"categoryPath"});
    for (char& c : category)
        if (c == '|')
            c = ':';
    if (!category.empty()) {
        info.category = std::move(category);
        info.foundFlags |= kFoundCategory;
    }
    std::string location;
    Append(location, Text(item, {"itemLocation", "city"}), ", ");
    Append(location, Text(item, {"itemLocation", "stateOrProvince"}), ", ");
    Append(location, Text(item, {"itemLocation", "country"}), ", ");
    if (!location.empty()) {
        info.location = std::move(location);
        info.foundFlags |= kFoundLocation;
    }
    // eBay names no high bidder: the buyer stays unknown.
    info.pageText = DescriptionPage(item, info, endText);
    info.foundFlags |= kFoundPageText;
    return true;
}
