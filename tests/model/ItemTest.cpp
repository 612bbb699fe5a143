// The item record: display texts, prices, change tracking of results, alarms and purging.

#include "core/document/Archive.h"
#include "core/item/Item.h"
#include "sites/ItemInfo.h"
#include "ModelTestSupport.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>

using namespace modeltest;

namespace {

CTestServer& Server()
{
    static CTestServer server(9101);
    return server;
}

std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second)
{
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = -1;
    return std::mktime(&fields);
}

} // namespace

TEST(ModelItem, NewItemHasTheDocumentedDefaults)
{
    CItem item("123", &Server());
    EXPECT_EQ(item.readState, 0);
    EXPECT_EQ(item.quantity, -1);
    EXPECT_EQ(item.bidCount, -1);
    EXPECT_EQ(item.finished, 2);
    EXPECT_EQ(item.GetStartDate(), 0);
    EXPECT_EQ(item.GetEndDateLocal(), 0);
    EXPECT_EQ(item.alarmMode, 0);
    EXPECT_EQ(item.alarmSeconds, 86400);
    EXPECT_EQ(item.inAlarmWindow, 1);
    EXPECT_EQ(item.firstResultPending, 1);
    EXPECT_EQ(item.GetServerId(), 9101u);
    EXPECT_EQ(item.GetUrl(), "http://auction.test/9101/item/123");
    EXPECT_EQ(CItem("1", nullptr).GetUrl(), "");
}

TEST(ModelItem, DisplayTextPerColumnKind)
{
    CItem item("Y02X1727727X2327603", &Server());
    item.description = "Lamp";
    item.currentPrice = "$5.00";
    struct Case
    {
        int quantity;
        int finished;
        int column;
        std::string expected;
    } cases[] = {
        {-1, 2, kColQuantity, ""},
        {0, 2, kColQuantity, "0"},
        {7, 2, kColQuantity, "7"},
        {-1, 0, kColFinished, "No"},
        {-1, 1, kColFinished, "Yes"},
        {-1, 2, kColFinished, "N/A"},
        {-1, 5, kColFinished, "N/A"},
        {-1, 2, kColItemNumber, "Y02X1727727X2327603"},
        {-1, 2, kColDescription, "Lamp"},
        {-1, 2, kColCurrentPrice, "$5.00"},
        {-1, 2, kColEndDate, ""},      // no date
        {-1, 2, kColEndDateLocal, ""}, // no date on the local clock either
        {-1, 2, 42, ""},               // not a column of an item
    };
    for (const Case& c : cases) {
        item.quantity = c.quantity;
        item.finished = c.finished;
        EXPECT_EQ(item.GetDisplayText(c.column), c.expected) << c.column << " q=" << c.quantity << " f=" << c.finished;
    }
    EXPECT_EQ(CItem("1", nullptr).GetDisplayText(kColServer), "");
}

TEST(ModelItem, DateDisplayIsShortDateBlankTime)
{
    CItem item("1", &Server());
    item.SetEndDate(LocalTime(2024, 3, 9, 14, 5, 7));
    // The tests run in the C.UTF-8 locale: %x is mm/dd/yy, %X is HH:MM:SS.
    EXPECT_EQ(item.GetDisplayText(kColEndDate), "03/09/24 14:05:07");
    EXPECT_EQ(item.GetDisplayText(kColEndDateLocal), "03/09/24 14:05:07");
}

// Korean dates are written in Hangul, which the program's Windows-1252 text cannot hold: the
// date must not come out as the locale's UTF-8 bytes taken for Windows-1252 ("2024\xEB\x85\x84...").
// The locale is built from the system's definitions when it is not installed.
TEST(ModelItem, DateDisplayUnderANonLatinLocaleReadsRight)
{
    const std::string locales = std::string(LW_BIN_DIR) + "/../test-locales";
    if (!std::filesystem::exists(locales + "/ko_KR.UTF-8/LC_TIME")) {
        if (!std::filesystem::exists("/usr/share/i18n/locales/ko_KR"))
            GTEST_SKIP() << "no ko_KR locale definition";
        std::filesystem::create_directories(locales);
        const std::string command =
            "localedef -i ko_KR -f UTF-8 '" + locales + "/ko_KR.UTF-8' >/dev/null 2>&1";
        [[maybe_unused]] const int status = std::system(command.c_str());
    }
    setenv("LOCPATH", locales.c_str(), 1);
    const bool korean = std::setlocale(LC_ALL, "ko_KR.UTF-8") != nullptr;
    CItem item("1", &Server());
    item.SetEndDate(LocalTime(2024, 3, 9, 14, 5, 7));
    const std::string text = item.GetDisplayText(kColEndDate);
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
    if (!korean)
        GTEST_SKIP() << "the ko_KR.UTF-8 locale could not be built";
    EXPECT_EQ(text, "2024-03-09 14:05:07");
}

