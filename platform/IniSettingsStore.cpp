#include "platform/IniSettingsStore.h"

#include "platform/Cp1252.h"
#include "platform/FileLock.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kHexUpper = "0123456789ABCDEF";

std::string EnvOrEmpty(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

int HexValue(char32_t c)
{
    if (c >= '0' && c <= '9')
        return static_cast<int>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<int>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return static_cast<int>(c - 'A' + 10);
    return -1;
}

// Decodes UTF-8, taking any malformed byte as a Windows-1252 character.
std::u32string DecodeLenient(std::string_view bytes)
{
    std::u32string out;
    size_t pos = 0;
    while (pos < bytes.size()) {
        char32_t cp = 0;
        const size_t length = DecodeUtf8(bytes, pos, cp);
        if (length == 0) {
            out += Cp1252ToCodePoint(static_cast<unsigned char>(bytes[pos]));
            ++pos;
        } else {
            out += cp;
            pos += length;
        }
    }
    return out;
}

std::string ToCp1252(const std::u32string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char32_t cp : text)
        out += CodePointToCp1252(cp);
    return out;
}

std::u32string FromCp1252(const std::string& text)
{
    std::u32string out;
    out.reserve(text.size());
    for (char c : text)
        out += Cp1252ToCodePoint(static_cast<unsigned char>(c));
    return out;
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// Finds the next logical line the way QSettings does: a line ends at a line break or at a ";"
// outside double quotes; a backslash protects the next character (and a CR/LF pair); lines
// that start with ";" are comments. Returns false at the end of the data.
bool ReadIniLine(std::string_view data, size_t& dataPos, size_t& lineStart, size_t& lineLength, size_t& equalsPos)
{
    bool inQuotes = false;
    equalsPos = std::string_view::npos;
    lineStart = dataPos;
    while (lineStart < data.size() && IsSpace(data[lineStart]))
        ++lineStart;

    size_t i = lineStart;
    while (i < data.size()) {
        const char ch = data[i++];
        if (ch == '=') {
            if (!inQuotes && equalsPos == std::string_view::npos)
                equalsPos = i - 1;
        } else if (ch == '\n' || ch == '\r') {
            if (i == lineStart + 1) {
                ++lineStart;
            } else if (!inQuotes) {
                --i;
                break;
            }
        } else if (ch == '\\') {
            if (i < data.size()) {
                const char next = data[i++];
                if (i < data.size()) {
                    const char after = data[i];
                    if ((next == '\n' && after == '\r') || (next == '\r' && after == '\n'))
                        ++i;
                }
            }
        } else if (ch == '"') {
            inQuotes = !inQuotes;
        } else if (ch == ';') {
            if (i == lineStart + 1) {
                while (i < data.size() && data[i] != '\n' && data[i] != '\r')
                    ++i;
                while (i < data.size() && IsSpace(data[i]))
                    ++i;
                lineStart = i;
            } else if (!inQuotes) {
                --i;
                break;
            }
        }
    }
    dataPos = i;
    lineLength = i - lineStart;
    return lineLength > 0;
}

// A section or value name: "%XX" and "%UXXXX" give characters, a backslash gives "/".
std::string UnescapeName(std::string_view escaped)
{
    const std::u32string text = DecodeLenient(escaped);
    std::u32string out;
    size_t i = 0;
    while (i < text.size()) {
        const char32_t ch = text[i];
        if (ch == '\\') {
            out += U'/';
            ++i;
            continue;
        }
        if (ch != '%' || i + 1 == text.size()) {
            out += ch;
            ++i;
            continue;
        }
        size_t first = i + 1;
        size_t digits = 2;
        if (text[first] == 'U') {
            ++first;
            digits = 4;
        }
        char32_t value = 0;
        bool ok = first + digits <= text.size();
        for (size_t d = 0; ok && d < digits; ++d) {
            const int h = HexValue(text[first + d]);
            ok = h >= 0;
            value = (value << 4) | static_cast<char32_t>(h < 0 ? 0 : h);
        }
        if (!ok) {
            out += U'%';
            ++i;
            continue;
        }
        out += value;
        i = first + digits;
    }
    return ToCp1252(out);
}

// A value as QSettings reads it: escapes, double-quoted runs, and unquoted commas that make
// a list. A list (hand-edited or written by another tool) is joined back with ",".
std::string UnescapeValue(std::string_view raw)
{
    std::vector<std::u32string> list;
    bool isList = false;
    std::u32string current;
    bool inQuotes = false;
    bool currentQuoted = false;
    size_t chopLimit = 0;
    size_t i = 0;

    const auto skipBlanks = [&] {
        while (i < raw.size() && (raw[i] == ' ' || raw[i] == '\t'))
            ++i;
        chopLimit = current.size();
    };
    const auto chopTrailing = [&] {
        while (current.size() > chopLimit && (current.back() == U' ' || current.back() == U'\t'))
            current.pop_back();
    };

    skipBlanks();
    while (i < raw.size()) {
        const char ch = raw[i];
        if (ch == '\\') {
            ++i;
            if (i >= raw.size())
                break;
            const char esc = raw[i++];
            switch (esc) {
            case 'a': current += U'\a'; break;
            case 'b': current += U'\b'; break;
            case 'f': current += U'\f'; break;
            case 'n': current += U'\n'; break;
            case 'r': current += U'\r'; break;
            case 't': current += U'\t'; break;
            case 'v': current += U'\v'; break;
            case '"': current += U'"'; break;
            case '?': current += U'?'; break;
            case '\'': current += U'\''; break;
            case '\\': current += U'\\'; break;
            case 'x': {
                char32_t value = 0;
                size_t digits = 0;
                while (i < raw.size() && HexValue(static_cast<unsigned char>(raw[i])) >= 0 && digits < 8) {
                    value = (value << 4) | static_cast<char32_t>(HexValue(static_cast<unsigned char>(raw[i])));
                    ++i, ++digits;
                }
                if (digits > 0)
                    current += value & 0xFFFF;
                break;
            }
            case '\n':
            case '\r':
                if (i < raw.size() && (raw[i] == '\n' || raw[i] == '\r') && raw[i] != esc)
                    ++i;
                break;
            default:
                if (esc >= '0' && esc <= '7') {
                    char32_t value = static_cast<char32_t>(esc - '0');
                    while (i < raw.size() && raw[i] >= '0' && raw[i] <= '7' && value < 0x2000)
                        value = (value << 3) | static_cast<char32_t>(raw[i++] - '0');
                    current += value & 0xFFFF;
                }
                break;
            }
            chopLimit = current.size();
        } else if (ch == '"') {
            ++i;
            currentQuoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes)
                skipBlanks();
        } else if (ch == ',' && !inQuotes) {
            if (!currentQuoted)
                chopTrailing();
            isList = true;
            list.push_back(current);
            current.clear();
            currentQuoted = false;
            ++i;
            skipBlanks();
        } else {
            size_t j = i + 1;
            while (j < raw.size() && raw[j] != '\\' && raw[j] != '"' && raw[j] != ',')
                ++j;
            current += DecodeLenient(raw.substr(i, j - i));
            i = j;
        }
    }
    if (!currentQuoted)
        chopTrailing();

    std::u32string value;
    if (isList) {
        list.push_back(current);
        for (size_t n = 0; n < list.size(); ++n)
            value += (n ? U"," : U"") + list[n];
    } else {
        value = current;
        if (value.starts_with(U"@@"))
            value.erase(0, 1);
        else if (value.starts_with(U"@String(") && value.ends_with(U")"))
            value = value.substr(8, value.size() - 9);
        else if (value == U"@Invalid()")
            value.clear();
    }
    return ToCp1252(value);
}

