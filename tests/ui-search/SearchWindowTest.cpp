// The Search Items window: saved searches across closing and reopening, the controls each
// server offers, Launch, and the URLs it opens compared with `lotwarden search-url`.

#include "ui/SearchWindow.h"

#include "../ui/UiTestSupport.h"
#include "browser/BrowserRequest.h"
#include "platform/MemorySettingsStore.h"
#include "text/ReferenceData.h"
#include "ui/BrowserLaunch.h"
#include "ui/CommandIds.h"
#include "ui/MainFrame.h"
#include "ui/UiText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace
{
class SearchWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetReferenceDataFile(LW_BIN_DIR "/Lotward.dat");
        previousHook = SetBrowserLaunchHook([this](const QUrl& url) {
            opened.push_back(url.toString(QUrl::FullyEncoded).toStdString());
            return true;
        });
        host.settings = &settings;
    }
    void TearDown() override { SetBrowserLaunchHook(previousHook); }

    // A fresh window, as the command opens it; the previous one is closed (and saves).
    CSearchWindow* Open()
    {
        auto* window = new CSearchWindow(host);
        window->show();
        return window;
    }
    static void Type(CSearchWindow* window, const QString& text)
    {
        window->FindCombo()->lineEdit()->clear();
        QTest::keyClicks(window->FindCombo()->lineEdit(), text);
    }
    static std::vector<QString> FindEntries(CSearchWindow* window)
    {
        std::vector<QString> entries;
        for (int i = 0; i < window->FindCombo()->count(); ++i)
            entries.push_back(window->FindCombo()->itemText(i));
        return entries;
    }

    CMemorySettingsStore settings;
    CSearchWindowHost host;
    std::vector<std::string> opened;
    BrowserLaunchHook previousHook;
};
} // namespace

TEST_F(SearchWindowTest, OpensOnTheStoredServerElseEbay)
{
    CSearchWindow* window = Open();
    EXPECT_EQ(window->windowTitle(), "Search Items");
    EXPECT_EQ(window->ServerList()->count(), 30);
    EXPECT_EQ(window->ServerList()->currentData().toInt(), 107);
    EXPECT_TRUE(window->MiniWindowBox()->isChecked());
    // No browser here answers the window conversation: the choice is not offered.
    EXPECT_TRUE(window->MiniWindowBox()->isHidden());
    EXPECT_FALSE(window->LaunchButton()->isEnabled());
    window->SelectServer(152);
    window->MiniWindowBox()->setChecked(false);
    window->close();

    window = Open();
    EXPECT_EQ(window->ServerList()->currentData().toInt(), 152);
    EXPECT_FALSE(window->MiniWindowBox()->isChecked());
    window->close();

    settings.WriteInt("Find Items", "Server", 4242);
    window = Open();
    EXPECT_EQ(window->ServerList()->currentData().toInt(), 107);
    window->close();
}

TEST_F(SearchWindowTest, ControlsFollowTheServersCapabilities)
{
    CSearchWindow* window = Open();
    const struct { int id; bool find, descriptions, textOnly, category, sort, direction; int sortEntries; const char* sortTitle; } cases[] = {
        {107, true, true, true, true, true, true, 4, "End Date"},
        {150, true, false, false, true, true, true, 5, "End Date"},
        {151, true, false, false, true, true, true, 3, "Number of Bids"},
        {167, true, false, false, true, true, false, 4, "Description"},
        {164, false, false, false, false, false, false, 0, ""},
        {170, true, false, false, true, false, false, 0, ""},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(window->SelectServer(c.id));
        EXPECT_EQ(window->FindCombo()->isEnabled(), c.find) << c.id;
        EXPECT_EQ(window->DescriptionsBox()->isEnabled(), c.descriptions) << c.id;
        EXPECT_EQ(window->TextOnlyBox()->isEnabled(), c.textOnly) << c.id;
        EXPECT_EQ(window->CategoryList()->isEnabled(), c.category) << c.id;
        EXPECT_EQ(window->CategoryList()->count() > 0, c.category) << c.id;
        EXPECT_EQ(window->SortList()->isEnabled(), c.sort) << c.id;
        EXPECT_EQ(window->AscendingButton()->isEnabled(), c.direction) << c.id;
        EXPECT_EQ(window->SortList()->count(), c.sortEntries) << c.id;
        EXPECT_EQ(window->SortList()->currentText(), c.sortTitle) << c.id;
        if (!c.direction) {
            EXPECT_FALSE(window->AscendingButton()->isChecked() || window->DescendingButton()->isChecked()) << c.id;
        }
        if (c.category) {
            EXPECT_EQ(window->CategoryList()->currentIndex(), 0) << c.id;
        }
    }
    // Aucland sorts descending by default.
    window->SelectServer(151);
    EXPECT_TRUE(window->DescendingButton()->isChecked());
    window->close();
}

