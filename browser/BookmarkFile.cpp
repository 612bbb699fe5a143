#include "browser/BookmarkFile.h"

#include "core/StringTable.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string kTop = "\\";

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// Position of the tag `tag` ("<h3" or "<a", lower case) that follows a "<dt>" with only blanks
// between them, and is itself followed by a blank or ">"; npos when the line has none.
// `dtPos` receives the position of that "<dt>".
std::size_t FindDtTag(const std::string& low, const std::string& tag, std::size_t from, std::size_t& dtPos)
{
    for (std::size_t dt = low.find("<dt>", from); dt != std::string::npos; dt = low.find("<dt>", dt + 1)) {
        std::size_t p = dt + 4;
        while (p < low.size() && IsBlank(low[p]))
            ++p;
        if (low.compare(p, tag.size(), tag) != 0)
            continue;
        std::size_t after = p + tag.size();
        if (after == low.size() || IsBlank(low[after]) || low[after] == '>') {
            dtPos = dt;
            return p;
        }
    }
    return std::string::npos;
}

// Reads the attributes of the tag whose name ends at `pos`; returns the HREF value (empty when
// absent) and sets `tagEnd` just past the tag's ">" (or to the end of the line).
std::string HrefOfTag(const std::string& line, std::size_t pos, std::size_t& tagEnd)
{
    std::string href;
    bool found = false;
    std::size_t p = pos;
    const std::size_t n = line.size();
    while (true) {
        while (p < n && IsBlank(line[p]))
            ++p;
        if (p >= n) {
            tagEnd = n;
            return href;
        }
        if (line[p] == '>') {
            tagEnd = p + 1;
            return href;
        }
        std::size_t nameStart = p;
        while (p < n && !IsBlank(line[p]) && line[p] != '=' && line[p] != '>')
            ++p;
        std::string name = line.substr(nameStart, p - nameStart);
        if (p == nameStart)
            ++p; // a stray character that starts no name
        std::size_t q = p;
        while (q < n && IsBlank(line[q]))
            ++q;
        if (q >= n || line[q] != '=')
            continue; // attribute without a value
        p = q + 1;
        while (p < n && IsBlank(line[p]))
            ++p;
        std::string value;
        if (p < n && (line[p] == '"' || line[p] == '\'')) {
            const char quote = line[p];
            std::size_t close = line.find(quote, p + 1);
            std::size_t stop = close == std::string::npos ? n : close;
            value = line.substr(p + 1, stop - p - 1);
            p = close == std::string::npos ? n : close + 1;
        } else {
            std::size_t start = p;
            while (p < n && !IsBlank(line[p]) && line[p] != '>')
                ++p;
            value = line.substr(start, p - start);
        }
        std::transform(name.begin(), name.end(), name.begin(), LowerAscii);
        if (name == "href" && !found) {
            href = value;
            found = true;
        }
    }
}