TEST(ModelItem, ValueKindsPerColumn)
{
    CItem item("1", &Server());
    std::string text;
    std::time_t date = 0;
    int number = 0;
    double price = 0;
    EXPECT_TRUE(item.GetText(kColServer, text));
    EXPECT_FALSE(item.GetText(kColCurrentPrice, text));
    EXPECT_TRUE(item.GetDate(kColRetrievalDate, date));
    EXPECT_FALSE(item.GetDate(kColQuantity, date));
    EXPECT_TRUE(item.GetNumber(kColBidCount, number));
    EXPECT_FALSE(item.GetNumber(kColCurrentPrice, number));
    EXPECT_TRUE(item.GetPrice(kColInitialPrice, price));
    EXPECT_FALSE(item.GetPrice(kColQuantity, price));
}

// Thousands separators are read as such, so that "$1,125.00" sorts above "$25.00".
TEST(ModelItem, PriceValueReadsTheFirstNumberWithItsSeparators)
{
    struct Case
    {
        const char* text;
        double value;
    } cases[] = {
        {"$5.00", 5},         {"12,50 FF", 12.5},     {"$1,234.50", 1234.5},   {"EUR 1.200,00", 1200},
        {"", 0},              {"N/A", 0},             {".", 0},                {"..5", 0.5},
        {"\x80 7", 7},        {"0.5", 0.5},           {".75", 0.75},           {"£ 10", 10},
        {"$1,125.00", 1125},  {"2 000,00 FF", 2000},  {"1.500,00", 1500},      {"1.500", 1500},
        {"0.125", 0.125},     {"1234,567", 1234.567}, {"1.234,567", 1234.567}, {"1,234,567", 1234567},
        {"2\xA0" "500", 2500}, {"12.5.", 12.5},        {"US $12.50 (EUR 11,00)", 12.5},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(CItem::PriceValue(c.text), c.value) << c.text;
}

TEST(ModelItem, SettersReportChange)
{
    CItem item("1", &Server());
    item.readState = 1;
    item.alarmRaised = 1;
    EXPECT_FALSE(item.SetReadState(1));
    EXPECT_EQ(item.alarmRaised, 0) << "reading clears the raised alarm even without a change";
    item.alarmRaised = 1;
    EXPECT_TRUE(item.SetReadState(0));
    EXPECT_EQ(item.alarmRaised, 1) << "marking unread leaves the raised alarm";
    EXPECT_TRUE(item.SetMemo("a"));
    EXPECT_FALSE(item.SetMemo("a"));
    EXPECT_TRUE(item.SetMemo("A"));
    EXPECT_TRUE(item.SetShippingCharges("$3"));
    EXPECT_FALSE(item.SetShippingCharges("$3"));
    EXPECT_FALSE(item.SetAlarmSeconds(86400));
    EXPECT_TRUE(item.SetAlarmMode(kAlarmBoth));
}

TEST(ModelItemApplyResult, DateShiftMarksUnreadByItsMinutesOnly)
{
    struct Case
    {
        long shift;
        bool unread;
    } cases[] = {
        {6 * 60, true},         {59 * 60, true},       {-6 * 60, true},      {3600, false},
        {7200, false},          {3600 + 5 * 60, false}, {5 * 60 + 59, false}, {3600 + 6 * 60, true},
        {-(3600 + 6 * 60), true}, {30, false},
    };
    const std::time_t base = 1000000000;
    for (const Case& c : cases) {
        for (std::uint32_t bit : {kFoundStartDate, kFoundEndDate}) {
            CItem item("1", &Server());
            item.SetStartDate(base);
            item.SetEndDate(base);
            item.readState = 1;
            CItemInfo info;
            info.foundFlags = bit;
            info.startDate = info.endDate = base + c.shift;
            EXPECT_TRUE(item.ApplyResult(info));
            EXPECT_EQ(item.readState == 0, c.unread) << c.shift << " bit " << bit;
            // The new date is stored whatever the shift, on both clocks.
            const std::time_t stored = bit == kFoundStartDate ? item.GetStartDate() : item.GetEndDate();
            const std::time_t local = bit == kFoundStartDate ? item.GetStartDateLocal() : item.GetEndDateLocal();
            EXPECT_EQ(stored, base + c.shift);
            EXPECT_EQ(local, base + c.shift);
        }
    }
}

TEST(ModelItemApplyResult, CopiesFoundFieldsAndMarksUnreadOnRealChanges)
{
    CItem item("1", &Server());
    item.readState = 1;
    item.description = "old";
    item.memo = "mine";
    item.shippingCharges = "$2";
    CItemInfo info;
    info.foundFlags = kFoundRetrievalDate | kFoundPageText;
    info.retrievalDate = 5000;
    info.pageText = "<html>";
    info.description = "ignored: bit clear";
    EXPECT_TRUE(item.ApplyResult(info));
    EXPECT_EQ(item.readState, 1) << "retrieval date and page text are no change to the user";
    EXPECT_EQ(item.retrievalDate, 5000);
    EXPECT_EQ(item.pageText, "<html>");
    EXPECT_EQ(item.description, "old");

    const std::pair<std::uint32_t, std::function<void(CItemInfo&)>> changes[] = {
        {kFoundQuantity, [](CItemInfo& r) { r.quantity = 3; }},
        {kFoundDescription, [](CItemInfo& r) { r.description = "Old"; }},
        {kFoundBidCount, [](CItemInfo& r) { r.bidCount = 9; }},
        {kFoundFinished, [](CItemInfo& r) { r.finished = 1; }},
        {kFoundCategory, [](CItemInfo& r) { r.category = "Lamps"; }},
        {kFoundCurrentPrice, [](CItemInfo& r) { r.currentPrice = "$6"; }},
        {kFoundInitialPrice, [](CItemInfo& r) { r.initialPrice = "$1"; }},
        {kFoundLocation, [](CItemInfo& r) { r.location = "Paris"; }},
        {kFoundSeller, [](CItemInfo& r) { r.seller = "bob"; }},
        {kFoundCurrentBuyer, [](CItemInfo& r) { r.currentBuyer = "ann"; }},
    };
    for (const auto& [bit, set] : changes) {
        item.readState = 1;
        CItemInfo r;
        r.foundFlags = bit | kFoundNextBidPrice;
        r.quantity = item.quantity;
        r.description = item.description;
        r.bidCount = item.bidCount;
        r.finished = item.finished;
        set(r);
        EXPECT_TRUE(item.ApplyResult(r));
        EXPECT_EQ(item.readState, 0) << std::hex << bit;
        item.readState = 1;
        EXPECT_TRUE(item.ApplyResult(r)) << "the same result again";
        EXPECT_EQ(item.readState, 1) << "an unchanged value is no change: " << std::hex << bit;
    }
    EXPECT_EQ(item.memo, "mine");
    EXPECT_EQ(item.shippingCharges, "$2");
}

TEST(ModelItemApplyResult, EmptyResultOnlyClearsBuyerChanged)
{
    CItem item("1", &Server());
    item.buyerChanged = 1;
    item.readState = 1;
    CItemInfo info;
    info.description = "x";
    EXPECT_FALSE(item.ApplyResult(info));
    EXPECT_EQ(item.buyerChanged, 0);
    EXPECT_EQ(item.firstResultPending, 1);
    EXPECT_EQ(item.description, "");
}

TEST(ModelItemApplyResult, FirstBuyerIsNoBuyerChange)
{
    CItem item("1", &Server());
    CItemInfo info;
    info.foundFlags = kFoundCurrentBuyer;
    info.currentBuyer = "ann";
    EXPECT_TRUE(item.ApplyResult(info));
    EXPECT_EQ(item.buyerChanged, 0);
    EXPECT_EQ(item.readState, 0);
    EXPECT_EQ(item.firstResultPending, 0);
    info.currentBuyer = "bob";
    EXPECT_TRUE(item.ApplyResult(info));
    EXPECT_EQ(item.buyerChanged, 1);
    // The next result clears the flag whatever it brings.
    EXPECT_TRUE(item.ApplyResult(info));
    EXPECT_EQ(item.buyerChanged, 0);
}

TEST(ModelItemAlarm, EndAlarmFiresOnceWhenItsPointPasses)
{
    ScopedOptions options;
    options.options.alarmTrigger = 2;
    options.options.alarmSeconds = 300;
    CItem item("1", &Server());
    const std::time_t end = LocalTime(2024, 5, 1, 10, 0, 0);
    item.SetEndDate(end);
    item.inAlarmWindow = 0;
    EXPECT_FALSE(item.CheckAlarm(end - 300)); // 09:55:00: not strictly past
    EXPECT_EQ(item.inAlarmWindow, 0);
    EXPECT_TRUE(item.CheckAlarm(end - 299)); // 09:55:01
    EXPECT_EQ(item.alarmRaised, 1);
    EXPECT_FALSE(item.CheckAlarm(end - 294));
    EXPECT_FALSE(item.CheckAlarm(end + 1000));
}

TEST(ModelItemAlarm, EffectiveModeDecidesWhichAlarmsApply)
{
    ScopedOptions options;
    options.options.alarmSeconds = 60;
    const std::time_t end = 2000000000;
    struct Case
    {
        int mode;
        int trigger;
        bool endFires;
        bool buyerFires;
    } cases[] = {
        {kAlarmDefault, 2, true, false}, {kAlarmDefault, 3, false, true}, {kAlarmDefault, 4, true, true},
        {kAlarmDefault, 1, false, false}, {kAlarmNone, 4, false, false},  {kAlarmEnd, 1, true, false},
        {kAlarmBuyer, 2, false, true},   {kAlarmBoth, 1, true, true},
    };
    for (const Case& c : cases) {
        options.options.alarmTrigger = c.trigger;
        CItem item("1", &Server());
        item.alarmMode = c.mode;
        item.alarmSeconds = 600; // the item's own lead time, used unless the mode is 0
        item.SetEndDate(end);
        item.inAlarmWindow = 0;
        const std::time_t lead = c.mode == kAlarmDefault ? 60 : 600;
        EXPECT_EQ(item.CheckAlarm(end - lead + 1), c.endFires) << c.mode << "/" << c.trigger;
        item.buyerChanged = 1;
        EXPECT_EQ(item.CheckAlarm(end - lead + 2), c.buyerFires) << c.mode << "/" << c.trigger;
        EXPECT_EQ(item.buyerChanged, 0) << "the check always consumes the buyer change";
    }
}

TEST(ModelItemAlarm, PointAlreadyPastAtLoadNeverFiresAndMovingEndReArms)
{
    ScopedOptions options;
    options.options.alarmTrigger = 2;
    options.options.alarmSeconds = 300;
    CItem item("1", &Server());
    const std::time_t end = 1000000;
    item.SetEndDate(end);
    EXPECT_FALSE(item.CheckAlarm(end)); // inAlarmWindow starts at 1
    item.SetEndDate(end + 3600);
    EXPECT_FALSE(item.CheckAlarm(end)); // the point moved into the future: re-armed
    EXPECT_EQ(item.inAlarmWindow, 0);
    EXPECT_TRUE(item.CheckAlarm(end + 3600 - 299));
    // No end date: no end alarm, and the window counts as passed.
    CItem undated("2", &Server());
    undated.inAlarmWindow = 0;
    EXPECT_FALSE(undated.CheckAlarm(end));
    EXPECT_EQ(undated.inAlarmWindow, 1);
}

TEST(ModelItemPurge, KeepOnSaveBoundaryIsThePurgePeriodInclusive)
{
    ScopedOptions options;
    options.options.purgePeriod = 7;
    const std::time_t now = 1700000000;
    ScopedClock clock(now);
    struct Case
    {
        int finished;
        std::time_t endDate;
        bool kept;
    } cases[] = {
        {1, now - 7 * 86400, true},     {1, now - 7 * 86400 - 1, false}, {1, 0, true},
        {0, now - 70 * 86400, true},    {2, now - 70 * 86400, true},     {1, now + 86400, true},
    };
    for (const Case& c : cases) {
        CItem item("1", &Server());
        item.finished = c.finished;
        item.SetEndDate(c.endDate);
        EXPECT_EQ(item.KeepOnSave(), c.kept) << c.finished << " " << c.endDate;
    }
}

TEST(ModelItemArchive, VersionThreeRoundTripsEveryStoredField)
{
    CItem item("A1", &Server());
    item.description = "d";
    item.quantity = 2;
    item.bidCount = 3;
    item.finished = 0;
    item.SetStartDate(111);
    item.SetEndDate(222);
    item.retrievalDate = 333;
    item.category = "c";
    item.currentPrice = "$1";
    item.initialPrice = "$0.5";
    item.location = "l";
    item.seller = "s";
    item.currentBuyer = "b";
    item.memo = "m";
    item.shippingCharges = "sc";
    item.pageText = std::string(300, 'p');
    item.readState = 1;
    item.alarmSeconds = 60;
    item.alarmMode = 4;
    item.inAlarmWindow = 0;
    item.firstResultPending = 0;
    std::string bytes;
    CStringSink sink(bytes);
    CArchiveWriter writer(sink);
    item.Write(writer);
    writer.Flush();
    const std::string expected = U32(9101) + Str("A1") + Str("d") + U32(2) + U32(3) + U32(0) + U32(111) + U32(222) +
                                 U32(333) + Str("c") + Str("$1") + Str("$0.5") + Str("l") + Str("s") + Str("b") +
                                 Str("m") + Str("sc") + "\xFF" + U16(300) + std::string(300, 'p') + U32(1) + U32(60) +
                                 U32(4) + U32(0) + U32(0);
    EXPECT_EQ(bytes, expected);

    CArchiveReader reader(bytes);
    CItem back;
    back.Read(reader, 3);
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_FALSE(reader.formatChanged);
    EXPECT_EQ(back.GetServer(), &Server());
    EXPECT_EQ(back.GetEndDateLocal(), 222);
    std::string again;
    CStringSink sink2(again);
    CArchiveWriter writer2(sink2);
    back.Write(writer2);
    writer2.Flush();
    EXPECT_EQ(again, bytes);
}

TEST(ModelItemArchive, OlderVersionsTakeTheirDefaults)
{
    const std::string v1 = U32(9101) + Str("7") + Str("d") + U32(1) + U32(0) + U32(1) + U32(0) + U32(5000) + U32(0) +
                           std::string(9, '\0');
    for (int version : {1, 2}) {
        const std::string bytes = version == 1 ? v1 : v1 + U32(0);
        CArchiveReader reader(bytes);
        CItem item;
        item.Read(reader, version);
        EXPECT_TRUE(reader.AtEnd()) << version;
        EXPECT_TRUE(reader.formatChanged);
        EXPECT_EQ(item.readState, version == 1 ? 1 : 0);
        EXPECT_EQ(item.alarmMode, 0);
        EXPECT_EQ(item.alarmSeconds, 86400);
        EXPECT_EQ(item.inAlarmWindow, 1);
        EXPECT_EQ(item.firstResultPending, 0);
        EXPECT_EQ(item.GetStartDate(), 0);
        EXPECT_EQ(item.GetEndDate(), 5000);
        EXPECT_EQ(item.GetEndDateLocal(), 5000);
    }
    for (int version : {0, 4, 255}) {
        CArchiveReader reader(v1);
        CItem item;
        EXPECT_THROW(item.Read(reader, version), CArchiveException) << version;
    }
}

TEST(ModelItemArchive, UnknownServerIdIsKeptAndWrittenBack)
{
    const std::string bytes = U32(4242) + Str("9") + std::string(1, '\0') + U32(0xFFFFFFFF) + U32(0xFFFFFFFF) +
                              U32(2) + U32(0) + U32(7200) + U32(0) + std::string(9, '\0') + U32(0) + U32(86400) +
                              U32(0) + U32(1) + U32(1);
    CArchiveReader reader(bytes);
    CItem item;
    item.Read(reader, 3);
    EXPECT_EQ(item.GetServer(), nullptr);
    EXPECT_EQ(item.GetServerId(), 4242u);
    EXPECT_EQ(item.GetEndDateLocal(), 7200) << "without a server the local date is the site date";
    EXPECT_EQ(item.GetUrl(), "");
    std::string again;
    CStringSink sink(again);
    CArchiveWriter writer(sink);
    item.Write(writer);
    writer.Flush();
    EXPECT_EQ(again, bytes);
}
