#pragma once
// The Find Items window's model: the saved searches (the last ten launched, most recent
// first, kept under the settings section "Find Items"), a server's search capabilities, and
// the rules that turn the window's choices into a site's search request.

#include "sites/AuctionServer.h"

#include <functional>
#include <string>
#include <vector>

class ISettingsStore;

// One entry of the Find list; its text is the search string.
struct CSavedSearch
{
    std::string searchString;
    int serverId = -1;
    bool textOnly = false;
    bool searchDescriptions = false;
    bool ascending = true;
    int categoryIndex = 0;
    int searchOptionsMask = 0;
    int sortOptionsMask = 0;
    int sortKey = 0;
};

// The request a site's adapter builds its search URL from.
CSearchRequest ToSearchRequest(const CSavedSearch& search);

class CSavedSearchList
{
public:
    static constexpr int kSlotCount = 10;
    static constexpr const char* kSection = "Find Items";

    // Reads slots 0, 1, ... until a slot without text, or one whose server is -1 or for which
    // `serverKnown` says no (which drops that slot and the ones after it).
    void Load(const ISettingsStore& store, const std::function<bool(int serverId)>& serverKnown);
    // Writes the first ten entries to slots 0..9 and removes the text of the unused slots, so
    // that entries dropped at loading do not come back.
    void Save(ISettingsStore& store) const;

    const std::vector<CSavedSearch>& Entries() const { return entries; }
    int Count() const { return static_cast<int>(entries.size()); }
    // Position of the entry whose text is exactly `text`, or -1.
    int Find(const std::string& text) const;
    CSavedSearch Take(int position);
    void PushFront(CSavedSearch search);
    void Append(CSavedSearch search) { entries.push_back(std::move(search)); }

    // Launch steps 1 to 3. `selected` is the chosen Find list entry (-1 for none), `text` the
    // Find field, `findEnabled` whether the server takes search words, `settings` the window's
    // choices (all fields but the text). Returns false when nothing may be launched. Otherwise
    // *launched holds the request's search: the saved search now at the top of the list, or,
    // for a server without search words and no saved search, `settings` with an empty text.
    bool PrepareLaunch(int selected, const std::string& text, bool findEnabled, const CSavedSearch& settings,
                       CSavedSearch* launched);

private:
    std::vector<CSavedSearch> entries;
};

// One entry of the "S&ort by:" list: its sort bit and the string id of its title.
struct CSortChoice
{
    int bit;
    int titleId;
};

// What a server offers the Find Items window.
struct CSearchCapabilities
{
    enum : int { kSortDescriptionAlt = 256 };
    int serverId = -1;
    CSearchRequest defaults;
    std::vector<std::string> categories; // filled only when the category bit is set
    std::vector<CSortChoice> sortChoices;  // in the order of the sort bits

    int OptionMask() const { return defaults.optionMask; }
    int SortMask() const { return defaults.sortMask; }
    bool TakesText() const { return defaults.optionMask != 0; }
    bool HasDescriptions() const { return (defaults.optionMask & CSearchRequest::kOptDescriptions) != 0; }
    bool HasTextOnly() const { return (defaults.optionMask & CSearchRequest::kOptTextOnly) != 0; }
    bool HasCategories() const { return (defaults.optionMask & CSearchRequest::kOptCategory) != 0; }
    bool HasSort() const { return defaults.sortMask != 0; }
    bool HasDirection() const { return (defaults.sortMask & CSearchRequest::kOptSortDirection) != 0; }
    // Position in sortChoices of the entry for `bit`, else 0.
    int SortChoiceIndex(int bit) const;
};

CSearchCapabilities GetSearchCapabilities(CAuctionServer& server);
// The sort entries a sort mask offers, each with its title string id.
std::vector<CSortChoice> SortChoicesFor(int sortMask);

// The state of the window's option controls, as the model sees them.
struct CSearchControls
{
    bool searchDescriptions = false;
    bool textOnly = false;
    bool ascending = true;
    int categoryIndex = 0;
    int sortIndex = 0; // position in the capabilities' sortChoices
};

// The controls right after a server is selected: its defaults, the sort entry of its default key.
CSearchControls DefaultControls(const CSearchCapabilities& caps);
// Selecting saved search `saved` in the Find list: each setting comes back only where both the
// saved search's masks and the current server's masks allow it; the category only when the
// saved search was made for the selected server (else the first category).
CSearchControls RestoreControls(const CSavedSearch& saved, const CSearchCapabilities& caps,
                                const CSearchControls& current);
// The window's choices as a saved search (without text). A control the server does not offer
// keeps the server's default, so the URL is the one the server would build from its defaults.
CSavedSearch SettingsFromControls(const CSearchCapabilities& caps, const CSearchControls& controls);

// The temporary page of a mini-window search: "temp.html", else "temp%d.html" for 1, 2, ...,
// the first name in `folder` for which `exists` says no.
std::string ChooseTempPageName(const std::string& folder, const std::function<bool(const std::string&)>& exists);
// The browser window title of a mini-window search: string 16, else string 17 with 2, 3, ...,
// the first one that no title of `openTitles` contains.
std::string ChooseSearchWindowTitle(const std::vector<std::string>& openTitles);
// The temporary page (string 984) for `title`, the server's name and the search URL.
std::string SearchPageText(const std::string& title, const std::string& serverName, const std::string& url);
