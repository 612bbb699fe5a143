#pragma once
// Netscape bookmark files (bookmark.htm, and the bookmarks.html that browsers export today):
// a line-by-line walk that reports folders and links with their folder path, and can rewrite
// the file on the way, dropping lines or inserting text after them.
//
// A folder path is "\" followed by each folder name from the top and "\" ("\Auctions\eBay\");
// the top of the file is "\".
//
// Lines the walk recognises, in the order they are handled when one line holds several:
//  - a folder heading "<DT><H3 ...>Name</H3>": the folder Name is entered;
//  - a link "<DT><A ... HREF="url" ...>": its address (the HREF attribute, wherever it stands);
//  - a folder end "</DL>": the current folder is left.
// Tags are matched in any letter case and blanks may separate <DT> from the next tag. Every
// other line, and every line the caller keeps, is written back byte for byte with its own line
// ending (LF or CRLF).

#include "browser/BookmarkTarget.h"

#include <functional>
#include <string>
#include <vector>

enum class BookmarkEvent
{
    Begin = 0,
    Folder = 1,
    FolderEnd = 2,
    Link = 3,
    ListStart = 4 // a "<DL>" line, which opens the list of the folder whose heading came before
};

// Called for each event with the event's text (Begin: the file path; Folder: the folder name;
// Link: the address; FolderEnd and ListStart: empty), the folder path after the event, and, only while
// rewriting, the text to insert after the current line ('\n' stands for the line's ending).
// Returning false: at Begin, do not rewrite; at Folder, ListStart or FolderEnd, drop the line;
// at Link, drop the link (the whole line, unless the line also holds a heading or another link,
// in which case only the link's own "<DT><A ...>...</A>" is cut out of it) together with its
// description: the "<DD>" that follows it and the lines of text that continue it.
// On a line holding several, the events come in the order Folder, ListStart, Link, FolderEnd.
using BookmarkCallback = std::function<bool(BookmarkEvent event, const std::string& text,
                                            const std::string& folderPath, std::string* insertion)>;

// Walks the file at `path`. When `rewrite` is on (and Begin agreed), the kept lines go to a new
// file of its own beside it (never an existing one), which takes the file's mode, owner and
// group and replaces the file only after it was completely written; on any failure the file
// is left as it was and the new file is removed. A file whose owner or group cannot be kept
// is not rewritten. False (with a message in *error
// when given) when the file cannot be read or the rewritten file cannot be made.
bool WalkBookmarkFile(const std::string& path, bool rewrite, const BookmarkCallback& callback,
                      std::string* error = nullptr);

// True when `folderPath` is not empty, the file can be walked and holds a folder with exactly
// that path. The top "\" has no heading, so it is never found here.
bool FolderExists(const std::string& path, const std::string& folderPath);

// The folder tree of a bookmark file for a folder chooser, as a flat list: node 0 is the top of
// the file (folder path "\", no name, parent -1), shown as the file itself and chosen to mean
// every link of the file; each heading adds a node under the current one. Nodes keep file
// order, so a parent always comes before its children. Nodes hold only their own name, so the
// list grows with the file however deep its folders nest. False when the file cannot be read.
struct BookmarkFolderNode
{
    std::string name; // as written in the file (entities not decoded)
    int parent = -1;
};
bool ListBookmarkFolders(const std::string& path, std::vector<BookmarkFolderNode>& nodes,
                         std::string* error = nullptr);
// The folder path of node `index`, composed from the top.
std::string BookmarkFolderPath(const std::vector<BookmarkFolderNode>& nodes, int index);
// Index of the node whose path is `folderPath`, found name by name from the top; when a name
// is missing, the deepest node reached (0, the top, when the first name is missing).
int FindBookmarkFolder(const std::vector<BookmarkFolderNode>& nodes, const std::string& folderPath);

// Offers every link of `folderPath` (and of its subfolders when `recurse`) to `target`, adding
// the taken ones to `count`; with `deleteItems` the taken links leave the file. False when the
// walk failed (count keeps what was reached).
bool ImportNetscapeBookmarks(IBookmarkImportTarget& target, const std::string& path,
                             const std::string& folderPath, bool recurse, bool deleteItems, int& count,
                             std::string* error = nullptr);

// Inserts one line (string 48) per entry into the first folder whose path is exactly
// `folderPath`, in list order, at the start of the folder's own list (after the "<DL>" line
// that follows its heading and its description; right after the heading when it has no list),
// and returns how many were written: 0 when the walk failed or the folder was not met (the top
// "\" has no heading line).
int ExportNetscapeBookmarks(const std::string& path, const std::string& folderPath,
                            const std::vector<ExportEntry>& entries, std::string* error = nullptr);

// A name or address from a bookmark file as its reader sees it: character references ("&amp;",
// "&#39;", "&#x263A;") become their characters (UTF-8); anything else stays as it is.
std::string DecodeBookmarkText(const std::string& text);

// The file's own folder path for a folder path typed as the user sees the names ("\Auctions &
// Deals\" for the heading "Auctions &amp; Deals"); a path written as in the file is taken as
// it is. "\" stays the top; "" when the file has no such folder.
std::string ResolveBookmarkFolder(const std::string& path, const std::string& typedPath);

// The first exported bookmarks.html found where this machine's browsers or their users usually
// keep one ($HOME/bookmarks.html, the desktop, ~/.netscape, ~/.mozilla/*/ and Firefox
// profiles), or "" when there is none. Browsers' own JSON backups cannot be read and are not
// considered.
std::string FindDefaultBookmarkFile();
