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
#include <vector>

class CFileLock;
class CItem;
class CLotwardDoc;

namespace cli {

// Option words. Only the words before a "--" are options: the words after it are taken as
// they are (a file called "--json", an item number starting with "-").
bool TakeFlag(Args& args, const std::string& flag);
// Removes every "NAME VALUE" pair; false when a NAME has no value after it.
bool TakeValues(Args& args, const std::string& name, std::vector<std::string>& values);
// Once a command took its options: an option word left over is named in `err` (false);
// otherwise the "--" is removed and the operands remain.
bool FinishOptions(Args& args, std::ostream& err);

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

// The reason a watch list could not be opened, with its path said once: a missing file or
// folder, a folder given for a file, a file the user may not read; otherwise `error`.
std::string DescribeOpenFailure(const std::string& path, const std::string& error);

// The reason a watch list could not be saved at `path`: a missing folder, a folder or
// read-only file in the way, a folder the user may not write in; otherwise `error`.
std::string DescribeSaveFailure(const std::string& path, const std::string& error);

// Opens a watch list that a command will change; on failure says why. An older format is
// converted, keeping a .old copy only with --backup (`backup`).
bool OpenWatchList(CLotwardDoc& doc, const std::string& path, bool backup, std::ostream& err);
// Opens a watch list only to read it: an older format is read and said to be old, and no
// backup question is asked because nothing is written.
bool OpenForReading(CLotwardDoc& doc, const std::string& path, std::ostream& err);
// Saves a watch list that a command changed, naming first the items that "Purge" leaves out.
bool SaveWatchList(CLotwardDoc& doc, const std::string& path, std::ostream& out, std::ostream& err);

// A --server value: the id of a known server; false, saying why, otherwise.
bool ParseServerId(const std::string& text, int& id, std::ostream& err);

// The item a command-line word names in `doc`: an item page URL, or an item number (with
// `serverId` >= 0, only on that server). Null, with the reason in `err`, when no item or more
// than one (a number on two servers) matches.
CItem* FindItemArg(CLotwardDoc& doc, const std::string& word1252, int serverId, const std::string& path,
                   std::ostream& err);

// Whether Lotward.dat, which holds the sites' time zones, categories and search addresses,
// can be read; says which file is missing otherwise. Commands that read sites' dates or build
// their addresses call it first rather than fail later with a less telling message.
bool RequireReferenceData(std::ostream& err);

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

// Passes UTF-8 output on with control characters other than line feed, tab and the carriage
// return of a CRLF line end (CSV) escaped (C0, DEL and the C1 range), whatever a command prints.
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
    bool afterCr = false; // a carriage return was held back: it passes only before a line feed
    bool failed = false;
};

// Blocks the interrupt signals in every thread and starts one that waits for them: on
// SIGINT, SIGTERM, SIGHUP or SIGQUIT the program removes its temporary files (a save in
// progress, its downloads) and ends with 128 + the signal's number. Call before any thread starts.
void InstallInterruptHandling();

} // namespace cli
