#include "browser/BookmarkImport.h"

#include "browser/BookmarkFile.h"
#include "browser/BrowserProfiles.h"
#include "browser/Favorites.h"

namespace {

// Passes each address on to the watch list and remembers the taken ones.
class CRecordingTarget : public IBookmarkImportTarget
{
public:
    CRecordingTarget(IBookmarkImportTarget& watchList, std::set<std::string>& takenUrls)
        : inner(watchList), taken(takenUrls)
    {
    }
    bool AddUrl(const std::string& url) override
    {
        if (!inner.AddUrl(url))
            return false;
        taken.insert(url);
        return true;
    }

private:
    IBookmarkImportTarget& inner;
    std::set<std::string>& taken;
};

// Takes exactly the addresses imported before, so that a deletion never reaches a link that
// was added to the store after the import.
class CTakenTarget : public IBookmarkImportTarget
{
public:
    explicit CTakenTarget(const std::set<std::string>& takenUrls) : taken(takenUrls) {}
    bool AddUrl(const std::string& url) override { return taken.count(url) > 0; }

private:
    const std::set<std::string>& taken;
};

bool ReadProfile(BookmarkStore store, const std::string& path, ProfileBookmarks& profile, std::string* error)
{
    return store == BookmarkStore::Chromium ? ReadChromiumBookmarks(path, profile, error)
                                            : ReadFirefoxBookmarks(path, profile, error);
}

bool ImportProfile(IBookmarkImportTarget& target, const BookmarkSource& source, BookmarkImportResult& result)
{
    ProfileBookmarks profile;
    if (!ReadProfile(source.store, source.path, profile, &result.error))
        return false;
    const int chosen = FindBookmarkFolder(profile.folders, source.folderPath);
    if (chosen < 0 || BookmarkFolderPath(profile.folders, chosen) != source.folderPath) {
        result.error = source.path + ": no folder " + source.folderPath;
        return false;
    }
    // Parents come before their children, so one pass marks the chosen folder's whole subtree.
    std::vector<char> inside(profile.folders.size(), 0);
    for (std::size_t i = 0; i < profile.folders.size(); ++i) {
        const int parent = profile.folders[i].parent;
        inside[i] = static_cast<int>(i) == chosen ||
                    (source.recurse && parent >= 0 && inside[static_cast<std::size_t>(parent)]);
    }
    for (const ProfileLink& link : profile.links)
        if (inside[static_cast<std::size_t>(link.folder)] && target.AddUrl(link.url))
            ++result.count;
    return true;
}

} // namespace

bool CanDeleteFrom(BookmarkStore store)
{
    return store == BookmarkStore::Favorites || store == BookmarkStore::Netscape;
}

BookmarkImportResult ImportBookmarks(IBookmarkImportTarget& target, const BookmarkSource& source)
{
    BookmarkImportResult result;
    CRecordingTarget recording(target, result.taken);
    switch (source.store) {
    case BookmarkStore::Favorites:
        result.read = ImportFavorites(recording, source.path, source.recurse, false, result.count,
                                      &result.error, &result.skipped);
        break;
    case BookmarkStore::Netscape:
        result.read = ImportNetscapeBookmarks(recording, source.path, source.folderPath, source.recurse,
                                              false, result.count, &result.error);
        break;
    case BookmarkStore::Chromium:
    case BookmarkStore::Firefox:
        result.read = ImportProfile(recording, source, result);
        break;
    }
    return result;
}

bool DeleteImportedBookmarks(const BookmarkSource& source, const std::set<std::string>& taken, int& deleted,
                             std::string* error)
{
    deleted = 0;
    if (!CanDeleteFrom(source.store) || taken.empty())
        return taken.empty();
    CTakenTarget target(taken);
    if (source.store == BookmarkStore::Favorites)
        return ImportFavorites(target, source.path, source.recurse, true, deleted, error);
    int count = 0;
    const bool ok =
        ImportNetscapeBookmarks(target, source.path, source.folderPath, source.recurse, true, count, error);
    deleted = ok ? count : 0;
    return ok;
}

bool ListSourceFolders(BookmarkStore store, const std::string& path, std::vector<BookmarkFolderNode>& nodes,
                       std::string* error)
{
    nodes.clear();
    if (store == BookmarkStore::Netscape)
        return ListBookmarkFolders(path, nodes, error);
    if (store == BookmarkStore::Favorites)
        return false;
    ProfileBookmarks profile;
    if (!ReadProfile(store, path, profile, error))
        return false;
    nodes = std::move(profile.folders);
    return true;
}
