#pragma once
// Stands in for a site family whose adapter is not written yet: it recognises no URL and
// reads nothing, but keeps the row's id, name, region and zone so items of that site survive.

#include "sites/AuctionServer.h"

class CPlaceholderServer : public CAuctionServer
{
public:
    using CAuctionServer::CAuctionServer;
    std::string BuildSearchUrl(const CSearchRequest&) override { return {}; }
    void GetSearchDefaults(CSearchRequest& request) override { request.optionMask = 0; }
    std::string GetItemUrlPrefix() override { return {}; }
    bool ParseItemUrl(const std::string&, std::string*) override { return false; }
};