TEST_F(SearchWindowTest, LaunchingTheSameTextTwiceKeepsOneEntryAtTheTop)
{
    CSearchWindow* window = Open();
    window->MiniWindowBox()->setChecked(false);
    for (const char* text : {"lamp", "clock", "lamp"}) {
        Type(window, text);
        EXPECT_TRUE(window->LaunchButton()->isEnabled());
        EXPECT_FALSE(window->Launch().empty());
    }
    EXPECT_EQ(FindEntries(window), (std::vector<QString>{"lamp", "clock"}));
    EXPECT_EQ(window->FindCombo()->currentIndex(), 0);
    EXPECT_EQ(opened.size(), 3u);
    window->close();
}

TEST_F(SearchWindowTest, WordsOutsideWindows1252AreRefusedByNameNotSearchedAsQuestionMarks)
{
    CSearchWindow* window = Open();
    window->MiniWindowBox()->setChecked(false);
    window->FindCombo()->setEditText(QString::fromUtf8("lamp \xe6\x97\xa5"));
    QString said;
    PressInNextModal(QStringLiteral("OK"), &said);
    EXPECT_TRUE(window->Launch().empty());
    EXPECT_TRUE(said.contains(QString::fromUtf8("\xe6\x97\xa5 (U+65E5)"))) << said.toStdString();
    EXPECT_TRUE(opened.empty());
    window->close();
}

TEST_F(SearchWindowTest, ElevenSearchesKeepTheNewestTenAfterReopening)
{
    CSearchWindow* window = Open();
    window->MiniWindowBox()->setChecked(false);
    for (int i = 0; i < 11; ++i) {
        Type(window, QStringLiteral("search %1").arg(i));
        window->Launch();
    }
    EXPECT_EQ(window->FindCombo()->count(), 11);
    window->close();
    window = Open();
    ASSERT_EQ(window->FindCombo()->count(), 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(window->FindCombo()->itemText(i), QStringLiteral("search %1").arg(10 - i));
    EXPECT_TRUE(window->FindCombo()->currentText().isEmpty());
    window->close();
}

TEST_F(SearchWindowTest, SavedSearchForAnotherServerKeepsTheFirstCategory)
{
    CSearchWindow* window = Open();
    window->MiniWindowBox()->setChecked(false);
    window->SelectServer(150);
    window->CategoryList()->setCurrentIndex(3);
    window->DescendingButton()->setChecked(true);
    window->SortList()->setCurrentIndex(2);
    Type(window, "yahoo words");
    window->Launch();

    window->SelectServer(107);
    window->ChooseSavedSearch(0);
    EXPECT_TRUE(window->LaunchButton()->isEnabled());
    EXPECT_EQ(window->CategoryList()->currentIndex(), 0);
    // The direction and a sort key both servers offer (Photo is not one for eBay) come back.
    EXPECT_TRUE(window->DescendingButton()->isChecked());
    EXPECT_EQ(window->SortList()->currentIndex(), 0);

    window->SelectServer(150);
    window->ChooseSavedSearch(0);
    EXPECT_EQ(window->CategoryList()->currentIndex(), 3);
    EXPECT_EQ(window->SortList()->currentIndex(), 2);
    EXPECT_EQ(window->ServerList()->currentData().toInt(), 150);
    window->close();
}

TEST_F(SearchWindowTest, ServerWithoutSearchWordsLaunchesWithAnEmptyFindField)
{
    CSearchWindow* window = Open();
    window->MiniWindowBox()->setChecked(false);
    Type(window, "typed before");
    window->SelectServer(164);
    EXPECT_TRUE(window->FindCombo()->currentText().isEmpty());
    EXPECT_TRUE(window->LaunchButton()->isEnabled());
    EXPECT_FALSE(window->Launch().empty());
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(window->FindCombo()->count(), 0);
    window->close();
}

TEST_F(SearchWindowTest, MiniWindowChoiceOpensTheUrlDirectlyWithoutBrowserConversations)
{
    SetBrowserConversations(nullptr);
    CSearchWindow* window = Open();
    ASSERT_TRUE(window->MiniWindowBox()->isChecked());
    Type(window, "radio");
    const std::string url = window->Launch();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl(ToQt(url), QUrl::TolerantMode).toString(QUrl::FullyEncoded).toStdString());
    EXPECT_TRUE(window->isVisible());
    window->close();
}

