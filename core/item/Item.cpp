#include "core/item/Item.h"

#include "core/Encoding.h"
#include "core/StringTable.h"
#include "core/document/Archive.h"
#include "core/options/AppOptions.h"
#include "sites/AuctionServer.h"
#include "sites/ItemInfo.h"
#include "text/SiteDate.h"

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <iterator>
#include <vector>

namespace {

// Option indexes of GetIntOption.
constexpr int kOptPurgePeriod = 0;
constexpr int kOptAlarmSeconds = 4;
constexpr int kOptAlarmTrigger = 5;

constexpr int kStrYes = 21;
constexpr int kStrNo = 22;
constexpr int kStrNotAvailable = 23;

constexpr std::time_t kSecondsPerDay = 86400;

bool IncludesEndAlarm(int mode) { return mode == kAlarmEnd || mode == kAlarmBoth; }
bool IncludesBuyerAlarm(int mode) { return mode == kAlarmBuyer || mode == kAlarmBoth; }

// One part of a date in the C library's current locale, as Windows-1252 text: the locale's
// characters are taken as characters (whatever its encoding), not as bytes. False when the part
// cannot be formatted or holds a character Windows-1252 has no byte for.
bool FormatLocalePart(const wchar_t* format, const std::tm& fields, std::string& out)
{
    wchar_t text[256];
    const std::size_t length = std::wcsftime(text, std::size(text), format, &fields);
    out.clear();
    for (std::size_t i = 0; i < length; ++i) {
        const auto code = static_cast<std::uint32_t>(text[i]);
        const char byte = code <= 0xFFFF ? Utf16UnitToWindows1252(static_cast<char16_t>(code)) : '?';
        if (byte == '?' && code != '?')
            return false;
        out += byte;
    }
    return true;
}

// "Short date, blank, time of day" on the user's clock, in the C library's current locale. A
// locale whose date words have no Windows-1252 form (Korean, Japanese, Chinese...) gets the
// numeric year-month-day form instead, so that the list and the alarms read right.
std::string FormatLocalDate(std::time_t t)
{
    std::tm fields{};
    if (!localtime_r(&t, &fields))
        return {};
    std::string date;
    std::string time;
    if (!FormatLocalePart(L"%x", fields, date) || !FormatLocalePart(L"%X", fields, time)) {
        char numeric[64];
        date.assign(numeric, std::strftime(numeric, sizeof numeric, "%Y-%m-%d", &fields));
        time.assign(numeric, std::strftime(numeric, sizeof numeric, "%H:%M:%S", &fields));
    }
    if (!date.empty() && !time.empty())
        date += ' ';
    return date + time;
}

// Minutes component of a date shift: an hour's jump (a time-zone or daylight-saving slip
// of the site) does not count as a change, a shift of a few minutes inside the hour does.
bool DateShiftIsChange(std::time_t from, std::time_t to)
{
    const std::time_t d = to - from;
    const std::time_t minutes = d / 60 - 60 * (d / 3600);
    return minutes > 5 || minutes < -5;
}

} // namespace

ColumnKind KindOfColumn(int columnId)
{
    switch (columnId) {
    case kColMemo:
    case kColItemNumber:
    case kColDescription:
    case kColServer:
    case kColCategory:
    case kColFinished:
    case kColLocation:
    case kColSeller:
    case kColCurrentBuyer:
    case kColShippingCharges:
        return ColumnKind::kText;
    case kColStartDate:
    case kColEndDate:
    case kColRetrievalDate:
    case kColStartDateLocal:
    case kColEndDateLocal:
        return ColumnKind::kDate;
    case kColQuantity:
    case kColBidCount:
        return ColumnKind::kNumber;
    case kColCurrentPrice:
    case kColInitialPrice:
        return ColumnKind::kPrice;
    default:
        return ColumnKind::kNone;
    }
}

CItem::CItem() = default;