bool WriteAll(int fd, const std::string& data)
{
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

void MakeDirectories(const std::string& dir)
{
    if (dir.empty())
        return;
    for (size_t slash = dir.find('/', 1); ; slash = dir.find('/', slash + 1)) {
        const std::string part = dir.substr(0, slash);
        ::mkdir(part.c_str(), 0777);
        if (slash == std::string::npos)
            break;
    }
}

std::string DirectoryOf(const std::string& file)
{
    const size_t slash = file.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : file.substr(0, slash);
}

// Writes `text` to a new file beside `target` and renames it over `target` only once the
// whole text is on disk. Replaces a symbolic link's destination rather than the link.
bool SaveAtomically(const std::string& path, const std::string& text, const std::string& damagedCopy)
{
    std::string target = path;
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            target = resolved;
            std::free(resolved);
        }
    }
    MakeDirectories(DirectoryOf(target));

    mode_t mode = 0644;
    if (::stat(target.c_str(), &info) == 0)
        mode = info.st_mode & 07777;

    std::string temp = target + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, text) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    const bool keptAside = ok && !damagedCopy.empty() && ::rename(target.c_str(), damagedCopy.c_str()) == 0;
    if (ok)
        ok = ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        if (keptAside)
            ::rename(damagedCopy.c_str(), target.c_str());
        ::unlink(temp.c_str());
        return false;
    }
    const int dirFd = ::open(DirectoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

} // namespace

std::string SettingsDirectory()
{
    std::string base = EnvOrEmpty("XDG_CONFIG_HOME");
    if (base.empty() || base[0] != '/')
        base = EnvOrEmpty("HOME") + "/.config";
    return base + "/Ashgrove";
}

std::string DefaultSettingsPath()
{
    return SettingsDirectory() + "/Lotwarden.ini";
}

