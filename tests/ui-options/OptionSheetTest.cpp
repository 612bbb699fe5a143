// The options sheet: the server choice as the complement of "Rejected Servers", the general
// and alarm pages' values and enabling rules, the refusals that keep the sheet open, and the
// copy in and out of the process-wide options.

#include "UiTestSupport.h"

#include "core/options/AppOptions.h"
#include "sites/AuctionServer.h"
#include "ui/ChooserPage.h"
#include "ui/CommandIds.h"
#include "ui/MainFrame.h"
#include "ui/PageOptionAlarm.h"
#include "ui/PageOptionGeneral.h"
#include "ui/SheetOption.h"
#include "ui/SheetOptionSpin.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Installs `options` as the program's options for one test.
class OptionsInstalled
{
public:
    OptionsInstalled() { SetAppOptions(&options); }
    ~OptionsInstalled() { SetAppOptions(nullptr); }
    CAppOptions options;
};

// Runs the Options command with `drive` acting on the open sheet; returns whether the options
// were written.
bool RunOptionsSheet(std::function<void(CSheetOption&)> drive)
{
    AnswerNextModal([drive](QWidget* modal) {
        auto* sheet = qobject_cast<CSheetOption*>(modal);
        ASSERT_NE(sheet, nullptr);
        drive(*sheet);
    });
    return ShowOptionsSheet(nullptr);
}

void SelectIds(QListWidget* list, const std::vector<int>& ids)
{
    list->clearSelection();
    for (int row = 0; row < list->count(); ++row)
        if (std::count(ids.begin(), ids.end(), list->item(row)->data(Qt::UserRole).toInt()))
            list->item(row)->setSelected(true);
}

TEST(OptionsSheet, RejectingAllServersButOneShowsOnlyThatOneWhenReopened)
{
    OptionsInstalled installed;
    installed.options.rejectedServers = {0};
    const std::vector<int> all = AllServerIds();
    const int kept = 164; // Amazon

    ASSERT_TRUE(RunOptionsSheet([&](CSheetOption& sheet) {
        CChooserPage* page = sheet.ServersPage();
        EXPECT_EQ(page->ChosenIds().size(), all.size());
        std::vector<int> others = all;
        others.erase(std::find(others.begin(), others.end(), kept));
        SelectIds(page->ChosenList(), others);
        page->RemoveButton()->click();
        sheet.accept();
    }));
    std::vector<unsigned long> expected;
    for (int id : all)
        if (id != kept)
            expected.push_back(static_cast<unsigned long>(id));
    EXPECT_EQ(installed.options.rejectedServers, expected);

    EXPECT_FALSE(RunOptionsSheet([&](CSheetOption& sheet) {
        EXPECT_EQ(sheet.ServersPage()->ChosenIds(), std::vector<int>{kept});
        EXPECT_EQ(sheet.ServersPage()->AvailableIds().size(), all.size() - 1);
        sheet.reject();
    }));
}

TEST(OptionsSheet, ServerListsAreAlphabeticalAndHaveNoMoveButtons)
{
    OptionsInstalled installed;
    installed.options.rejectedServers = {170, 107, 168};
    CSheetOption sheet(installed.options);
    CChooserPage* page = sheet.ServersPage();
    EXPECT_EQ(sheet.Tabs()->tabText(1), QStringLiteral("Servers"));
    EXPECT_TRUE(page->UpButton()->isHidden());
    EXPECT_TRUE(page->DownButton()->isHidden());
    QStringList available;
    for (int row = 0; row < page->AvailableList()->count(); ++row)
        available << page->AvailableList()->item(row)->text();
    EXPECT_EQ(available, (QStringList{QStringLiteral("CNET Auctions"), QStringLiteral("Ebay"), QStringLiteral("iBazar France")}));
    // Added entries take their alphabetical place in the chosen list too.
    SelectIds(page->AvailableList(), {107});
    page->AddSelected();
    QStringList chosen;
    for (int row = 0; row < page->ChosenList()->count(); ++row)
        chosen << page->ChosenList()->item(row)->text();
    QStringList sorted = chosen;
    std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    EXPECT_EQ(chosen, sorted);
    EXPECT_TRUE(chosen.contains(QStringLiteral("Ebay")));
}

TEST(OptionsSheet, EmptyServerChoiceKeepsTheSheetOpenWithItsMessage)
{
    OptionsInstalled installed;
    installed.options.rejectedServers = {0};
    QString seen;
    bool stayedOpen = false;
    EXPECT_FALSE(RunOptionsSheet([&](CSheetOption& sheet) {
        CChooserPage* page = sheet.ServersPage();
        page->ChosenList()->selectAll();
        page->RemoveSelected();
        sheet.Tabs()->setCurrentIndex(0);
        PressInNextModal(QStringLiteral("OK"), &seen);
        sheet.accept();
        stayedOpen = sheet.isVisible() && sheet.Tabs()->currentWidget() == page;
        sheet.reject();
    }));
    EXPECT_EQ(seen, QStringLiteral("You must choose at least one server!"));
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(installed.options.rejectedServers, std::vector<unsigned long>{0});
}