CItem::CItem(const std::string& number, CAuctionServer* adapter) : itemNumber(number)
{
    SetStartDate(0);
    SetEndDate(0);
    server = adapter;
    storedServerId = adapter ? static_cast<std::uint32_t>(adapter->serverId) : 0;
}

std::uint32_t CItem::GetServerId() const
{
    return server ? static_cast<std::uint32_t>(server->serverId) : storedServerId;
}

void CItem::SetStartDate(std::time_t t)
{
    startDate = t;
    // 0 means "no date" on every clock.
    startDateLocal = (server && t != 0) ? server->SiteToLocal(t) : t;
}

void CItem::SetEndDate(std::time_t t)
{
    endDate = t;
    endDateLocal = (server && t != 0) ? server->SiteToLocal(t) : t;
}

bool CItem::SetReadState(int state)
{
    if (state == 1)
        alarmRaised = 0;
    if (state == readState)
        return false;
    readState = state;
    return true;
}

bool CItem::SetAlarmSeconds(int seconds)
{
    if (seconds == alarmSeconds)
        return false;
    alarmSeconds = seconds;
    return true;
}

bool CItem::SetAlarmMode(int mode)
{
    if (mode == alarmMode)
        return false;
    alarmMode = mode;
    return true;
}

bool CItem::SetMemo(const std::string& text)
{
    if (text == memo)
        return false;
    memo = text;
    return true;
}

bool CItem::SetShippingCharges(const std::string& text)
{
    if (text == shippingCharges)
        return false;
    shippingCharges = text;
    return true;
}

std::string CItem::GetUrl() const
{
    return server ? server->GetItemUrl(itemNumber) : std::string();
}

bool CItem::GetText(int columnId, std::string& out) const
{
    switch (columnId) {
    case kColMemo: out = memo; return true;
    case kColItemNumber: out = itemNumber; return true;
    case kColDescription: out = description; return true;
    case kColServer: out = server ? server->GetDisplayName() : std::string(); return true;
    case kColCategory: out = category; return true;
    case kColFinished:
        out = LoadResString(finished == 0 ? kStrNo : finished == 1 ? kStrYes : kStrNotAvailable);
        return true;
    case kColLocation: out = location; return true;
    case kColSeller: out = seller; return true;
    case kColCurrentBuyer: out = currentBuyer; return true;
    case kColShippingCharges: out = shippingCharges; return true;
    default: return false;
    }
}

bool CItem::GetDate(int columnId, std::time_t& out) const
{
    switch (columnId) {
    case kColStartDate: out = startDate; return true;
    case kColEndDate: out = endDate; return true;
    case kColRetrievalDate: out = retrievalDate; return true;
    case kColStartDateLocal: out = startDateLocal; return true;
    case kColEndDateLocal: out = endDateLocal; return true;
    default: return false;
    }
}

bool CItem::GetNumber(int columnId, int& out) const
{
    switch (columnId) {
    case kColQuantity: out = quantity; return true;
    case kColBidCount: out = bidCount; return true;
    default: return false;
    }
}

