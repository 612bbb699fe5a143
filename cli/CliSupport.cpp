#include "cli/CliSupport.h"

#include "core/Encoding.h"
#include "core/document/AppState.h"
#include "core/document/LotwardDoc.h"
#include "core/document/OpenStep.h"
#include "core/item/Item.h"
#include "platform/Cp1252.h"
#include "platform/FileLock.h"
#include "platform/IniSettingsStore.h"
#include "platform/InterruptCleanup.h"
#include "sites/AuctionServer.h"
#include "text/ReferenceData.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <thread>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cli {

namespace {

constexpr int kBoolOptPurge = 0;
constexpr int kIntOptPurgePeriod = 0;

// A control character as a visible escape: "\x1B" below 0x80, "\u009B" for the C1 range.
std::string Escaped(char32_t codePoint)
{
    char text[12];
    std::snprintf(text, sizeof text, codePoint < 0x80 ? "\\x%02X" : "\\u%04X",
                  static_cast<unsigned>(codePoint));
    return text;
}

bool IsControl(char32_t codePoint)
{
    return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F);
}

std::chrono::milliseconds LockWait()
{
    const char* text = std::getenv("LOTWARDEN_LOCK_WAIT");
    char* end = nullptr;
    const double seconds = text && *text ? std::strtod(text, &end) : 10.0;
    if (text && *text && (*end != '\0' || !(seconds >= 0) || seconds > 86400))
        return std::chrono::seconds(10);
    return std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
}

} // namespace

bool TakeFlag(Args& args, const std::string& flag)
{
    const auto end = std::find(args.begin(), args.end(), "--");
    const auto it = std::find(args.begin(), end, flag);
    if (it == end)
        return false;
    args.erase(it);
    return true;
}

bool TakeValues(Args& args, const std::string& name, std::vector<std::string>& values)
{
    for (std::size_t i = 0; i < args.size() && args[i] != "--";) {
        if (args[i] != name) {
            ++i;
            continue;
        }
        if (i + 1 >= args.size())
            return false;
        values.push_back(args[i + 1]);
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                   args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
    }
    return true;
}

bool FinishOptions(Args& args, std::ostream& err)
{
    const auto end = std::find(args.begin(), args.end(), "--");
    for (auto it = args.begin(); it != end; ++it) {
        if (it->size() > 1 && (*it)[0] == '-') {
            err << "lotwarden: unknown option " << TerminalText(Cp1252FromUtf8(*it))
                << " (put -- before a word that starts with -)\n";
            return false;
        }
    }
    if (end != args.end())
        args.erase(end);
    return true;
}

bool CCliQuestions::AskYesNo(const std::string& text)
{
    err << Windows1252ToUtf8(text) << (backup ? " yes\n" : " no (use --backup to make the copy)\n");
    return backup;
}

void CCliQuestions::ShowError(const std::string& text)
{
    err << Windows1252ToUtf8(text) << "\n";
}

namespace {

// The folder part of a path, "./" for a bare file name.
std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

} // namespace

std::string DescribeSaveFailure(const std::string& path, const std::string& error)
{
    const std::string folder = FolderOf(path);
    struct stat info
    {
    };
    if (::stat(folder.c_str(), &info) != 0)
        return path + ": the folder " + folder + " does not exist";
    if (!S_ISDIR(info.st_mode))
        return path + ": " + folder + " is not a folder";
    if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return path + " is a folder, not a watch list";
    if (::stat(path.c_str(), &info) == 0 && ::access(path.c_str(), W_OK) != 0)
        return path + ": permission denied: the file is read-only for you";
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return path + ": permission denied: you may not write in the folder " + folder;
    return path + ": " + error;
}

std::string DescribeOpenFailure(const std::string& path, const std::string& error)
{
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0) {
        const int reason = errno;
        const std::string folder = FolderOf(path);
        struct stat folderInfo
        {
        };
        if (reason == ENOENT && ::stat(folder.c_str(), &folderInfo) != 0)
            return path + ": the folder " + folder + " does not exist";
        if (reason == ENOENT)
            return path + ": no such file";
        return path + ": " + std::strerror(reason);
    }
    if (S_ISDIR(info.st_mode))
        return path + " is a folder, not a watch list";
    if (::access(path.c_str(), R_OK) != 0)
        return path + ": permission denied: you may not read this file";
    // The message of the open step may name the path itself; it is said only once.
    if (error.find(path) != std::string::npos)
        return error;
    return path + ": " + error;
}

bool OpenForReading(CLotwardDoc& doc, const std::string& path, std::ostream& err)
{
    AppState().formatChanged = false;
    std::string error;
    const bool ok = doc.OnOpenDocument(path, &error);
    const bool old = AppState().formatChanged;
    AppState().formatChanged = false;
    if (!ok) {
        err << "lotwarden: " << DescribeOpenFailure(path, Windows1252ToUtf8(error)) << "\n";
        return false;
    }
    if (old)
        err << "lotwarden: " << path
            << " is in an older format; it was read as it is (a command that saves it converts it, "
               "--backup keeps a .old copy)\n";
    return true;
}

