// lotwarden's editing commands: an item's Properties (set) and a watch list's columns.

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/Help.h"
#include "cli/Listing.h"

#include "core/Encoding.h"
#include "core/document/LotwardDoc.h"
#include "core/item/Item.h"
#include "platform/FileLock.h"

#include <algorithm>
#include <ostream>

namespace cli {

namespace {

constexpr std::pair<const char*, int> kAlarmModes[] = {
    {"default", kAlarmDefault}, {"none", kAlarmNone}, {"end", kAlarmEnd},
    {"buyer", kAlarmBuyer},     {"both", kAlarmBoth},
};

// The longest lead time the Properties accept: it must fit the item's seconds field.
constexpr long long kMaxAlarmSeconds = 0x7FFFFFFF;

} // namespace

int CmdSet(const Args& input, std::ostream& out, std::ostream& err)
{
    Args args = input;
    const bool backup = TakeFlag(args, "--backup");
    const bool read = TakeFlag(args, "--read");
    const bool unread = TakeFlag(args, "--unread");
    std::vector<std::string> servers, memos, shippings, alarms, modes;
    if (!TakeValues(args, "--server", servers) || !TakeValues(args, "--memo", memos) ||
        !TakeValues(args, "--shipping", shippings) || !TakeValues(args, "--alarm", alarms) ||
        !TakeValues(args, "--alarm-mode", modes) || servers.size() > 1 || memos.size() > 1 ||
        shippings.size() > 1 || alarms.size() > 1 || modes.size() > 1 || (read && unread) ||
        !FinishOptions(args, err) || args.size() != 2 ||
        memos.size() + shippings.size() + alarms.size() + modes.size() + read + unread == 0) {
        PrintCommandUsage("set", err);
        return kExitUsage;
    }
    int serverId = -1;
    if (!servers.empty() && !ParseServerId(servers[0], serverId, err))
        return kExitUsage;
    long long alarmSeconds = 0;
    if (!alarms.empty() && (!ParseDuration(alarms[0], alarmSeconds) || alarmSeconds > kMaxAlarmSeconds)) {
        err << "lotwarden: --alarm takes a duration such as 30m, 2h or 1d12h\n";
        return kExitUsage;
    }
    int mode = -1;
    for (const auto& [name, value] : kAlarmModes)
        if (!modes.empty() && modes[0] == name)
            mode = value;
    if (!modes.empty() && mode < 0) {
        err << "lotwarden: --alarm-mode takes default, none, end, buyer or both\n";
        return kExitUsage;
    }
    std::string word, memo, shipping;
    if (!ArgToWindows1252(args[1], word, err) || (!memos.empty() && !ArgToWindows1252(memos[0], memo, err)) ||
        (!shippings.empty() && !ArgToWindows1252(shippings[0], shipping, err)))
        return kExitFailed;

    const std::string& path = args[0];
    CUserOptions options;
    CFileLock lock;
    CLotwardDoc doc;
    if (!LockWatchList(lock, path, err) || !OpenWatchList(doc, path, backup, err))
        return kExitFailed;
    CItem* item = FindItemArg(doc, word, serverId, path, err);
    if (!item)
        return kExitFailed;
    bool changed = false;
    if (!memos.empty())
        changed |= item->SetMemo(memo);
    if (!shippings.empty())
        changed |= item->SetShippingCharges(shipping);
    if (!alarms.empty())
        changed |= item->SetAlarmSeconds(static_cast<int>(alarmSeconds));
    if (mode >= 0)
        changed |= item->SetAlarmMode(mode);
    if (read || unread)
        changed |= item->SetReadState(read ? 1 : 0);
    if (!changed) {
        out << "Unchanged " << DescribeItem(*item) << "\n";
        return kExitOk;
    }
    doc.SetModifiedFlag();
    if (!SaveWatchList(doc, path, out, err))
        return kExitFailed;
    out << "Changed " << DescribeItem(*item) << "\n";
    return kExitOk;
}

int CmdColumns(const Args& input, std::ostream& out, std::ostream& err)
{
    Args args = input;
    const bool backup = TakeFlag(args, "--backup");
    ListFormat format = ListFormat::kTable;
    std::vector<std::string> sets;
    if (!TakeListFormat(args, format, err) || !TakeValues(args, "--set", sets) || sets.size() > 1 ||
        !FinishOptions(args, err) || args.size() != 1) {
        PrintCommandUsage("columns", err);
        return kExitUsage;
    }
    const std::string& path = args[0];
    CLotwardDoc doc;
    if (sets.empty()) {
        if (!OpenForReading(doc, path, err))
            return kExitFailed;
        std::vector<int> shown;
        doc.Columns().GetColumnIds(shown);
        std::vector<std::vector<std::string>> rows;
        for (int id : KnownColumns()) {
            const auto at = std::find(shown.begin(), shown.end(), id);
            const std::string position =
                at == shown.end() ? std::string() : std::to_string(at - shown.begin() + 1);
            rows.push_back({id > 0 ? std::to_string(id) : std::string(), ColumnShortName(id),
                            Windows1252ToUtf8(ColumnTitleText(id)), position,
                            at == shown.end() ? std::string()
                                              : std::to_string(doc.Columns().GetWidth(
                                                    static_cast<int>(at - shown.begin())))});
        }
        PrintRows({"Id", "Name", "Title", "Position", "Width"}, {"id", "name", "title", "position", "width"},
                  rows, format, out);
        return kExitOk;
    }
    std::vector<int> ids;
    if (!ParseColumnList(sets[0], ids, err))
        return kExitUsage;
    if (std::find(ids.begin(), ids.end(), kColTimeLeft) != ids.end()) {
        err << "lotwarden: time-left is shown by lotwarden show only; a watch list cannot keep it\n";
        return kExitUsage;
    }
    for (std::size_t i = 0; i < ids.size(); ++i)
        if (std::find(ids.begin(), ids.begin() + static_cast<std::ptrdiff_t>(i), ids[i]) !=
            ids.begin() + static_cast<std::ptrdiff_t>(i)) {
            err << "lotwarden: the column " << ColumnShortName(ids[i]) << " is named twice\n";
            return kExitUsage;
        }
    CUserOptions options;
    CFileLock lock;
    if (!LockWatchList(lock, path, err) || !OpenWatchList(doc, path, backup, err))
        return kExitFailed;
    doc.SetDocumentColumns(ids);
    if (!doc.IsModified()) {
        out << "The columns of " << path << " are already these\n";
        return kExitOk;
    }
    if (!SaveWatchList(doc, path, out, err))
        return kExitFailed;
    out << "Columns of " << path << ":";
    for (int id : ids)
        out << " " << ColumnShortName(id);
    out << "\n";
    return kExitOk;
}

} // namespace cli