double CItem::PriceValue(const std::string& text)
{
    // The first number of the text, with the blanks, commas and points between its digits.
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    auto isSeparator = [](char c) { return c == ',' || c == '.' || c == ' ' || c == '\xA0' || c == '\''; };
    std::size_t start = 0;
    while (start < text.size() && !isDigit(text[start]))
        ++start;
    if (start == text.size())
        return 0;
    std::vector<std::string> groups(1);
    std::vector<char> separators;
    for (std::size_t i = start; i < text.size(); ++i) {
        if (isDigit(text[i])) {
            groups.back() += text[i];
        } else if (isSeparator(text[i]) && i + 1 < text.size() && isDigit(text[i + 1])) {
            separators.push_back(text[i]);
            groups.emplace_back();
        } else {
            break;
        }
    }
    // ".50" is half a unit.
    const bool leadingDecimal = start > 0 && (text[start - 1] == '.' || text[start - 1] == ',') &&
                                (start < 2 || !isDigit(text[start - 2]));

    // The last comma or point is the decimal separator unless it reads as a thousands
    // separator: exactly three digits follow, every separator before it is a blank or the same
    // character, and the first group is one to three digits not starting with 0 ("1,125",
    // "1.500", but "0.125", "12,50" and "1.234,567" have decimals).
    std::size_t decimal = separators.size();
    if (!separators.empty()) {
        const std::size_t last = separators.size() - 1;
        const char mark = separators[last];
        if (mark == ',' || mark == '.') {
            bool grouping = groups[last + 1].size() == 3 && groups[0].size() <= 3 && groups[0][0] != '0';
            for (std::size_t k = 0; grouping && k < last; ++k)
                grouping = separators[k] == mark || separators[k] == ' ' || separators[k] == '\xA0' ||
                           separators[k] == '\'';
            if (!grouping)
                decimal = last;
        }
    }
    std::string number = leadingDecimal ? "0." : "";
    for (std::size_t g = 0; g < groups.size(); ++g) {
        if (g > 0 && g - 1 == decimal)
            number += '.';
        number += groups[g];
    }
    // from_chars reads the number without depending on the C locale's decimal separator.
    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    return result.ec == std::errc() ? value : 0.0;
}

bool CItem::GetPrice(int columnId, double& out) const
{
    switch (columnId) {
    case kColCurrentPrice: out = PriceValue(currentPrice); return true;
    case kColInitialPrice: out = PriceValue(initialPrice); return true;
    default: return false;
    }
}

std::string CItem::GetDisplayText(int columnId) const
{
    std::string text;
    if (GetText(columnId, text))
        return text;
    std::time_t date = 0;
    if (GetDate(columnId, date))
        return date == 0 ? std::string() : FormatLocalDate(date);
    int number = 0;
    if (GetNumber(columnId, number))
        return number == -1 ? std::string() : std::to_string(number);
    if (columnId == kColCurrentPrice)
        return currentPrice;
    if (columnId == kColInitialPrice)
        return initialPrice;
    return {};
}

bool CItem::ApplyResult(const CItemInfo& r)
{
    buyerChanged = 0;
    const std::uint32_t flags = r.foundFlags;
    if (flags == 0)
        return false;
    auto copyText = [this](std::uint32_t bit, std::uint32_t set, const std::string& from, std::string& to) {
        if ((set & bit) && from != to) {
            to = from;
            SetReadState(0);
        }
    };
    auto copyNumber = [this](std::uint32_t bit, std::uint32_t set, int from, int& to) {
        if ((set & bit) && from != to) {
            to = from;
            SetReadState(0);
        }
    };
    copyNumber(kFoundQuantity, flags, r.quantity, quantity);
    copyText(kFoundDescription, flags, r.description, description);
    copyNumber(kFoundBidCount, flags, r.bidCount, bidCount);
    copyNumber(kFoundFinished, flags, r.finished, finished);
    if ((flags & kFoundStartDate) && r.startDate != startDate) {
        if (DateShiftIsChange(startDate, r.startDate))
            SetReadState(0);
        SetStartDate(r.startDate);
    }
    if ((flags & kFoundEndDate) && r.endDate != endDate) {
        if (DateShiftIsChange(endDate, r.endDate))
            SetReadState(0);
        SetEndDate(r.endDate);
    }
    if ((flags & kFoundRetrievalDate) && r.retrievalDate != retrievalDate)
        retrievalDate = r.retrievalDate;
    copyText(kFoundCategory, flags, r.category, category);
    copyText(kFoundCurrentPrice, flags, r.currentPrice, currentPrice);
    copyText(kFoundInitialPrice, flags, r.initialPrice, initialPrice);
    copyText(kFoundLocation, flags, r.location, location);
    copyText(kFoundSeller, flags, r.seller, seller);
    if ((flags & kFoundCurrentBuyer) && r.currentBuyer != currentBuyer) {
        // The buyer that the first result brings is the starting point, not a change.
        if (firstResultPending == 0)
            buyerChanged = 1;
        currentBuyer = r.currentBuyer;
        SetReadState(0);
    }
    if (flags & kFoundPageText)
        pageText = r.pageText;
    firstResultPending = 0;
    return true;
}

