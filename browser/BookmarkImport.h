#pragma once
// Import from any bookmark store, in two steps that both front ends share: the import reads the
// store and never changes it; the imported links are deleted from it afterwards, once the watch
// list that holds their items has been saved, and only those links.

#include "browser/BookmarkFile.h"
#include "browser/BookmarkTarget.h"

#include <set>
#include <string>
#include <vector>

enum class BookmarkStore
{
    Favorites = 0, // a directory of ".url" shortcuts
    Netscape = 1,  // a bookmark file (bookmark.htm, bookmarks.html)
    Chromium = 2,  // a Chromium-family profile's "Bookmarks" file
    Firefox = 3    // a Firefox profile's "places.sqlite"
};

struct BookmarkSource
{
    BookmarkStore store = BookmarkStore::Favorites;
    std::string path;              // the directory, file or database
    std::string folderPath = "\\"; // the folder inside a file or profile, as the file writes it
    bool recurse = true;
};

// Only Favorites and bookmark files can have their imported links deleted; a browser's own
// profile is never written.
bool CanDeleteFrom(BookmarkStore store);

struct BookmarkImportResult
{
    bool read = false;                // the store could be read
    int count = 0;                    // links taken (items added or already in the list)
    std::string error;                // why the store could not be read
    std::vector<std::string> skipped; // Favorites subfolders that could not be read, with the reason
    std::set<std::string> taken;      // the addresses of the links taken
};

// Offers every link of the chosen folder (and its subfolders when `recurse`) to `target`.
BookmarkImportResult ImportBookmarks(IBookmarkImportTarget& target, const BookmarkSource& source);

// Deletes from the store the links of the chosen folder whose addresses are in `taken` (with
// their descriptions in a bookmark file), and nothing else. False with the reason in *error
// when the store could not be changed: nothing is deleted then from a bookmark file; from
// Favorites, the shortcuts that could be deleted are.
bool DeleteImportedBookmarks(const BookmarkSource& source, const std::set<std::string>& taken, int& deleted,
                             std::string* error = nullptr);

// The folder tree of a bookmark file or browser profile, for the folder chooser (see
// ListBookmarkFolders). False when the store cannot be read; Favorites have none.
bool ListSourceFolders(BookmarkStore store, const std::string& path, std::vector<BookmarkFolderNode>& nodes,
                       std::string* error = nullptr);
