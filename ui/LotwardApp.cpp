#include "ui/LotwardApp.h"

#include "core/StringTable.h"
#include "core/document/FrameworkMessages.h"
#include "core/document/LotwardDoc.h"
#include "core/document/OpenStep.h"
#include "core/options/AppOptions.h"
#include "core/refresh/RefreshService.h"
#include "platform/SettingsStore.h"
#include "text/ReferenceData.h"
#include "ui/AlarmHooks.h"
#include "ui/BookmarkDialogCommands.h"
#include "ui/AboutBox.h"
#include "ui/CommandIds.h"
#include "ui/KeyNames.h"
#include "ui/SheetDisplayOpt.h"
#include "ui/SheetOption.h"
#include "ui/LotwardView.h"
#include "ui/MainFrame.h"
#include "ui/MessageBox.h"
#include "ui/SearchWindow.h"
#include "ui/SplashWindow.h"
#include "ui/UiStrings.h"
#include "ui/UiText.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QThread>

namespace {

const char* const kRecentSection = "Recent File List";

std::string NativePath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// The document reports file errors in the frame's English wording with the path filled in;
// show them from the tables, so that they follow the language pack.
QString LocalizedFileMessage(const std::string& message, const QString& path)
{
    const std::string native = NativePath(path);
    const struct
    {
        const char* english;
        int id;
    } known[] = {
        {FrameworkMessage::kUnexpectedFileFormat, kStrBadFormat}, {FrameworkMessage::kFileNotFound, kStrFileNotFound},
        {FrameworkMessage::kFailedToOpen, kStrOpenFailed},        {FrameworkMessage::kFailedToSave, kStrSaveFailed},
        {FrameworkMessage::kDiskFull, kStrDiskFull},              {FrameworkMessage::kReadOnly, kStrReadOnly},
    };
    for (const auto& entry : known) {
        std::string english = entry.english;
        if (const std::size_t at = english.find("%1"); at != std::string::npos)
            english.replace(at, 2, native);
        if (english == message)
            return ResFormat(entry.id, {QDir::toNativeSeparators(path)});
    }
    return QString::fromStdString(message);
}

// The open step's questions, as message boxes over the main window.
class COpenQuestions : public IOpenQuestions
{
public:
    explicit COpenQuestions(QWidget* owner) : parent(owner) {}
    bool AskYesNo(const std::string& text) override
    {
        return LwMessage::Show(parent, ToQt(text), LwMessage::YesNo, QMessageBox::NoIcon) == LwMessage::AnswerYes;
    }
    void ShowError(const std::string& text) override
    {
        LwMessage::Show(parent, ToQt(text), LwMessage::Ok, QMessageBox::Critical);
    }

private:
    QWidget* parent;
};

} // namespace

CLotwardApp::CLotwardApp(ISettingsStore& store, QString dir)
    : settings(store), programDir(std::move(dir)), doc(std::make_unique<CLotwardDoc>())
{
}

CLotwardApp::~CLotwardApp()
{
    ExitInstance();
}

QString CLotwardApp::LanguagePackPath() const
{
    return QDir(programDir).filePath(QStringLiteral("Lotward.fr"));
}

QWidget* CLotwardApp::MessageParent() const
{
    return frame && frame->isVisible() ? frame.get() : nullptr;
}

