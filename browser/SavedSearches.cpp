#include "browser/SavedSearches.h"

#include "core/StringTable.h"
#include "platform/SettingsStore.h"

#include <string>

namespace
{
constexpr int kStrSearchTitle = 16;
constexpr int kStrSearchTitleNumbered = 17;
constexpr int kStrSearchPage = 984;

std::string Slot(const char* name, int slot)
{
    return name + std::to_string(slot);
}

// Sort bits in list order, with their titles; bit 256 repeats the title of bit 64.
constexpr CSortChoice kSortTable[] = {
    {CSearchRequest::kSortEndDate, 117},    {CSearchRequest::kSortStartDate, 116},
    {CSearchRequest::kSortCurrentPrice, 112}, {CSearchRequest::kSortRanking, 42},
    {CSearchRequest::kSortPhoto, 51},       {CSearchRequest::kSortDescription, 104},
    {CSearchRequest::kSortBidCount, 115},   {CSearchCapabilities::kSortDescriptionAlt, 104},
};

bool Both(int savedMask, int currentMask, int bit)
{
    return (savedMask & bit) != 0 && (currentMask & bit) != 0;
}
} // namespace

CSearchRequest ToSearchRequest(const CSavedSearch& search)
{
    CSearchRequest request;
    request.textOnly = search.textOnly;
    request.searchDescriptions = search.searchDescriptions;
    request.ascending = search.ascending;
    request.categoryIndex = search.categoryIndex;
    request.optionMask = search.searchOptionsMask;
    request.sortMask = search.sortOptionsMask;
    request.sortKey = search.sortKey;
    request.query = search.searchString;
    return request;
}

void CSavedSearchList::Load(const ISettingsStore& store, const std::function<bool(int)>& serverKnown)
{
    entries.clear();
    for (int n = 0;; ++n) {
        CSavedSearch search;
        search.searchString = store.GetString(kSection, Slot("String", n));
        if (search.searchString.empty())
            break;
        search.textOnly = store.GetInt(kSection, Slot("TextOnly", n), 0) != 0;
        search.searchDescriptions = store.GetInt(kSection, Slot("SearchDesc", n), 0) != 0;
        search.searchOptionsMask = store.GetInt(kSection, Slot("Options", n), 0);
        search.sortOptionsMask = store.GetInt(kSection, Slot("SortOpt", n), 0);
        search.ascending = store.GetInt(kSection, Slot("Asc", n), 1) != 0;
        search.sortKey = store.GetInt(kSection, Slot("Sort", n), 0);
        search.categoryIndex = store.GetInt(kSection, Slot("Category", n), 0);
        search.serverId = store.GetInt(kSection, Slot("Server", n), -1);
        if (search.serverId == -1 || !serverKnown(search.serverId))
            break;
        entries.push_back(std::move(search));
    }
}

void CSavedSearchList::Save(ISettingsStore& store) const
{
    int n = 0;
    for (; n < kSlotCount && n < Count(); ++n) {
        const CSavedSearch& search = entries[static_cast<std::size_t>(n)];
        store.WriteString(kSection, Slot("String", n), search.searchString);
        store.WriteInt(kSection, Slot("TextOnly", n), search.textOnly ? 1 : 0);
        store.WriteInt(kSection, Slot("SearchDesc", n), search.searchDescriptions ? 1 : 0);
        store.WriteInt(kSection, Slot("Options", n), search.searchOptionsMask);
        store.WriteInt(kSection, Slot("SortOpt", n), search.sortOptionsMask);
        store.WriteInt(kSection, Slot("Asc", n), search.ascending ? 1 : 0);
        store.WriteInt(kSection, Slot("Sort", n), search.sortKey);
        store.WriteInt(kSection, Slot("Category", n), search.categoryIndex);
        store.WriteInt(kSection, Slot("Server", n), search.serverId);
    }
    for (; n < kSlotCount; ++n)
        if (store.HasValue(kSection, Slot("String", n)))
            store.RemoveValue(kSection, Slot("String", n));
}

int CSavedSearchList::Find(const std::string& text) const
{
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].searchString == text)
            return static_cast<int>(i);
    return -1;
}

CSavedSearch CSavedSearchList::Take(int position)
{
    CSavedSearch search = std::move(entries.at(static_cast<std::size_t>(position)));
    entries.erase(entries.begin() + position);
    return search;
}

void CSavedSearchList::PushFront(CSavedSearch search)
{
    entries.insert(entries.begin(), std::move(search));
}

bool CSavedSearchList::PrepareLaunch(int selected, const std::string& text, bool findEnabled,
                                     const CSavedSearch& settings, CSavedSearch* launched)
{
    bool have = false;
    std::string searchText;
    if (selected >= 0 && selected < Count()) {
        searchText = Take(selected).searchString;
        have = true;
    } else if (const int existing = Find(text); existing >= 0) {
        searchText = Take(existing).searchString;
        have = true;
    } else if (!text.empty()) {
        searchText = text;
        have = true;
    }
    if (!have && findEnabled)
        return false;
    CSavedSearch search = settings;
    search.searchString = have ? searchText : std::string();
    if (have)
        PushFront(search);
    if (launched)
        *launched = std::move(search);
    return true;
}

