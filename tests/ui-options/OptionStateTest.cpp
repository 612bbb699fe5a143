// The options sheets' window-free rules: the server choice as the complement of the rejected
// list, the alarm trigger boxes, the stored sound file, the chooser's opening state, the
// accepted ranges and the About box's version placeholders.

#include "core/Version.h"
#include "ui/AboutBoxText.h"
#include "ui/SheetOptionState.h"

#include <gtest/gtest.h>

#include <map>

namespace {

const std::vector<int> kServers = {107, 150, 151, 152, 155, 170};

TEST(ServerChoice, ChosenServersAreThoseNotRejected)
{
    const struct
    {
        std::vector<unsigned long> rejected;
        std::vector<int> chosen;
    } cases[] = {
        {{}, kServers},
        {{0}, kServers},  // the value an empty "Rejected Servers" reads as
        {{155, 170}, {107, 150, 151, 152}},
        {{170, 155, 155}, {107, 150, 151, 152}},
        {{107, 150, 151, 152, 155}, {170}},
        {{999}, kServers},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChosenServers(kServers, c.rejected), c.chosen);
}

TEST(ServerChoice, RejectedListIsTheComplementInTableOrder)
{
    EXPECT_EQ(RejectedServers(kServers, {170}), (std::vector<unsigned long>{107, 150, 151, 152, 155}));
    EXPECT_EQ(RejectedServers(kServers, {155, 107}), (std::vector<unsigned long>{150, 151, 152, 170}));
    // Choosing everything drops the stray 0 an empty value read as.
    EXPECT_TRUE(RejectedServers(kServers, kServers).empty());
    // Rejecting all but one and reading the choice back gives that one alone.
    EXPECT_EQ(ChosenServers(kServers, RejectedServers(kServers, {151})), std::vector<int>{151});
}

TEST(AlarmTrigger, BoxesAndStoredValueMatch)
{
    const struct
    {
        int trigger;
        bool end;
        bool buyer;
    } cases[] = {{1, false, false}, {2, true, false}, {3, false, true}, {4, true, true}};
    for (const auto& c : cases) {
        EXPECT_EQ(TriggerHasEnd(c.trigger), c.end) << c.trigger;
        EXPECT_EQ(TriggerHasBuyer(c.trigger), c.buyer) << c.trigger;
        EXPECT_EQ(TriggerFromChecks(c.end, c.buyer), c.trigger);
    }
    // A stored value outside 1-4 shows as no alarm and is rewritten as one.
    EXPECT_FALSE(TriggerHasEnd(0) || TriggerHasBuyer(0) || TriggerHasEnd(7) || TriggerHasBuyer(7));
}

TEST(AlarmSound, FileIsStoredOnlyWithTheCustomSound)
{
    EXPECT_EQ(SoundFileToStore(true, "/home/u/ding.wav"), "/home/u/ding.wav");
    EXPECT_EQ(SoundFileToStore(false, "/home/u/ding.wav"), "");
    EXPECT_EQ(SoundFileToStore(true, ""), "");
}

TEST(Chooser, OpeningMovesChosenIdsThatHaveATextInTheirOrder)
{
    const std::map<int, std::string> texts = {{1, "One"}, {2, "Two"}, {3, "Three"}, {4, ""}, {5, "Five"}};
    auto textOf = [&](int id) {
        const auto it = texts.find(id);
        return it == texts.end() ? std::string() : it->second;
    };
    const ChooserLists lists = OpenChooser({1, 2, 3, 4, 5}, {5, 4, 9, 1, 5}, textOf);
    // 4 has no text, 9 is not offered, the second 5 is already chosen.
    EXPECT_EQ(lists.chosen, (std::vector<int>{5, 1}));
    EXPECT_EQ(lists.available, (std::vector<int>{2, 3, 4}));
}

TEST(Ranges, BoundsAreInclusive)
{
    const struct
    {
        SheetRange range;
        int inside[2];
        int outside[2];
    } cases[] = {
        {kRefreshPeriodRange, {1, 600}, {0, 601}},
        {kPurgeDaysRange, {0, 60}, {-1, 61}},
        {kReadTimeRange, {0, 500}, {-1, 501}},
        {kAlarmLeadRange, {1, 10000}, {0, 10001}},
    };
    for (const auto& c : cases) {
        for (int value : c.inside)
            EXPECT_TRUE(c.range.Contains(value)) << value;
        for (int value : c.outside)
            EXPECT_FALSE(c.range.Contains(value)) << value;
    }
}

TEST(VersionPlaceholders, ReplacedFromTheVersionBlock)
{
    const struct
    {
        const char* text;
        const char* expanded;
    } cases[] = {
        {"About $ProductName", "About Lotwarden"},
        {"$ProductName$ProductName", "LotwardenLotwarden"},
        {"$ProductName1", "Lotwarden1"},        // a digit ends the name
        {"$ProductNameX", "$ProductNameX"},     // the longest run names an unknown string
        {"$Comments here", "$Comments here"},   // not in the block: kept as written
        {"costs $5 or $", "costs $5 or $"},
        {"$$ProductName", "$Lotwarden"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExpandVersionPlaceholders(c.text), c.expanded) << c.text;
    EXPECT_EQ(ExpandVersionPlaceholders("$ProductName $ProductVersion $PrivateBuild"),
              std::string(Version::ProductName) + " " + Version::ProductVersion + " " + Version::PrivateBuild);
    EXPECT_EQ(ExpandVersionPlaceholders("$LegalCopyright"), Version::LegalCopyright);
}

TEST(VersionPlaceholders, UnderscoresBelongToTheName)
{
    auto lookup = [](const std::string& name, std::string& value) {
        if (name != "A_b")
            return false;
        value = "[x]";
        return true;
    };
    EXPECT_EQ(ExpandPlaceholders("$A_b.$A_bc $A", lookup), "[x].$A_bc $A");
}

} // namespace
