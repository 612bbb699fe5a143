#include "browser/BrowserProfiles.h"

#include "core/Encoding.h"
#include "core/StringTable.h"

#include <nlohmann/json.hpp>
#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <system_error>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The names Firefox gives its roots no longer read well ("menu", "toolbar"): they are shown
// under the names of the browser's own bookmark window.
enum FirefoxRootString : int
{
    kStrFirefoxMenu = 22516,
    kStrFirefoxToolbar = 22517,
    kStrFirefoxOther = 22518,
    kStrFirefoxMobile = 22519,
};

void SetError(std::string* error, const std::string& text)
{
    if (error)
        *error = text;
}

bool ReadText(const std::string& path, std::string& text, std::string* error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        SetError(error, path + ": " + std::strerror(errno ? errno : ENOENT));
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

std::string ResUtf8(int id)
{
    return Windows1252ToUtf8(LoadResString(id));
}

} // namespace

bool ReadChromiumBookmarks(const std::string& path, ProfileBookmarks& out, std::string* error)
{
    out = {};
    std::string text;
    if (!ReadText(path, text, error))
        return false;
    nlohmann::json doc = nlohmann::json::parse(text, nullptr, false);
    const auto* roots = doc.is_object() && doc.contains("roots") ? &doc["roots"] : nullptr;
    if (!roots || !roots->is_object()) {
        SetError(error, path + ": not a Chromium bookmark file");
        return false;
    }
    out.folders.push_back({std::string(), -1});
    // Depth first with a stack of (node, folder index), children pushed in reverse so that they
    // come out in the browser's order.
    std::vector<std::pair<const nlohmann::json*, int>> stack;
    std::vector<const nlohmann::json*> rootNodes;
    for (const char* key : {"bookmark_bar", "other", "synced"}) {
        auto it = roots->find(key);
        if (it != roots->end() && it->is_object())
            rootNodes.push_back(&*it);
    }
    for (auto it = rootNodes.rbegin(); it != rootNodes.rend(); ++it)
        stack.emplace_back(*it, 0);
    while (!stack.empty()) {
        auto [node, parent] = stack.back();
        stack.pop_back();
        const std::string type = node->value("type", std::string());
        if (type == "url") {
            const std::string url = node->value("url", std::string());
            if (!url.empty())
                out.links.push_back({url, parent});
            continue;
        }
        if (type != "folder")
            continue;
        out.folders.push_back({node->value("name", std::string()), parent});
        const int self = static_cast<int>(out.folders.size()) - 1;
        auto children = node->find("children");
        if (children == node->end() || !children->is_array())
            continue;
        for (auto child = children->rbegin(); child != children->rend(); ++child)
            if (child->is_object())
                stack.emplace_back(&*child, self);
    }
    return true;
}

namespace {

// A copy of the database (and of its write-ahead log, which holds the latest changes while the
// browser runs) in a private folder, removed again at the end.
class PrivateCopy
{
public:
    ~PrivateCopy()
    {
        std::error_code ec;
        if (!dir.empty())
            fs::remove_all(dir, ec);
    }

    bool Make(const std::string& database, std::string* error)
    {
        std::string pattern = (fs::temp_directory_path() / "lotwarden-places-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            SetError(error, pattern + ": " + std::strerror(errno));
            return false;
        }
        dir = pattern;
        std::error_code ec;
        file = (fs::path(dir) / "places.sqlite").string();
        if (!fs::copy_file(database, file, ec)) {
            SetError(error, database + ": " + ec.message());
            return false;
        }
        const fs::path wal = database + "-wal";
        if (fs::is_regular_file(wal, ec))
            fs::copy_file(wal, file + "-wal", ec);
        return true;
    }

    std::string file;

private:
    std::string dir;
};

std::string ColumnText(sqlite3_stmt* statement, int column)
{
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text ? reinterpret_cast<const char*>(text) : std::string();
}

} // namespace

bool ReadFirefoxBookmarks(const std::string& path, ProfileBookmarks& out, std::string* error)
{
    out = {};
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        SetError(error, path + ": " + std::strerror(ENOENT));
        return false;
    }
    PrivateCopy copy;
    if (!copy.Make(path, error))
        return false;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(copy.file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        SetError(error, path + ": " + (db ? sqlite3_errmsg(db) : "cannot be opened"));
        sqlite3_close(db);
        return false;
    }
    struct Row
    {
        long long id;
        long long parent;
        int type;
        std::string title;
        std::string url;
        std::string guid;
    };
    std::vector<Row> rows;
    sqlite3_stmt* statement = nullptr;
    const char* query =
        "SELECT b.id, b.parent, b.type, IFNULL(b.title, ''), IFNULL(p.url, ''), IFNULL(b.guid, '') "
        "FROM moz_bookmarks b LEFT JOIN moz_places p ON p.id = b.fk "
        "ORDER BY b.parent, b.position, b.id";
    bool ok = sqlite3_prepare_v2(db, query, -1, &statement, nullptr) == SQLITE_OK;
    int step = SQLITE_DONE;
    while (ok && (step = sqlite3_step(statement)) == SQLITE_ROW)
        rows.push_back({sqlite3_column_int64(statement, 0), sqlite3_column_int64(statement, 1),
                        sqlite3_column_int(statement, 2), ColumnText(statement, 3), ColumnText(statement, 4),
                        ColumnText(statement, 5)});
    if (!ok || step != SQLITE_DONE) {
        SetError(error, path + ": not a Firefox bookmark database (" + sqlite3_errmsg(db) + ")");
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return false;
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);

    std::map<long long, std::vector<const Row*>> children;
    const Row* root = nullptr;
    for (const Row& row : rows) {
        children[row.parent].push_back(&row);
        if (row.guid == "root________" || (!root && row.parent == 0))
            root = &row;
    }
    out.folders.push_back({std::string(), -1});
    if (!root)
        return true;
    static const std::map<std::string, int> kRootNames = {{"menu________", kStrFirefoxMenu},
                                                          {"toolbar_____", kStrFirefoxToolbar},
                                                          {"unfiled_____", kStrFirefoxOther},
                                                          {"mobile______", kStrFirefoxMobile}};
    std::vector<std::pair<const Row*, int>> stack;
    auto pushChildren = [&](long long id, int folder) {
        auto found = children.find(id);
        if (found == children.end())
            return;
        for (auto it = found->second.rbegin(); it != found->second.rend(); ++it)
            stack.emplace_back(*it, folder);
    };
    pushChildren(root->id, 0);
    constexpr int kBookmark = 1;
    constexpr int kFolder = 2;
    while (!stack.empty()) {
        auto [row, parent] = stack.back();
        stack.pop_back();
        if (row->type == kBookmark) {
            if (!row->url.empty())
                out.links.push_back({row->url, parent});
        } else if (row->type == kFolder && row->guid != "tags________") {
            // Tags repeat bookmarks kept elsewhere; they are not folders of their own.
            std::string name = row->title;
            if (parent == 0) {
                auto known = kRootNames.find(row->guid);
                if (known != kRootNames.end())
                    name = ResUtf8(known->second);
            }
            out.folders.push_back({name, parent});
            pushChildren(row->id, static_cast<int>(out.folders.size()) - 1);
        }
    }
    return true;
}

