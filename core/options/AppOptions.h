#pragma once
// The program's options, mirrored from the settings section "Options".

#include <mutex>
#include <string>
#include <vector>

class ISettingsStore;

class CAppOptions
{
public:
    int purge = 0;
    int purgePeriod = 7;
    int refreshStartup = 0;
    int refreshPeriodically = 0;
    int refreshPeriod = 30;
    int simultDownload = 3;
    int language = 0;
    std::vector<unsigned long> rejectedServers;
    int alarmTrigger = 2;
    int alarmSeconds = 86400;
    int alarmBehavior = 0;
    std::string alarmSoundFile;

    void Read(ISettingsStore& store);        // every value once, at start-up
    void Write(ISettingsStore& store) const; // every value once, at exit
};

// The process-wide options object and its lock. Installing nullptr removes it; the accessors
// then answer 0, empty or false.
void SetAppOptions(CAppOptions* options);
std::mutex& OptionsLock();
CAppOptions* AppOptionsUnlocked(); // caller holds OptionsLock()

// Index 0 "Purge Period", 1 "Refresh Period", 2 "Simult Download", 3 "Language",
// 4 "Alarm Seconds", 5 "Alarm Trigger", 6 "Alarm Behavior"; anything else 0.
int GetIntOption(int index);
// Index 0 "Purge", 1 "Refresh Startup", 2 "Refresh Periodically"; anything else 0.
int GetBoolOption(int index);
std::string GetAlarmSoundFile();
bool IsServerRejected(unsigned long serverId);
