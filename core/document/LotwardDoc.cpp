#include "core/document/LotwardDoc.h"

#include "core/Encoding.h"
#include "core/document/AppState.h"
#include "core/document/Archive.h"
#include "core/document/FrameworkMessages.h"
#include "core/document/SafeSave.h"
#include "core/options/AppOptions.h"
#include "sites/AuctionServer.h"
#include "text/SiteDate.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <numeric>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kBoolOptPurge = 0;
constexpr int kBoolOptRefreshStartup = 1;

std::string ReplaceFirst(std::string text, const std::string& what, const std::string& with)
{
    const std::size_t at = text.find(what);
    if (at != std::string::npos)
        text.replace(at, what.size(), with);
    return text;
}

// A collation key in the user's locale (LC_COLLATE), so that sorting compares keys bytewise.
std::string CollationKey(const std::string& text1252)
{
    const std::string utf8 = Windows1252ToUtf8(text1252);
    std::string key(utf8.size() * 4 + 16, '\0');
    std::size_t length = std::strxfrm(key.data(), utf8.c_str(), key.size());
    if (length >= key.size()) {
        key.assign(length + 1, '\0');
        length = std::strxfrm(key.data(), utf8.c_str(), key.size());
    }
    key.resize(length);
    return key;
}

// One spelling per file, so that "list.lwd" and "/home/me/list.lwd" compare equal.
std::string CanonicalPath(const std::string& path)
{
    std::error_code ec;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : canonical.string();
}

template <typename T> int Sign(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

CAppState& AppState()
{
    static CAppState state;
    return state;
}

CLotwardDoc::CLotwardDoc() = default;
CLotwardDoc::~CLotwardDoc() = default;

void CLotwardDoc::AddObserver(IDocumentObserver* observer)
{
    if (observer && std::find(observers.begin(), observers.end(), observer) == observers.end())
        observers.push_back(observer);
}

void CLotwardDoc::RemoveObserver(IDocumentObserver* observer)
{
    observers.erase(std::remove(observers.begin(), observers.end(), observer), observers.end());
}

void CLotwardDoc::UpdateAllViews(int hint, CItem* item, IDocumentObserver* sender)
{
    // A copy: an observer may detach itself while being told.
    const std::vector<IDocumentObserver*> current = observers;
    for (IDocumentObserver* observer : current)
        if (observer != sender)
            observer->OnDocumentUpdate(*this, hint, item);
}

void CLotwardDoc::DeleteContents()
{
    lastRefreshTime = CurrentTime();
    columns.RemoveAll();
    if (itemDownloads)
        itemDownloads->CancelAll();
    items.clear();
    itemIndex.clear();
    UpdateAllViews(kHintAll);
}

bool CLotwardDoc::OnNewDocument()
{
    DeleteContents();
    columns.ResetToDefaults();
    items.clear();
    itemIndex.clear();
    modified = false;
    fileStamp = {};
    return true;
}

CLotwardDoc::FileStamp CLotwardDoc::FileStamp::From(const std::string& path, const struct stat& info)
{
    return {CanonicalPath(path),
            static_cast<unsigned long long>(info.st_dev),
            static_cast<unsigned long long>(info.st_ino),
            static_cast<long long>(info.st_size),
            static_cast<long long>(info.st_mtim.tv_sec),
            static_cast<long long>(info.st_mtim.tv_nsec)};
}

bool CLotwardDoc::StampOf(const std::string& path, FileStamp& stamp)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return false;
    stamp = FileStamp::From(path, info);
    return true;
}

bool CLotwardDoc::FileChangedOnDisk(const std::string& path) const
{
    if (fileStamp.path.empty() || fileStamp.path != CanonicalPath(path))
        return false;
    FileStamp now;
    return StampOf(path, now) && !(now == fileStamp);
}

