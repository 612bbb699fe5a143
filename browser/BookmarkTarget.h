#pragma once
// What bookmark import and export need from a watch list, kept free of the document class so
// that the bookmark logic runs and is tested on its own. The document supplies an adapter
// (its AddFromText in adding mode) for import and a list of ExportEntry rows for export.

#include <optional>
#include <string>

class IBookmarkImportTarget
{
public:
    virtual ~IBookmarkImportTarget() = default;
    // Offers one bookmarked address. True when it named an item page of a known server and
    // the item was taken: the import then counts it and, when asked to, deletes its source.
    virtual bool AddUrl(const std::string& url) = 0;
};

// One item as it is written to a bookmark store.
struct ExportEntry
{
    std::string url; // the item's page address
    std::string itemNumber;
    std::string serverName; // server display name, or the address's host name (see MakeExportEntry)
    std::string title;      // "Item #N (Server)"
    std::string fileName;   // shortcut file name without directory: "Item #N (Server).url"
};

// Builds the export row of one item from its number, its server's display name (none when the
// item has no server) and its page address, with the names of strings 44 and 48.
// An item without a server is named after the host of its address ("Item #12 (example.com)"),
// so that it still gets a recognisable, distinct name; an item without an address, or without
// a number, gives no row: a bookmark that opens nothing is not worth writing.
// Characters that cannot appear in a file name ('/', control characters) become '_'.
std::optional<ExportEntry> MakeExportEntry(const std::string& itemNumber,
                                           const std::optional<std::string>& serverName,
                                           const std::string& url);

// The message after an import or an export of `count` items (strings 39-41 and 45-47), and
// whether it is a warning (nothing was moved) rather than information.
struct BookmarkReport
{
    std::string text;
    bool warning = false;
};
BookmarkReport ImportReport(int count);
BookmarkReport ExportReport(int count);
