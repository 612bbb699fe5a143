#pragma once
// lotwarden's commands that reach the auction sites: refresh a watch list through the download
// engine, read a saved item page with an adapter, and form a site's search URL.

#include "cli/Commands.h"

namespace cli {

// Exit code of a refresh in which some items could not be refreshed (the rest was saved).
inline constexpr int kExitSomeFailed = 3;

int CmdRefresh(const Args& args, std::ostream& out, std::ostream& err);
int CmdParsePage(const Args& args, std::ostream& out, std::ostream& err);
int CmdSearchUrl(const Args& args, std::ostream& out, std::ostream& err);

} // namespace cli