TEST(OptionsSheet, OutOfRangeNumbersKeepTheSheetOpenWithTheRangeMessage)
{
    const struct
    {
        const char* name;
        std::function<void(CSheetOption&)> set;
        const char* message;
        int page;
    } cases[] = {
        {"period 0",
         [](CSheetOption& s) {
             s.GeneralPage()->RefreshPeriodicallyCheck()->setChecked(true);
             s.GeneralPage()->PeriodField()->setValue(0);
         },
         "Please enter an integer between 1 and 600.", 0},
        {"period 601",
         [](CSheetOption& s) {
             s.GeneralPage()->RefreshPeriodicallyCheck()->setChecked(true);
             s.GeneralPage()->PeriodField()->setValue(601);
         },
         "Please enter an integer between 1 and 600.", 0},
        {"purge 61",
         [](CSheetOption& s) {
             s.GeneralPage()->PurgeCheck()->setChecked(true);
             s.GeneralPage()->PurgeDaysField()->setValue(61);
         },
         "Please enter an integer between 0 and 60.", 0},
        {"lead 0",
         [](CSheetOption& s) {
             s.AlarmPage()->EndCheck()->setChecked(true);
             s.AlarmPage()->LeadValue()->setValue(0);
         },
         "Please enter an integer between 1 and 10000.", 2},
        {"lead 10001",
         [](CSheetOption& s) {
             s.AlarmPage()->EndCheck()->setChecked(true);
             s.AlarmPage()->LeadValue()->setValue(10001);
         },
         "Please enter an integer between 1 and 10000.", 2},
    };
    for (const auto& c : cases) {
        OptionsInstalled installed;
        const CAppOptions before = installed.options;
        QString seen;
        bool stayedOpen = false;
        EXPECT_FALSE(RunOptionsSheet([&](CSheetOption& sheet) {
            c.set(sheet);
            PressInNextModal(QStringLiteral("OK"), &seen);
            sheet.accept();
            stayedOpen = sheet.isVisible() && sheet.Tabs()->currentIndex() == c.page;
            sheet.reject();
        })) << c.name;
        EXPECT_EQ(seen, QString::fromLatin1(c.message)) << c.name;
        EXPECT_TRUE(stayedOpen) << c.name;
        EXPECT_EQ(installed.options.refreshPeriod, before.refreshPeriod) << c.name;
        EXPECT_EQ(installed.options.alarmSeconds, before.alarmSeconds) << c.name;
    }
}

TEST(OptionsSheet, NumbersOfUncheckedFeaturesAreNotRefused)
{
    OptionsInstalled installed;
    installed.options.refreshPeriod = 0; // as a hand-edited settings file may hold
    installed.options.alarmTrigger = 3;
    installed.options.alarmSeconds = 0;
    EXPECT_TRUE(RunOptionsSheet([](CSheetOption& sheet) { sheet.accept(); }));
    EXPECT_EQ(installed.options.refreshPeriod, 0);
    EXPECT_EQ(installed.options.alarmSeconds, 0);
    EXPECT_EQ(installed.options.alarmTrigger, 3);
}

TEST(OptionsSheet, GeneralPageShowsAndStoresEveryOption)
{
    OptionsInstalled installed;
    CAppOptions& o = installed.options;
    o.refreshStartup = 1;
    o.refreshPeriodically = 0;
    o.refreshPeriod = 45;
    o.purge = 1;
    o.purgePeriod = 12;
    o.simultDownload = 4;
    o.language = 1;
    ASSERT_TRUE(RunOptionsSheet([](CSheetOption& sheet) {
        CPageOptionGeneral* page = sheet.GeneralPage();
        EXPECT_TRUE(page->RefreshStartupCheck()->isChecked());
        EXPECT_FALSE(page->PeriodField()->isEnabled());
        EXPECT_EQ(page->PeriodField()->value(), 45);
        EXPECT_TRUE(page->PurgeDaysField()->isEnabled());
        EXPECT_EQ(page->PurgeDaysField()->value(), 12);
        QStringList entries;
        for (int i = 0; i < page->SimultDownloadList()->count(); ++i)
            entries << page->SimultDownloadList()->itemText(i);
        EXPECT_EQ(entries, (QStringList{"1 (14.4K modem)", "2 (28.8K modem)", "3 (33.6K modem)", "4 (56K modem)", "5",
                                        "6", "7", "8", "9", "10"}));
        EXPECT_EQ(page->SimultDownloadList()->currentIndex(), 3);
        EXPECT_TRUE(page->FrenchButton()->isChecked());
        EXPECT_FALSE(sheet.findChildren<QLabel*>().empty());

        page->RefreshStartupCheck()->setChecked(false);
        page->RefreshPeriodicallyCheck()->setChecked(true);
        EXPECT_TRUE(page->PeriodField()->isEnabled());
        page->PeriodField()->setValue(600);
        page->PurgeCheck()->setChecked(false);
        EXPECT_FALSE(page->PurgeDaysField()->isEnabled());
        page->SimultDownloadList()->setCurrentIndex(9);
        page->EnglishButton()->setChecked(true);
        sheet.accept();
    }));
    EXPECT_EQ(o.refreshStartup, 0);
    EXPECT_EQ(o.refreshPeriodically, 1);
    EXPECT_EQ(o.refreshPeriod, 600);
    EXPECT_EQ(o.purge, 0);
    EXPECT_EQ(o.purgePeriod, 12);
    EXPECT_EQ(o.simultDownload, 10);
    EXPECT_EQ(o.language, 0);
}

