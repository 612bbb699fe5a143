#include "cli/CliSupport.h"

#include "core/Encoding.h"
#include "core/document/LotwardDoc.h"
#include "core/item/Item.h"
#include "platform/Cp1252.h"
#include "platform/FileLock.h"
#include "platform/IniSettingsStore.h"
#include "platform/InterruptCleanup.h"
#include "sites/AuctionServer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <thread>

#include <signal.h>
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

bool CCliQuestions::AskYesNo(const std::string& text)
{
    err << Windows1252ToUtf8(text) << (backup ? " yes\n" : " no (use --backup to make the copy)\n");
    return backup;
}

void CCliQuestions::ShowError(const std::string& text)
{
    err << Windows1252ToUtf8(text) << "\n";
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
        else if ((byte < 0x20 && byte != '\n' && byte != '\t') || byte == 0x7F)
            out += Escaped(byte);
        else
            out += static_cast<char>(byte);
    }
    return Put(out) ? count : 0;
}

int CTerminalSafeBuf::sync()
{
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