bool CLotwardDoc::OnOpenDocument(const std::string& path, std::string* error)
{
    DeleteContents();
    modified = false;
    fileStamp = {};
    RemoveSaveLeftovers(path);
    // A FIFO or a device is refused before it is opened: opening a FIFO for reading waits for a
    // writer for ever. The descriptor is opened without waiting and checked again, in case the
    // name was replaced in between.
    struct stat info {};
    const bool named = ::stat(path.c_str(), &info) == 0;
    const int fd = named && S_ISREG(info.st_mode) ? ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
    if (fd < 0) {
        if (error)
            *error = !named && errno == ENOENT ? ReplaceFirst(FrameworkMessage::kFileNotFound, "%1", path)
                                               : std::string(FrameworkMessage::kFailedToOpen);
        OnNewDocument();
        return false;
    }
    std::FILE* file = nullptr;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || (file = ::fdopen(fd, "rb")) == nullptr) {
        ::close(fd);
        if (error)
            *error = FrameworkMessage::kFailedToOpen;
        OnNewDocument();
        return false;
    }
    fileStamp = FileStamp::From(path, info);
    bool ok = true;
    std::string message;
    // An empty file is an empty document: nothing is read from it.
    if (info.st_size > 0) {
        try {
            CArchiveReader reader(file, static_cast<std::uint64_t>(info.st_size));
            Serialize(reader);
            // A file the program wrote ends right after the last item.
            if (!reader.AtEnd())
                throw CArchiveException(CArchiveException::kGeneric, "data after the last item");
            if (reader.formatChanged)
                AppState().formatChanged = true;
        } catch (const CArchiveException&) {
            ok = false;
            message = FrameworkMessage::kUnexpectedFileFormat;
        } catch (const std::bad_alloc&) {
            ok = false;
            message = FrameworkMessage::kFailedToOpen;
        }
    }
    std::fclose(file);
    if (!ok) {
        if (error)
            *error = message;
        OnNewDocument();
        return false;
    }
    modified = false;
    UpdateAllViews(kHintAll);
    if (GetBoolOption(kBoolOptRefreshStartup))
        RefreshAll();
    return true;
}

bool CLotwardDoc::SaveCopy(const std::string& path, std::string* error)
{
    SyncColumnWidths();
    const SafeSaveResult result = SaveArchiveFile(path, [this](CArchiveWriter& writer) { Serialize(writer); });
    if (!result.ok && error)
        *error = SaveErrorMessage(path, result.error);
    return result.ok;
}

bool CLotwardDoc::OnSaveDocument(const std::string& path, std::string* error)
{
    if (!SaveCopy(path, error))
        return false;
    if (!StampOf(path, fileStamp))
        fileStamp = {};
    modified = false;
    return true;
}

void CLotwardDoc::Serialize(CArchiveWriter& ar) const
{
    columns.Write(ar);
    std::vector<const CItem*> written;
    written.reserve(items.size());
    const bool purge = GetBoolOption(kBoolOptPurge) != 0;
    for (const auto& item : items)
        if (!purge || item->KeepOnSave())
            written.push_back(item.get());
    ar.WriteCount(static_cast<std::uint32_t>(written.size()));
    for (const CItem* item : written) {
        ar.WriteObjectTag(ArchiveClass::kItem, ArchiveClass::kItemSchema);
        item->Write(ar);
    }
}

void CLotwardDoc::Serialize(CArchiveReader& ar)
{
    CColumnInfoList readColumns;
    readColumns.Read(ar);
    const std::uint32_t count = ar.ReadCount();
    std::vector<std::unique_ptr<CItem>> readItems;
    for (std::uint32_t i = 0; i < count; ++i) {
        const int version = ar.ReadObjectTag(ArchiveClass::kItem);
        auto item = std::make_unique<CItem>();
        item->Read(ar, version);
        readItems.push_back(std::move(item));
    }
    columns = std::move(readColumns);
    items = std::move(readItems);
    IndexItems();
}

namespace {

std::string ItemKey(const std::string& itemNumber, const CAuctionServer* server)
{
    return std::to_string(reinterpret_cast<std::uintptr_t>(server)) + ' ' + itemNumber;
}

} // namespace

void CLotwardDoc::IndexItems()
{
    itemIndex.clear();
    for (const auto& item : items)
        itemIndex.emplace(ItemKey(item->GetItemNumber(), item->GetServer()), item.get());
}

CItem* CLotwardDoc::FindItem(const std::string& itemNumber, const CAuctionServer* server) const
{
    auto found = itemIndex.find(ItemKey(itemNumber, server));
    return found == itemIndex.end() ? nullptr : found->second;
}

CItem* CLotwardDoc::AddItem(const std::string& itemNumber, CAuctionServer* server)
{
    if (CItem* present = FindItem(itemNumber, server))
        return present;
    items.push_back(std::make_unique<CItem>(itemNumber, server));
    CItem* added = items.back().get();
    itemIndex.emplace(ItemKey(itemNumber, server), added);
    SetModifiedFlag();
    RefreshItem(added);
    UpdateAllViews(kHintItemAdded, added);
    return nullptr;
}

bool CLotwardDoc::RemoveItem(CItem* item)
{
    if (item && itemDownloads)
        itemDownloads->CancelItem(*item);
    auto found =
        std::find_if(items.begin(), items.end(), [item](const auto& held) { return held.get() == item; });
    if (found == items.end())
        return false;
    // The item outlives the hint, so a view that looks at it before dropping its row is safe.
    std::unique_ptr<CItem> removed = std::move(*found);
    items.erase(found);
    IndexItems();
    SetModifiedFlag();
    UpdateAllViews(kHintItemRemoved, removed.get());
    return true;
}