TEST(OptionsSheet, GeneralPageKeepsValuesItCannotShow)
{
    OptionsInstalled installed;
    installed.options.simultDownload = 0;
    installed.options.language = 5;
    ASSERT_TRUE(RunOptionsSheet([](CSheetOption& sheet) {
        EXPECT_EQ(sheet.GeneralPage()->SimultDownloadList()->currentIndex(), -1);
        EXPECT_FALSE(sheet.GeneralPage()->EnglishButton()->isChecked());
        EXPECT_FALSE(sheet.GeneralPage()->FrenchButton()->isChecked());
        sheet.accept();
    }));
    EXPECT_EQ(installed.options.simultDownload, 0);
    EXPECT_EQ(installed.options.language, 5);
}

TEST(OptionsSheet, AlarmPageStoresTriggerLeadTimeBehaviourAndSound)
{
    const struct
    {
        bool end;
        bool buyer;
        int value;
        int unit;
        int behavior;
        int trigger;
        int seconds;
    } cases[] = {
        {true, false, 2, 2, 0, 2, 7200},
        {false, true, 90, 0, 1, 3, 90},
        {true, true, 15, 1, 2, 4, 900},
        {false, false, 10000, 2, 0, 1, 36000000},
    };
    for (const auto& c : cases) {
        OptionsInstalled installed;
        ASSERT_TRUE(RunOptionsSheet([&](CSheetOption& sheet) {
            CPageOptionAlarm* page = sheet.AlarmPage();
            page->EndCheck()->setChecked(c.end);
            page->BuyerCheck()->setChecked(c.buyer);
            page->LeadValue()->setValue(c.value);
            page->LeadUnit()->setCurrentIndex(c.unit);
            QRadioButton* behaviors[] = {page->MessageButton(), page->SoundButton(), page->BothButton()};
            behaviors[c.behavior]->setChecked(true);
            sheet.accept();
        }));
        EXPECT_EQ(installed.options.alarmTrigger, c.trigger);
        EXPECT_EQ(installed.options.alarmSeconds, c.seconds);
        EXPECT_EQ(installed.options.alarmBehavior, c.behavior);
    }
}

TEST(OptionsSheet, AlarmPageShowsTheStoredLeadTimeInItsLargestUnit)
{
    const struct
    {
        int seconds;
        int value;
        int unit;
    } cases[] = {{86400, 24, 2}, {300, 5, 1}, {45, 45, 0}};
    for (const auto& c : cases) {
        CAppOptions options;
        options.alarmSeconds = c.seconds;
        CPageOptionAlarm page(options);
        EXPECT_EQ(page.LeadValue()->value(), c.value) << c.seconds;
        EXPECT_EQ(page.LeadUnit()->currentIndex(), c.unit) << c.seconds;
    }
}

TEST(OptionsSheet, CustomSoundWithAnEmptyFileDisablesPlayAndStoresNoFile)
{
    OptionsInstalled installed;
    installed.options.alarmBehavior = 1;
    installed.options.alarmSoundFile = "/tmp/bell.wav";
    ASSERT_TRUE(RunOptionsSheet([](CSheetOption& sheet) {
        CPageOptionAlarm* page = sheet.AlarmPage();
        EXPECT_TRUE(page->CustomSoundButton()->isChecked());
        EXPECT_EQ(page->FileEdit()->text(), QStringLiteral("/tmp/bell.wav"));
        EXPECT_TRUE(page->PlayButton()->isEnabled());
        page->FileEdit()->clear();
        EXPECT_FALSE(page->PlayButton()->isEnabled());
        EXPECT_TRUE(page->StopButton()->isEnabled());
        sheet.accept();
    }));
    EXPECT_EQ(installed.options.alarmSoundFile, "");

    // Reopened, the empty file means the default sound.
    EXPECT_FALSE(RunOptionsSheet([](CSheetOption& sheet) {
        EXPECT_TRUE(sheet.AlarmPage()->DefaultSoundButton()->isChecked());
        EXPECT_TRUE(sheet.AlarmPage()->PlayButton()->isEnabled());
        sheet.reject();
    }));
}

