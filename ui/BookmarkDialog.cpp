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

namespace {

const char* const kBrowser = "Browser";
const char* const kNetscapeFile = "NetcapeFile"; // the stored name is spelled so
const char* const kNetscapeFolder = "NetscapeFolder";
const char* const kFavoritesFolder = "IEFavoriteFolder";
const char* const kRecurse = "Recurse";
const char* const kDeleteItems = "DeleteItems";

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

    (browser == kNetscape ? netscapeButton : favoritesButton)->setChecked(true);
    directoryEdit->setText(FromNative(directory));
    fileEdit->setText(FromNative(file));
    SetFolderPath(folder);
    if (mode == Mode::Import) {
        recurseBox->setChecked(settings.GetInt(section, kRecurse, 1) != 0);
        deleteBox->setChecked(settings.GetInt(section, kDeleteItems, 0) != 0);
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
        settings.WriteInt(section, kDeleteItems, DeleteItems() ? 1 : 0);
    }
}

int CBookmarkDialog::ChosenBrowser() const
{
    return netscapeButton->isChecked() ? kNetscape : kFavorites;
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
    return deleteBox && deleteBox->isChecked();
}

void CBookmarkDialog::SetFolderPath(const std::string& path)
{
    folderPath = path.empty() ? std::string("\\") : path;
    folderEdit->setText(BookmarkDisplayText(folderPath));
}

void CBookmarkDialog::UpdateEnabled()
{
    const bool favorites = favoritesButton->isChecked();
    directoryEdit->setEnabled(favorites);
    browseDirectory->setEnabled(favorites);
    fileEdit->setEnabled(!favorites);
    browseFile->setEnabled(!favorites);
    folderEdit->setEnabled(!favorites);
    browseFolder->setEnabled(!favorites);
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

void CBookmarkDialog::accept()
{
    if (ChosenBrowser() == kFavorites) {
        const QString directory = directoryEdit->text().trimmed();
        if (directory.isEmpty() || !QFileInfo(directory).isDir()) {
            LwMessage::Show(this, ResFormat(36, {directory}), LwMessage::Ok, QMessageBox::Warning);
            directoryEdit->setFocus();
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
