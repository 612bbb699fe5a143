#pragma once
// Pieces every lotwarden command shares: the open step's questions answered without a person,
// the lock on a watch list being changed, the user's options, purge reports, text for the
// terminal and JSON, and the handling of interrupt signals.

#include "cli/Commands.h"
#include "core/document/OpenStep.h"
#include "core/options/AppOptions.h"

#include <iosfwd>
#include <memory>
#include <streambuf>
#include <string>

class CFileLock;
class CItem;
class CLotwardDoc;

namespace cli {

// The backup of an older file is made only when asked for with --backup; errors go to `err`.
// A backup that was asked for and failed fails the open: the command then writes nothing.
class CCliQuestions : public IOpenQuestions
{
public:
    CCliQuestions(std::ostream& errors, bool makeBackup) : err(errors), backup(makeBackup) {}
    bool AskYesNo(const std::string& text) override;
    void ShowError(const std::string& text) override;
    bool KeepOpenWithoutBackup() override { return false; }

private:
    std::ostream& err;
    bool backup;
};

// Takes the lock that a command changing the watch list at `path` holds from before it opens
// the file until after it saved it, so that two programs never lose each other's changes.
// While another program holds it, says so and waits up to LOTWARDEN_LOCK_WAIT seconds
// (10 by default); false, with the reason in `err`, when the wait ran out or `path` is not a
// regular file. A missing or unreadable file is left to the open step to report.
bool LockWatchList(CFileLock& lock, const std::string& path, std::ostream& err);

// The user's options ("Purge" and the others) in force while this object lives; read once
// from the settings and never written back.
class CUserOptions
{
public:
    CUserOptions();
    ~CUserOptions();
    CUserOptions(const CUserOptions&) = delete;
    CUserOptions& operator=(const CUserOptions&) = delete;
    CAppOptions& Get() { return options; }

private:
    CAppOptions options;
};

// Names the items that the next save leaves out of the file because "Purge" is on.
void ReportPurgedItems(const CLotwardDoc& doc, std::ostream& out);

// "#NUMBER on SERVER" as UTF-8 ready for the terminal (see TerminalText).
std::string DescribeItem(const CItem& item);

// Windows-1252 text as UTF-8 for the terminal, with control characters (line breaks and tabs
// included) shown as visible escapes, so that text from a page or a file can neither drive the
// terminal nor forge lines of output.
std::string TerminalText(const std::string& text1252);

// A command-line word (UTF-8) as the program's Windows-1252 text. A character that has no
// Windows-1252 form is refused with a message naming it rather than turned into "?".
bool ArgToWindows1252(const std::string& utf8, std::string& text1252, std::ostream& err);

// A JSON string literal (quotes included) of Windows-1252 text; every control character is
// escaped.
std::string JsonString(const std::string& text1252);

// Passes UTF-8 output on with control characters other than line feed and tab escaped
// (C0, DEL and the C1 range), whatever a command prints.
class CTerminalSafeBuf : public std::streambuf
{
public:
    explicit CTerminalSafeBuf(std::streambuf* target) : to(target) {}
    ~CTerminalSafeBuf() override;

protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    bool Put(const std::string& text);
    std::streambuf* to;
    bool afterC2 = false; // the lead byte of a two-byte sequence was held back
    bool failed = false;
};

// Blocks the interrupt signals in every thread and starts one that waits for them: on
// SIGINT, SIGTERM, SIGHUP or SIGQUIT the program removes its temporary files (a save in
// progress, its downloads) and ends with 128 + the signal's number. Call before any thread starts.
void InstallInterruptHandling();

} // namespace cli
