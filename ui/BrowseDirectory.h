#pragma once
// The directory picker of the bookmark dialog and the installer: the desktop's folder chooser,
// opened in a given directory with a given title.

#include <QObject>
#include <QString>

class QWidget;

class CBrowseDirectory : public QObject
{
    Q_OBJECT
public:
    explicit CBrowseDirectory(QWidget* parent = nullptr);

    // Opens the chooser in `directory` (the home folder when it is empty or missing) with
    // `title` ("Directory Browse" when empty). On OK `directory` becomes the chosen directory
    // with a trailing separator and the result is true; on Cancel it is left as it was. The
    // process's current directory is never changed.
    bool BrowseForDirectory(QString& directory, const QString& title = QString());

private:
    QWidget* owner;
};