bool CLotwardApp::InitInstance(const QStringList& arguments)
{
    // Options first: they say which language the rest of start-up speaks.
    options = std::make_unique<CAppOptions>();
    options->Read(settings);
    SetAppOptions(options.get());

    // A missing or unreadable pack leaves the program in English and "Language" as it is.
    if (GetIntOption(3) == 1)
        languageLoaded = LoadLanguagePack(NativePath(LanguagePackPath()));
    keyNames = std::make_unique<CKeyNameTranslator>();
    QCoreApplication::installTranslator(keyNames.get());

    // The splash closes itself after a moment; an exit before that takes it along.
    splash = new CSplashWindow;
    splash->show();
    QCoreApplication::processEvents();

    const QDir dir(programDir);
    SetReferenceDataFile(NativePath(dir.filePath(QStringLiteral("Lotward.dat"))));
    blankPagePath = dir.filePath(QStringLiteral("Blank.html"));
    const QString cache = QDir(qEnvironmentVariable("XDG_CACHE_HOME", QDir::homePath() + QStringLiteral("/.cache")))
                              .filePath(QStringLiteral("Lotwarden"));
    itemPagePath = QDir(cache).filePath(QStringLiteral("Temp.html"));

    if (!TheReferenceData().CanOpen()) {
        LwMessage::Show(nullptr, ResText(kStrNoDataFile), LwMessage::Ok, QMessageBox::Critical);
        return false;
    }
    if (!QFileInfo::exists(blankPagePath)) {
        LwMessage::Show(nullptr, ResText(kStrNoBlankPage), LwMessage::Ok, QMessageBox::Critical);
        return false;
    }

    LoadRecentFiles();
    const int showCmd = settings.GetInt("Main Window", "ShowCmd", -1);

    frame = std::make_unique<CMainFrame>(*this, *doc, settings);
    // Results are applied on this (the user-interface) thread: the scheduler thread that hands
    // one over posts the wake-up and waits until the event loop has applied it.
    refresh = std::make_unique<CRefreshService>(*doc, *options, *frame, *frame, [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (refresh)
                    refresh->ApplyPendingResults();
            },
            Qt::QueuedConnection);
    });
    InstallItemWindows(*frame, settings, blankPagePath, itemPagePath);
    InstallBookmarkCommands(*frame, settings);
    frame->SetCommandHandler(kCmdViewOptions, [this] { ShowOptionsSheet(frame.get()); });
    frame->SetCommandHandler(kCmdViewDisplayPrefs, [this] { ShowDisplayPreferences(*frame, settings); });
    frame->SetCommandHandler(kCmdAppAbout, [this] { ShowAboutBox(frame.get()); });
    InstallSearchWindow(*this, *frame);

    // The first argument that is not an option names the document to open.
    QString path;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (!arguments[i].startsWith(QLatin1Char('-'))) {
            path = arguments[i];
            break;
        }
    }
    frame->ShowFirstTime(showCmd);
    if (!path.isEmpty()) {
        if (!OpenDocumentFile(path))
            return false;
    } else if (!NewDocument()) {
        return false;
    }
    frame->raise();
    return true;
}

void CLotwardApp::ExitInstance()
{
    if (exited)
        return;
    exited = true;
    // The refresh reads the options and asks over the main window: it goes first, once the
    // download engine has wound down.
    if (refresh) {
        refresh->Shutdown();
        StopRefreshAndWait();
        refresh.reset();
    }
    keyNames.reset();
    ResetLanguage();
    if (options) {
        options->Write(settings);
        SetAppOptions(nullptr);
        options.reset();
    }
    SaveRecentFiles();
    delete splash;
    for (const QString& file : filesToDelete)
        QFile::remove(file);
    filesToDelete.clear();
    frame.reset();
    settings.Flush();
}

