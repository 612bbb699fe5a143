#pragma once
// The commands of lotwarden, the command-line front end on the watch-list model.
// Each takes the words after the command name; output goes to `out`, messages to `err`.
// Exit codes: 0 done, 1 the command failed (nothing was written), 2 bad usage.

#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

using Args = std::vector<std::string>;

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

int RunCommand(const Args& args, std::ostream& out, std::ostream& err);

int CmdNew(const Args& args, std::ostream& out, std::ostream& err);
int CmdShow(const Args& args, std::ostream& out, std::ostream& err);
int CmdAdd(const Args& args, std::ostream& out, std::ostream& err);
int CmdRemove(const Args& args, std::ostream& out, std::ostream& err);
int CmdServers(const Args& args, std::ostream& out, std::ostream& err);
int CmdSet(const Args& args, std::ostream& out, std::ostream& err);
int CmdColumns(const Args& args, std::ostream& out, std::ostream& err);
int CmdWatch(const Args& args, std::ostream& out, std::ostream& err);

} // namespace cli