bool OpenWatchList(CLotwardDoc& doc, const std::string& path, bool backup, std::ostream& err)
{
    CCliQuestions questions(err, backup);
    std::string error;
    if (!OpenDocumentFile(doc, path, questions, &error)) {
        err << "lotwarden: " << DescribeOpenFailure(path, Windows1252ToUtf8(error)) << "\n";
        return false;
    }
    return true;
}

bool SaveWatchList(CLotwardDoc& doc, const std::string& path, std::ostream& out, std::ostream& err)
{
    ReportPurgedItems(doc, out);
    std::string error;
    if (!doc.OnSaveDocument(path, &error)) {
        err << "lotwarden: " << DescribeSaveFailure(path, Windows1252ToUtf8(error)) << "\n";
        return false;
    }
    return true;
}

bool ParseServerId(const std::string& text, int& id, std::ostream& err)
{
    const auto result = std::from_chars(text.data(), text.data() + text.size(), id);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        err << "lotwarden: the server id is a number (see lotwarden servers): "
            << TerminalText(Cp1252FromUtf8(text)) << "\n";
        return false;
    }
    if (!FindServer(id)) {
        err << "lotwarden: no server has the id " << id << " (see lotwarden servers)\n";
        return false;
    }
    return true;
}

CItem* FindItemArg(CLotwardDoc& doc, const std::string& word1252, int serverId, const std::string& path,
                   std::ostream& err)
{
    std::string number;
    if (const CAuctionServer* server = FindServerForUrl(word1252, &number)) {
        if (CItem* item = doc.FindItem(number, server))
            return item;
        err << "lotwarden: " << TerminalText(word1252) << " is not in " << path << "\n";
        return nullptr;
    }
    std::vector<CItem*> found;
    for (int p = 0; p < doc.GetItemCount(); ++p) {
        CItem* item = doc.GetItem(p);
        if (item->GetItemNumber() == word1252 &&
            (serverId < 0 || item->GetServerId() == static_cast<std::uint32_t>(serverId)))
            found.push_back(item);
    }
    if (found.size() == 1)
        return found[0];
    if (found.empty()) {
        err << "lotwarden: no item #" << TerminalText(word1252)
            << (serverId >= 0 ? " on server " + std::to_string(serverId) : std::string()) << " in " << path
            << "\n";
        return nullptr;
    }
    err << "lotwarden: " << found.size() << " items have the number #" << TerminalText(word1252) << " (";
    for (std::size_t i = 0; i < found.size(); ++i)
        err << (i ? ", " : "") << "server " << found[i]->GetServerId();
    err << "); say which with --server ID\n";
    return nullptr;
}

bool RequireReferenceData(std::ostream& err)
{
    if (TheReferenceData().CanOpen())
        return true;
    err << "lotwarden: " << TheReferenceData().GetPath()
        << " is missing or unreadable; it holds the sites' time zones, categories and search addresses"
           " (reinstall the program)\n";
    return false;
}

