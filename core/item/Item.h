#pragma once
// One watched auction item: its number and site, the data last read from the site's page,
// the user's notes, its read state and its alarm settings.

#include <cstdint>
#include <ctime>
#include <string>

class CAuctionServer;
class CArchiveReader;
class CArchiveWriter;
struct CItemInfo;

// Column ids: the string-resource numbers of the column titles.
enum ColumnId : int {
    kColMemo = 101,
    kColItemNumber = 103,
    kColDescription = 104,
    kColQuantity = 105,
    kColServer = 106,
    kColCategory = 110,
    kColFinished = 111,
    kColCurrentPrice = 112,
    kColInitialPrice = 113,
    kColLocation = 114,
    kColBidCount = 115,
    kColStartDate = 116,
    kColEndDate = 117,
    kColRetrievalDate = 118,
    kColSeller = 119,
    kColCurrentBuyer = 120,
    kColShippingCharges = 125,
    kColStartDateLocal = 126,
    kColEndDateLocal = 127,
    // Counts down to End Date (Local); its text depends on the clock, so the desktop program
    // forms it (the item itself gives empty text for it, as for any id it does not know).
    kColTimeLeft = 128,
};

enum class ColumnKind { kNone, kText, kDate, kNumber, kPrice };
ColumnKind KindOfColumn(int columnId);

enum AlarmMode : int {
    kAlarmDefault = 0,
    kAlarmNone = 1,
    kAlarmEnd = 2,
    kAlarmBuyer = 3,
    kAlarmBoth = 4,
};

class CItem
{
public:
    CItem();
    CItem(const std::string& number, CAuctionServer* adapter);

    const std::string& GetItemNumber() const { return itemNumber; }
    CAuctionServer* GetServer() const { return server; }
    // The id written for this item: its adapter's, or the one read from the file when no
    // adapter has it (so an item of an unknown site survives a save).
    std::uint32_t GetServerId() const;

    std::time_t GetStartDate() const { return startDate; }
    std::time_t GetEndDate() const { return endDate; }
    std::time_t GetStartDateLocal() const { return startDateLocal; }
    std::time_t GetEndDateLocal() const { return endDateLocal; }
    void SetStartDate(std::time_t t);
    void SetEndDate(std::time_t t);

    bool SetReadState(int state);
    bool SetAlarmSeconds(int seconds);
    bool SetAlarmMode(int mode);
    bool SetMemo(const std::string& text);
    bool SetShippingCharges(const std::string& text);

    std::string GetUrl() const;
    bool GetText(int columnId, std::string& out) const;
    bool GetDate(int columnId, std::time_t& out) const;
    bool GetNumber(int columnId, int& out) const;
    bool GetPrice(int columnId, double& out) const;
    std::string GetDisplayText(int columnId) const;

    bool ApplyResult(const CItemInfo& info);
    bool CheckAlarm(std::time_t now);
    bool KeepOnSave() const;

    void Write(CArchiveWriter& archive) const;
    // Reads the archive form of `version` (the schema the file recorded for the class).
    void Read(CArchiveReader& archive, int version);

    // The decimal value of a price text, as used for sorting.
    static double PriceValue(const std::string& text);

    std::string description;
    int quantity = -1;
    std::string pageText;
    int readState = 0;
    int bidCount = -1;
    int finished = 2; // 0 running, 1 finished, 2 not known
    std::time_t retrievalDate = 0;
    std::string category;
    std::string currentPrice;
    std::string initialPrice;
    std::string location;
    std::string seller;
    std::string currentBuyer;
    std::string shippingCharges;
    std::string memo;
    int alarmSeconds = 86400;
    int alarmMode = kAlarmDefault;
    int inAlarmWindow = 1;
    int firstResultPending = 1;
    int buyerChanged = 0;
    int alarmRaised = 0;

private:
    std::string itemNumber;
    CAuctionServer* server = nullptr;
    std::uint32_t storedServerId = 0;
    std::time_t startDate = 0;
    std::time_t endDate = 0;
    std::time_t startDateLocal = 0;
    std::time_t endDateLocal = 0;
};