std::string MachineSettingsPath()
{
    const std::string systemDir = "/etc/xdg/Ashgrove";
    const std::string systemFile = systemDir + "/Lotwarden.ini";
    bool writable = ::geteuid() == 0;
    if (!writable) {
        if (::access(systemFile.c_str(), F_OK) == 0)
            writable = ::access(systemFile.c_str(), W_OK) == 0;
        else if (::access(systemDir.c_str(), F_OK) == 0)
            writable = ::access(systemDir.c_str(), W_OK) == 0;
        else
            writable = ::access("/etc/xdg", W_OK) == 0;
    }
    return writable ? systemFile : SettingsDirectory() + "/LotwardenMachine.ini";
}

std::vector<std::string> SystemDefaultsPaths()
{
    std::string dirs = EnvOrEmpty("XDG_CONFIG_DIRS");
    if (dirs.empty())
        dirs = "/etc/xdg";
    std::vector<std::string> files;
    for (size_t start = 0; start <= dirs.size();) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        const std::string dir = dirs.substr(start, end - start);
        if (!dir.empty() && dir.front() == '/')
            files.push_back(dir + "/Ashgrove/Lotwarden.ini");
        start = end + 1;
    }
    return files;
}

CIniSettingsStore::CIniSettingsStore(std::string file) : path(std::move(file))
{
    loadState = ReadFile(path, table);
}

CIniSettingsStore::CIniSettingsStore() : CIniSettingsStore(DefaultSettingsPath())
{
    // The strongest defaults are applied last.
    const std::vector<std::string> files = SystemDefaultsPaths();
    for (auto file = files.rbegin(); file != files.rend(); ++file) {
        CSettingsTable layer;
        if (*file == path || ReadFile(*file, layer) != LoadState::Loaded)
            continue;
        for (const CSettingsTable::Section& section : layer.Sections())
            for (const auto& [key, value] : section.values)
                defaults.Apply({SettingsChange::Set, section.name, key, value});
    }
}

int CIniSettingsStore::GetInt(const std::string& section, const std::string& key, int defaultValue) const
{
    if (CMemorySettingsStore::HasValue(section, key))
        return CMemorySettingsStore::GetInt(section, key, defaultValue);
    const std::string* text = defaults.Find(section, key);
    int value = defaultValue;
    return text && ParseSettingsInt(*text, value) ? value : defaultValue;
}

std::string CIniSettingsStore::GetString(const std::string& section, const std::string& key,
                                         const std::string& defaultValue) const
{
    if (CMemorySettingsStore::HasValue(section, key))
        return CMemorySettingsStore::GetString(section, key, defaultValue);
    const std::string* text = defaults.Find(section, key);
    return text ? *text : defaultValue;
}

bool CIniSettingsStore::HasValue(const std::string& section, const std::string& key) const
{
    return CMemorySettingsStore::HasValue(section, key) || defaults.Find(section, key);
}

std::vector<std::string> CIniSettingsStore::GetValueNames(const std::string& section) const
{
    std::vector<std::string> names = CMemorySettingsStore::GetValueNames(section);
    for (const std::string& name : defaults.ValueNames(section))
        if (!CMemorySettingsStore::HasValue(section, name))
            names.push_back(name);
    return names;
}

CIniSettingsStore::~CIniSettingsStore()
{
    Flush();
}

void CIniSettingsStore::OnChange(const SettingsChange& change)
{
    pending.push_back(change);
}

CIniSettingsStore::LoadState CIniSettingsStore::ReadFile(const std::string& file, CSettingsTable& into)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? LoadState::Missing : LoadState::Unreadable;
    std::string data;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return LoadState::Unreadable;
        }
        if (n == 0)
            break;
        data.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return ParseIni(data, into) ? LoadState::Loaded : LoadState::Damaged;
}

bool CIniSettingsStore::ParseIni(std::string_view data, CSettingsTable& into)
{
    if (data.find('\0') != std::string_view::npos)
        return false;
    if (data.starts_with("\xEF\xBB\xBF"))
        data.remove_prefix(3);

    std::string section;
    size_t dataPos = 0, lineStart = 0, lineLength = 0, equalsPos = 0;
    while (ReadIniLine(data, dataPos, lineStart, lineLength, equalsPos)) {
        const std::string_view line = data.substr(lineStart, lineLength);
        if (line.front() == '[') {
            size_t close = line.find(']');
            if (close == std::string_view::npos)
                close = line.size();
            const std::string_view name = Trim(line.substr(1, close - 1));
            if (name.size() == 7 && SettingsNamesEqual(std::string(name), "general"))
                section.clear();
            else if (name.size() == 8 && SettingsNamesEqual(std::string(name), "%general"))
                section = std::string(name.substr(1));
            else
                section = UnescapeName(name);
            continue;
        }
        if (equalsPos == std::string_view::npos)
            continue;
        const size_t equals = equalsPos - lineStart;
        const std::string key = UnescapeName(Trim(line.substr(0, equals)));
        if (key.empty())
            continue;
        into.Apply({SettingsChange::Set, section, key, UnescapeValue(line.substr(equals + 1))});
    }
    return true;
}