// Exporters escape a few characters inside attribute values; addresses are compared and
// opened in their plain form.
std::string DecodeAttribute(std::string s)
{
    static const std::pair<const char*, const char*> kEntities[] = {
        {"&quot;", "\""}, {"&#34;", "\""}, {"&#39;", "'"}, {"&#039;", "'"}, {"&apos;", "'"}, {"&lt;", "<"},
        {"&#60;", "<"},   {"&gt;", ">"},   {"&#62;", ">"}, {"&amp;", "&"},  {"&#38;", "&"}};
    if (s.find('&') == std::string::npos)
        return s;
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        bool replaced = false;
        if (s[i] == '&') {
            for (const auto& [entity, text] : kEntities) {
                const std::size_t len = std::strlen(entity);
                if (s.size() - i >= len &&
                    std::equal(entity, entity + len, s.begin() + static_cast<std::ptrdiff_t>(i),
                               [](char a, char b) { return a == LowerAscii(b); })) {
                    out += text;
                    i += len;
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced)
            out += s[i++];
    }
    return out;
}

struct LineKinds
{
    bool heading = false;
    std::string folderName;
    bool link = false;
    std::string url;
    std::size_t linkStart = 0; // span of "<DT><A ...>...</A>"
    std::size_t linkEnd = 0;
    bool folderEnd = false;
};

LineKinds ClassifyLine(const std::string& line)
{
    LineKinds k;
    if (line.find('<') == std::string::npos)
        return k;
    std::string low(line);
    std::transform(low.begin(), low.end(), low.begin(), LowerAscii);

    std::size_t dt = 0;
    std::size_t h3 = FindDtTag(low, "<h3", 0, dt);
    if (h3 != std::string::npos) {
        // A heading whose name cannot be read still opens a folder, so that its "</DL>" closes
        // it and not the folder around it.
        k.heading = true;
        std::size_t gt = line.find('>', h3 + 3);
        if (gt != std::string::npos) {
            std::size_t lt = line.find('<', gt + 1);
            k.folderName = line.substr(gt + 1, lt == std::string::npos ? std::string::npos : lt - gt - 1);
        }
    }

    std::size_t a = FindDtTag(low, "<a", 0, dt);
    if (a != std::string::npos) {
        std::size_t tagEnd = 0;
        std::string href = HrefOfTag(line, a + 2, tagEnd);
        if (!href.empty()) {
            k.link = true;
            k.url = DecodeAttribute(href);
            k.linkStart = dt;
            std::size_t close = low.find("</a>", tagEnd);
            k.linkEnd = close == std::string::npos ? line.size() : close + 4;
        }
    }

    for (std::size_t e = low.find("</dl"); e != std::string::npos; e = low.find("</dl", e + 1)) {
        std::size_t after = e + 4;
        if (after == low.size() || IsBlank(low[after]) || low[after] == '>') {
            k.folderEnd = true;
            break;
        }
    }
    return k;
}

void SetError(std::string* error, const std::string& path, int err)
{
    if (error)
        *error = path + ": " + std::strerror(err);
}

bool ReadWholeFile(const std::string& path, std::string& content, std::string* error)
{
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        SetError(error, path, EISDIR);
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        SetError(error, path, errno ? errno : ENOENT);
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) {
        SetError(error, path, EIO);
        return false;
    }
    content = buffer.str();
    return true;
}

// The rewritten copy of a bookmark file: created beside the file it will replace, never through
// an existing link, with the file's own permissions.
class TempCopy
{
public:
    TempCopy() = default;
    TempCopy(const TempCopy&) = delete;
    TempCopy& operator=(const TempCopy&) = delete;
    ~TempCopy()
    {
        if (fd >= 0)
            ::close(fd);
        if (!name.empty())
            ::unlink(name.c_str());
    }

    bool Create(const std::string& target, std::string* error)
    {
        // Renaming would replace even a file the user may not write to; such a file stays.
        if (::access(target.c_str(), W_OK) != 0) {
            SetError(error, target, errno);
            return false;
        }
        name = target + ".tmp";
        struct stat st
        {
        };
        mode_t mode = 0644;
        if (::stat(target.c_str(), &st) == 0)
            mode = st.st_mode & 07777;
        struct stat old
        {
        };
        if (::lstat(name.c_str(), &old) == 0 && !S_ISDIR(old.st_mode))
            ::unlink(name.c_str());
        fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0) {
            SetError(error, name, errno);
            name.clear();
            return false;
        }
        return true;
    }

    bool CommitOver(const std::string& target, const std::string& data, std::string* error)
    {
        std::size_t done = 0;
        while (done < data.size()) {
            ssize_t w = ::write(fd, data.data() + done, data.size() - done);
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                SetError(error, name, errno);
                return false;
            }
            done += static_cast<std::size_t>(w);
        }
        if (::fsync(fd) != 0 || ::close(fd) != 0) {
            fd = -1;
            SetError(error, name, errno);
            return false;
        }
        fd = -1;
        if (::rename(name.c_str(), target.c_str()) != 0) {
            SetError(error, target, errno);
            return false;
        }
        name.clear();
        return true;
    }

private:
    std::string name;
    int fd = -1;
};

bool IsBlankText(const std::string& s)
{
    return std::all_of(s.begin(), s.end(), IsBlank);
}

} // namespace

