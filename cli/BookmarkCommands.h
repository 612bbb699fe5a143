#pragma once
// lotwarden's bookmark commands: add the items that a Favorites directory, a Netscape bookmark
// file or a browser's profile links to, and write the watch list's items out to a Favorites
// directory or a bookmark file.

#include "cli/Commands.h"

namespace cli {

int CmdImport(const Args& args, std::ostream& out, std::ostream& err);
int CmdExport(const Args& args, std::ostream& out, std::ostream& err);

// The bookmark folder named on the command line as a folder path: with a backslash in it, it is
// taken as written ("\Auctions\eBay\", the ends added when missing); otherwise "/" separates
// the names ("Auctions/eBay"). An empty name, "/" or "\" is the top of the file, "\". The names
// are then matched as the browser shows them (see ResolveBookmarkFolder).
std::string CommandLineFolderPath(const std::string& text);

} // namespace cli
