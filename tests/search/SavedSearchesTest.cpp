// The Find Items model: the ten saved searches under "Find Items", launch order, the
// capabilities of the real servers and the restoring of a saved search's settings.

#include "browser/SavedSearches.h"

#include "platform/MemorySettingsStore.h"
#include "text/ReferenceData.h"

#include <gtest/gtest.h>

#include <set>

namespace
{
bool AnyServer(int)
{
    return true;
}

CSavedSearch Settings(int serverId)
{
    CSavedSearch s;
    s.serverId = serverId;
    s.searchOptionsMask = 15;
    s.sortOptionsMask = 31;
    s.sortKey = 2;
    return s;
}

std::vector<std::string> Texts(const CSavedSearchList& list)
{
    std::vector<std::string> texts;
    for (const CSavedSearch& s : list.Entries())
        texts.push_back(s.searchString);
    return texts;
}

class SearchModel : public ::testing::Test
{
protected:
    void SetUp() override { SetReferenceDataFile(LW_SOURCE_DIR "/resources/Lotward.dat"); }
};
} // namespace

TEST(SavedSearches, LaunchingTheSameTextTwiceKeepsOneEntryAtTheTop)
{
    CSavedSearchList list;
    CSavedSearch launched;
    ASSERT_TRUE(list.PrepareLaunch(-1, "lamp", true, Settings(107), &launched));
    ASSERT_TRUE(list.PrepareLaunch(-1, "clock", true, Settings(107), &launched));
    ASSERT_TRUE(list.PrepareLaunch(-1, "lamp", true, Settings(150), &launched));
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"lamp", "clock"}));
    EXPECT_EQ(launched.searchString, "lamp");
    EXPECT_EQ(list.Entries()[0].serverId, 150);
    // Choosing an entry of the list launches that entry, whatever the edit text says.
    ASSERT_TRUE(list.PrepareLaunch(1, "ignored", true, Settings(107), &launched));
    EXPECT_EQ(launched.searchString, "clock");
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"clock", "lamp"}));
}

TEST(SavedSearches, EmptyTextLaunchesOnlyForAServerWithoutSearchWords)
{
    CSavedSearchList list;
    CSavedSearch launched;
    EXPECT_FALSE(list.PrepareLaunch(-1, "", true, Settings(107), &launched));
    CSavedSearch amazon = Settings(164);
    amazon.searchOptionsMask = amazon.sortOptionsMask = 0;
    ASSERT_TRUE(list.PrepareLaunch(-1, "", false, amazon, &launched));
    EXPECT_EQ(launched.serverId, 164);
    EXPECT_EQ(launched.searchString, "");
    EXPECT_EQ(list.Count(), 0);
}