namespace {

fs::path Home()
{
    const char* home = std::getenv("HOME");
    return home && *home ? fs::path(home) : fs::path();
}

fs::path ConfigHome()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    return config && *config ? fs::path(config) : Home() / ".config";
}

bool IsFile(const fs::path& p)
{
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

void AddChromiumProfiles(std::vector<BrowserProfile>& found)
{
    const fs::path home = Home();
    const fs::path config = ConfigHome();
    const struct
    {
        const char* browser;
        fs::path dir;
    } browsers[] = {
        {"Google Chrome", config / "google-chrome"},
        {"Google Chrome Beta", config / "google-chrome-beta"},
        {"Chromium", config / "chromium"},
        {"Chromium", home / "snap" / "chromium" / "common" / "chromium"},
        {"Chromium", home / ".var" / "app" / "org.chromium.Chromium" / "config" / "chromium"},
        {"Microsoft Edge", config / "microsoft-edge"},
        {"Brave", config / "BraveSoftware" / "Brave-Browser"},
        {"Vivaldi", config / "vivaldi"},
    };
    for (const auto& b : browsers) {
        std::error_code ec;
        std::vector<fs::path> profiles;
        for (fs::directory_iterator it(b.dir, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if ((name == "Default" || name.rfind("Profile ", 0) == 0) && IsFile(it->path() / "Bookmarks"))
                profiles.push_back(it->path());
        }
        std::sort(profiles.begin(), profiles.end());
        for (const fs::path& p : profiles)
            found.push_back({BrowserFamily::Chromium,
                             std::string(b.browser) + " (" + p.filename().string() + ")",
                             (p / "Bookmarks").string()});
    }
}

void AddFirefoxProfiles(std::vector<BrowserProfile>& found)
{
    const fs::path home = Home();
    for (const fs::path& base :
         {home / ".mozilla" / "firefox", home / "snap" / "firefox" / "common" / ".mozilla" / "firefox",
          home / ".var" / "app" / "org.mozilla.firefox" / ".mozilla" / "firefox"}) {
        std::ifstream ini(base / "profiles.ini");
        std::string line;
        std::string name;
        std::string path;
        bool relative = true;
        std::vector<std::pair<std::string, fs::path>> profiles;
        auto flush = [&] {
            if (!path.empty()) {
                const fs::path dir = relative ? base / path : fs::path(path);
                if (IsFile(dir / "places.sqlite"))
                    profiles.emplace_back(name.empty() ? dir.filename().string() : name,
                                          dir / "places.sqlite");
            }
            name.clear();
            path.clear();
            relative = true;
        };
        while (std::getline(ini, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!line.empty() && line[0] == '[')
                flush();
            else if (line.rfind("Name=", 0) == 0)
                name = line.substr(5);
            else if (line.rfind("Path=", 0) == 0)
                path = line.substr(5);
            else if (line.rfind("IsRelative=", 0) == 0)
                relative = line.substr(11) != "0";
        }
        flush();
        for (const auto& [profileName, file] : profiles)
            found.push_back({BrowserFamily::Firefox, "Firefox (" + profileName + ")", file.string()});
    }
}

} // namespace

std::vector<BrowserProfile> FindBrowserProfiles(BrowserFamily family)
{
    std::vector<BrowserProfile> found;
    if (family == BrowserFamily::Chromium)
        AddChromiumProfiles(found);
    else
        AddFirefoxProfiles(found);
    return found;
}

std::vector<BrowserProfile> FindBrowserProfiles()
{
    std::vector<BrowserProfile> found = FindBrowserProfiles(BrowserFamily::Chromium);
    std::vector<BrowserProfile> firefox = FindBrowserProfiles(BrowserFamily::Firefox);
    found.insert(found.end(), firefox.begin(), firefox.end());
    return found;
}

std::string ProfileBookmarkStore(BrowserFamily family, const std::string& profile)
{
    const fs::path p(profile);
    if (IsFile(p))
        return p.string();
    const fs::path inside = p / (family == BrowserFamily::Chromium ? "Bookmarks" : "places.sqlite");
    return IsFile(inside) ? inside.string() : std::string();
}
