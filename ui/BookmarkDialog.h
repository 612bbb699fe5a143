#pragma once
// The bookmark import and export dialog ("Add Items from Bookmarks/Favorites" and "Export Items
// to Bookmarks/Favorites"): which store (a Favorites directory of ".url" shortcuts, a Netscape
// bookmark file and a folder inside it, or, for import, a browser profile found on this machine
// and a folder inside it), and for import whether to include subfolders and whether to delete
// what was imported (never from a browser's profile). Its values live in the settings section
// "Import" or "Export", each its own; OK checks the chosen store and writes them back.

#include "browser/BookmarkImport.h"
#include "browser/BrowserProfiles.h"

#include <QDialog>
#include <QString>

#include <string>
#include <vector>

class ISettingsStore;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class CBookmarkDialog : public QDialog
{
    Q_OBJECT
public:
    enum class Mode { Import, Export };
    enum Browser { kFavorites = 0, kNetscape = 1, kProfile = 2 };

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
    bool DeleteItems() const; // never for a browser profile
    // The chosen profile's store ("Bookmarks" or "places.sqlite") and folder; empty when none.
    const BrowserProfile* ChosenProfile() const;
    std::string ProfileFolderPath() const { return profileFolderPath; }
    // The chosen store, ready for the import.
    BookmarkSource Source() const;

    // The controls, for tests and screenshots. The two check boxes exist only for import.
    QRadioButton* FavoritesButton() const { return favoritesButton; }
    QRadioButton* NetscapeButton() const { return netscapeButton; }
    QLineEdit* DirectoryEdit() const { return directoryEdit; }
    QLineEdit* FileEdit() const { return fileEdit; }
    QLineEdit* FolderEdit() const { return folderEdit; }
    QPushButton* BrowseDirectoryButton() const { return browseDirectory; }
    QPushButton* BrowseFileButton() const { return browseFile; }
    QPushButton* BrowseFolderButton() const { return browseFolder; }
    QRadioButton* ProfileButton() const { return profileButton; }
    QComboBox* ProfileCombo() const { return profileCombo; }
    QLineEdit* ProfileFolderEdit() const { return profileFolderEdit; }
    QPushButton* BrowseProfileFolderButton() const { return browseProfileFolder; }
    QCheckBox* RecurseBox() const { return recurseBox; }
    QCheckBox* DeleteBox() const { return deleteBox; }
    QPushButton* OkButton() const { return okButton; }

    // Sets the folder path and its display in the read-only folder field.
    void SetFolderPath(const std::string& path);
    void SetProfileFolderPath(const std::string& path);

    void accept() override;

private:
    void ReadSettings();
    void WriteSettings();
    void UpdateEnabled();
    void OnBrowseDirectory();
    void OnBrowseFile();
    void OnBrowseFolder();
    void OnBrowseProfileFolder();

    Mode mode;
    ISettingsStore& settings;
    std::string folderPath = "\\";
    std::string profileFolderPath = "\\";
    std::vector<BrowserProfile> profiles;
    QRadioButton* favoritesButton = nullptr;
    QRadioButton* netscapeButton = nullptr;
    QLineEdit* directoryEdit = nullptr;
    QLineEdit* fileEdit = nullptr;
    QLineEdit* folderEdit = nullptr;
    QPushButton* browseDirectory = nullptr;
    QPushButton* browseFile = nullptr;
    QPushButton* browseFolder = nullptr;
    QRadioButton* profileButton = nullptr;
    QComboBox* profileCombo = nullptr;
    QLineEdit* profileFolderEdit = nullptr;
    QPushButton* browseProfileFolder = nullptr;
    QCheckBox* recurseBox = nullptr;
    QCheckBox* deleteBox = nullptr;
    QPushButton* okButton = nullptr;
};

// The open-file filter of string `id` ("Description (*.ext)|*.ext||", the old form) in the
// form the desktop's file dialog takes; "*.htm" also lists "*.html", the name browsers give
// the bookmark files they export today.
QString BookmarkFileFilter(int id);
