#pragma once
// The watch-list document: the items, the display columns, and the .lwd file they are kept in.
// Views follow it as observers of numbered update hints.

#include "core/document/ColumnInfo.h"
#include "core/item/Item.h"

#include <ctime>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CArchiveReader;
class CArchiveWriter;
class CAuctionServer;
class CLotwardDoc;
struct stat;

enum UpdateHint : int {
    kHintAll = 0,          // everything changed (the document was emptied)
    kHintItemChanged = 1,  // object: the item
    kHintColumns = 2,      // the column set changed
    kHintFocus = 4,        // the focused item changed (sent by the item list)
    kHintItemRemoved = 5,  // object: the removed item, only as a row identity
    kHintItemAdded = 6,    // object: the item
    kHintOrder = 7,        // the order of the items changed
};

class IDocumentObserver
{
public:
    virtual ~IDocumentObserver() = default;
    virtual void OnDocumentUpdate(CLotwardDoc& doc, int hint, CItem* item) = 0;
};

// The document's link to the download engine, installed by whoever wires refreshing; without
// one, adding an item queues nothing and removing one has nothing to cancel.
class IItemDownloads
{
public:
    virtual ~IItemDownloads() = default;
    virtual void RefreshItem(CItem& item) = 0;      // queue the item's page unless already queued
    virtual void CancelItem(const CItem& item) = 0; // drop its queued download, detach a running one
    virtual void CancelAll() = 0;                   // every item download
};

// Current widths of the item list's columns, by position (the GUI's list view).
class IColumnWidthSource
{
public:
    virtual ~IColumnWidthSource() = default;
    virtual bool GetColumnWidth(int position, int& width) const = 0;
};

class CLotwardDoc
{
public:
    CLotwardDoc();
    ~CLotwardDoc();
    CLotwardDoc(const CLotwardDoc&) = delete;
    CLotwardDoc& operator=(const CLotwardDoc&) = delete;

    // Frame steps.
    void DeleteContents();
    bool OnNewDocument();
    // On failure `error` receives the message to show and the document is left as after New.
    bool OnOpenDocument(const std::string& path, std::string* error = nullptr);
    // Writes a temporary file beside `path` and renames it over `path` once complete; on
    // failure the file at `path` is untouched and `error` receives the message to show.
    bool OnSaveDocument(const std::string& path, std::string* error = nullptr);
    // The same write for a copy kept elsewhere (a mail attachment): the document stays as
    // modified as it was and keeps following the file it was opened from.
    bool SaveCopy(const std::string& path, std::string* error = nullptr);
    void Serialize(CArchiveWriter& archive) const;
    void Serialize(CArchiveReader& archive);

    // Whether the file at `path` is no longer the one this document last read or wrote there:
    // another program saved over it meanwhile. False for a file the document never had and
    // for a file that is gone (saving loses nothing then).
    bool FileChangedOnDisk(const std::string& path) const;

    bool IsModified() const { return modified; }
    void SetModifiedFlag(bool value = true) { modified = value; }

    void AddObserver(IDocumentObserver* observer);
    void RemoveObserver(IDocumentObserver* observer);
    void UpdateAllViews(int hint, CItem* item = nullptr, IDocumentObserver* sender = nullptr);

    void SetItemDownloads(IItemDownloads* downloads) { itemDownloads = downloads; }
    void SetColumnWidthSource(const IColumnWidthSource* source) { widthSource = source; }

    // Items.
    CItem* AddItem(const std::string& itemNumber, CAuctionServer* server);
    bool RemoveItem(CItem* item);
    bool ContainsItem(const CItem* item) const;
    CItem* FindItem(const std::string& itemNumber, const CAuctionServer* server) const;
    int GetItemCount() const { return static_cast<int>(items.size()); }
    CItem* GetItem(int position) const { return items.at(static_cast<std::size_t>(position)).get(); }
    std::string GetItemsText(const std::vector<CItem*>& list) const;
    int AddFromText(const std::string& text, bool adding, bool* found = nullptr);
    // Stable sort by the value kind of `columnId`; true when the order changed.
    bool SortItems(int columnId, bool ascending);

    void RefreshItem(CItem* item);
    void RefreshAll(); // every item that is not finished
    void StopRefresh();

    // Columns.
    CColumnInfoList& Columns() { return columns; }
    const CColumnInfoList& Columns() const { return columns; }
    void SetDocumentColumns(const std::vector<int>& ids);
    bool SyncColumnWidths();

    std::time_t lastRefreshTime = 0;

private:
    // What the file looked like when this document last read or wrote it.
    struct FileStamp
    {
        std::string path;
        unsigned long long device = 0, inode = 0;
        long long size = 0, modifiedSec = 0, modifiedNsec = 0;
        bool operator==(const FileStamp&) const = default;
        static FileStamp From(const std::string& path, const struct stat& info);
    };
    static bool StampOf(const std::string& path, FileStamp& stamp);

    std::vector<std::unique_ptr<CItem>> items;
    // The first item of each server and number, so that adding many items stays linear.
    std::unordered_map<std::string, CItem*> itemIndex;
    void IndexItems();
    CColumnInfoList columns;
    FileStamp fileStamp;
    bool modified = false;
    std::vector<IDocumentObserver*> observers;
    IItemDownloads* itemDownloads = nullptr;
    const IColumnWidthSource* widthSource = nullptr;
};
