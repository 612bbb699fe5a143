// Start-up and exit: the files beside the program, the French pack, the document named on the
// command line, and the options written back at exit.

#include "UiTestSupport.h"

#include "core/document/LotwardDoc.h"
#include "core/options/AppOptions.h"
#include "core/refresh/RefreshService.h"
#include "ui/AboutBox.h"
#include "ui/CommandIds.h"
#include "ui/MainFrame.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

TEST(Startup, RefusesToRunWithoutItsDataFiles)
{
    const struct
    {
        bool data, blank;
        const char* message;
    } cases[] = {
        {false, true, "Data file not found"},
        {true, false, "Can not find Blank.html file"},
        {false, false, "Data file not found"},
    };
    for (const auto& c : cases) {
        ProgramFolder folder(c.data, c.blank);
        CMemorySettingsStore settings;
        CLotwardApp app(settings, folder.Path());
        QString shown;
        PressInNextModal(QStringLiteral("OK"), &shown);
        EXPECT_FALSE(app.InitInstance({QStringLiteral("Lotward")}));
        EXPECT_EQ(shown, c.message);
        EXPECT_EQ(app.Frame(), nullptr);
        app.ExitInstance();
        // The exit steps still ran: the options are written back.
        EXPECT_TRUE(settings.HasValue("Options", "Simult Download"));
    }
}

TEST(Startup, FrenchPackReplacesEveryTextWhenLanguageIsOne)
{
    ProgramFolder folder(true, true, true);
    CMemorySettingsStore settings;
    settings.WriteInt("Options", "Language", 1);
    settings.WriteInt("Main Window", "Split", 0);
    {
        CLotwardApp app(settings, folder.Path());
        ASSERT_TRUE(app.InitInstance({QStringLiteral("Lotward")}));
        EXPECT_TRUE(app.LanguagePackLoaded());
        CMainFrame& frame = *app.Frame();
        EXPECT_EQ(frame.windowTitle(), "Sans titre[*] - Lotwarden");
        EXPECT_EQ(frame.menuBar()->actions().value(0)->text(), "&Fichier");
        EXPECT_EQ(frame.Action(kCmdFileNew)->iconText(), "Nouveau");
        EXPECT_EQ(frame.Action(kCmdRefresh)->statusTip(), QString::fromUtf8("Mettre à jour l'affichage avec les modifications des objets"));
        // Key names in the menus' shortcut texts follow the language too.
        const struct
        {
            int command;
            const char* shown;
        } keys[] = {{kCmdEditClear, "Suppr"}, {kCmdOpenInBrowser, "Entrée"}, {kCmdProperties, "Alt+Entrée"},
                    {kCmdEditCut, "Ctrl+X"}, {kCmdAppExit, "Ctrl+Q"}};
        for (const auto& k : keys)
            EXPECT_EQ(frame.Action(k.command)->shortcut().toString(QKeySequence::NativeText), QString::fromUtf8(k.shown));
        EXPECT_EQ(frame.menuBar()->actions().value(1)->text(), QString::fromUtf8("&Édition"));
        // The context menu's default entry is drawn in bold: it is measured in bold too.
        EXPECT_TRUE(frame.Action(kCmdOpenInBrowser)->font().bold());
        CAboutBox about;
        EXPECT_FALSE(about.VersionLine()->text().contains(QLatin1String("build"))) << about.VersionLine()->text().toStdString();
        EXPECT_FALSE(about.CopyrightLine()->text().contains(QLatin1String("Copyright")));
        app.ExitInstance();
    }
    EXPECT_EQ(settings.GetInt("Options", "Language", 0), 1);
}

TEST(Startup, WithoutThePackTheProgramRunsInEnglishAndKeepsLanguageOne)
{
    ProgramFolder folder(true, true, false);
    CMemorySettingsStore settings;
    settings.WriteInt("Options", "Language", 1);
    {
        CLotwardApp app(settings, folder.Path());
        ASSERT_TRUE(app.InitInstance({QStringLiteral("Lotward")}));
        EXPECT_FALSE(app.LanguagePackLoaded());
        EXPECT_EQ(app.Frame()->windowTitle(), "Untitled[*] - Lotwarden");
        EXPECT_EQ(app.Frame()->menuBar()->actions().value(0)->text(), "&File");
        app.ExitInstance();
    }
    EXPECT_EQ(settings.GetInt("Options", "Language", 0), 1);
}

TEST(Startup, DocumentOnTheCommandLineIsOpenedAndRemembered)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("watch.lwd"));
    {
        CLotwardDoc doc;
        doc.OnNewDocument();
        AddEbayItems(doc, {"501", "502"});
        ASSERT_TRUE(doc.OnSaveDocument(QFile::encodeName(path).toStdString()));
    }
    ProgramFolder folder;
    CMemorySettingsStore settings;
    CLotwardApp app(settings, folder.Path());
    ASSERT_TRUE(app.InitInstance({QStringLiteral("Lotward"), path}));
    EXPECT_EQ(app.Document().GetItemCount(), 2);
    EXPECT_EQ(app.Frame()->windowTitle(), "watch.lwd[*] - Lotwarden");
    EXPECT_EQ(app.RecentFiles().value(0), path);
    app.ExitInstance();
    EXPECT_EQ(settings.GetString("Recent File List", "File1"), QFile::encodeName(path).toStdString());
}

