#pragma once
// The program's own temporary directory: private to the user (mode 0700, owned by us, never a
// symbolic link), so that no other user can read the pages we download or plant a file or a
// link where we are about to write.
//
// Location: $LOTWARDEN_TMPDIR when set (tests), else $XDG_RUNTIME_DIR/lotwarden, else
// ${TMPDIR:-/tmp}/lotwarden-<uid>.

#include <string>

// The directory with a trailing '/', created when missing; an empty string when it cannot be
// created or is not safe to use (someone else's, a link, not a directory).
// Every process that uses the directory holds a shared lock on it until it ends. The first use
// in a process that finds no other process holding it removes the files left there by
// programs that were killed or crashed.
std::string GetPrivateTempDir();

// Creates a new empty file "<dir><prefix>N" with the smallest N that is free, by exclusive
// creation (a name that exists in any form, a dangling link included, is skipped), and returns
// its full path; an empty string when the directory is unusable or nothing could be created.
std::string CreateNumberedTempFile(const std::string& prefix);

// Deletes a file made by CreateNumberedTempFile and makes its number free again. An empty path
// is ignored.
void RemoveNumberedTempFile(const std::string& path);

// Creates a new empty file "<dir><name>" by exclusive creation, or "<dir><stem>-2<ext>",
// "-3" ... when the name is taken, and returns its full path; empty when nothing could be made.
std::string CreateNamedTempFile(const std::string& name);

// Deletes every file that CreateNumberedTempFile handed out in this process and that is still
// there, and hands out no more; called when the program is interrupted.
void RemoveAllNumberedTempFiles();