bool CItem::CheckAlarm(std::time_t now)
{
    bool result = false;
    const int trigger = alarmMode == kAlarmDefault ? GetIntOption(kOptAlarmTrigger) : 0;
    const bool endAlarm = endDateLocal != 0 &&
                          (IncludesEndAlarm(alarmMode) || (alarmMode == kAlarmDefault && IncludesEndAlarm(trigger)));
    if (endAlarm) {
        const std::time_t lead = alarmMode != kAlarmDefault ? alarmSeconds : GetIntOption(kOptAlarmSeconds);
        const bool passed = now > endDateLocal - lead;
        if (inAlarmWindow == 0 && passed) {
            alarmRaised = 1;
            result = true;
        }
        inAlarmWindow = passed ? 1 : 0;
    } else {
        inAlarmWindow = 1;
    }
    if (buyerChanged &&
        (IncludesBuyerAlarm(alarmMode) || (alarmMode == kAlarmDefault && IncludesBuyerAlarm(trigger)))) {
        alarmRaised = 1;
        result = true;
    }
    buyerChanged = 0;
    return result;
}

bool CItem::KeepOnSave() const
{
    if (finished != 1 || endDate == 0)
        return true;
    const std::time_t period = static_cast<std::time_t>(GetIntOption(kOptPurgePeriod)) * kSecondsPerDay;
    return CurrentTime() - endDate <= period;
}

void CItem::Write(CArchiveWriter& ar) const
{
    ar.WriteU32(GetServerId());
    ar.WriteString(itemNumber);
    ar.WriteString(description);
    ar.WriteI32(quantity);
    ar.WriteI32(bidCount);
    ar.WriteI32(finished);
    ar.WriteTime(startDate);
    ar.WriteTime(endDate);
    ar.WriteTime(retrievalDate);
    ar.WriteString(category);
    ar.WriteString(currentPrice);
    ar.WriteString(initialPrice);
    ar.WriteString(location);
    ar.WriteString(seller);
    ar.WriteString(currentBuyer);
    ar.WriteString(memo);
    ar.WriteString(shippingCharges);
    ar.WriteString(pageText);
    ar.WriteI32(readState);
    ar.WriteI32(alarmSeconds);
    ar.WriteI32(alarmMode);
    ar.WriteI32(inAlarmWindow);
    ar.WriteI32(firstResultPending);
}

void CItem::Read(CArchiveReader& ar, int version)
{
    if (version < 1 || version > ArchiveClass::kItemSchema)
        throw CArchiveException(CArchiveException::kBadSchema, "unsupported item version");
    storedServerId = ar.ReadU32();
    itemNumber = ar.ReadString();
    description = ar.ReadString();
    quantity = ar.ReadI32();
    bidCount = ar.ReadI32();
    finished = ar.ReadI32();
    const std::time_t storedStart = ar.ReadTime();
    const std::time_t storedEnd = ar.ReadTime();
    retrievalDate = ar.ReadTime();
    category = ar.ReadString();
    currentPrice = ar.ReadString();
    initialPrice = ar.ReadString();
    location = ar.ReadString();
    seller = ar.ReadString();
    currentBuyer = ar.ReadString();
    memo = ar.ReadString();
    shippingCharges = ar.ReadString();
    pageText = ar.ReadString();
    readState = version >= 2 ? ar.ReadI32() : 1;
    if (version >= 3) {
        alarmSeconds = ar.ReadI32();
        alarmMode = ar.ReadI32();
        inAlarmWindow = ar.ReadI32();
        firstResultPending = ar.ReadI32();
    } else {
        firstResultPending = 0;
    }
    server = FindServer(static_cast<int>(storedServerId));
    if (storedStart != 0)
        SetStartDate(storedStart);
    if (storedEnd != 0)
        SetEndDate(storedEnd);
    if (version < 3)
        ar.formatChanged = true;
}
