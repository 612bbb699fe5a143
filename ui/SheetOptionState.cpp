#include "ui/SheetOptionState.h"

#include <algorithm>

std::vector<int> ChosenServers(const std::vector<int>& all, const std::vector<unsigned long>& rejected)
{
    std::vector<int> chosen;
    for (int id : all)
        if (std::find(rejected.begin(), rejected.end(), static_cast<unsigned long>(id)) == rejected.end())
            chosen.push_back(id);
    return chosen;
}

std::vector<unsigned long> RejectedServers(const std::vector<int>& all, const std::vector<int>& chosen)
{
    std::vector<unsigned long> rejected;
    for (int id : all)
        if (std::find(chosen.begin(), chosen.end(), id) == chosen.end())
            rejected.push_back(static_cast<unsigned long>(id));
    return rejected;
}

bool TriggerHasEnd(int trigger)
{
    return trigger == 2 || trigger == 4;
}

bool TriggerHasBuyer(int trigger)
{
    return trigger == 3 || trigger == 4;
}

int TriggerFromChecks(bool end, bool buyer)
{
    if (end && buyer)
        return 4;
    if (buyer)
        return 3;
    return end ? 2 : 1;
}

std::string SoundFileToStore(bool customSound, const std::string& fileName)
{
    return customSound ? fileName : std::string();
}

ChooserLists OpenChooser(const std::vector<int>& all, const std::vector<int>& selected,
                         const std::function<std::string(int)>& textOf)
{
    ChooserLists lists;
    lists.available = all;
    for (int id : selected) {
        const auto at = std::find(lists.available.begin(), lists.available.end(), id);
        if (at == lists.available.end() || textOf(id).empty())
            continue;
        lists.available.erase(at);
        lists.chosen.push_back(id);
    }
    return lists;
}
