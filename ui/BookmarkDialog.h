#pragma once
// The bookmark import and export dialog ("Add Items from Bookmarks/Favorites" and "Export Items
// to Bookmarks/Favorites"): which store (a Favorites directory of ".url" shortcuts, or a
// Netscape bookmark file and a folder inside it), and for import whether to include subfolders
// and whether to delete what was imported. Its values live in the settings section "Import" or
// "Export", each its own; OK checks the chosen store and writes them back.

#include <QDialog>
#include <QString>

#include <string>

class ISettingsStore;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class CBookmarkDialog : public QDialog
{
    Q_OBJECT
public:
    enum class Mode { Import, Export };
    enum Browser { kFavorites = 0, kNetscape = 1 };

    CBookmarkDialog(Mode mode, ISettingsStore& settings, QWidget* parent = nullptr);

    static const char* SectionName(Mode mode) { return mode == Mode::Import ? "Import" : "Export"; }

    // The choices; valid after OK. Paths are native file-name bytes, the folder path the
    // bookmark file's own bytes ("\" for the top of the file).
    Mode DialogMode() const { return mode; }
    int ChosenBrowser() const;
    std::string FavoritesDirectory() const;
    std::string BookmarkFile() const;
    std::string FolderPath() const { return folderPath; }
    bool Recurse() const;
    bool DeleteItems() const;

    // The controls, for tests and screenshots. The two check boxes exist only for import.
    QRadioButton* FavoritesButton() const { return favoritesButton; }
    QRadioButton* NetscapeButton() const { return netscapeButton; }
    QLineEdit* DirectoryEdit() const { return directoryEdit; }
    QLineEdit* FileEdit() const { return fileEdit; }
    QLineEdit* FolderEdit() const { return folderEdit; }
    QPushButton* BrowseDirectoryButton() const { return browseDirectory; }
    QPushButton* BrowseFileButton() const { return browseFile; }
    QPushButton* BrowseFolderButton() const { return browseFolder; }
    QCheckBox* RecurseBox() const { return recurseBox; }
    QCheckBox* DeleteBox() const { return deleteBox; }
    QPushButton* OkButton() const { return okButton; }

    // Sets the folder path and its display in the read-only folder field.
    void SetFolderPath(const std::string& path);

    void accept() override;

private:
    void ReadSettings();
    void WriteSettings();
    void UpdateEnabled();
    void OnBrowseDirectory();
    void OnBrowseFile();
    void OnBrowseFolder();

    Mode mode;
    ISettingsStore& settings;
    std::string folderPath = "\\";
    QRadioButton* favoritesButton = nullptr;
    QRadioButton* netscapeButton = nullptr;
    QLineEdit* directoryEdit = nullptr;
    QLineEdit* fileEdit = nullptr;
    QLineEdit* folderEdit = nullptr;
    QPushButton* browseDirectory = nullptr;
    QPushButton* browseFile = nullptr;
    QPushButton* browseFolder = nullptr;
    QCheckBox* recurseBox = nullptr;
    QCheckBox* deleteBox = nullptr;
    QPushButton* okButton = nullptr;
};

// The open-file filter of string `id` ("Description (*.ext)|*.ext||", the old form) in the
// form the desktop's file dialog takes; "*.htm" also lists "*.html", the name browsers give
// the bookmark files they export today.
QString BookmarkFileFilter(int id);
