#include "ui/BookmarkDialog.h"

#include "browser/BookmarkFile.h"
#include "browser/Favorites.h"
#include "platform/SettingsStore.h"
#include "ui/BookmarkDialogStrings.h"
#include "ui/BrowseDirectory.h"
#include "ui/MessageBox.h"
#include "ui/NetscapeFolderDialog.h"
#include "ui/UiStrings.h"
#include "ui/UiText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const char* const kBrowser = "Browser";
const char* const kNetscapeFile = "NetcapeFile"; // the stored name is spelled so
const char* const kNetscapeFolder = "NetscapeFolder";
const char* const kFavoritesFolder = "IEFavoriteFolder";
const char* const kRecurse = "Recurse";
const char* const kDeleteItems = "DeleteItems";
const char* const kProfileStore = "BrowserProfile"; // the profile's store file
const char* const kProfileFolder = "BrowserFolder";

std::string NativePath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QString FromNative(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

} // namespace

QString BookmarkFileFilter(int id)
{
    const QStringList parts = ResText(id).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break;
        QString description = parts[i];
        if (const qsizetype open = description.lastIndexOf(QLatin1String(" ("));
            open > 0 && description.endsWith(QLatin1Char(')')))
            description.truncate(open);
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        if (patterns.contains(QLatin1String("*.htm"), Qt::CaseInsensitive) &&
            !patterns.contains(QLatin1String("*.html"), Qt::CaseInsensitive))
            patterns << QStringLiteral("*.html");
        filters << description + QLatin1String(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters.join(QLatin1String(";;"));
}

CBookmarkDialog::CBookmarkDialog(Mode dialogMode, ISettingsStore& store, QWidget* parent)
    : QDialog(parent), mode(dialogMode), settings(store)
{
    setWindowTitle(ResText(mode == Mode::Import ? kStrBookmarkImportTitle : kStrBookmarkExportTitle));

    favoritesButton = new QRadioButton(ResText(kStrBookmarkFavorites), this);
    netscapeButton = new QRadioButton(ResText(kStrBookmarkNetscape), this);
    auto* group = new QButtonGroup(this);
    group->addButton(favoritesButton, kFavorites);
    group->addButton(netscapeButton, kNetscape);

    directoryEdit = new QLineEdit(this);
    fileEdit = new QLineEdit(this);
    folderEdit = new QLineEdit(this);
    folderEdit->setReadOnly(true);
    browseDirectory = new QPushButton(ResText(kStrBookmarkBrowseDir), this);
    browseFile = new QPushButton(ResText(kStrBookmarkBrowseFile), this);
    browseFolder = new QPushButton(ResText(kStrBookmarkBrowseFolder), this);
    for (QPushButton* button : {browseDirectory, browseFile, browseFolder})
        button->setAutoDefault(false);

    auto* directoryLabel = new QLabel(ResText(kStrBookmarkFavoritesDir), this);
    directoryLabel->setBuddy(directoryEdit);
    auto* fileLabel = new QLabel(ResText(kStrBookmarkFile), this);
    fileLabel->setBuddy(fileEdit);
    auto* folderLabel = new QLabel(ResText(kStrBookmarkFolder), this);
    folderLabel->setBuddy(folderEdit);

    auto* grid = new QGridLayout;
    grid->setColumnMinimumWidth(0, 16);
    grid->setColumnStretch(2, 1);
    grid->addWidget(favoritesButton, 0, 0, 1, 4);
    grid->addWidget(directoryLabel, 1, 1);
    grid->addWidget(directoryEdit, 1, 2);
    grid->addWidget(browseDirectory, 1, 3);
    grid->addWidget(netscapeButton, 2, 0, 1, 4);
    grid->addWidget(fileLabel, 3, 1);
    grid->addWidget(fileEdit, 3, 2);
    grid->addWidget(browseFile, 3, 3);
    grid->addWidget(folderLabel, 4, 1);
    grid->addWidget(folderEdit, 4, 2);
    grid->addWidget(browseFolder, 4, 3);

    // Today's browsers keep their bookmarks in their profiles: import reads them there.
    if (mode == Mode::Import) {
        profiles = FindBrowserProfiles();
        profileButton = new QRadioButton(ResText(kStrBookmarkProfile), this);
        group->addButton(profileButton, kProfile);
        profileCombo = new QComboBox(this);
        for (const BrowserProfile& profile : profiles)
            profileCombo->addItem(QString::fromStdString(profile.name), FromNative(profile.path));
        if (profiles.empty())
            profileCombo->addItem(ResText(kStrBookmarkNoProfile));
        profileFolderEdit = new QLineEdit(this);
        profileFolderEdit->setReadOnly(true);
        browseProfileFolder = new QPushButton(ResText(kStrBookmarkBrowseFolder), this);
        browseProfileFolder->setAutoDefault(false);
        auto* profileFolderLabel = new QLabel(ResText(kStrBookmarkFolder), this);
        profileFolderLabel->setBuddy(profileFolderEdit);
        grid->addWidget(profileButton, 5, 0, 1, 2);
        grid->addWidget(profileCombo, 5, 2, 1, 2);
        grid->addWidget(profileFolderLabel, 6, 1);
        grid->addWidget(profileFolderEdit, 6, 2);
        grid->addWidget(browseProfileFolder, 6, 3);
        connect(profileButton, &QRadioButton::toggled, this, &CBookmarkDialog::UpdateEnabled);
        connect(browseProfileFolder, &QPushButton::clicked, this, &CBookmarkDialog::OnBrowseProfileFolder);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    if (mode == Mode::Import) {
        recurseBox = new QCheckBox(ResText(kStrBookmarkRecurse), this);
        deleteBox = new QCheckBox(ResText(kStrBookmarkDelete), this);
        layout->addSpacing(6);
        layout->addWidget(recurseBox);
        layout->addWidget(deleteBox);
    }
    auto* buttons = new QDialogButtonBox(this);
    okButton = buttons->addButton(ResText(kStrButtonOk), QDialogButtonBox::AcceptRole);
    buttons->addButton(ResText(kStrButtonCancel), QDialogButtonBox::RejectRole);
    okButton->setDefault(true);
    layout->addSpacing(6);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(favoritesButton, &QRadioButton::toggled, this, &CBookmarkDialog::UpdateEnabled);
    connect(netscapeButton, &QRadioButton::toggled, this, &CBookmarkDialog::UpdateEnabled);
    connect(browseDirectory, &QPushButton::clicked, this, &CBookmarkDialog::OnBrowseDirectory);
    connect(browseFile, &QPushButton::clicked, this, &CBookmarkDialog::OnBrowseFile);
    connect(browseFolder, &QPushButton::clicked, this, &CBookmarkDialog::OnBrowseFolder);

    ReadSettings();
    // Typing another file makes the old folder meaningless; connected after the settings were
    // read so that the stored folder survives the set-up.
    connect(fileEdit, &QLineEdit::textEdited, this, [this] { SetFolderPath("\\"); });
    if (profileCombo)
        connect(profileCombo, &QComboBox::currentIndexChanged, this, [this] { SetProfileFolderPath("\\"); });
    UpdateEnabled();
    setMinimumWidth(520);
}

void CBookmarkDialog::ReadSettings()
{
    const char* section = SectionName(mode);
    const int browser = settings.GetInt(section, kBrowser, kFavorites);
    std::string file = settings.GetString(section, kNetscapeFile);
    std::string folder = settings.GetString(section, kNetscapeFolder, "\\");
    std::string directory = settings.GetString(section, kFavoritesFolder);

    if (!FolderExists(file, folder))
        folder = "\\";
    if (directory.empty())
        directory = DefaultFavoritesDirectory();
    if (file.empty())
        file = FindDefaultBookmarkFile();

    QRadioButton* chosen = browser == kNetscape ? netscapeButton : favoritesButton;
    if (browser == kProfile && profileButton)
        chosen = profileButton;
    chosen->setChecked(true);
    directoryEdit->setText(FromNative(directory));
    fileEdit->setText(FromNative(file));
    SetFolderPath(folder);
    if (mode == Mode::Import) {
        recurseBox->setChecked(settings.GetInt(section, kRecurse, 1) != 0);
        deleteBox->setChecked(settings.GetInt(section, kDeleteItems, 0) != 0);
        const std::string store = settings.GetString(section, kProfileStore);
        const auto stored = std::find_if(profiles.begin(), profiles.end(),
                                         [&store](const BrowserProfile& p) { return p.path == store; });
        if (stored != profiles.end())
            profileCombo->setCurrentIndex(static_cast<int>(stored - profiles.begin()));
        SetProfileFolderPath(stored != profiles.end() ? settings.GetString(section, kProfileFolder, "\\")
                                                      : "\\");
    }
}

void CBookmarkDialog::WriteSettings()
{
    const char* section = SectionName(mode);
    settings.WriteInt(section, kBrowser, ChosenBrowser());
    settings.WriteString(section, kNetscapeFile, BookmarkFile());
    settings.WriteString(section, kNetscapeFolder, folderPath);
    settings.WriteString(section, kFavoritesFolder, FavoritesDirectory());
    if (mode == Mode::Import) {
        settings.WriteInt(section, kRecurse, Recurse() ? 1 : 0);
        settings.WriteInt(section, kDeleteItems, deleteBox->isChecked() ? 1 : 0);
        if (const BrowserProfile* profile = ChosenProfile()) {
            settings.WriteString(section, kProfileStore, profile->path);
            settings.WriteString(section, kProfileFolder, profileFolderPath);
        }
    }
}

int CBookmarkDialog::ChosenBrowser() const
{
    if (profileButton && profileButton->isChecked())
        return kProfile;
    return netscapeButton->isChecked() ? kNetscape : kFavorites;
}

const BrowserProfile* CBookmarkDialog::ChosenProfile() const
{
    const int index = profileCombo ? profileCombo->currentIndex() : -1;
    return index >= 0 && static_cast<std::size_t>(index) < profiles.size()
               ? &profiles[static_cast<std::size_t>(index)]
               : nullptr;
}

BookmarkSource CBookmarkDialog::Source() const
{
    BookmarkSource source;
    source.recurse = Recurse();
    switch (ChosenBrowser()) {
    case kFavorites:
        source.store = BookmarkStore::Favorites;
        source.path = FavoritesDirectory();
        break;
    case kNetscape:
        source.store = BookmarkStore::Netscape;
        source.path = BookmarkFile();
        source.folderPath = folderPath;
        break;
    default:
        if (const BrowserProfile* profile = ChosenProfile()) {
            source.store =
                profile->family == BrowserFamily::Firefox ? BookmarkStore::Firefox : BookmarkStore::Chromium;
            source.path = profile->path;
        }
        source.folderPath = profileFolderPath;
        break;
    }
    return source;
}

std::string CBookmarkDialog::FavoritesDirectory() const
{
    return NativePath(directoryEdit->text().trimmed());
}

std::string CBookmarkDialog::BookmarkFile() const
{
    return NativePath(fileEdit->text().trimmed());
}

bool CBookmarkDialog::Recurse() const
{
    return recurseBox && recurseBox->isChecked();
}

bool CBookmarkDialog::DeleteItems() const
{
    return deleteBox && deleteBox->isChecked() && ChosenBrowser() != kProfile;
}

void CBookmarkDialog::SetFolderPath(const std::string& path)
{
    folderPath = path.empty() ? std::string("\\") : path;
    folderEdit->setText(BookmarkDisplayText(folderPath));
}

void CBookmarkDialog::SetProfileFolderPath(const std::string& path)
{
    profileFolderPath = path.empty() ? std::string("\\") : path;
    if (profileFolderEdit)
        profileFolderEdit->setText(BookmarkDisplayText(profileFolderPath));
}

void CBookmarkDialog::UpdateEnabled()
{
    const bool favorites = favoritesButton->isChecked();
    directoryEdit->setEnabled(favorites);
    browseDirectory->setEnabled(favorites);
    const bool profile = ChosenBrowser() == kProfile;
    fileEdit->setEnabled(netscapeButton->isChecked());
    browseFile->setEnabled(netscapeButton->isChecked());
    folderEdit->setEnabled(netscapeButton->isChecked());
    browseFolder->setEnabled(netscapeButton->isChecked());
    if (profileButton) {
        profileCombo->setEnabled(profile && !profiles.empty());
        profileFolderEdit->setEnabled(profile);
        browseProfileFolder->setEnabled(profile && !profiles.empty());
        // A browser's profile is only read.
        deleteBox->setEnabled(!profile);
    }
}

void CBookmarkDialog::OnBrowseDirectory()
{
    QString directory = directoryEdit->text().trimmed();
    CBrowseDirectory browse(this);
    if (browse.BrowseForDirectory(directory, ResText(35)))
        directoryEdit->setText(directory);
}

void CBookmarkDialog::OnBrowseFile()
{
    const QString current = fileEdit->text().trimmed();
    QFileDialog dialog(this, ResText(kStrBookmarkFileTitle),
                       current.isEmpty() ? QDir::homePath() : QFileInfo(current).absolutePath());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(BookmarkFileFilter(38));
    dialog.setDefaultSuffix(QStringLiteral("htm"));
    if (!current.isEmpty())
        dialog.selectFile(current);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString chosen = QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
    if (chosen != current) {
        fileEdit->setText(chosen);
        SetFolderPath("\\");
    }
}

void CBookmarkDialog::OnBrowseFolder()
{
    CNetscapeFolderDialog dialog(BookmarkFile(), folderPath, this);
    if (dialog.exec() == QDialog::Accepted)
        SetFolderPath(dialog.SelectedFolderPath());
}

void CBookmarkDialog::OnBrowseProfileFolder()
{
    const BrowserProfile* profile = ChosenProfile();
    if (!profile)
        return;
    const BookmarkSource source = Source();
    CNetscapeFolderDialog dialog(source.store, source.path, QString::fromStdString(profile->name),
                                 profileFolderPath, this);
    if (dialog.exec() == QDialog::Accepted)
        SetProfileFolderPath(dialog.SelectedFolderPath());
}

void CBookmarkDialog::accept()
{
    if (ChosenBrowser() == kFavorites) {
        const QString directory = directoryEdit->text().trimmed();
        if (directory.isEmpty() || !QFileInfo(directory).isDir()) {
            LwMessage::Show(this, ResFormat(36, {directory}), LwMessage::Ok, QMessageBox::Warning);
            directoryEdit->setFocus();
            return;
        }
    } else if (ChosenBrowser() == kProfile) {
        if (!ChosenProfile()) {
            LwMessage::Show(this, ResText(kStrBookmarkNoProfile), LwMessage::Ok, QMessageBox::Warning);
            return;
        }
    } else {
        const QString file = fileEdit->text().trimmed();
        if (file.isEmpty() || !QFileInfo(file).isFile()) {
            LwMessage::Show(this, ResFormat(37, {file}), LwMessage::Ok, QMessageBox::Warning);
            fileEdit->setFocus();
            return;
        }
    }
    WriteSettings();
    QDialog::accept();
}
