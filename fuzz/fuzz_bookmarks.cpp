// Bookmark files and Favorites shortcuts. The first byte chooses what the walker does (read,
// rewrite dropping links, rewrite inserting after folders); the rest is the file. The same
// bytes are read as a ".url" shortcut.

#include "browser/BookmarkFile.h"
#include "browser/Favorites.h"
#include "fuzz/FuzzSupport.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Input in(data, size);
    const int mode = in.Byte() % 3;
    const std::string body = in.Rest();
    const std::string path = fuzz::WriteScratch("bookmark.htm", body);

    std::vector<BookmarkFolderNode> nodes;
    if (ListBookmarkFolders(path, nodes)) {
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            if (nodes[i].parent >= static_cast<int>(i))
                std::abort(); // a parent always comes before its children
            FindBookmarkFolder(nodes, BookmarkFolderPath(nodes, static_cast<int>(i)));
        }
        FindBookmarkFolder(nodes, "\\nowhere\\");
    }

    int links = 0;
    WalkBookmarkFile(path, mode != 0,
                     [&](BookmarkEvent event, const std::string&, const std::string& folderPath,
                         std::string* insertion) {
                         if (folderPath.empty() || folderPath.front() != '\\')
                             std::abort();
                         if (event == BookmarkEvent::Link)
                             return mode != 1 || (++links % 2) == 0;
                         if (event == BookmarkEvent::Folder && insertion && mode == 2)
                             *insertion = "<DT><A HREF=\"http://x/\">x</A>\n";
                         return true;
                     });

    ShortcutUrlFromText(body);
    ReadShortcutUrl(fuzz::WriteScratch("link.url", body));
    return 0;
}
