#pragma once
// How simulated auctions move on: every item of a scenario load has a step, and plain control
// requests to the simulator move them on:
//   PREFIX/step            every item one step on
//   PREFIX/step/NUMBER     one item
//   PREFIX/reset           every item back to step 0
// Each site family has its own PREFIX ("/__ebay", "/__yahoo").

#include "tools/auction-sim/RouteTable.h"

#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace lwsim {

// Connection threads read the steps while a control request writes them, hence the lock.
class StepWorld
{
public:
    void AddItem(const std::string& number);
    int Step(const std::string& number);

    std::string StepAll();
    std::string StepOne(const std::string& number);
    std::string Reset();

private:
    std::mutex lock;
    std::vector<std::pair<std::string, int>> steps; // item number, step
};

// The step world of `table` for `prefix`; its control routes are added to the table on first use.
std::shared_ptr<StepWorld> StepWorldFor(RouteTable& table, const std::string& prefix);

} // namespace lwsim