TEST_F(SearchWindowTest, EachServersUrlEqualsTheCommandLinesUrl)
{
    CSearchWindow* window = Open();
    window->MiniWindowBox()->setChecked(false);
    int compared = 0;
    for (int i = 0; i < window->ServerList()->count(); ++i) {
        window->ServerList()->setCurrentIndex(i);
        const int id = window->ServerList()->currentData().toInt();
        QStringList args{"search-url", "--server", QString::number(id)};
        if (window->FindCombo()->isEnabled()) {
            Type(window, QStringLiteral("antique clock %1").arg(id));
            args << "--query" << QStringLiteral("antique clock %1").arg(id);
        }
        if (window->CategoryList()->count() > 2) {
            window->CategoryList()->setCurrentIndex(2);
            args << "--category" << "2";
        }
        if (window->SortList()->count() > 1) {
            window->SortList()->setCurrentIndex(1);
            args << "--sort" << QString::number(window->SortList()->currentData().toInt());
        }
        if (window->DescendingButton()->isEnabled()) {
            window->DescendingButton()->setChecked(true);
            args << "--descending";
        }
        const std::string url = window->Launch();
        ASSERT_FALSE(url.empty()) << id;

        QProcess cli;
        cli.start(QStringLiteral(LW_BIN_DIR "/lotwarden"), args);
        ASSERT_TRUE(cli.waitForFinished(30000)) << id;
        EXPECT_EQ(cli.exitCode(), 0) << id << cli.readAllStandardError().toStdString();
        EXPECT_EQ(ToQt(url), QString::fromUtf8(cli.readAllStandardOutput()).trimmed()) << id;
        ++compared;
    }
    EXPECT_EQ(compared, 30);
    window->close();
}

TEST(SearchCommands, SearchItemsReusesOneWindowAndFaqOpensTheQuestionsPage)
{
    std::vector<QString> opened;
    const BrowserLaunchHook previous = SetBrowserLaunchHook([&](const QUrl& url) {
        opened.push_back(url.toString());
        return true;
    });
    {
        RunningApp app;
        ASSERT_TRUE(app.Frame().OnCommand(kCmdSearchItems));
        CSearchWindow* first = CurrentSearchWindow();
        ASSERT_NE(first, nullptr);
        ASSERT_TRUE(app.Frame().OnCommand(kCmdSearchItems));
        EXPECT_EQ(CurrentSearchWindow(), first);
        first->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(CurrentSearchWindow(), nullptr);

        ASSERT_TRUE(app.Frame().OnCommand(kCmdHelpFaq));
        ASSERT_EQ(opened.size(), 1u);
        EXPECT_EQ(opened[0], ResText(985));
    }
    SetBrowserLaunchHook(previous);
}

TEST(Screenshots, SearchWindowForEbayAndYahooFrance)
{
    const QString dir = qEnvironmentVariable("LW_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "LW_SCREENSHOT_DIR not set";
    QDir().mkpath(dir);
    SetReferenceDataFile(LW_BIN_DIR "/Lotward.dat");
    CMemorySettingsStore settings;
    CSearchWindowHost host;
    host.settings = &settings;
    for (const auto& [id, name] : {std::pair{107, "search-ebay.png"}, std::pair{152, "search-yahoo-fr.png"}}) {
        auto* window = new CSearchWindow(host);
        window->SelectServer(id);
        window->FindCombo()->setEditText(QStringLiteral("pendule ancienne"));
        window->show();
        QTest::qWait(200);
        EXPECT_TRUE(window->grab().save(QDir(dir).filePath(QString::fromLatin1(name))));
        window->close();
    }
}