std::string CIniSettingsStore::EscapeName(const std::string& name)
{
    // QSettings writes "/" (its group separator) as a backslash; "%2F" reads back the same in
    // QSettings and cannot escape the "=" that follows a name ending in "/".
    std::string out;
    for (char32_t ch : FromCp1252(name)) {
        if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '_' || ch == '-'
            || ch == '.') {
            out += static_cast<char>(ch);
        } else if (ch <= 0xFF) {
            out += '%';
            out += kHexUpper[ch / 16];
            out += kHexUpper[ch % 16];
        } else {
            out += "%U";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += kHexUpper[(ch >> shift) & 0xF];
        }
    }
    return out;
}

std::string CIniSettingsStore::EscapeValue(const std::string& value)
{
    // QSettings marks its typed values with a leading "@": a text holding a NUL is wrapped in
    // "@String(...)", another text that starts with "@" gets it doubled.
    std::u32string text = FromCp1252(value);
    if (text.find(U'\0') != std::u32string::npos)
        text = U"@String(" + text + U")";
    else if (!text.empty() && text.front() == U'@')
        text.insert(text.begin(), U'@');

    std::string out;
    bool needsQuotes = false;
    bool escapeNextIfHex = false;
    const auto hexEscape = [&](char32_t ch) {
        static constexpr const char* kHexLower = "0123456789abcdef";
        std::string digits;
        do {
            digits.insert(digits.begin(), kHexLower[ch & 0xF]);
            ch >>= 4;
        } while (ch);
        out += "\\x" + digits;
    };
    for (char32_t ch : text) {
        if (ch == ';' || ch == ',' || ch == '=')
            needsQuotes = true;
        if (escapeNextIfHex && HexValue(ch) >= 0) {
            hexEscape(ch);
            continue;
        }
        escapeNextIfHex = false;
        switch (ch) {
        case U'\0': out += "\\0"; escapeNextIfHex = true; break;
        case U'\a': out += "\\a"; break;
        case U'\b': out += "\\b"; break;
        case U'\f': out += "\\f"; break;
        case U'\n': out += "\\n"; break;
        case U'\r': out += "\\r"; break;
        case U'\t': out += "\\t"; break;
        case U'\v': out += "\\v"; break;
        case U'"':
        case U'\\':
            out += '\\';
            out += static_cast<char>(ch);
            break;
        default:
            if (ch <= 0x1F) {
                hexEscape(ch);
                escapeNextIfHex = true;
            } else {
                AppendUtf8(out, ch);
            }
        }
    }
    if (needsQuotes || (!out.empty() && (out.front() == ' ' || out.back() == ' ')))
        out = '"' + out + '"';
    return out;
}

std::string CIniSettingsStore::FormatIni(const CSettingsTable& from)
{
    std::string out;
    bool first = true;
    for (const CSettingsTable::Section& section : from.Sections()) {
        if (section.values.empty())
            continue;
        std::string header = EscapeName(section.name);
        if (header.empty())
            header = "[General]";
        else if (SettingsNamesEqual(header, "general"))
            header = "[%General]";
        else
            header = '[' + header + ']';
        if (!first)
            out += '\n';
        first = false;
        out += header + '\n';
        for (const auto& [key, value] : section.values)
            out += EscapeName(key) + '=' + EscapeValue(value) + '\n';
    }
    return out;
}

bool CIniSettingsStore::Flush()
{
    std::lock_guard lock(mutex);
    if (pending.empty())
        return true;

    // Programs flushing this file at the same moment take turns: each re-reads the file and
    // renames its new version over it under a lock on the folder (never replaced, unlike the
    // file), so that none of them drops the values another has just written.
    MakeDirectories(DirectoryOf(path));
    CFileLock folderLock;
    folderLock.LockDirectory(DirectoryOf(path));

    CSettingsTable merged;
    const LoadState onDisk = ReadFile(path, merged);
    if (onDisk == LoadState::Unreadable)
        return false;
    if (onDisk == LoadState::Damaged) {
        merged = table;
    } else {
        for (const SettingsChange& change : pending)
            merged.Apply(change);
    }
    if (!SaveAtomically(path, FormatIni(merged), onDisk == LoadState::Damaged ? path + ".damaged" : std::string()))
        return false;
    table = std::move(merged);
    pending.clear();
    loadState = LoadState::Loaded;
    return true;
}
