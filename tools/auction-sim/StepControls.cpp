#include "tools/auction-sim/StepControls.h"

#include <algorithm>
#include <functional>

namespace lwsim {

void StepWorld::AddItem(const std::string& number)
{
    std::lock_guard guard(lock);
    steps.emplace_back(number, 0);
}

int StepWorld::Step(const std::string& number)
{
    std::lock_guard guard(lock);
    for (const auto& [item, step] : steps)
        if (item == number)
            return step;
    return 0;
}

std::string StepWorld::StepAll()
{
    std::lock_guard guard(lock);
    for (auto& entry : steps)
        ++entry.second;
    return "stepped " + std::to_string(steps.size()) + " items\n";
}

std::string StepWorld::StepOne(const std::string& number)
{
    std::lock_guard guard(lock);
    for (auto& entry : steps)
        if (entry.first == number)
            return "item " + number + " at step " + std::to_string(++entry.second) + "\n";
    return "no item " + number + "\n";
}

std::string StepWorld::Reset()
{
    std::lock_guard guard(lock);
    for (auto& entry : steps)
        entry.second = 0;
    return "reset\n";
}

namespace {

struct WorldEntry
{
    const RouteTable* table;
    std::string prefix;
    std::weak_ptr<StepWorld> world;
};

std::mutex worldsLock;
std::vector<WorldEntry> worlds;

bool HasRoute(const RouteTable& table, const std::string& pattern)
{
    const auto& routes = table.Routes();
    return std::any_of(routes.begin(), routes.end(), [&](const Route& r) { return r.pattern == pattern; });
}

Route ControlRoute(const std::string& pattern, std::shared_ptr<StepWorld> world,
                   std::function<std::string(StepWorld&, const Request&)> action)
{
    Route route;
    route.pattern = pattern;
    route.response.contentType = "text/plain";
    route.handler = [world, action](const Request& request, Response& response) {
        response.body = action(*world, request);
        return true;
    };
    return route;
}

} // namespace

std::shared_ptr<StepWorld> StepWorldFor(RouteTable& table, const std::string& prefix)
{
    std::lock_guard guard(worldsLock);
    worlds.erase(std::remove_if(worlds.begin(), worlds.end(), [](const WorldEntry& e) { return e.world.expired(); }),
                 worlds.end());
    // A table at the address of an earlier, destroyed one has no control routes yet.
    if (HasRoute(table, prefix + "/step")) {
        for (const WorldEntry& entry : worlds)
            if (entry.table == &table && entry.prefix == prefix)
                if (auto world = entry.world.lock())
                    return world;
    }
    auto world = std::make_shared<StepWorld>();
    worlds.push_back({&table, prefix, world});
    const std::string one = prefix + "/step/";
    table.Add(ControlRoute(prefix + "/step", world, [](StepWorld& w, const Request&) { return w.StepAll(); }));
    table.Add(ControlRoute(one + "*", world, [one](StepWorld& w, const Request& request) {
        return w.StepOne(request.path.substr(one.size()));
    }));
    table.Add(ControlRoute(prefix + "/reset", world, [](StepWorld& w, const Request&) { return w.Reset(); }));
    return world;
}

} // namespace lwsim