TEST(OptionsSheet, AlarmPageEnablingFollowsTheChoices)
{
    CAppOptions options;
    CPageOptionAlarm page(options);
    const struct
    {
        bool end;
        int behavior;
        bool custom;
        const char* file;
        bool lead, group, stop, play, fileRow;
    } cases[] = {
        {true, 0, false, "", true, false, false, false, false},
        {false, 1, false, "", false, true, true, true, false},
        {true, 2, true, "", true, true, true, false, true},
        {true, 2, true, "a.wav", true, true, true, true, true},
        {false, 0, true, "a.wav", false, false, false, false, false},
    };
    for (const auto& c : cases) {
        page.EndCheck()->setChecked(c.end);
        QRadioButton* behaviors[] = {page.MessageButton(), page.SoundButton(), page.BothButton()};
        behaviors[c.behavior]->setChecked(true);
        (c.custom ? page.CustomSoundButton() : page.DefaultSoundButton())->setChecked(true);
        page.FileEdit()->setText(QString::fromLatin1(c.file));
        const int row = static_cast<int>(&c - cases);
        EXPECT_EQ(page.LeadValue()->isEnabled(), c.lead) << row;
        EXPECT_EQ(page.LeadUnit()->isEnabled(), c.lead) << row;
        EXPECT_EQ(page.BeforeEndText()->isEnabled(), c.lead) << row;
        EXPECT_EQ(page.SoundGroup()->isEnabled(), c.group) << row;
        EXPECT_EQ(page.DefaultSoundButton()->isEnabled(), c.group) << row;
        EXPECT_EQ(page.StopButton()->isEnabled(), c.stop) << row;
        EXPECT_EQ(page.PlayButton()->isEnabled(), c.play) << row;
        EXPECT_EQ(page.FileEdit()->isEnabled(), c.fileRow) << row;
        EXPECT_EQ(page.FileLabel()->isEnabled(), c.fileRow) << row;
        EXPECT_EQ(page.BrowseButton()->isEnabled(), c.fileRow) << row;
    }
}

TEST(OptionsSheet, PlayAndStopHandTheChosenSoundToThePlayer)
{
    std::vector<QString> heard;
    CPageOptionAlarm::SetSoundPreviewHook([&](const QString& file) { heard.push_back(file); });
    CAppOptions options;
    options.alarmBehavior = 2;
    CPageOptionAlarm page(options);
    page.PlayButton()->click();
    page.CustomSoundButton()->setChecked(true);
    page.FileEdit()->setText(QStringLiteral("/tmp/bell.wav"));
    page.PlayButton()->click();
    page.StopButton()->click();
    CPageOptionAlarm::SetSoundPreviewHook({});
    // Each play stops the sound before it; an empty name stops.
    EXPECT_EQ(heard, (std::vector<QString>{QString(), QStringLiteral("SystemAsterisk"), QString(),
                                           QStringLiteral("/tmp/bell.wav"), QString()}));
}

TEST(OptionsSheet, SoundChooserStartsInTheDesktopSoundFolderWhenItExists)
{
    // A private data home, which has no sounds folder until the test makes one.
    QTemporaryDir home;
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    const QString folder = home.filePath(QStringLiteral("sounds"));
    const QString before = CPageOptionAlarm::SoundFolder();
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString after = CPageOptionAlarm::SoundFolder();
    if (saved.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", saved);
    EXPECT_NE(before, folder);
    EXPECT_EQ(after, folder);
    EXPECT_EQ(CPageOptionAlarm::DialogFilter(QStringLiteral("Sounds (*.wav)|*.wav|")), QStringLiteral("Sounds (*.wav)"));
    EXPECT_EQ(CPageOptionAlarm::DialogFilter(QStringLiteral("Sons|*.wav;*.wave|Tous|*.*||")),
              QStringLiteral("Sons (*.wav *.wave);;Tous (*.*)"));
}

TEST(OptionsSheet, OptionsCommandOpensTheSheetOverTheFrame)
{
    RunningApp running;
    bool shown = false;
    AnswerNextModal([&](QWidget* modal) {
        shown = qobject_cast<CSheetOption*>(modal) != nullptr;
        EXPECT_EQ(modal->windowTitle(), QStringLiteral("Options"));
        EXPECT_EQ(modal->parentWidget(), &running.Frame());
        static_cast<QDialog*>(modal)->reject();
    });
    EXPECT_TRUE(running.Frame().OnCommand(kCmdViewOptions));
    EXPECT_TRUE(shown);
}

} // namespace
