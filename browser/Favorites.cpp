#include "browser/Favorites.h"

#include "platform/Cp1252.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kShortcutReadLimit = 2048;

std::string Trim(const std::string& s)
{
    const char* blanks = " \t\r\f\v";
    std::size_t b = s.find_first_not_of(blanks);
    if (b == std::string::npos)
        return {};
    std::size_t e = s.find_last_not_of(blanks);
    return s.substr(b, e - b + 1);
}

bool EqualsNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool HasUrlExtension(const fs::path& p)
{
    return EqualsNoCase(p.extension().string(), ".url");
}

void SetError(std::string* error, const std::string& what, const std::error_code& ec)
{
    if (error)
        *error = what + ": " + ec.message();
}

// What went wrong along an import that still went on.
struct ImportTrouble
{
    std::string deleteError;           // the first shortcut that could not be deleted
    std::vector<std::string>* skipped; // subdirectories that could not be read, with the reason
};

// Imports one directory and, when `recurse`, its subdirectories, skipping those that cannot be
// read. False only when `dir` itself cannot be read (the reason in *error).
bool ImportDirectory(IBookmarkImportTarget& target, const fs::path& dir, bool recurse, bool deleteItems,
                     int& count, std::string* error, ImportTrouble& trouble)
{
    std::error_code ec;
    std::vector<fs::path> files;
    std::vector<fs::path> subdirs;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        // Links to directories are not followed, so a loop of links cannot recurse forever.
        if (it->is_directory(typeEc) && !it->is_symlink(typeEc))
            subdirs.push_back(it->path());
        else if (it->is_regular_file(typeEc) && HasUrlExtension(it->path()))
            files.push_back(it->path());
    }
    if (ec) {
        SetError(error, dir.string(), ec);
        return false;
    }
    std::sort(files.begin(), files.end());
    std::sort(subdirs.begin(), subdirs.end());

    for (const fs::path& file : files) {
        if (!target.AddUrl(ReadShortcutUrl(file.string())))
            continue;
        ++count;
        std::error_code rmEc;
        if (deleteItems && !fs::remove(file, rmEc) && rmEc && trouble.deleteError.empty())
            SetError(&trouble.deleteError, file.string(), rmEc);
    }
    if (recurse) {
        for (const fs::path& sub : subdirs) {
            std::string subError;
            if (!ImportDirectory(target, sub, recurse, deleteItems, count, &subError, trouble) &&
                trouble.skipped)
                trouble.skipped->push_back(subError);
        }
    }
    return true;
}

} // namespace

std::string ShortcutUrlFromText(const std::string& text)
{
    bool inSection = false;
    std::size_t pos = 0;
    // A UTF-8 byte order mark may open the file.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        pos = 3;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        std::string line = Trim(text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos));
        pos = nl == std::string::npos ? text.size() : nl + 1;
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            std::size_t close = line.find(']');
            inSection = close != std::string::npos &&
                        EqualsNoCase(Trim(line.substr(1, close - 1)), "InternetShortcut");
            continue;
        }
        if (!inSection)
            continue;
        std::size_t eq = line.find('=');
        if (eq != std::string::npos && EqualsNoCase(Trim(line.substr(0, eq)), "URL"))
            return Trim(line.substr(eq + 1));
    }
    return {};
}

std::string ReadShortcutUrl(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::string text(kShortcutReadLimit, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    const bool truncated = text.size() == kShortcutReadLimit && in.peek() != std::char_traits<char>::eof();
    if (truncated) {
        // An address cut by the limit would name another page: the unfinished last line is
        // ignored.
        std::size_t nl = text.rfind('\n');
        text.erase(nl == std::string::npos ? 0 : nl + 1);
    }
    return ShortcutUrlFromText(text);
}

bool ImportFavorites(IBookmarkImportTarget& target, const std::string& directory, bool recurse,
                     bool deleteItems, int& count, std::string* error, std::vector<std::string>* skipped)
{
    std::error_code ec;
    if (!fs::is_directory(directory, ec)) {
        SetError(error, directory, ec ? ec : std::make_error_code(std::errc::not_a_directory));
        return false;
    }
    ImportTrouble trouble{std::string(), skipped};
    if (!ImportDirectory(target, fs::path(directory), recurse, deleteItems, count, error, trouble))
        return false;
    if (!trouble.deleteError.empty()) {
        if (error)
            *error = trouble.deleteError;
        return false;
    }
    return true;
}

int ExportFavorites(const std::string& directory, const std::vector<ExportEntry>& entries, std::string* error)
{
    int count = 0;
    for (const ExportEntry& entry : entries) {
        // Names on disk are UTF-8, as the file manager and the browser show them.
        const fs::path file = fs::path(directory) / Utf8FromCp1252(entry.fileName);
        // Exclusive creation: an existing shortcut of that name, or a link there, stays as it is.
        int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0) {
            if (errno != EEXIST && error)
                *error = file.string() + ": " + std::strerror(errno);
            continue;
        }
        std::string url;
        for (char c : entry.url) {
            if (c != '\r' && c != '\n')
                url += c;
        }
        const std::string text = "[InternetShortcut]\r\nURL=" + url + "\r\n";
        bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ok = (::close(fd) == 0) && ok;
        if (!ok) {
            if (error)
                *error = file.string() + ": " + std::strerror(errno);
            ::unlink(file.c_str());
            continue;
        }
        ++count;
    }
    return count;
}

std::string DefaultFavoritesDirectory()
{
    const char* home = std::getenv("HOME");
    if (!home || !*home)
        return {};
    std::error_code ec;
    fs::path dir = fs::path(home) / "Favorites";
    return fs::is_directory(dir, ec) ? dir.string() : std::string();
}