void CLotwardApp::StopRefreshAndWait()
{
    if (!refresh)
        return;
    // The scheduler thread may be waiting for this thread to apply a result or answer a
    // question: keep handling events while the engine winds down.
    while (refresh->IsBusy()) {
        refresh->CancelAll();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
    refresh->ApplyPendingResults();
}

void CLotwardApp::RegisterFileToDelete(const QString& path)
{
    filesToDelete.push_back(path);
}

QString CLotwardApp::DocumentTitle() const
{
    return pathName.isEmpty() ? ResText(kStrUntitled) : QFileInfo(pathName).fileName();
}

bool CLotwardApp::NewDocument()
{
    pathName.clear();
    const bool ok = doc->OnNewDocument();
    doc->UpdateAllViews(kHintAll);
    if (frame)
        frame->UpdateTitle();
    return ok;
}

bool CLotwardApp::OpenDocumentFile(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    COpenQuestions questions(MessageParent());
    std::string error;
    const bool ok = ::OpenDocumentFile(*doc, NativePath(absolute), questions, &error);
    if (!ok) {
        pathName.clear();
        doc->UpdateAllViews(kHintAll);
        LwMessage::Show(MessageParent(), LocalizedFileMessage(error, absolute), LwMessage::Ok, QMessageBox::Critical);
    } else {
        pathName = absolute;
        AddToRecentFiles(absolute);
        doc->UpdateAllViews(kHintAll);
    }
    if (frame)
        frame->UpdateTitle();
    return ok;
}

bool CLotwardApp::FileOpen()
{
    if (!SaveModified())
        return false;
    const QString filter = ResText(kStrFileFilter);
    const QString path = QFileDialog::getOpenFileName(MessageParent(), ResText(kStrOpenTitle),
                                                      pathName.isEmpty() ? QString() : QFileInfo(pathName).path(), filter);
    if (path.isEmpty())
        return false;
    return OpenDocumentFile(path);
}

bool CLotwardApp::DoSave(const QString& path)
{
    // Another program (lotwarden, another window) may have saved the file since it was read.
    if (doc->FileChangedOnDisk(NativePath(path)) &&
        LwMessage::Show(MessageParent(), ResFormat(kStrChangedOnDisk, {QDir::toNativeSeparators(path)}),
                        LwMessage::YesNo, QMessageBox::Warning) != LwMessage::AnswerYes)
        return false;
    std::string error;
    if (!doc->OnSaveDocument(NativePath(path), &error)) {
        LwMessage::Show(MessageParent(), LocalizedFileMessage(error, path), LwMessage::Ok, QMessageBox::Critical);
        return false;
    }
    doc->SetModifiedFlag(false);
    pathName = QFileInfo(path).absoluteFilePath();
    AddToRecentFiles(pathName);
    if (frame)
        frame->UpdateTitle();
    return true;
}

bool CLotwardApp::FileSave()
{
    if (pathName.isEmpty())
        return FileSaveAs();
    return DoSave(pathName);
}

bool CLotwardApp::FileSaveAs()
{
    const QString extension = ResText(kStrFileExtension);
    QString suggested = pathName.isEmpty() ? DocumentTitle() + extension : pathName;
    QString path = QFileDialog::getSaveFileName(MessageParent(), ResText(kStrSaveAsTitle), suggested,
                                                ResText(kStrFileFilter));
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += extension;
    return DoSave(path);
}

bool CLotwardApp::SaveModified()
{
    if (!doc->IsModified())
        return true;
    const QString name = pathName.isEmpty() ? DocumentTitle() : QDir::toNativeSeparators(pathName);
    switch (LwMessage::Show(MessageParent(), ResFormat(kStrAskSave, {name}), LwMessage::YesNoCancel,
                            QMessageBox::Warning)) {
    case LwMessage::AnswerYes:
        return FileSave();
    case LwMessage::AnswerNo:
        return true;
    default:
        return false;
    }
}

void CLotwardApp::LoadRecentFiles()
{
    recentFiles.clear();
    for (int i = 1; i <= kRecentFileCount; ++i) {
        const std::string value = settings.GetString(kRecentSection, "File" + std::to_string(i));
        if (!value.empty())
            recentFiles << QFile::decodeName(QByteArray::fromStdString(value));
    }
}

void CLotwardApp::SaveRecentFiles()
{
    for (int i = 1; i <= kRecentFileCount; ++i) {
        const std::string key = "File" + std::to_string(i);
        if (i <= recentFiles.size())
            settings.WriteString(kRecentSection, key, NativePath(recentFiles[i - 1]));
        else
            settings.RemoveValue(kRecentSection, key);
    }
}

void CLotwardApp::AddToRecentFiles(const QString& path)
{
    recentFiles.removeAll(path);
    recentFiles.prepend(path);
    while (recentFiles.size() > kRecentFileCount)
        recentFiles.removeLast();
    SaveRecentFiles();
    if (frame)
        frame->RebuildRecentFilesMenu();
}
