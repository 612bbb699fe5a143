#include "tools/auction-sim/EbayApiSite.h"

#include "tools/auction-sim/HttpMessage.h"
#include "tools/auction-sim/Scenario.h"
#include "tools/auction-sim/StepControls.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <mutex>

namespace lwsim {

namespace {

using nlohmann::json;

constexpr const char* kTokenPath = "/identity/v1/oauth2/token";
constexpr const char* kItemPath = "/buy/browse/v1/item/get_item_by_legacy_id?legacy_item_id=";

// The token endpoint's keys and the one token it has handed out last.
struct ApiTokens
{
    std::mutex lock;
    std::string clientId = "sim-app";
    std::string clientSecret = "sim-cert";
    long expiresIn = 7200;
    int revokeAfter = 0;
    int issued = 0;
    std::string current;
    int uses = 0;

    bool Accept(const Request& request)
    {
        const std::string* given = request.Header("authorization");
        std::lock_guard guard(lock);
        if (given == nullptr || current.empty() || *given != "Bearer " + current)
            return false;
        if (revokeAfter > 0 && uses >= revokeAfter)
            return false;
        ++uses;
        return true;
    }
};

void JsonAnswer(Response& response, int status, const json& body)
{
    response.status = status;
    response.contentType = "application/json";
    response.body = body.dump() + "\n";
}

json ErrorList(int id, const std::string& message)
{
    return {{"errors", json::array({{{"errorId", id}, {"domain", "API_BROWSE"}, {"message", message}}})}};
}

struct TokensEntry
{
    const RouteTable* table;
    std::shared_ptr<ApiTokens> tokens;
};
std::mutex tokensLock;
std::vector<TokensEntry> tokenTables;

// The token state of `table`; its endpoint is added to the table on first use.
std::shared_ptr<ApiTokens> TokensFor(RouteTable& table)
{
    std::lock_guard guard(tokensLock);
    // A table at the address of an earlier one that is gone has no token route yet.
    const auto& routes = table.Routes();
    const bool hasRoute =
        std::any_of(routes.begin(), routes.end(), [](const Route& r) { return r.pattern == kTokenPath; });
    std::erase_if(tokenTables, [&](const TokensEntry& entry) { return entry.table == &table && !hasRoute; });
    for (const TokensEntry& entry : tokenTables)
        if (entry.table == &table)
            return entry.tokens;
    auto tokens = std::make_shared<ApiTokens>();
    Route route;
    route.pattern = kTokenPath;
    route.handler = [tokens](const Request& request, Response& response) {
        std::lock_guard lock(tokens->lock);
        const std::string* given = request.Header("authorization");
        if (request.method != "POST" || given == nullptr ||
            *given != "Basic " + Base64Encode(tokens->clientId + ":" + tokens->clientSecret)) {
            JsonAnswer(response, 401,
                       {{"error", "invalid_client"}, {"error_description", "client authentication failed"}});
            return true;
        }
        tokens->current = "sim-token-" + std::to_string(++tokens->issued);
        tokens->uses = 0;
        JsonAnswer(response, 200,
                   {{"access_token", tokens->current},
                    {"expires_in", tokens->expiresIn},
                    {"token_type", "Application Access Token"}});
        return true;
    };
    table.Add(std::move(route));
    tokenTables.push_back({&table, tokens});
    return tokens;
}

bool ToNumber(const std::string& text, long& out)
{
    char* end = nullptr;
    out = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && end != nullptr && *end == '\0';
}

std::string IsoTime(std::time_t t)
{
    std::tm fields{};
    gmtime_r(&t, &fields);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S.000Z", &fields);
    return text;
}

bool BuildTokenSection(const ScenarioSection& section, RouteTable& table, std::string& error)
{
    const std::shared_ptr<ApiTokens> tokens = TokensFor(table);
    std::lock_guard guard(tokens->lock);
    for (const auto& [key, value] : section.entries) {
        long number = 0;
        if (key == "client-id") {
            tokens->clientId = value;
        } else if (key == "client-secret") {
            tokens->clientSecret = value;
        } else if (key == "expires-in" && ToNumber(value, number) && number >= 0) {
            tokens->expiresIn = number;
        } else if (key == "revoke-after" && ToNumber(value, number) && number >= 0 && number < 1000000) {
            tokens->revokeAfter = static_cast<int>(number);
        } else {
            error = "unknown or bad key of [ebay-api-token]: '" + key + "'";
            return false;
        }
    }
    return true;
}

bool BuildItem(const ScenarioSection& section, RouteTable& table, std::string& error)
{
    EbayApiItem item;
    item.itemNumber = section.name;
    if (item.itemNumber.empty() || item.itemNumber.find_first_not_of("0123456789") != std::string::npos) {
        error = "an eBay API item number is made of digits: '" + item.itemNumber + "'";
        return false;
    }
    Route route;
    const std::pair<const char*, std::string EbayApiItem::*> texts[] = {
        {"title", &EbayApiItem::title},
        {"price", &EbayApiItem::price},
        {"currency", &EbayApiItem::currency},
        {"bids", &EbayApiItem::bids},
        {"step-price", &EbayApiItem::stepPrice},
        {"quantity", &EbayApiItem::quantity},
        {"seller", &EbayApiItem::seller},
        {"category", &EbayApiItem::category},
        {"city", &EbayApiItem::city},
        {"region", &EbayApiItem::region},
        {"country", &EbayApiItem::country},
        {"created", &EbayApiItem::created},
        {"ends", &EbayApiItem::ends},
        {"description", &EbayApiItem::description},
        {"page", &EbayApiItem::page}};
    for (const auto& [key, value] : section.entries) {
        auto text = std::find_if(std::begin(texts), std::end(texts), [&](auto& t) { return key == t.first; });
        long seconds = 0;
        if (text != std::end(texts))
            item.*(text->second) = value;
        else if (key == "ends-in" && ToNumber(value, seconds))
            item.ends = IsoTime(std::time(nullptr) + seconds);
        else if (key == "busy-first" && ToNumber(value, item.busyFirst) && item.busyFirst >= 0)
            continue;
        else if (key == "busy-wait" && ToNumber(value, item.busyWait) && item.busyWait >= 0)
            continue;
        else if (!ApplyRouteKey(key, value, section.baseDir, route, error))
            return false;
    }
    if (item.page != "item" && item.page != "not-found") {
        error = "unknown eBay API page kind '" + item.page + "'";
        return false;
    }
    if (item.title.empty())
        item.title = "Item " + item.itemNumber;
    auto shared = std::make_shared<const EbayApiItem>(item);
    std::shared_ptr<ApiTokens> tokens = TokensFor(table);
    std::shared_ptr<StepWorld> world = StepWorldFor(table, "/__ebay-api");
    world->AddItem(item.itemNumber);
    route.pattern = std::string(kItemPath) + item.itemNumber;
    auto calls = std::make_shared<std::atomic<long>>(0);
    route.handler = [shared, tokens, world, calls](const Request& request, Response& response) {
        if (!tokens->Accept(request)) {
            JsonAnswer(response, 401, ErrorList(1001, "Invalid access token"));
            return true;
        }
        if (++*calls <= shared->busyFirst) {
            JsonAnswer(response, 429, ErrorList(2001, "Too many requests."));
            response.headers.emplace_back("Retry-After", std::to_string(shared->busyWait));
            return true;
        }
        const std::string* market = request.Header("x-ebay-c-marketplace-id");
        if (market == nullptr || market->empty()) {
            JsonAnswer(response, 400, ErrorList(11500, "The marketplace header is missing."));
            return true;
        }
        // A section's own answer (a fault) is served as it stands.
        if (!response.body.empty() || response.generatedSize >= 0 || response.status != 200)
            return true;
        if (shared->page == "not-found") {
            JsonAnswer(response, 404, ErrorList(11001, "The specified item Id was not found."));
            return true;
        }
        response.contentType = "application/json";
        response.body = RenderEbayApiItem(*shared, world->Step(shared->itemNumber));
        return true;
    };
    if (!table.Add(std::move(route))) {
        error = "cannot add the route of eBay API item " + item.itemNumber;
        return false;
    }
    return true;
}

const SectionTypeRegistration tokenSections("ebay-api-token", BuildTokenSection);
const SectionTypeRegistration itemSections("ebay-api-item", BuildItem);

// "45.00" plus `steps` times "2.50", in cents.
std::string AddSteps(const std::string& price, const std::string& step, int steps)
{
    const auto cents = [](const std::string& text) {
        return static_cast<long long>(std::llround(std::strtod(text.c_str(), nullptr) * 100));
    };
    const long long total = cents(price) + cents(step) * steps;
    char text[40];
    std::snprintf(text, sizeof text, "%lld.%02lld", total / 100, total % 100);
    return text;
}

} // namespace

std::string RenderEbayApiItem(const EbayApiItem& item, int step)
{
    const int bids = std::atoi(item.bids.c_str()) + step;
    json body = {
        {"itemId", "v1|" + item.itemNumber + "|0"},
        {"legacyItemId", item.itemNumber},
        {"title", item.title},
        {"currentBidPrice",
         {{"value", AddSteps(item.price, item.stepPrice, step)}, {"currency", item.currency}}},
        {"bidCount", bids},
        {"buyingOptions", json::array({"AUCTION"})},
        {"estimatedAvailabilities",
         json::array({{{"estimatedAvailableQuantity", std::atoi(item.quantity.c_str())},
                       {"estimatedAvailabilityStatus", "IN_STOCK"}}})},
        {"seller", {{"username", item.seller}, {"feedbackScore", 100}}},
        {"itemCreationDate", item.created},
        {"itemEndDate", item.ends},
        {"itemWebUrl", "https://www.ebay.com/itm/" + item.itemNumber},
        {"image", {{"imageUrl", "https://i.ebayimg.com/images/g/sim/s-l1600.jpg"}}},
    };
    if (!item.category.empty())
        body["categoryPath"] = item.category;
    if (!item.description.empty())
        body["shortDescription"] = item.description;
    json location = json::object();
    for (const auto& [key, value] :
         {std::pair{"city", &item.city}, std::pair{"stateOrProvince", &item.region},
          std::pair{"country", &item.country}})
        if (!value->empty())
            location[key] = *value;
    if (!location.empty())
        body["itemLocation"] = location;
    return body.dump(2) + "\n";
}

} // namespace lwsim