bool WalkBookmarkFile(const std::string& path, bool rewrite, const BookmarkCallback& callback,
                      std::string* error)
{
    std::string content;
    if (!ReadWholeFile(path, content, error))
        return false;

    std::string folderPath = kTop;
    if (!callback(BookmarkEvent::Begin, path, folderPath, nullptr))
        rewrite = false;

    // A link to the bookmark file is kept: the copy replaces the file it points to.
    std::string target = path;
    TempCopy temp;
    if (rewrite) {
        std::error_code ec;
        if (fs::is_symlink(path, ec)) {
            fs::path real = fs::canonical(path, ec);
            if (!ec)
                target = real.string();
        }
        if (!temp.Create(target, error))
            return false;
    }

    std::string out;
    if (rewrite)
        out.reserve(content.size() + 1024);
    std::string fileEol;
    std::string insertion;
    std::size_t pos = 0;
    while (pos < content.size()) {
        std::size_t nl = content.find('\n', pos);
        std::size_t bodyEnd = nl == std::string::npos ? content.size() : nl;
        std::string eol;
        if (nl != std::string::npos) {
            eol = "\n";
            if (bodyEnd > pos && content[bodyEnd - 1] == '\r') {
                --bodyEnd;
                eol = "\r\n";
            }
            if (fileEol.empty())
                fileEol = eol;
        }
        std::string body = content.substr(pos, bodyEnd - pos);
        pos = nl == std::string::npos ? content.size() : nl + 1;

        bool keep = rewrite;
        insertion.clear();
        std::string* ins = rewrite ? &insertion : nullptr;
        const LineKinds kinds = ClassifyLine(body);

        if (kinds.heading) {
            folderPath += kinds.folderName + kTop;
            if (!callback(BookmarkEvent::Folder, kinds.folderName, folderPath, ins))
                keep = false;
        }
        if (kinds.link && !callback(BookmarkEvent::Link, kinds.url, folderPath, ins) && keep) {
            // Whatever else the line holds (a heading, another link, a "</DL>") stays.
            std::string rest = body.substr(0, kinds.linkStart) + body.substr(kinds.linkEnd);
            if (IsBlankText(rest))
                keep = false;
            else
                body = rest;
        }
        if (kinds.folderEnd) {
            // The top has no heading of its own: leaving it keeps the path at the top.
            if (folderPath.size() > kTop.size()) {
                folderPath.pop_back();
                std::size_t cut = folderPath.rfind('\\');
                if (cut != std::string::npos)
                    folderPath.erase(cut + 1);
            }
            if (!callback(BookmarkEvent::FolderEnd, std::string(), folderPath, ins))
                keep = false;
        }

        if (keep) {
            out += body;
            out += eol;
            if (!insertion.empty()) {
                const std::string& lineEol =
                    eol.empty() ? (fileEol.empty() ? std::string("\n") : fileEol) : eol;
                if (eol.empty())
                    out += lineEol;
                for (char c : insertion) {
                    if (c == '\n')
                        out += lineEol;
                    else
                        out += c;
                }
            }
        }
    }

    if (rewrite)
        return temp.CommitOver(target, out, error);
    return true;
}

bool FolderExists(const std::string& path, const std::string& folderPath)
{
    if (folderPath.empty())
        return false;
    bool found = false;
    bool walked = WalkBookmarkFile(
        path, false, [&](BookmarkEvent event, const std::string&, const std::string& current, std::string*) {
            if (event == BookmarkEvent::Folder && current == folderPath)
                found = true;
            return true;
        });
    return walked && found;
}

bool ListBookmarkFolders(const std::string& path, std::vector<BookmarkFolderNode>& nodes, std::string* error)
{
    nodes.clear();
    nodes.push_back({std::string(), kTop, -1});
    int current = 0;
    bool walked = WalkBookmarkFile(
        path, false,
        [&](BookmarkEvent event, const std::string& text, const std::string& folderPath, std::string*) {
            if (event == BookmarkEvent::Folder) {
                nodes.push_back({text, folderPath, current});
                current = static_cast<int>(nodes.size()) - 1;
            } else if (event == BookmarkEvent::FolderEnd && current != 0) {
                current = nodes[static_cast<std::size_t>(current)].parent;
            }
            return true;
        },
        error);
    if (!walked)
        nodes.clear();
    return walked;
}