TEST(SavedSearches, ElevenSearchesKeepTheNewestTenAfterReopening)
{
    CMemorySettingsStore store;
    {
        CSavedSearchList list;
        for (int i = 0; i < 11; ++i)
            ASSERT_TRUE(list.PrepareLaunch(-1, "search " + std::to_string(i), true, Settings(107), nullptr));
        list.Save(store);
    }
    EXPECT_FALSE(store.HasValue("Find Items", "String10"));
    CSavedSearchList reopened;
    reopened.Load(store, AnyServer);
    ASSERT_EQ(reopened.Count(), 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(reopened.Entries()[static_cast<std::size_t>(i)].searchString, "search " + std::to_string(10 - i));
}

TEST(SavedSearches, EverySlotValueRoundTrips)
{
    CMemorySettingsStore store;
    CSavedSearch s;
    s.searchString = "caf\xE9 table";
    s.serverId = 151;
    s.textOnly = true;
    s.searchDescriptions = true;
    s.ascending = false;
    s.categoryIndex = 4;
    s.searchOptionsMask = 9;
    s.sortOptionsMask = 139;
    s.sortKey = 128;
    CSavedSearchList list;
    list.Append(s);
    list.Save(store);
    const struct { const char* name; int value; } ints[] = {
        {"TextOnly0", 1}, {"SearchDesc0", 1}, {"Asc0", 0},     {"Category0", 4},
        {"Options0", 9},  {"SortOpt0", 139},  {"Sort0", 128}, {"Server0", 151},
    };
    for (const auto& v : ints)
        EXPECT_EQ(store.GetInt("Find Items", v.name, -7), v.value) << v.name;
    CSavedSearchList back;
    back.Load(store, AnyServer);
    ASSERT_EQ(back.Count(), 1);
    const CSavedSearch& r = back.Entries()[0];
    EXPECT_EQ(r.searchString, s.searchString);
    EXPECT_EQ(ToSearchRequest(r).query, s.searchString);
    EXPECT_EQ(std::tie(r.serverId, r.textOnly, r.searchDescriptions, r.ascending, r.categoryIndex,
                       r.searchOptionsMask, r.sortOptionsMask, r.sortKey),
              std::tie(s.serverId, s.textOnly, s.searchDescriptions, s.ascending, s.categoryIndex,
                       s.searchOptionsMask, s.sortOptionsMask, s.sortKey));
}

TEST(SavedSearches, LoadingStopsAtAnEmptySlotOrAnUnknownServer)
{
    const struct { const char* name; int badSlot; const char* badServer; int expected; } cases[] = {
        {"unknown server", 2, "999", 2},
        {"server -1", 1, "-1", 1},
        {"server absent", 3, nullptr, 3},
    };
    for (const auto& c : cases) {
        CMemorySettingsStore store;
        for (int n = 0; n < 5; ++n) {
            store.WriteString("Find Items", "String" + std::to_string(n), "s" + std::to_string(n));
            if (n != c.badSlot || c.badServer)
                store.WriteString("Find Items", "Server" + std::to_string(n), n == c.badSlot ? c.badServer : "107");
        }
        CSavedSearchList list;
        list.Load(store, [](int id) { return id == 107; });
        EXPECT_EQ(list.Count(), c.expected) << c.name;
        // Saving the shorter list must not bring the dropped slots back.
        list.Save(store);
        CSavedSearchList again;
        again.Load(store, AnyServer);
        EXPECT_EQ(again.Count(), c.expected) << c.name;
    }
    CMemorySettingsStore gap;
    gap.WriteString("Find Items", "String0", "a");
    gap.WriteInt("Find Items", "Server0", 107);
    gap.WriteString("Find Items", "String1", "");
    gap.WriteString("Find Items", "String2", "c");
    gap.WriteInt("Find Items", "Server2", 107);
    CSavedSearchList list;
    list.Load(gap, AnyServer);
    EXPECT_EQ(list.Count(), 1);
}

TEST_F(SearchModel, CapabilitiesOfTheRealServers)
{
    const struct { int id; bool text; bool categories; std::vector<int> sortBits; int defaultSortIndex; } cases[] = {
        {107, true, true, {2, 4, 8, 16}, 0},        // eBay: End Date first
        {150, true, true, {2, 8, 32, 64, 128}, 0},  // Yahoo U.S.
        {152, true, true, {2, 8, 32, 64, 128}, 0},  // Yahoo France
        {151, true, true, {2, 8, 128}, 2},          // Aucland: Number of Bids
        {167, true, true, {2, 8, 64, 128}, 2},      // Excite: Description
        {164, false, false, {}, 0},                 // Amazon: no search words
        {168, false, false, {}, 0},                 // iBazar
        {170, true, true, {}, 0},                   // CNET: no sort keys
    };
    for (const auto& c : cases) {
        CAuctionServer* server = FindServer(c.id);
        ASSERT_NE(server, nullptr) << c.id;
        const CSearchCapabilities caps = GetSearchCapabilities(*server);
        EXPECT_EQ(caps.TakesText(), c.text) << c.id;
        EXPECT_EQ(!caps.categories.empty(), c.categories) << c.id;
        std::vector<int> bits;
        for (const CSortChoice& choice : caps.sortChoices)
            bits.push_back(choice.bit);
        EXPECT_EQ(bits, c.sortBits) << c.id;
        EXPECT_EQ(DefaultControls(caps).sortIndex, c.defaultSortIndex) << c.id;
    }
    const CSearchCapabilities ebay = GetSearchCapabilities(*FindServer(107));
    EXPECT_EQ(ebay.categories.front(), "All Categories");
    EXPECT_EQ(SortChoicesFor(256 | 64).size(), 2u);
    EXPECT_EQ(SortChoicesFor(256).front().titleId, 104);
}

TEST_F(SearchModel, RestoringASavedSearchRespectsBothMasks)
{
    const CSearchCapabilities ebay = GetSearchCapabilities(*FindServer(107));   // options 15, sort 31
    const CSearchCapabilities yahoo = GetSearchCapabilities(*FindServer(150));  // options 9, sort 235
    CSavedSearch saved;
    saved.serverId = 107;
    saved.searchOptionsMask = 15;
    saved.sortOptionsMask = 31;
    saved.searchDescriptions = true;
    saved.textOnly = true;
    saved.ascending = false;
    saved.categoryIndex = 3;
    saved.sortKey = 8;

    CSearchControls onEbay = RestoreControls(saved, ebay, DefaultControls(ebay));
    EXPECT_TRUE(onEbay.searchDescriptions);
    EXPECT_TRUE(onEbay.textOnly);
    EXPECT_FALSE(onEbay.ascending);
    EXPECT_EQ(onEbay.categoryIndex, 3);
    EXPECT_EQ(ebay.sortChoices[static_cast<std::size_t>(onEbay.sortIndex)].bit, 8);

    // On Yahoo the check boxes are not offered and the category belongs to another server.
    const CSearchControls before = DefaultControls(yahoo);
    CSearchControls onYahoo = RestoreControls(saved, yahoo, before);
    EXPECT_EQ(onYahoo.searchDescriptions, before.searchDescriptions);
    EXPECT_EQ(onYahoo.textOnly, before.textOnly);
    EXPECT_FALSE(onYahoo.ascending);
    EXPECT_EQ(onYahoo.categoryIndex, 0);
    EXPECT_EQ(yahoo.sortChoices[static_cast<std::size_t>(onYahoo.sortIndex)].bit, 8);

    // A sort key the saved search's mask did not offer gives the first entry.
    saved.sortKey = 128;
    EXPECT_EQ(RestoreControls(saved, yahoo, before).sortIndex, 0);
    // Without the direction bit in the saved mask, the direction stays.
    saved.sortOptionsMask = 30;
    EXPECT_TRUE(RestoreControls(saved, yahoo, before).ascending);
    // A category outside the server's list falls back to the first.
    saved.categoryIndex = 100000;
    EXPECT_EQ(RestoreControls(saved, ebay, DefaultControls(ebay)).categoryIndex, 0);
}

TEST_F(SearchModel, ControlsAServerDoesNotOfferKeepItsDefaults)
{
    const CSearchCapabilities cnet = GetSearchCapabilities(*FindServer(170));
    CSearchControls controls;
    controls.searchDescriptions = false;
    controls.ascending = false;
    controls.categoryIndex = 2;
    controls.sortIndex = 5;
    const CSavedSearch s = SettingsFromControls(cnet, controls);
    EXPECT_TRUE(s.searchDescriptions);
    EXPECT_TRUE(s.ascending);
    EXPECT_EQ(s.categoryIndex, 2);
    EXPECT_EQ(s.sortKey, 0);
    EXPECT_EQ(s.serverId, 170);
    EXPECT_EQ(s.searchOptionsMask, 9);
}

TEST(SearchPage, TempNameAndWindowTitleSkipTheOnesInUse)
{
    const std::set<std::string> present{"/tmp/x/temp.html", "/tmp/x/temp1.html"};
    EXPECT_EQ(ChooseTempPageName("/tmp/x", [&](const std::string& p) { return present.count(p) > 0; }),
              "/tmp/x/temp2.html");
    EXPECT_EQ(ChooseTempPageName("/tmp/x/", [](const std::string&) { return false; }), "/tmp/x/temp.html");

    EXPECT_EQ(ChooseSearchWindowTitle({}), "Lotwarden Search Window");
    EXPECT_EQ(ChooseSearchWindowTitle({"Lotwarden Search Window - Browser"}), "Lotwarden Search Window #2");
    EXPECT_EQ(ChooseSearchWindowTitle({"Lotwarden Search Window", "Lotwarden Search Window #2"}),
              "Lotwarden Search Window #3");
    const std::string page = SearchPageText("T", "Ebay", "http://s/?q=1");
    EXPECT_NE(page.find("<title>T</title>"), std::string::npos);
    EXPECT_NE(page.find("processed on Ebay."), std::string::npos);
    EXPECT_NE(page.find("<a href=\"http://s/?q=1\">"), std::string::npos);
}