bool LockWatchList(CFileLock& lock, const std::string& path, std::ostream& err)
{
    const auto wait = LockWait();
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + wait;
    bool told = false;
    for (;;) {
        switch (lock.TryLockFile(path)) {
        case CFileLock::Result::Locked:
        case CFileLock::Result::Missing:
        case CFileLock::Result::Failed:
            return true;
        case CFileLock::Result::NotRegular:
            err << "lotwarden: " << path << " is not a regular file; nothing was read or written\n";
            return false;
        case CFileLock::Result::Busy:
            break;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            err << "lotwarden: " << path
                << " is still being changed by another program; nothing was changed, try again later\n";
            return false;
        }
        // Short waits, as between two quick commands, pass without a word.
        if (!told && now - start >= std::chrono::milliseconds(500)) {
            err << "lotwarden: " << path << " is being changed by another program; waiting up to "
                << std::chrono::duration_cast<std::chrono::seconds>(wait).count() << " s\n";
            err.flush();
            told = true;
        }
        // Polled: flock cannot wait with a time limit.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

CUserOptions::CUserOptions()
{
    CIniSettingsStore store;
    options.Read(store);
    // A limit below 1 would leave every download waiting for ever.
    options.simultDownload = std::max(options.simultDownload, 1);
    SetAppOptions(&options);
}

CUserOptions::~CUserOptions()
{
    SetAppOptions(nullptr);
}

void ReportPurgedItems(const CLotwardDoc& doc, std::ostream& out)
{
    if (!GetBoolOption(kBoolOptPurge))
        return;
    const int days = GetIntOption(kIntOptPurgePeriod);
    for (int i = 0; i < doc.GetItemCount(); ++i)
        if (!doc.GetItem(i)->KeepOnSave())
            out << "Purged " << DescribeItem(*doc.GetItem(i)) << ": finished more than " << days
                << (days == 1 ? " day" : " days") << " ago\n";
}

std::string DescribeItem(const CItem& item)
{
    const CAuctionServer* server = item.GetServer();
    return TerminalText("#" + item.GetItemNumber() + " on " +
                        (server ? server->GetDisplayName() : "server " + std::to_string(item.GetServerId())));
}

std::string TerminalText(const std::string& text1252)
{
    std::string out;
    out.reserve(text1252.size());
    for (unsigned char byte : text1252) {
        const char32_t codePoint = Cp1252ToCodePoint(byte);
        if (IsControl(codePoint))
            out += Escaped(codePoint);
        else
            AppendUtf8(out, codePoint);
    }
    return out;
}

bool ArgToWindows1252(const std::string& utf8, std::string& text1252, std::ostream& err)
{
    text1252.clear();
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t codePoint = 0;
        const std::size_t length = DecodeUtf8(utf8, pos, codePoint);
        if (length == 0) {
            err << "lotwarden: \"" << TerminalText(Cp1252FromUtf8(utf8)) << "\" is not UTF-8 text\n";
            return false;
        }
        const char byte = CodePointToCp1252(codePoint);
        if (byte == '?' && codePoint != U'?') {
            char number[16];
            std::snprintf(number, sizeof number, "U+%04X", static_cast<unsigned>(codePoint));
            err << "lotwarden: the character "
                << (IsControl(codePoint) ? Escaped(codePoint) : utf8.substr(pos, length)) << " (" << number
                << ") cannot be kept: watch lists hold Windows-1252 text\n";
            return false;
        }
        text1252 += byte;
        pos += length;
    }
    return true;
}

std::string JsonString(const std::string& text1252)
{
    std::string out = "\"";
    for (unsigned char byte : text1252) {
        const char32_t codePoint = Cp1252ToCodePoint(byte);
        switch (codePoint) {
        case U'"':
            out += "\\\"";
            break;
        case U'\\':
            out += "\\\\";
            break;
        case U'\n':
            out += "\\n";
            break;
        case U'\r':
            out += "\\r";
            break;
        case U'\t':
            out += "\\t";
            break;
        default:
            if (IsControl(codePoint)) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(codePoint));
                out += escaped;
            } else {
                AppendUtf8(out, codePoint);
            }
        }
    }
    return out + "\"";
}

CTerminalSafeBuf::~CTerminalSafeBuf()
{
    sync();
}

bool CTerminalSafeBuf::Put(const std::string& text)
{
    if (!failed && to->sputn(text.data(), static_cast<std::streamsize>(text.size())) !=
                       static_cast<std::streamsize>(text.size()))
        failed = true;
    return !failed;
}

CTerminalSafeBuf::int_type CTerminalSafeBuf::overflow(int_type ch)
{
    if (traits_type::eq_int_type(ch, traits_type::eof()))
        return sync() == 0 ? traits_type::not_eof(ch) : traits_type::eof();
    const char c = traits_type::to_char_type(ch);
    return xsputn(&c, 1) == 1 ? ch : traits_type::eof();
}

std::streamsize CTerminalSafeBuf::xsputn(const char* text, std::streamsize count)
{
    std::string out;
    out.reserve(static_cast<std::size_t>(count));
    for (std::streamsize i = 0; i < count; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (afterCr) {
            afterCr = false;
            out += byte == '\n' ? "\r" : Escaped('\r');
        }
        if (afterC2) {
            afterC2 = false;
            if (byte >= 0x80 && byte <= 0x9F) {
                out += Escaped(byte);
                continue;
            }
            out += '\xC2';
        }
        if (byte == 0xC2)
            afterC2 = true;
        else if (byte == '\r')
            afterCr = true;
        else if ((byte < 0x20 && byte != '\n' && byte != '\t') || byte == 0x7F)
            out += Escaped(byte);
        else
            out += static_cast<char>(byte);
    }
    return Put(out) ? count : 0;
}

int CTerminalSafeBuf::sync()
{
    if (afterCr) {
        afterCr = false;
        Put(Escaped('\r'));
    }
    if (afterC2) {
        afterC2 = false;
        Put("\xC2");
    }
    if (to->pubsync() != 0)
        failed = true;
    return failed ? -1 : 0;
}

void InstallInterruptHandling()
{
    sigset_t signals;
    sigemptyset(&signals);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        sigaddset(&signals, sig);
    if (pthread_sigmask(SIG_BLOCK, &signals, nullptr) != 0)
        return;
    std::thread([signals] {
        int sig = 0;
        if (sigwait(&signals, &sig) != 0)
            return;
        // The watch list itself needs nothing: a save replaces it in one rename, so it is
        // always the old or the new version.
        RemoveFilesOfInterruptedProgram();
        static const char message[] = "lotwarden: interrupted\n";
        [[maybe_unused]] const ssize_t ignored = ::write(STDERR_FILENO, message, sizeof message - 1);
        ::_exit(128 + sig);
    }).detach();
}

} // namespace cli
