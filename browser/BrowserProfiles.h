#pragma once
// Bookmarks straight from a browser's profile, where today's browsers keep them:
//  - the Chromium family (Chrome, Chromium, Edge, Brave, Vivaldi) in a JSON file "Bookmarks";
//  - Firefox in the SQLite database "places.sqlite", which the running browser holds open: it is
//    read from a private copy and never written.
// Both are read into the same shape as a bookmark file's folder tree, so that the folder
// chooser and the folder paths ("\Bookmarks bar\Auctions\") work alike for every store.

#include "browser/BookmarkFile.h"

#include <string>
#include <vector>

struct ProfileLink
{
    std::string url;
    int folder = 0; // index into ProfileBookmarks::folders
};

// Node 0 of `folders` is the top of the profile (folder path "\"); the browser's roots
// ("Bookmarks bar", "Bookmarks Menu", ...) hang below it. Names are UTF-8; a parent comes
// before its children.
struct ProfileBookmarks
{
    std::vector<BookmarkFolderNode> folders;
    std::vector<ProfileLink> links;
};

// Read a Chromium "Bookmarks" file or a Firefox "places.sqlite"; false with the reason in *error
// when it cannot be read or is not such a file. Any depth of folders is read without recursion.
bool ReadChromiumBookmarks(const std::string& path, ProfileBookmarks& out, std::string* error = nullptr);
bool ReadFirefoxBookmarks(const std::string& path, ProfileBookmarks& out, std::string* error = nullptr);

enum class BrowserFamily
{
    Chromium,
    Firefox
};

struct BrowserProfile
{
    BrowserFamily family = BrowserFamily::Chromium;
    std::string name; // "Chromium (Default)", "Firefox (default-release)"
    std::string path; // the "Bookmarks" file or the "places.sqlite" database
};

// The profiles found in the usual places under $HOME (and $XDG_CONFIG_HOME): the Chromium
// family's "~/.config/<browser>/<profile>/Bookmarks" and Firefox's profiles listed in
// "~/.mozilla/firefox/profiles.ini", including the snap and flatpak installations. `family`
// limits the search to one family.
std::vector<BrowserProfile> FindBrowserProfiles();
std::vector<BrowserProfile> FindBrowserProfiles(BrowserFamily family);

// The bookmark store of a profile folder given by the user (a profile directory, or the file
// itself); "" when it holds none.
std::string ProfileBookmarkStore(BrowserFamily family, const std::string& profile);