TEST(Startup, UnreadableDocumentOnTheCommandLineStopsStartUp)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("broken.lwd"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x01\x00\xFF\xFF\x09\x00", 6);
    file.close();
    ProgramFolder folder;
    CMemorySettingsStore settings;
    CLotwardApp app(settings, folder.Path());
    QString shown;
    PressInNextModal(QStringLiteral("OK"), &shown);
    EXPECT_FALSE(app.InitInstance({QStringLiteral("Lotward"), path}));
    EXPECT_EQ(shown, "Unexpected file format.");
    app.ExitInstance();
}

// A list that lotwarden changed while the window had it open is not overwritten unasked.
TEST(Startup, SavingOverAFileAnotherProgramChangedAsksFirst)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("watch.lwd"));
    const std::string native = QFile::encodeName(path).toStdString();
    {
        CLotwardDoc doc;
        doc.OnNewDocument();
        AddEbayItems(doc, {"501"});
        ASSERT_TRUE(doc.OnSaveDocument(native));
    }
    ProgramFolder folder;
    CMemorySettingsStore settings;
    CLotwardApp app(settings, folder.Path());
    ASSERT_TRUE(app.InitInstance({QStringLiteral("Lotward"), path}));
    app.Refresh()->Shutdown(); // the added item goes to no site
    AddEbayItems(app.Document(), {"9"});
    {
        CLotwardDoc other;
        ASSERT_TRUE(other.OnOpenDocument(native));
        AddEbayItems(other, {"777"});
        ASSERT_TRUE(other.OnSaveDocument(native));
    }
    auto numbersOnDisk = [&] {
        CLotwardDoc onDisk;
        EXPECT_TRUE(onDisk.OnOpenDocument(native));
        std::vector<std::string> numbers;
        for (int i = 0; i < onDisk.GetItemCount(); ++i)
            numbers.push_back(onDisk.GetItem(i)->GetItemNumber());
        return numbers;
    };
    QString asked;
    PressInNextModal(QStringLiteral("&No"), &asked);
    EXPECT_FALSE(app.FileSave());
    EXPECT_TRUE(asked.contains(QStringLiteral("has been changed by another program"))) << asked.toStdString();
    EXPECT_EQ(numbersOnDisk(), (std::vector<std::string>{"501", "777"}));
    EXPECT_TRUE(app.Document().IsModified());

    PressInNextModal(QStringLiteral("&Yes"));
    EXPECT_TRUE(app.FileSave());
    EXPECT_EQ(numbersOnDisk(), (std::vector<std::string>{"501", "9"}));
    app.ExitInstance();
}

TEST(Startup, SaveChangesPromptGuardsNew)
{
    RunningApp run;
    AddEbayItems(run.Doc(), {"9"});
    ASSERT_TRUE(run.Doc().IsModified());
    QString asked;
    PressInNextModal(QStringLiteral("Cancel"), &asked);
    run.Frame().OnCommand(kCmdFileNew);
    EXPECT_EQ(asked, "Save changes to Untitled?");
    EXPECT_EQ(run.Doc().GetItemCount(), 1);
    PressInNextModal(QStringLiteral("&No"));
    run.Frame().OnCommand(kCmdFileNew);
    EXPECT_EQ(run.Doc().GetItemCount(), 0);
}

TEST(LanguagePack, FrenchTableHasEveryEnglishIdWithTheSamePlaceholders)
{
    auto read = [](const QString& path) {
        std::map<int, QString> table;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        for (const QByteArray& raw : file.readAll().split('\n')) {
            const QString line = QString::fromUtf8(raw);
            const qsizetype tab = line.indexOf(QLatin1Char('\t'));
            if (line.startsWith(QLatin1Char('#')) || tab <= 0)
                continue;
            table[line.left(tab).toInt()] = line.mid(tab + 1);
        }
        return table;
    };
    const auto english = read(QStringLiteral(LW_SOURCE_DIR "/resources/strings/en.txt"));
    const auto french = read(QStringLiteral(LW_SOURCE_DIR "/resources/strings/fr.txt"));
    const QRegularExpression placeholder(QStringLiteral("%(s|d|lu|[1-9])"));
    auto placeholders = [&](const QString& text) {
        QStringList found;
        for (auto it = placeholder.globalMatch(text); it.hasNext();)
            found << it.next().captured();
        return found;
    };
    for (const auto& [id, text] : english) {
        auto it = french.find(id);
        ASSERT_NE(it, french.end()) << "French pack lacks id " << id;
        EXPECT_EQ(placeholders(text), placeholders(it->second)) << "id " << id;
    }
}
