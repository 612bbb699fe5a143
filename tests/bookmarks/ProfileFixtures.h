#pragma once
// Browser profiles written the way the browsers write them: a Chromium "Bookmarks" JSON file and
// a Firefox "places.sqlite" with the tables and root folders Firefox creates. Each takes a tree
// of folders and links so that tests can build any shape, deep nesting included.

#include <sqlite3.h>

#include <fstream>
#include <string>
#include <vector>

namespace bmtest {

struct ProfileNode
{
    std::string name;                  // folder or link title
    std::string url;                   // empty for a folder
    std::vector<ProfileNode> children; // a folder's contents
};

inline ProfileNode Folder(std::string name, std::vector<ProfileNode> children)
{
    return {std::move(name), std::string(), std::move(children)};
}

inline ProfileNode Bookmark(std::string title, std::string url)
{
    return {std::move(title), std::move(url), {}};
}

inline std::string JsonString(const std::string& s)
{
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

inline std::string ChromiumNode(const ProfileNode& node, int& id)
{
    const std::string head = "{\"date_added\": \"13300000000000000\", \"guid\": \"00000000-0000-4000-8000-" +
                             std::to_string(100000000000 + id) + "\", \"id\": \"" + std::to_string(id) +
                             "\", \"name\": " + JsonString(node.name);
    ++id;
    if (!node.url.empty())
        return head + ", \"type\": \"url\", \"url\": " + JsonString(node.url) + "}";
    std::string children;
    for (const ProfileNode& child : node.children)
        children += (children.empty() ? "" : ", ") + ChromiumNode(child, id);
    return head + ", \"children\": [" + children + "], \"date_modified\": \"0\", \"type\": \"folder\"}";
}

// "Bookmarks" with the bar, other and mobile roots holding the given nodes.
inline void WriteChromiumBookmarks(const std::string& path, const std::vector<ProfileNode>& bar,
                                   const std::vector<ProfileNode>& other)
{
    int id = 1;
    const std::string json = "{\n   \"checksum\": \"0123456789abcdef0123456789abcdef\",\n   \"roots\": {\n"
                             "      \"bookmark_bar\": " +
                             ChromiumNode(Folder("Bookmarks bar", bar), id) +
                             ",\n      \"other\": " + ChromiumNode(Folder("Other bookmarks", other), id) +
                             ",\n      \"synced\": " + ChromiumNode(Folder("Mobile bookmarks", {}), id) +
                             "\n   },\n   \"version\": 1\n}\n";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << json;
}

// "places.sqlite" with Firefox's tables and roots; `menu` and `toolbar` go under the
// Bookmarks Menu and the Bookmarks Toolbar, and `tagged` links get a tag (which Firefox keeps
// as a folder under its tags root). False when the database cannot be made.
inline bool WriteFirefoxPlaces(const std::string& path, const std::vector<ProfileNode>& menu,
                               const std::vector<ProfileNode>& toolbar,
                               const std::vector<std::string>& tagged = {})
{
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK)
        return false;
    sqlite3_exec(db, "PRAGMA journal_mode=WAL;", nullptr, nullptr, nullptr);
    std::string sql =
        "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR,"
        " rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL,"
        " typed INTEGER DEFAULT 0 NOT NULL, frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date INTEGER,"
        " guid TEXT, foreign_count INTEGER DEFAULT 0 NOT NULL, url_hash INTEGER DEFAULT 0 NOT NULL,"
        " description TEXT, preview_image_url TEXT, origin_id INTEGER);"
        "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL,"
        " parent INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER, folder_type TEXT,"
        " dateAdded INTEGER, lastModified INTEGER, guid TEXT, syncStatus INTEGER NOT NULL DEFAULT 0,"
        " syncChangeCounter INTEGER NOT NULL DEFAULT 1);"
        "INSERT INTO moz_bookmarks (id, type, parent, position, title, guid) VALUES"
        " (1, 2, 0, 0, '', 'root________'), (2, 2, 1, 0, 'menu', 'menu________'),"
        " (3, 2, 1, 1, 'toolbar', 'toolbar_____'), (4, 2, 1, 2, 'tags', 'tags________'),"
        " (5, 2, 1, 3, 'unfiled', 'unfiled_____'), (6, 2, 1, 4, 'mobile', 'mobile______');";
    int nextId = 7;
    int nextPlace = 1;
    auto quote = [](const std::string& s) {
        std::string out = "'";
        for (char c : s)
            out += c == '\'' ? std::string("''") : std::string(1, c);
        return out + "'";
    };
    // Iterative, so that deep trees can be written.
    struct Pending
    {
        const ProfileNode* node;
        int parent;
        int position;
    };
    std::vector<Pending> stack;
    auto pushAll = [&stack](const std::vector<ProfileNode>& nodes, int parent) {
        for (int i = static_cast<int>(nodes.size()) - 1; i >= 0; --i)
            stack.push_back({&nodes[static_cast<std::size_t>(i)], parent, i});
    };
    pushAll(toolbar, 3);
    pushAll(menu, 2);
    while (!stack.empty()) {
        const Pending p = stack.back();
        stack.pop_back();
        const int id = nextId++;
        if (p.node->url.empty()) {
            sql += "INSERT INTO moz_bookmarks (id, type, parent, position, title, guid) VALUES (" +
                   std::to_string(id) + ", 2, " + std::to_string(p.parent) + ", " +
                   std::to_string(p.position) + ", " + quote(p.node->name) + ", 'folder" +
                   std::to_string(id) + "');";
            pushAll(p.node->children, id);
        } else {
            const int place = nextPlace++;
            sql += "INSERT INTO moz_places (id, url, title, guid) VALUES (" + std::to_string(place) + ", " +
                   quote(p.node->url) + ", " + quote(p.node->name) + ", 'place" + std::to_string(place) +
                   "');";
            sql += "INSERT INTO moz_bookmarks (id, type, fk, parent, position, title, guid) VALUES (" +
                   std::to_string(id) + ", 1, " + std::to_string(place) + ", " + std::to_string(p.parent) +
                   ", " + std::to_string(p.position) + ", " + quote(p.node->name) + ", 'bookmark" +
                   std::to_string(id) + "');";
        }
    }
    for (const std::string& url : tagged) {
        const int tag = nextId++;
        const int link = nextId++;
        const int place = nextPlace++;
        sql += "INSERT INTO moz_places (id, url, guid) VALUES (" + std::to_string(place) + ", " + quote(url) +
               ", 'tagplace" + std::to_string(place) + "');";
        sql += "INSERT INTO moz_bookmarks (id, type, parent, position, title, guid) VALUES (" +
               std::to_string(tag) + ", 2, 4, 0, 'auction', 'tag" + std::to_string(tag) + "');";
        sql += "INSERT INTO moz_bookmarks (id, type, fk, parent, position, guid) VALUES (" +
               std::to_string(link) + ", 1, " + std::to_string(place) + ", " + std::to_string(tag) +
               ", 0, 'tagged" + std::to_string(link) + "');";
    }
    const bool ok =
        sqlite3_exec(db, ("BEGIN;" + sql + "COMMIT;").c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

} // namespace bmtest
