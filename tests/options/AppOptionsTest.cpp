// The options object: its values, their defaults, the rejected-server list and the accessors.

#include "core/options/AppOptions.h"
#include "platform/MemorySettingsStore.h"

#include <gtest/gtest.h>

namespace {

const char* const kOptionNames[] = {
    "Purge", "Purge Period", "Refresh Startup", "Refresh Periodically", "Refresh Period", "Simult Download",
    "Language", "Rejected Servers", "Alarm Trigger", "Alarm Seconds", "Alarm Behavior", "Alarm Sound File",
};

// Installs an options object for one test and removes it afterwards.
class InstalledOptions
{
public:
    explicit InstalledOptions(CAppOptions& options) { SetAppOptions(&options); }
    ~InstalledOptions() { SetAppOptions(nullptr); }
};

} // namespace

TEST(AppOptions, AnEmptyStoreGivesTheDefaults)
{
    CMemorySettingsStore store;
    CAppOptions options;
    options.purgePeriod = 99; // Read must replace every field
    options.rejectedServers = {5, 6};
    options.alarmSoundFile = "stale.wav";
    options.Read(store);
    EXPECT_EQ(options.purge, 0);
    EXPECT_EQ(options.purgePeriod, 7);
    EXPECT_EQ(options.refreshStartup, 0);
    EXPECT_EQ(options.refreshPeriodically, 0);
    EXPECT_EQ(options.refreshPeriod, 30);
    EXPECT_EQ(options.simultDownload, 3);
    EXPECT_EQ(options.language, 0);
    EXPECT_EQ(options.rejectedServers, std::vector<unsigned long>{0});
    EXPECT_EQ(options.alarmTrigger, 2);
    EXPECT_EQ(options.alarmSeconds, 86400);
    EXPECT_EQ(options.alarmBehavior, 0);
    EXPECT_EQ(options.alarmSoundFile, "");
}

TEST(AppOptions, RejectedServersTakeEachPartsLeadingNumber)
{
    const struct { const char* value; std::vector<unsigned long> expected; } cases[] = {
        {"155,170", {155, 170}},
        {",155", {0, 155}},
        {"", {0}},
        {"155,", {155, 0}},
        {"155,,abc,12x", {155, 0, 0, 12}},
        {"155, 170", {155, 170}},
        {"-5,+7", {0, 7}},
        {"4294967295,99999999999", {4294967295ul, 4294967295ul}},
    };
    for (const auto& c : cases) {
        CMemorySettingsStore store;
        store.WriteString("Options", "Rejected Servers", c.value);
        CAppOptions options;
        options.Read(store);
        EXPECT_EQ(options.rejectedServers, c.expected) << '"' << c.value << '"';
    }
}

TEST(AppOptions, WritesEveryValueInOrderAndTheRejectedListAsDecimals)
{
    const struct { std::vector<unsigned long> list; const char* written; } cases[] = {
        {{0}, "0"}, {{155, 170}, "155,170"}, {{0, 155}, "0,155"}, {{}, ""}, {{4294967295ul}, "4294967295"},
    };
    for (const auto& c : cases) {
        CAppOptions options;
        options.rejectedServers = c.list;
        CMemorySettingsStore store;
        options.Write(store);
        EXPECT_EQ(store.GetString("Options", "Rejected Servers", "<absent>"), c.written);
        EXPECT_EQ(store.GetValueNames("Options"), std::vector<std::string>(std::begin(kOptionNames), std::end(kOptionNames)));
    }
}

TEST(AppOptions, AbsentRejectedServersAreWrittenBackAsZero)
{
    CMemorySettingsStore store;
    CAppOptions options;
    options.Read(store);
    options.Write(store);
    EXPECT_EQ(store.GetString("Options", "Rejected Servers"), "0");
}

TEST(AppOptions, ValuesRoundTripWithoutRangeChecks)
{
    CAppOptions written;
    written.purge = 1;
    written.purgePeriod = 61;
    written.refreshStartup = 1;
    written.refreshPeriodically = 1;
    written.refreshPeriod = -4;
    written.simultDownload = 0;
    written.language = 1;
    written.rejectedServers = {151, 163, 170};
    written.alarmTrigger = 9;
    written.alarmSeconds = 60;
    written.alarmBehavior = 2;
    written.alarmSoundFile = "/snd/caf\xE9.wav";
    CMemorySettingsStore store;
    written.Write(store);

    CAppOptions read;
    read.Read(store);
    EXPECT_EQ(read.purge, 1);
    EXPECT_EQ(read.purgePeriod, 61);
    EXPECT_EQ(read.refreshStartup, 1);
    EXPECT_EQ(read.refreshPeriodically, 1);
    EXPECT_EQ(read.refreshPeriod, -4);
    EXPECT_EQ(read.simultDownload, 0);
    EXPECT_EQ(read.language, 1);
    EXPECT_EQ(read.rejectedServers, written.rejectedServers);
    EXPECT_EQ(read.alarmTrigger, 9);
    EXPECT_EQ(read.alarmSeconds, 60);
    EXPECT_EQ(read.alarmBehavior, 2);
    EXPECT_EQ(read.alarmSoundFile, written.alarmSoundFile);
}

TEST(AppOptions, AccessorsAnswerNothingWithoutAnOptionsObject)
{
    SetAppOptions(nullptr);
    for (int index = -1; index <= 7; ++index) {
        EXPECT_EQ(GetIntOption(index), 0) << index;
        EXPECT_EQ(GetBoolOption(index), 0) << index;
    }
    EXPECT_EQ(GetAlarmSoundFile(), "");
    EXPECT_FALSE(IsServerRejected(0));
    EXPECT_FALSE(IsServerRejected(155));
}

TEST(AppOptions, AccessorsReadTheFieldOfEachIndex)
{
    CAppOptions options;
    options.purge = 1;
    options.purgePeriod = 10;
    options.refreshStartup = 1;
    options.refreshPeriodically = 0;
    options.refreshPeriod = 11;
    options.simultDownload = 12;
    options.language = 13;
    options.alarmSeconds = 14;
    options.alarmTrigger = 15;
    options.alarmBehavior = 16;
    options.alarmSoundFile = "bell.wav";
    options.rejectedServers = {0, 155};
    InstalledOptions installed(options);

    const int ints[] = {10, 11, 12, 13, 14, 15, 16};
    for (int index = 0; index < 7; ++index)
        EXPECT_EQ(GetIntOption(index), ints[index]) << index;
    EXPECT_EQ(GetIntOption(7), 0);
    EXPECT_EQ(GetIntOption(-1), 0);

    EXPECT_EQ(GetBoolOption(0), 1);
    EXPECT_EQ(GetBoolOption(1), 1);
    EXPECT_EQ(GetBoolOption(2), 0);
    options.refreshPeriodically = 1;
    EXPECT_EQ(GetBoolOption(2), 1);
    EXPECT_EQ(GetBoolOption(3), 0);

    EXPECT_EQ(GetAlarmSoundFile(), "bell.wav");
    EXPECT_TRUE(IsServerRejected(155));
    EXPECT_TRUE(IsServerRejected(0));
    EXPECT_FALSE(IsServerRejected(170));
    {
        std::lock_guard lock(OptionsLock());
        EXPECT_EQ(AppOptionsUnlocked(), &options);
    }
}
