#include "browser/BookmarkFile.h"

#include "core/StringTable.h"
#include "platform/Cp1252.h"

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

// Length of the character reference "&...;" at `i` and its text, or 0 when there is none.
std::size_t ReadEntity(const std::string& s, std::size_t i, std::string& text)
{
    static const std::pair<const char*, const char*> kNamed[] = {
        {"quot", "\""}, {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"apos", "'"}, {"nbsp", "\xC2\xA0"}};
    const std::size_t semi = s.find(';', i + 1);
    if (semi == std::string::npos || semi - i > 10)
        return 0;
    std::string name = s.substr(i + 1, semi - i - 1);
    std::transform(name.begin(), name.end(), name.begin(), LowerAscii);
    if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x';
        const std::string digits = name.substr(hex ? 2 : 1);
        if (digits.empty() ||
            digits.find_first_not_of(hex ? "0123456789abcdef" : "0123456789") != std::string::npos)
            return 0;
        const unsigned long cp = std::stoul(digits, nullptr, hex ? 16 : 10);
        if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return 0;
        text.clear();
        AppendUtf8(text, static_cast<char32_t>(cp));
        return semi - i + 1;
    }
    for (const auto& [entity, value] : kNamed) {
        if (name == entity) {
            text = value;
            return semi - i + 1;
        }
    }
    return 0;
}

} // namespace

std::string DecodeBookmarkText(const std::string& s)
{
    if (s.find('&') == std::string::npos)
        return s;
    std::string out;
    out.reserve(s.size());
    std::string text;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t len = s[i] == '&' ? ReadEntity(s, i, text) : 0;
        if (len > 0) {
            out += text;
            i += len;
        } else {
            out += s[i++];
        }
    }
    return out;
}

namespace {

struct LineKinds
{
    bool heading = false;
    std::string folderName;
    bool link = false;
    std::string url;
    std::size_t linkStart = 0; // span of "<DT><A ...>...</A>"
    std::size_t linkEnd = 0;
    bool descriptionRunsOn = false; // the link's description goes on past the end of the line
    bool folderEnd = false;
    bool listStart = false; // a "<DL>" that opens a folder's list
};

// The "<dl>" or "</dl>" (closing) tag at or after `from` in the lower-case line, followed by a
// blank or ">"; npos when there is none.
std::size_t FindListTag(const std::string& low, bool closing, std::size_t from = 0)
{
    const char* tag = closing ? "</dl" : "<dl";
    const std::size_t len = closing ? 4 : 3;
    for (std::size_t e = low.find(tag, from); e != std::string::npos; e = low.find(tag, e + 1)) {
        std::size_t after = e + len;
        if (after == low.size() || IsBlank(low[after]) || low[after] == '>')
            return e;
    }
    return std::string::npos;
}

std::size_t SkipBlanks(const std::string& s, std::size_t from)
{
    while (from < s.size() && IsBlank(s[from]))
        ++from;
    return from;
}

// True when the lower-case text at `pos` opens a "<dd>" description.
bool IsDescriptionAt(const std::string& low, std::size_t pos)
{
    return low.compare(pos, 4, "<dd>") == 0;
}

// Where a description that starts at `pos` ends on its line: before the next tag that opens
// or closes a bookmark, a folder or a list; npos when it runs to the end of the line (and may
// go on over the following lines).
std::size_t DescriptionEnd(const std::string& low, std::size_t pos)
{
    for (std::size_t lt = low.find('<', pos + 4); lt != std::string::npos; lt = low.find('<', lt + 1)) {
        for (const char* tag : {"<dt", "<dl", "</dl", "<dd", "<hr", "<h3"}) {
            if (low.compare(lt, std::strlen(tag), tag) == 0)
                return lt;
        }
    }
    return std::string::npos;
}

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
            k.url = DecodeBookmarkText(href);
            k.linkStart = dt;
            std::size_t close = low.find("</a>", tagEnd);
            k.linkEnd = close == std::string::npos ? line.size() : close + 4;
        }
    }

    k.listStart = FindListTag(low, false) != std::string::npos;
    k.folderEnd = FindListTag(low, true) != std::string::npos;
    if (k.link) {
        // A description written on the link's own line goes with the link.
        const std::size_t dd = SkipBlanks(low, k.linkEnd);
        if (IsDescriptionAt(low, dd)) {
            const std::size_t end = DescriptionEnd(low, dd);
            k.linkEnd = end == std::string::npos ? line.size() : end;
            k.descriptionRunsOn = end == std::string::npos;
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

// The rewritten copy of a bookmark file: created beside the file it will replace under a name
// of its own (never one that exists, never through a link), with the file's permissions, owner
// and group, so that the renamed copy is the same file to everybody but for its lines.
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
        struct stat st
        {
        };
        if (::stat(target.c_str(), &st) != 0) {
            SetError(error, target, errno);
            return false;
        }
        std::string pattern = target + ".lw-XXXXXX";
        fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd < 0) {
            SetError(error, target, errno);
            return false;
        }
        name = pattern;
        if ((st.st_uid != ::geteuid() || st.st_gid != ::getegid()) &&
            ::fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Another owner's file would become ours: it is left as it is.
            SetError(error, target, errno);
            return false;
        }
        if (::fchmod(fd, st.st_mode & 07777) != 0) {
            SetError(error, target, errno);
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
                SetError(error, target, errno);
                return false;
            }
            done += static_cast<std::size_t>(w);
        }
        const bool synced = ::fsync(fd) == 0;
        const int syncErr = errno;
        const bool closed = ::close(fd) == 0;
        fd = -1;
        if (!synced || !closed) {
            SetError(error, target, synced ? errno : syncErr);
            return false;
        }
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

