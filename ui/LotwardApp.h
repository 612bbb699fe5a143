#pragma once
// The application object: start-up in its fixed order (options, language pack, splash, data
// files beside the program, recent files, main window, the document named on the command
// line), the document file commands (New, Open, Save, Save As, the recent-file list and the
// save-changes prompt), and the exit steps.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class CAppOptions;
class CLotwardDoc;
class CMainFrame;
class CRefreshService;
class CSplashWindow;
class ISettingsStore;
class QTranslator;
class QWidget;

class CLotwardApp : public QObject
{
    Q_OBJECT
public:
    // `programDir` is the folder that holds Lotward.dat, Blank.html and the French pack.
    CLotwardApp(ISettingsStore& settings, QString programDir);
    ~CLotwardApp() override;

    // The start-up steps; false when the program must not run (the message was shown).
    bool InitInstance(const QStringList& arguments);
    // The exit steps; safe to call after a failed start-up.
    void ExitInstance();

    CMainFrame* Frame() const { return frame.get(); }
    // The document's refresh, from the main window's creation to the exit steps.
    CRefreshService* Refresh() const { return refresh.get(); }
    // Cancels every item download and handles events (results, questions) until the download
    // engine has wound down.
    void StopRefreshAndWait();
    CLotwardDoc& Document() { return *doc; }
    ISettingsStore& Settings() { return settings; }
    bool LanguagePackLoaded() const { return languageLoaded; }

    QString ProgramDir() const { return programDir; }
    QString BlankPagePath() const { return blankPagePath; }
    QString ItemPagePath() const { return itemPagePath; }
    QString LanguagePackPath() const;
    void RegisterFileToDelete(const QString& path);

    // The document file commands.
    bool NewDocument();
    bool OpenDocumentFile(const QString& path); // with the offer to back up an older format
    bool FileOpen();
    bool FileSave();
    bool FileSaveAs();
    // Asks "Save changes to %1?" for a modified document; false when the user cancelled or
    // the save failed.
    bool SaveModified();
    QString PathName() const { return pathName; }
    QString DocumentTitle() const;

    QStringList RecentFiles() const { return recentFiles; }
    void AddToRecentFiles(const QString& path);
    static constexpr int kRecentFileCount = 4;

    QWidget* MessageParent() const;

private:
    bool DoSave(const QString& path);
    void LoadRecentFiles();
    void SaveRecentFiles();
    void ReportOpenFailure(const QString& path);

    ISettingsStore& settings;
    QString programDir;
    QString blankPagePath;
    QString itemPagePath;
    QString pathName;
    QStringList recentFiles;
    std::vector<QString> filesToDelete;
    std::unique_ptr<CAppOptions> options;
    std::unique_ptr<CLotwardDoc> doc;
    std::unique_ptr<CMainFrame> frame;
    std::unique_ptr<CRefreshService> refresh;
    QPointer<CSplashWindow> splash;
    std::unique_ptr<QTranslator> keyNames; // shortcut texts in the program's language
    bool languageLoaded = false;
    bool exited = false;
};
