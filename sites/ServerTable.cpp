// The server table: one adapter per row, created in table order on first use and registered
// by CAuctionServer's constructor in that order.

#include "core/StringTable.h"
#include "core/options/AppOptions.h"
#include "sites/AmazonServer.h"
#include "sites/AuclandServer.h"
#include "sites/AuctionServer.h"
#include "sites/CnetServer.h"
#include "sites/EbayApiServer.h"
#include "sites/EbayServer.h"
#include "sites/ExciteServer.h"
#include "sites/IbazarServer.h"
#include "sites/YahooServer.h"
#include "text/SiteDate.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

std::vector<CAuctionServer*>& Registry()
{
    static std::vector<CAuctionServer*> registry;
    return registry;
}

struct ServerTable
{
    std::vector<std::unique_ptr<CAuctionServer>> rows;
    ServerTable()
    {
        auto add = [this](CAuctionServer* server) { rows.emplace_back(server); };
        add(new CEbayServer("Pacific", 107, "EbC", 67));
        add(new CYahooServer("Pacific", 150, "YC", 68, "us"));
        add(new CYahooServer("GMT", 158, "YCUk", 75, "uk"));
        add(new CYahooServer("AUS Eastern", 159, "YCAu", 76, "au"));
        add(new CYahooServer("Pacific", 161, "YCCa", 78, "ca"));
        add(new CYahooIntlServer("Romance", 152, "YCFr", 69, "fr"));
        add(new CYahooIntlServer("Romance", 156, "YCEs", 70, "es"));
        add(new CYahooIntlServer("Romance", 153, "YCDk", 71, "dk"));
        add(new CYahooIntlServer("W. Europe", 154, "YCDe", 72, "de"));
        add(new CYahooIntlServer("W. Europe", 155, "YCIt", 73, "it"));
        add(new CYahooIntlServer("W. Europe", 157, "YCSe", 74, "se"));
        add(new CYahooIntlServer("E. South America", 160, "YCBr", 77, "br"));
        add(new CYahooIntlServer("Mexico", 162, "YCMx", 79, "mx"));
        add(new CAmazonServer("Pacific", 164, "", 67));
        add(new CAuclandServer("Romance", 151, "AucFr", 69, CAuclandServer::kFrance));
        add(new CAuclandServer("GMT", 163, "AucUK", 80, CAuclandServer::kUnitedKingdom));
        add(new CAuclandServer("Romance", 165, "AucIt", 73, CAuclandServer::kItaly));
        add(new CAuclandServer("Romance", 166, "AucEs", 70, CAuclandServer::kSpain));
        add(new CExciteServer("Eastern", 167, "ExcC", 68));
        add(new CIbazarServer("Romance", 168, "", 69, CIbazarServer::kFrance));
        add(new CIbazarServer("W. Europe", 169, "", 73, CIbazarServer::kItaly));
        add(new CCnetServer("Pacific", 170, "CnetC", 68));
        // Today's eBay marketplaces, read through eBay's API (ids from 201; older readers keep
        // their items as items of an unknown server).
        const int regions[] = {68, 80, 72, 69, 73, 70, 209, 78};
        for (std::size_t i = 0; i < CEbayApiServer::kMarketplaces.size(); ++i)
            add(new CEbayApiServer(201 + static_cast<int>(i), regions[i], CEbayApiServer::kMarketplaces[i]));
    }
};

} // namespace

CAuctionServer::CAuctionServer(std::string timeZone, int id, std::string categories, int region)
    : timeZoneName(std::move(timeZone)), serverId(id), categoryPrefix(std::move(categories)), regionId(region)
{
    Registry().push_back(this);
}

CAuctionServer::~CAuctionServer()
{
    auto& registry = Registry();
    registry.erase(std::remove(registry.begin(), registry.end(), this), registry.end());
}

const std::vector<CAuctionServer*>& AllServers()
{
    static ServerTable table;
    return Registry();
}

CAuctionServer* FindServer(int serverId)
{
    for (CAuctionServer* server : AllServers())
        if (server->serverId == serverId)
            return server;
    return nullptr;
}

std::vector<int> AllServerIds()
{
    std::vector<int> ids;
    for (CAuctionServer* server : AllServers())
        ids.push_back(server->serverId);
    return ids;
}

CAuctionServer* FindServerForUrl(const std::string& url, std::string* itemNumber)
{
    for (CAuctionServer* server : AllServers())
        if (server->ParseItemUrl(url, itemNumber))
            return server;
    return nullptr;
}

std::vector<CAuctionServer*> SelectableServers()
{
    std::vector<CAuctionServer*> servers;
    for (CAuctionServer* server : AllServers())
        if (!IsServerRejected(static_cast<unsigned long>(server->serverId)))
            servers.push_back(server);
    return servers;
}

int DefaultServerIndex(const std::vector<CAuctionServer*>& servers)
{
    const int defaultId = std::atoi(LoadResString(12).c_str());
    for (std::size_t i = 0; i < servers.size(); ++i)
        if (servers[i]->serverId == defaultId)
            return static_cast<int>(i);
    return 0;
}

std::string CAuctionServer::GetDisplayName() const
{
    return LoadResString(serverId);
}

std::string CAuctionServer::GetDisplayLabel() const
{
    return GetDisplayName() + "   [" + LoadResString(regionId) + "]";
}

std::time_t CAuctionServer::SiteToLocal(std::time_t t) const
{
    return ::SiteToLocal(timeZoneName, t);
}

std::time_t CAuctionServer::LocalToSite(std::time_t t) const
{
    return ::LocalToSite(timeZoneName, t);
}