// The first character that is not blank, or 0 for a blank line.
char FirstNonBlank(const std::string& s)
{
    const std::size_t p = SkipBlanks(s, 0);
    return p < s.size() ? s[p] : '\0';
}

std::string LowerCopy(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), LowerAscii);
    return s;
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
    // Set while the description of a dropped link goes on over the following lines.
    enum class Orphan
    {
        None,
        AfterLink,
        InDescription
    } orphan = Orphan::None;
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

        if (orphan != Orphan::None) {
            // The description of a dropped link ("<DD>...", on this line and the lines of text
            // after it) goes with its link, instead of passing to the bookmark before it.
            const char first = FirstNonBlank(body);
            if (orphan == Orphan::InDescription && first != '<') {
                continue;
            }
            orphan = Orphan::None;
            if (first == '<') {
                const std::string low = LowerCopy(body);
                const std::size_t dd = SkipBlanks(low, 0);
                if (IsDescriptionAt(low, dd)) {
                    const std::size_t end = DescriptionEnd(low, dd);
                    if (end == std::string::npos) {
                        orphan = Orphan::InDescription;
                        continue;
                    }
                    body.erase(0, end);
                }
            }
        }

        bool keep = rewrite;
        insertion.clear();
        std::string* ins = rewrite ? &insertion : nullptr;
        const LineKinds kinds = ClassifyLine(body);

        if (kinds.heading) {
            folderPath += kinds.folderName + kTop;
            if (!callback(BookmarkEvent::Folder, kinds.folderName, folderPath, ins))
                keep = false;
        }
        if (kinds.listStart && !callback(BookmarkEvent::ListStart, std::string(), folderPath, ins))
            keep = false;
        if (kinds.link && !callback(BookmarkEvent::Link, kinds.url, folderPath, ins) && keep) {
            // Whatever else the line holds (a heading, another link, a "</DL>") stays.
            std::string rest = body.substr(0, kinds.linkStart) + body.substr(kinds.linkEnd);
            if (IsBlankText(rest)) {
                keep = false;
            } else {
                body = rest;
            }
            orphan = kinds.descriptionRunsOn ? Orphan::InDescription : Orphan::AfterLink;
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
    nodes.push_back({std::string(), -1});
    int current = 0;
    bool walked = WalkBookmarkFile(
        path, false,
        [&](BookmarkEvent event, const std::string& text, const std::string&, std::string*) {
            if (event == BookmarkEvent::Folder) {
                nodes.push_back({text, current});
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

std::string BookmarkFolderPath(const std::vector<BookmarkFolderNode>& nodes, int index)
{
    std::vector<const std::string*> names;
    for (int i = index; i > 0 && static_cast<std::size_t>(i) < nodes.size();
         i = nodes[static_cast<std::size_t>(i)].parent)
        names.push_back(&nodes[static_cast<std::size_t>(i)].name);
    std::string path = kTop;
    for (auto it = names.rbegin(); it != names.rend(); ++it)
        path += **it + kTop;
    return path;
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
    // The new lines go inside the folder's own list, right after the "<DL><p>" that opens it
    // (after its heading, and after the description today's browsers write between the two),
    // so that every reader files them in that folder. A folder that has no list of its own
    // gets them after its heading. Only the first folder of that path gets them, so that two
    // folders with the same name do not receive them twice. The first walk finds the line, the
    // second writes.
    constexpr long kNone = -1;
    long eventNumber = 0;
    long heading = kNone;
    long insertAt = kNone;
    bool walked = WalkBookmarkFile(
        path, false,
        [&](BookmarkEvent event, const std::string&, const std::string& current, std::string*) {
            ++eventNumber;
            if (insertAt != kNone)
                return true;
            if (heading != kNone) {
                insertAt = event == BookmarkEvent::ListStart ? eventNumber : heading;
            } else if (event == BookmarkEvent::Folder && current == folderPath) {
                heading = eventNumber;
            }
            return true;
        },
        error);
    if (!walked)
        return 0;
    if (insertAt == kNone)
        insertAt = heading;
    if (insertAt == kNone)
        return 0;

    int count = 0;
    eventNumber = 0;
    const std::string format = LoadResString(48);
    walked = WalkBookmarkFile(
        path, true,
        [&](BookmarkEvent, const std::string&, const std::string&, std::string* insertion) {
            if (++eventNumber != insertAt || !insertion)
                return true;
            for (const ExportEntry& entry : entries) {
                *insertion += FormatText(format, {AttributeSafe(entry.url),
                                                  std::to_string(static_cast<long long>(std::time(nullptr))),
                                                  TextSafe(entry.itemNumber), TextSafe(entry.serverName)});
                *insertion += '\n';
                ++count;
            }
            return true;
        },
        error);
    return walked ? count : 0;
}

std::string ResolveBookmarkFolder(const std::string& path, const std::string& typedPath)
{
    if (typedPath == kTop)
        return kTop;
    std::string exact;
    std::string decoded;
    std::string plain = kTop; // the current folder path with its names decoded
    std::vector<std::size_t> marks;
    WalkBookmarkFile(
        path, false,
        [&](BookmarkEvent event, const std::string& text, const std::string& current, std::string*) {
            if (event == BookmarkEvent::Folder) {
                marks.push_back(plain.size());
                plain += DecodeBookmarkText(text) + kTop;
                if (exact.empty() && current == typedPath)
                    exact = current;
                if (decoded.empty() && plain == typedPath)
                    decoded = current;
            } else if (event == BookmarkEvent::FolderEnd && !marks.empty()) {
                plain.erase(marks.back());
                marks.pop_back();
            }
            return true;
        });
    return !exact.empty() ? exact : decoded;
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