int CSearchCapabilities::SortChoiceIndex(int bit) const
{
    for (std::size_t i = 0; i < sortChoices.size(); ++i)
        if (sortChoices[i].bit == bit)
            return static_cast<int>(i);
    return 0;
}

std::vector<CSortChoice> SortChoicesFor(int sortMask)
{
    std::vector<CSortChoice> choices;
    for (const CSortChoice& choice : kSortTable)
        if (sortMask & choice.bit)
            choices.push_back(choice);
    return choices;
}

CSearchCapabilities GetSearchCapabilities(CAuctionServer& server)
{
    CSearchCapabilities caps;
    caps.serverId = server.serverId;
    server.GetSearchDefaults(caps.defaults);
    if (caps.HasCategories())
        server.GetCategoryNames(caps.categories);
    caps.sortChoices = SortChoicesFor(caps.defaults.sortMask);
    return caps;
}

CSearchControls DefaultControls(const CSearchCapabilities& caps)
{
    CSearchControls controls;
    controls.searchDescriptions = caps.defaults.searchDescriptions;
    controls.textOnly = caps.defaults.textOnly;
    controls.ascending = caps.defaults.ascending;
    controls.categoryIndex = 0;
    controls.sortIndex = caps.SortChoiceIndex(caps.defaults.sortKey);
    return controls;
}

CSearchControls RestoreControls(const CSavedSearch& saved, const CSearchCapabilities& caps,
                                const CSearchControls& current)
{
    CSearchControls controls = current;
    const int options = caps.OptionMask();
    const int sorts = caps.SortMask();
    if (Both(saved.searchOptionsMask, options, CSearchRequest::kOptDescriptions))
        controls.searchDescriptions = saved.searchDescriptions;
    if (Both(saved.searchOptionsMask, options, CSearchRequest::kOptTextOnly))
        controls.textOnly = saved.textOnly;
    if (Both(saved.sortOptionsMask, sorts, CSearchRequest::kOptSortDirection))
        controls.ascending = saved.ascending;
    controls.sortIndex =
        saved.sortKey != 0 && Both(saved.sortOptionsMask, sorts, saved.sortKey) ? caps.SortChoiceIndex(saved.sortKey) : 0;
    const bool categoryKept = Both(saved.searchOptionsMask, options, CSearchRequest::kOptCategory) &&
                              saved.serverId == caps.serverId && saved.categoryIndex >= 0 &&
                              saved.categoryIndex < static_cast<int>(caps.categories.size());
    controls.categoryIndex = categoryKept ? saved.categoryIndex : 0;
    return controls;
}

CSavedSearch SettingsFromControls(const CSearchCapabilities& caps, const CSearchControls& controls)
{
    CSavedSearch search;
    search.serverId = caps.serverId;
    search.searchOptionsMask = caps.OptionMask();
    search.sortOptionsMask = caps.SortMask();
    search.searchDescriptions = caps.HasDescriptions() ? controls.searchDescriptions : caps.defaults.searchDescriptions;
    search.textOnly = caps.HasTextOnly() ? controls.textOnly : caps.defaults.textOnly;
    search.ascending = caps.HasDirection() ? controls.ascending : caps.defaults.ascending;
    search.categoryIndex = caps.HasCategories() && controls.categoryIndex >= 0 ? controls.categoryIndex : 0;
    if (caps.HasSort() && controls.sortIndex >= 0 && controls.sortIndex < static_cast<int>(caps.sortChoices.size()))
        search.sortKey = caps.sortChoices[static_cast<std::size_t>(controls.sortIndex)].bit;
    else
        search.sortKey = caps.defaults.sortKey;
    return search;
}

std::string ChooseTempPageName(const std::string& folder, const std::function<bool(const std::string&)>& exists)
{
    const std::string base = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    std::string path = base + "temp.html";
    for (int n = 1; exists(path); ++n)
        path = base + "temp" + std::to_string(n) + ".html";
    return path;
}

std::string ChooseSearchWindowTitle(const std::vector<std::string>& openTitles)
{
    for (int n = 1;; ++n) {
        const std::string title = n == 1 ? LoadResString(kStrSearchTitle)
                                         : FormatText(LoadResString(kStrSearchTitleNumbered), {std::to_string(n)});
        bool used = false;
        for (const std::string& open : openTitles)
            used = used || open.find(title) != std::string::npos;
        if (!used)
            return title;
    }
}

std::string SearchPageText(const std::string& title, const std::string& serverName, const std::string& url)
{
    return FormatText(LoadResString(kStrSearchPage), {title, serverName, url});
}
