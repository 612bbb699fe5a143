#pragma once
// "Browse for Netscape folder": the folder tree of a bookmark file, to choose the folder that
// import reads from or export writes to. The top node stands for the whole file (folder path
// "\") and carries the file's name; the file's folders hang below it as they nest.

#include "browser/BookmarkFile.h"
#include "browser/BookmarkImport.h"

#include <QDialog>
#include <QString>

#include <string>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

// A name or folder path read from a bookmark file, for display: UTF-8 when the bytes are valid
// UTF-8 (as browsers write them today), Windows-1252 otherwise, with the common character
// entities decoded. The bytes themselves stay as they are wherever paths are compared.
QString BookmarkDisplayText(const std::string& bytes);

class CNetscapeFolderDialog : public QDialog
{
    Q_OBJECT
public:
    // Reads the tree of `file` (native path bytes) and selects the node of `folderPath`.
    CNetscapeFolderDialog(const std::string& file, const std::string& folderPath, QWidget* parent = nullptr);
    // The same for a browser profile's store, its top node named `topName`.
    CNetscapeFolderDialog(BookmarkStore store, const std::string& file, const QString& topName,
                          const std::string& folderPath, QWidget* parent = nullptr);
    ~CNetscapeFolderDialog() override;

    // False when the file could not be read; exec() then returns Rejected without showing.
    bool IsLoaded() const { return loaded; }
    int exec() override;

    // The folder path of the selected node; valid after OK.
    std::string SelectedFolderPath() const;

    QTreeWidget* Tree() const { return tree; }
    const std::vector<BookmarkFolderNode>& Nodes() const { return nodes; }

    // Folders nested deeper than this are not shown in the tree.
    static constexpr int kMaxShownDepth = 250;

private:
    void UpdateIcon(QTreeWidgetItem* item);

    QTreeWidget* tree = nullptr;
    std::vector<BookmarkFolderNode> nodes;
    std::vector<QTreeWidgetItem*> items; // in node order: parents before their children
    int hiddenChoice = -1;               // the chosen folder when it is too deep to be shown
    bool loaded = false;
};
