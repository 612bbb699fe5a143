#pragma once
// The watch-list document as the source and destination of bookmark import and export: an
// import target that adds items through the document's AddFromText in adding mode (a new item
// is queued for refreshing like any added item), and the export rows of the document's items.

#include "browser/BookmarkTarget.h"

#include <string>
#include <vector>

class CLotwardDoc;

class CDocumentImportTarget : public IBookmarkImportTarget
{
public:
    explicit CDocumentImportTarget(CLotwardDoc& doc);

    // True when the address is an item page of a known server; the item is added unless the
    // document already holds it. An address holding a line break is refused: the document
    // would read it as several lines.
    bool AddUrl(const std::string& url) override;

    // How many items the document gained through this target.
    int AddedCount() const { return added; }

private:
    CLotwardDoc& doc;
    int added = 0;
};

// One row per item, in list order: its number, its server's display name (the address's host
// for an item without a server) and its page address. Items that give no row (no number, no
// address) are left out.
std::vector<ExportEntry> DocumentExportEntries(const CLotwardDoc& doc);
