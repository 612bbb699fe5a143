#pragma once
// Internet Explorer Favorites: a directory tree of ".url" shortcut files, each an
// initialisation-style text whose [InternetShortcut] section holds the address as URL=.

#include "browser/BookmarkTarget.h"

#include <string>
#include <vector>

// The URL= value of the [InternetShortcut] section of a shortcut's text (sections and keys in
// any letter case, other sections before or after it, LF or CRLF), or "" when there is none.
std::string ShortcutUrlFromText(const std::string& text);

// Reads at most the first 2048 characters of the shortcut file `path` and returns its address;
// "" when the file cannot be read, has no address, or its address runs past that limit.
std::string ReadShortcutUrl(const std::string& path);

// Offers the address of every "*.url" file of `directory` (and of its subdirectories, depth
// first, when `recurse`) to `target`; each taken one adds 1 to `count` and, with `deleteItems`,
// its shortcut file is deleted. Files are visited in name order. A subdirectory that cannot be
// read is skipped (and named, with the reason, in *skipped when given). False when `directory`
// cannot be read, or when a taken shortcut could not be deleted (the rest is imported all the
// same; count keeps what was reached).
bool ImportFavorites(IBookmarkImportTarget& target, const std::string& directory, bool recurse,
                     bool deleteItems, int& count, std::string* error = nullptr,
                     std::vector<std::string>* skipped = nullptr);

// Writes one shortcut per entry into `directory`, named by its fileName; a file that already
// exists is left alone and not counted. Returns how many shortcuts were written.
int ExportFavorites(const std::string& directory, const std::vector<ExportEntry>& entries,
                    std::string* error = nullptr);

// The Favorites directory offered when none was chosen yet: ~/Favorites when it exists, else "".
std::string DefaultFavoritesDirectory();