int FindBookmarkFolder(const std::vector<BookmarkFolderNode>& nodes, const std::string& folderPath)
{
    if (nodes.empty())
        return -1;
    int current = 0;
    std::size_t p = folderPath.empty() || folderPath[0] != '\\' ? 0 : 1;
    while (p < folderPath.size()) {
        std::size_t sep = folderPath.find('\\', p);
        std::string name = folderPath.substr(p, sep == std::string::npos ? std::string::npos : sep - p);
        int next = -1;
        for (std::size_t i = static_cast<std::size_t>(current) + 1; i < nodes.size(); ++i) {
            if (nodes[i].parent == current && nodes[i].name == name) {
                next = static_cast<int>(i);
                break;
            }
        }
        if (next < 0)
            break;
        current = next;
        if (sep == std::string::npos)
            break;
        p = sep + 1;
    }
    return current;
}

bool ImportNetscapeBookmarks(IBookmarkImportTarget& target, const std::string& path,
                             const std::string& folderPath, bool recurse, bool deleteItems, int& count,
                             std::string* error)
{
    const std::string chosen = folderPath.empty() ? kTop : folderPath;
    return WalkBookmarkFile(
        path, deleteItems,
        [&](BookmarkEvent event, const std::string& text, const std::string& current, std::string*) {
            if (event != BookmarkEvent::Link)
                return true;
            const bool inside = current == chosen || (recurse && current.starts_with(chosen));
            if (inside && target.AddUrl(text)) {
                ++count;
                return false;
            }
            return true;
        },
        error);
}

namespace {

// Keeps an address inside its double-quoted HREF and on its one line.
std::string AttributeSafe(const std::string& url)
{
    std::string out;
    for (char c : url) {
        if (c == '"')
            out += "%22";
        else if (c != '\r' && c != '\n')
            out += c;
    }
    return out;
}

// Item numbers and server names go into the bookmark's visible title.
std::string TextSafe(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '\r':
        case '\n':
            out += ' ';
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

int ExportNetscapeBookmarks(const std::string& path, const std::string& folderPath,
                            const std::vector<ExportEntry>& entries, std::string* error)
{
    int count = 0;
    bool inserted = false;
    const std::string format = LoadResString(48);
    bool walked = WalkBookmarkFile(
        path, true,
        [&](BookmarkEvent event, const std::string&, const std::string& current, std::string* insertion) {
            // Only the first folder of that path gets the items, so that two folders with the same
            // name do not receive them twice.
            if (event == BookmarkEvent::Folder && !inserted && insertion && current == folderPath) {
                inserted = true;
                for (const ExportEntry& entry : entries) {
                    *insertion +=
                        FormatText(format, {AttributeSafe(entry.url),
                                            std::to_string(static_cast<long long>(std::time(nullptr))),
                                            TextSafe(entry.itemNumber), TextSafe(entry.serverName)});
                    *insertion += '\n';
                    ++count;
                }
            }
            return true;
        },
        error);
    return walked ? count : 0;
}

std::string FindDefaultBookmarkFile()
{
    const char* home = std::getenv("HOME");
    if (!home || !*home)
        return {};
    const fs::path h(home);
    std::error_code ec;
    auto isFile = [&](const fs::path& p) { return fs::is_regular_file(p, ec); };

    for (const fs::path& p : {h / "bookmarks.html", h / "Desktop" / "bookmarks.html",
                              h / "Downloads" / "bookmarks.html", h / ".netscape" / "bookmarks.html"}) {
        if (isFile(p))
            return p.string();
    }
    // Mozilla suites keep one per profile; old Firefox profiles did too.
    for (const fs::path& parent :
         {h / ".mozilla", h / ".mozilla" / "firefox", h / ".mozilla" / "seamonkey"}) {
        std::vector<fs::path> found;
        for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) {
            fs::path candidate = it->path() / "bookmarks.html";
            if (isFile(candidate))
                found.push_back(candidate);
        }
        if (!found.empty()) {
            std::sort(found.begin(), found.end());
            return found.front().string();
        }
    }
    return {};
}
