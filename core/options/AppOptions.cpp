#include "core/options/AppOptions.h"

#include "platform/SettingsStore.h"


namespace {

constexpr const char* kSection = "Options";

CAppOptions* g_options = nullptr;

// The leading decimal number of a part of "Rejected Servers" (blanks before it allowed); 0 when
// the part has none. Numbers beyond 32 bits stop at the largest one, which names no server.
unsigned long LeadingNumber(const std::string& part)
{
    size_t i = part.find_first_not_of(" \t");
    if (i != std::string::npos && part[i] == '+')
        ++i;
    unsigned long value = 0;
    for (; i < part.size() && part[i] >= '0' && part[i] <= '9'; ++i) {
        value = value * 10 + static_cast<unsigned long>(part[i] - '0');
        if (value > 0xFFFFFFFFul)
            return 0xFFFFFFFFul;
    }
    return value;
}

} // namespace

void CAppOptions::Read(ISettingsStore& store)
{
    purge = store.GetInt(kSection, "Purge", 0);
    purgePeriod = store.GetInt(kSection, "Purge Period", 7);
    refreshStartup = store.GetInt(kSection, "Refresh Startup", 0);
    refreshPeriodically = store.GetInt(kSection, "Refresh Periodically", 0);
    refreshPeriod = store.GetInt(kSection, "Refresh Period", 30);
    simultDownload = store.GetInt(kSection, "Simult Download", 3);
    language = store.GetInt(kSection, "Language", 0);

    // Every part counts, empty ones included: an absent or empty value is one part and yields
    // the number 0, which names no server.
    rejectedServers.clear();
    const std::string rejected = store.GetString(kSection, "Rejected Servers", "");
    size_t start = 0;
    for (;;) {
        const size_t comma = rejected.find(',', start);
        rejectedServers.push_back(LeadingNumber(rejected.substr(start, comma - start)));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }

    alarmTrigger = store.GetInt(kSection, "Alarm Trigger", 2);
    alarmSeconds = store.GetInt(kSection, "Alarm Seconds", 86400);
    alarmBehavior = store.GetInt(kSection, "Alarm Behavior", 0);
    alarmSoundFile = store.GetString(kSection, "Alarm Sound File", "");
}

void CAppOptions::Write(ISettingsStore& store) const
{
    store.WriteInt(kSection, "Purge", purge);
    store.WriteInt(kSection, "Purge Period", purgePeriod);
    store.WriteInt(kSection, "Refresh Startup", refreshStartup);
    store.WriteInt(kSection, "Refresh Periodically", refreshPeriodically);
    store.WriteInt(kSection, "Refresh Period", refreshPeriod);
    store.WriteInt(kSection, "Simult Download", simultDownload);
    store.WriteInt(kSection, "Language", language);

    std::string rejected;
    for (size_t i = 0; i < rejectedServers.size(); ++i) {
        if (i)
            rejected += ',';
        rejected += std::to_string(rejectedServers[i]);
    }
    store.WriteString(kSection, "Rejected Servers", rejected);

    store.WriteInt(kSection, "Alarm Trigger", alarmTrigger);
    store.WriteInt(kSection, "Alarm Seconds", alarmSeconds);
    store.WriteInt(kSection, "Alarm Behavior", alarmBehavior);
    store.WriteString(kSection, "Alarm Sound File", alarmSoundFile);
}

std::mutex& OptionsLock()
{
    static std::mutex lock;
    return lock;
}

void SetAppOptions(CAppOptions* options)
{
    std::lock_guard lock(OptionsLock());
    g_options = options;
}

CAppOptions* AppOptionsUnlocked()
{
    return g_options;
}

int GetIntOption(int index)
{
    std::lock_guard lock(OptionsLock());
    if (!g_options)
        return 0;
    switch (index) {
    case 0: return g_options->purgePeriod;
    case 1: return g_options->refreshPeriod;
    case 2: return g_options->simultDownload;
    case 3: return g_options->language;
    case 4: return g_options->alarmSeconds;
    case 5: return g_options->alarmTrigger;
    case 6: return g_options->alarmBehavior;
    default: return 0;
    }
}

int GetBoolOption(int index)
{
    std::lock_guard lock(OptionsLock());
    if (!g_options)
        return 0;
    switch (index) {
    case 0: return g_options->purge;
    case 1: return g_options->refreshStartup;
    case 2: return g_options->refreshPeriodically;
    default: return 0;
    }
}

std::string GetAlarmSoundFile()
{
    std::lock_guard lock(OptionsLock());
    return g_options ? g_options->alarmSoundFile : std::string();
}

bool IsServerRejected(unsigned long serverId)
{
    std::lock_guard lock(OptionsLock());
    if (!g_options)
        return false;
    for (unsigned long id : g_options->rejectedServers)
        if (id == serverId)
            return true;
    return false;
}
