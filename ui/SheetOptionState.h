#pragma once
// The options and display-preferences sheets' rules that need no window: the accepted ranges
// of their number fields, the choice of servers as the complement of the rejected list, the
// alarm trigger as two check boxes, and the opening state of a chooser page.

#include <functional>
#include <string>
#include <vector>

struct SheetRange
{
    int min;
    int max;
    bool Contains(int value) const { return value >= min && value <= max; }
};

inline constexpr SheetRange kRefreshPeriodRange{1, 600};  // minutes
inline constexpr SheetRange kPurgeDaysRange{0, 60};       // days
inline constexpr SheetRange kReadTimeRange{0, 500};       // seconds
inline constexpr SheetRange kAlarmLeadRange{1, 10000};    // in the chosen unit
inline constexpr int kSimultDownloadChoices = 10;         // entries of the download list
inline constexpr int kFontSizeChoices = 5;                // "Smallest" to "Largest"

// The servers shown as chosen: those of `all` (in its order) that `rejected` does not name.
std::vector<int> ChosenServers(const std::vector<int>& all, const std::vector<unsigned long>& rejected);
// The rejected list stored on OK: every server of `all` (in its order) not in `chosen`.
std::vector<unsigned long> RejectedServers(const std::vector<int>& all, const std::vector<int>& chosen);

// "Alarm Trigger" 1 none, 2 before the end, 3 when the buyer changes, 4 both.
bool TriggerHasEnd(int trigger);
bool TriggerHasBuyer(int trigger);
int TriggerFromChecks(bool end, bool buyer);

// "Alarm Sound File" as stored: the file name only while a custom sound is chosen.
std::string SoundFileToStore(bool customSound, const std::string& fileName);

// Where a chooser page's entries stand when it opens: every id of `all` is available, then
// each id of `selected`, in its order, moves to the chosen list when it is still available
// and has a text. `available` keeps the order of `all`; the page sorts it for display.
struct ChooserLists
{
    std::vector<int> available;
    std::vector<int> chosen;
};
ChooserLists OpenChooser(const std::vector<int>& all, const std::vector<int>& selected,
                         const std::function<std::string(int)>& textOf);
