#include "ui/BrowseDirectory.h"

#include "ui/BookmarkDialogStrings.h"
#include "ui/UiText.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QWidget>

CBrowseDirectory::CBrowseDirectory(QWidget* parent) : QObject(parent), owner(parent) {}

bool CBrowseDirectory::BrowseForDirectory(QString& directory, const QString& title)
{
    QString start = directory;
    if (start.isEmpty() || !QFileInfo(start).isDir())
        start = QDir::homePath();
    const QString caption = title.isEmpty() ? ResText(kStrBrowseDirectoryTitle) : title;
    QString chosen = QFileDialog::getExistingDirectory(owner, caption, start, QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return false;
    chosen = QDir::toNativeSeparators(QDir::cleanPath(chosen));
    if (!chosen.endsWith(QDir::separator()))
        chosen += QDir::separator();
    directory = chosen;
    return true;
}