bool CLotwardDoc::ContainsItem(const CItem* item) const
{
    return std::any_of(items.begin(), items.end(), [item](const auto& held) { return held.get() == item; });
}

std::string CLotwardDoc::GetItemsText(const std::vector<CItem*>& list) const
{
    std::string text;
    for (const CItem* item : list)
        text += item->GetUrl() + "\n";
    return text;
}

int CLotwardDoc::AddFromText(const std::string& text, bool adding, bool* found)
{
    if (found)
        *found = false;
    if (text.empty())
        return 0;
    std::string clean;
    clean.reserve(text.size());
    for (char c : text)
        if (c != '\r')
            clean += c;
    int count = 0;
    std::size_t start = 0;
    while (start <= clean.size()) {
        std::size_t end = clean.find('\n', start);
        if (end == std::string::npos)
            end = clean.size();
        const std::string line = clean.substr(start, end - start);
        start = end + 1;
        if (line.empty())
            continue;
        std::string number;
        CAuctionServer* server = FindServerForUrl(line, &number);
        if (!server)
            return 0;
        ++count;
        const bool lineFound =
            adding ? AddItem(number, server) != nullptr : FindItem(number, server) != nullptr;
        if (found && !*found)
            *found = lineFound;
    }
    return count;
}

bool CLotwardDoc::SortItems(int columnId, bool ascending)
{
    const std::size_t n = items.size();
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), 0);
    // Each item's sort value is taken once, then the indexes are sorted on those values.
    std::function<int(std::size_t, std::size_t)> compare;
    std::vector<std::string> texts;
    std::vector<std::time_t> dates;
    std::vector<long long> numbers;
    std::vector<double> prices;
    switch (KindOfColumn(columnId)) {
    case ColumnKind::kText:
        texts.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            std::string text;
            items[i]->GetText(columnId, text);
            texts[i] = CollationKey(text);
        }
        compare = [&texts](std::size_t a, std::size_t b) { return texts[a].compare(texts[b]); };
        break;
    case ColumnKind::kDate:
        dates.resize(n);
        for (std::size_t i = 0; i < n; ++i)
            items[i]->GetDate(columnId, dates[i]);
        compare = [&dates](std::size_t a, std::size_t b) { return Sign(dates[a], dates[b]); };
        break;
    case ColumnKind::kNumber:
        numbers.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            int value = 0;
            items[i]->GetNumber(columnId, value);
            numbers[i] = value;
        }
        compare = [&numbers](std::size_t a, std::size_t b) { return Sign(numbers[a], numbers[b]); };
        break;
    case ColumnKind::kPrice:
        prices.resize(n);
        for (std::size_t i = 0; i < n; ++i)
            items[i]->GetPrice(columnId, prices[i]);
        compare = [&prices](std::size_t a, std::size_t b) { return Sign(prices[a], prices[b]); };
        break;
    case ColumnKind::kNone:
        return false; // every item compares equal: the order stays
    }
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int c = compare(a, b);
        return ascending ? c < 0 : c > 0;
    });
    bool changed = false;
    for (std::size_t i = 0; i < n && !changed; ++i)
        changed = order[i] != i;
    if (!changed)
        return false;
    std::vector<std::unique_ptr<CItem>> sorted;
    sorted.reserve(n);
    for (std::size_t index : order)
        sorted.push_back(std::move(items[index]));
    items = std::move(sorted);
    IndexItems();
    SetModifiedFlag();
    UpdateAllViews(kHintOrder);
    return true;
}

void CLotwardDoc::RefreshItem(CItem* item)
{
    if (item && item->GetServer() && itemDownloads)
        itemDownloads->RefreshItem(*item);
}

void CLotwardDoc::RefreshAll()
{
    for (const auto& item : items)
        if (item->finished != 1)
            RefreshItem(item.get());
}

void CLotwardDoc::StopRefresh()
{
    if (itemDownloads)
        itemDownloads->CancelAll();
}

void CLotwardDoc::SetDocumentColumns(const std::vector<int>& ids)
{
    SyncColumnWidths();
    if (columns.SetColumns(ids)) {
        SetModifiedFlag();
        UpdateAllViews(kHintColumns);
    }
}

bool CLotwardDoc::SyncColumnWidths()
{
    if (!widthSource)
        return false;
    bool changed = false;
    for (int position = 0; position < columns.GetCount(); ++position) {
        int width = 0;
        if (widthSource->GetColumnWidth(position, width) && columns.SetWidth(position, width)) {
            SetModifiedFlag();
            changed = true;
        }
    }
    return changed;
}
