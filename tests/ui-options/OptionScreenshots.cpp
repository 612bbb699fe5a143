// Pictures of every page of the options and display preferences sheets and of the About box,
// in English and in French, for a person to look at. Written only when LW_SCREENSHOT_DIR names
// a folder; skipped otherwise.

#include "UiTestSupport.h"

#include "core/StringTable.h"
#include "core/options/AppOptions.h"
#include "ui/AboutBox.h"
#include "ui/MainFrame.h"
#include "ui/SheetDisplayOpt.h"
#include "ui/SheetOption.h"

#include <QDir>
#include <QPixmap>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

void Save(QWidget* window, const QString& file)
{
    window->show();
    QTest::qWait(100);
    EXPECT_TRUE(window->grab().save(file)) << file.toStdString();
}

void ShootAll(bool french, const QString& dir)
{
    const QString suffix = french ? QStringLiteral("-fr.png") : QStringLiteral("-en.png");
    RunningApp running([](CMemorySettingsStore& s) {
        s.WriteString("Options", "Rejected Servers", "155,170");
        s.WriteInt("Options", "Alarm Behavior", 2);
        s.WriteString("Options", "Alarm Sound File", "/usr/share/sounds/ding.wav");
    });
    // The windows take their texts when they are built, so the pack loaded now speaks for them.
    if (french) {
        ASSERT_TRUE(LoadLanguagePack(LW_BIN_DIR "/Lotward.fr"));
    }
    CAppOptions options;
    {
        std::lock_guard<std::mutex> lock(OptionsLock());
        ASSERT_NE(AppOptionsUnlocked(), nullptr);
        options = *AppOptionsUnlocked();
    }
    CSheetOption sheet(options, &running.Frame());
    const char* optionPages[] = {"options-general", "options-servers", "options-alarm"};
    for (int i = 0; i < sheet.Tabs()->count(); ++i) {
        sheet.Tabs()->setCurrentIndex(i);
        Save(&sheet, QDir(dir).filePath(QLatin1String(optionPages[i]) + suffix));
    }
    sheet.hide();

    CSheetDisplayOpt display(ReadDisplayPrefs(running.Frame(), running.settings), {}, &running.Frame());
    const char* displayPages[] = {"display-general", "display-columns"};
    for (int i = 0; i < display.Tabs()->count(); ++i) {
        display.Tabs()->setCurrentIndex(i);
        Save(&display, QDir(dir).filePath(QLatin1String(displayPages[i]) + suffix));
    }
    display.hide();

    CAboutBox about(running.Frame().statusBar(), &running.Frame());
    Save(&about, QDir(dir).filePath(QStringLiteral("about") + suffix));
    about.hide();
    ResetLanguage();
}

TEST(Screenshots, OptionSheetsAndAboutBox)
{
    const QString dir = qEnvironmentVariable("LW_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "LW_SCREENSHOT_DIR not set";
    QDir().mkpath(dir);
    ShootAll(false, dir);
    ShootAll(true, dir);
}

} // namespace
