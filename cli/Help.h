#pragma once
// The one text that describes every lotwarden command: the overview (lotwarden --help), each
// command's help (lotwarden help show, lotwarden show --help), the man page and the bash
// completion are all printed from it, so they never disagree.

#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

struct CommandHelp
{
    const char* name;
    const char* usage;   // the lines after "lotwarden ", one form per line
    const char* summary; // one line for the overview
    const char* details; // lines of plain text, shown indented
};

// The option words a command's usage names ("--json", "--sort"), for completion.
std::vector<std::string> CommandOptions(const CommandHelp& help);

const std::vector<CommandHelp>& AllCommandHelp();
const CommandHelp* FindCommandHelp(const std::string& name);

void PrintUsage(std::ostream& out);
// "usage: lotwarden ..." for `command`, and where its help is.
void PrintCommandUsage(const std::string& command, std::ostream& err);
void PrintCommandHelp(const CommandHelp& help, std::ostream& out);
// troff source of lotwarden(1).
void PrintManPage(std::ostream& out);
// A bash completion function for the commands and their options.
void PrintBashCompletion(std::ostream& out);

} // namespace cli
