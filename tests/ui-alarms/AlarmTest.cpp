// The alarm check as the frame timer runs it: which items fire and when, and what is raised
// (unread marking, one sound per check, one dialog listing the check's items, notifications).

#include "UiTestSupport.h"

#include "core/document/LotwardDoc.h"
#include "core/options/AppOptions.h"
#include "sites/AuctionServer.h"
#include "ui/AlarmDialog.h"
#include "ui/AlarmMonitor.h"
#include "ui/AlarmSound.h"
#include "ui/MainFrame.h"
#include "ui/Notifier.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <mutex>

namespace {

// Adds an eBay item and returns it (the document answers only for items already there).
CItem* NewEbayItem(CLotwardDoc& doc, const std::string& number)
{
    doc.AddItem(number, FindServer(107));
    return doc.FindItem(number, FindServer(107));
}

constexpr std::time_t kEnd = 975060000; // an item's local end, on a fixed day

// Sets the site end date that lands on `localEnd` on the user's clock.
void SetLocalEnd(CItem& item, std::time_t localEnd)
{
    item.SetEndDate(localEnd);
    item.SetEndDate(localEnd + (localEnd - item.GetEndDateLocal()));
    EXPECT_EQ(item.GetEndDateLocal(), localEnd);
}

struct AlarmFixture : ::testing::Test
{
    void SetUp() override
    {
        options.alarmTrigger = 2;
        options.alarmSeconds = 300;
        options.alarmBehavior = 1;
        SetAppOptions(&options);
        monitor.SetSoundPlayer([this](const QString& file) { sounds << file; });
        SetDesktopNotificationHook([this](const QString& summary, const QString& body) {
            notices << summary;
            bodies << body;
        });
    }
    void TearDown() override
    {
        if (CAlarmDialog* box = monitor.OpenDialog())
            delete box;
        SetDesktopNotificationHook({});
        SetAppOptions(nullptr);
    }
    void SetOption(int CAppOptions::*field, int value)
    {
        std::lock_guard lock(OptionsLock());
        options.*field = value;
    }
    // An eBay item whose local end is `end`, armed as if earlier checks had found its point
    // not yet passed.
    CItem* AddItem(const char* number, int mode, int seconds, std::time_t localEnd = kEnd, int armed = 0)
    {
        CItem* item = NewEbayItem(doc, number);
        item->alarmMode = mode;
        item->alarmSeconds = seconds;
        if (localEnd)
            SetLocalEnd(*item, localEnd);
        item->inAlarmWindow = armed ? 0 : 1;
        item->readState = 1;
        return item;
    }
    std::vector<std::string> Fired(std::time_t now)
    {
        std::vector<std::string> numbers;
        for (CItem* item : monitor.Check(doc, now))
            numbers.push_back(item->GetItemNumber());
        return numbers;
    }

    CAppOptions options;
    CLotwardDoc doc;
    CAlarmMonitor monitor{nullptr};
    QStringList sounds;
    QStringList notices;
    QStringList bodies;
};

using Numbers = std::vector<std::string>;

TEST_F(AlarmFixture, EndAlarmFiresOnceOnTheFirstCheckPastItsPointAndNeverAgain)
{
    CItem* item = AddItem("100", kAlarmEnd, 600, kEnd, /*armed*/ 1);
    doc.SetModifiedFlag(false);
    EXPECT_EQ(Fired(kEnd - 700), Numbers{});
    EXPECT_EQ(Fired(kEnd - 600), Numbers{}) << "the point itself is not past";
    EXPECT_EQ(Fired(kEnd - 595), Numbers{"100"});
    EXPECT_EQ(item->readState, 0);
    EXPECT_EQ(item->alarmRaised, 1);
    EXPECT_TRUE(doc.IsModified());
    for (std::time_t later : {kEnd - 590, kEnd - 10, kEnd + 5, kEnd + 86400})
        EXPECT_EQ(Fired(later), Numbers{}) << later;
    EXPECT_EQ(sounds.size(), 1);
    EXPECT_EQ(notices.size(), 0) << "behaviour \"sound\" posts no notification";
}

TEST_F(AlarmFixture, NotificationsFollowTheAlarmBehaviourAndShowTheItemTextAsText)
{
    const struct
    {
        int behavior;
        int sounds, notices;
    } cases[] = {{0, 0, 1}, {1, 1, 0}, {2, 1, 1}};
    int n = 800;
    for (const auto& c : cases) {
        SetOption(&CAppOptions::alarmBehavior, c.behavior);
        sounds.clear();
        notices.clear();
        bodies.clear();
        CItem* item = AddItem(std::to_string(n++).c_str(), kAlarmEnd, 600, kEnd, 1);
        item->description = "Salt & pepper <b>set</b>";
        EXPECT_EQ(Fired(kEnd - 10).size(), 1u) << c.behavior;
        EXPECT_EQ(sounds.size(), c.sounds) << c.behavior;
        ASSERT_EQ(notices.size(), c.notices) << c.behavior;
        if (c.notices) {
            EXPECT_TRUE(bodies[0].contains(QStringLiteral("Salt &amp; pepper &lt;b&gt;set&lt;/b&gt;")))
                << bodies[0].toStdString();
        }
        if (CAlarmDialog* box = monitor.OpenDialog())
            delete box;
        doc.RemoveItem(item);
    }
}

TEST_F(AlarmFixture, ItemAddedInsideItsLeadTimeNeverFires)
{
    CItem* item = NewEbayItem(doc, "200");
    item->SetEndDate(kEnd);
    const std::time_t localEnd = item->GetEndDateLocal();
    item->alarmMode = kAlarmEnd;
    item->alarmSeconds = 600;
    for (std::time_t now = localEnd - 300; now < localEnd + 60; now += 5)
        ASSERT_EQ(Fired(now), Numbers{}) << now;
    EXPECT_TRUE(sounds.isEmpty());
}

TEST_F(AlarmFixture, ItemWithoutEndDateNeverFiresItsEndAlarm)
{
    CItem* item = NewEbayItem(doc, "300");
    item->alarmMode = kAlarmEnd;
    item->inAlarmWindow = 0;
    EXPECT_EQ(Fired(kEnd), Numbers{});
    EXPECT_EQ(Fired(kEnd + 1000), Numbers{});
}

TEST_F(AlarmFixture, DefaultAlarmFollowsTheOptionsTriggerAndLeadTime)
{
    AddItem("400", kAlarmDefault, 86400, kEnd, 1);
    EXPECT_EQ(Fired(kEnd - 301), Numbers{}) << "the item's own 86400 s do not count in default mode";
    EXPECT_EQ(Fired(kEnd - 299), Numbers{"400"});
    AddItem("401", kAlarmDefault, 86400, kEnd + 1000, 1);
    SetOption(&CAppOptions::alarmTrigger, 1);
    EXPECT_EQ(Fired(kEnd + 1000 - 10), Numbers{}) << "trigger 1 (none) turned the default alarm off";
}

TEST_F(AlarmFixture, BuyerChangeFiresOnlyWhenTheEffectiveTriggerHasTheBuyerAlarm)
{
    const struct
    {
        int mode;
        int trigger;
        bool fires;
    } cases[] = {
        {kAlarmDefault, 3, true}, {kAlarmDefault, 4, true},  {kAlarmDefault, 2, false}, {kAlarmDefault, 1, false},
        {kAlarmBuyer, 2, true},   {kAlarmBoth, 1, true},     {kAlarmEnd, 4, false},     {kAlarmNone, 4, false},
    };
    int n = 500;
    for (const auto& c : cases) {
        SetOption(&CAppOptions::alarmTrigger, c.trigger);
        const std::string number = std::to_string(n++);
        CItem* item = AddItem(number.c_str(), c.mode, 600, 0); // no end date: only the buyer alarm
        item->buyerChanged = 1;
        EXPECT_EQ(Fired(kEnd), c.fires ? Numbers{number} : Numbers{}) << "mode " << c.mode << " trigger " << c.trigger;
        EXPECT_EQ(item->buyerChanged, 0) << "a change not alarmed is forgotten";
        EXPECT_EQ(Fired(kEnd + 5), Numbers{}) << "mode " << c.mode;
        doc.RemoveItem(item);
    }
}

TEST_F(AlarmFixture, TwoItemsFiringInOneCheckGiveOneSoundAndOneDialogListingBoth)
{
    SetOption(&CAppOptions::alarmBehavior, 2);
    AddItem("601", kAlarmEnd, 600, kEnd, 1);
    AddItem("602", kAlarmNone, 600, kEnd, 1);
    AddItem("603", kAlarmBoth, 60, kEnd, 1)->description = "Brass telescope";
    EXPECT_EQ(Fired(kEnd - 10), (Numbers{"601", "603"}));
    CAlarmDialog* box = monitor.OpenDialog();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    QStringList rows;
    for (int i = 0; i < box->List()->topLevelItemCount(); ++i)
        rows << box->List()->topLevelItem(i)->text(0) + QLatin1Char('|') + box->List()->topLevelItem(i)->text(2);
    EXPECT_EQ(rows, (QStringList{QStringLiteral("601|"), QStringLiteral("603|Brass telescope")}));
    EXPECT_EQ(box->List()->columnCount(), 4);
    EXPECT_EQ(sounds.size(), 1);
    EXPECT_EQ(notices.size(), 2);
    box->reject();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(monitor.OpenDialog(), nullptr);
}

TEST_F(AlarmFixture, AlarmRaisedWhileTheDialogIsOpenJoinsIt)
{
    SetOption(&CAppOptions::alarmBehavior, 0);
    AddItem("701", kAlarmEnd, 600, kEnd, 1);
    AddItem("702", kAlarmEnd, 60, kEnd + 100, 1);
    // The dialog does not hold the check (nor the frame timer that runs it) while it is open.
    EXPECT_EQ(Fired(kEnd - 10), Numbers{"701"});
    CAlarmDialog* box = monitor.OpenDialog();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(Fired(kEnd + 100 - 10), Numbers{"702"});
    EXPECT_EQ(monitor.OpenDialog(), box) << "no second dialog";
    EXPECT_EQ(box->List()->topLevelItemCount(), 2);
    EXPECT_TRUE(sounds.isEmpty()) << "behaviour 0 is the message alone";
    box->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(monitor.OpenDialog(), nullptr);
}

TEST_F(AlarmFixture, SoundBehaviourPlaysTheChosenFileOrTheDefaultAndShowsNoDialog)
{
    AddItem("801", kAlarmEnd, 600, kEnd, 1);
    EXPECT_EQ(Fired(kEnd - 10), Numbers{"801"}); // no dialog: a modal would block here
    ASSERT_EQ(sounds.size(), 1);
    EXPECT_EQ(sounds[0], QString()) << "no file chosen: the information sound";
    {
        std::lock_guard lock(OptionsLock());
        options.alarmSoundFile = "/tmp/ding.wav";
    }
    AddItem("802", kAlarmEnd, 600, kEnd + 100, 1);
    EXPECT_EQ(Fired(kEnd + 90), Numbers{"802"});
    ASSERT_EQ(sounds.size(), 2);
    EXPECT_EQ(sounds[1], QStringLiteral("/tmp/ding.wav"));
}

TEST_F(AlarmFixture, FrameTimerRunsTheCheckThroughTheInstalledHook)
{
    RunningApp running;
    CItem* item = NewEbayItem(running.Doc(), "901");
    item->alarmMode = kAlarmEnd;
    item->alarmSeconds = 600;
    item->inAlarmWindow = 0;
    SetLocalEnd(*item, std::time(nullptr) + 60); // inside its lead time and armed: fires now
    {
        std::lock_guard lock(OptionsLock());
        AppOptionsUnlocked()->alarmBehavior = 1;
    }
    auto* frameMonitor = running.Frame().findChild<CAlarmMonitor*>(QStringLiteral("AlarmMonitor"));
    ASSERT_NE(frameMonitor, nullptr);
    int played = 0;
    frameMonitor->SetSoundPlayer([&played](const QString&) { ++played; });
    running.Frame().CheckAlarms();
    EXPECT_EQ(played, 1);
    EXPECT_EQ(item->alarmRaised, 1);
    EXPECT_EQ(item->readState, 0);
}

// Sound files and players found on the machine.
struct SoundLookup : ::testing::Test
{
    void SetUp() override
    {
        savedPath = qgetenv("PATH");
        savedDirs = qgetenv("XDG_DATA_DIRS");
    }
    void TearDown() override
    {
        qputenv("PATH", savedPath);
        qputenv("XDG_DATA_DIRS", savedDirs);
    }
    QByteArray savedPath;
    QByteArray savedDirs;
    QTemporaryDir dir;
};

TEST_F(SoundLookup, InformationSoundComesFromTheSoundThemeWhenPresent)
{
    qputenv("XDG_DATA_DIRS", dir.path().toUtf8());
    EXPECT_EQ(InformationSoundFile(), QString());
    const QString themed = dir.filePath(QStringLiteral("sounds/freedesktop/stereo"));
    ASSERT_TRUE(QDir().mkpath(themed));
    QFile file(themed + QStringLiteral("/dialog-information.oga"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(InformationSoundFile(), themed + QStringLiteral("/dialog-information.oga"));
}

TEST_F(SoundLookup, OggGoesOnlyToPlayersThatReadItAndNothingIsStartedWithoutOne)
{
    const QString aplay = dir.filePath(QStringLiteral("aplay"));
    QFile file(aplay);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\nexit 0\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PATH", dir.path().toUtf8());
    EXPECT_EQ(SoundPlayerCommand(QStringLiteral("/x/ding.wav")),
              (QStringList{aplay, QStringLiteral("--"), QStringLiteral("/x/ding.wav")}));
    EXPECT_EQ(SoundPlayerCommand(QStringLiteral("/x/info.oga")), QStringList{});
    // No theme file and no player for it: silent, and no error.
    qputenv("XDG_DATA_DIRS", dir.path().toUtf8());
    PlayAlarmSound(QString());
    PlayAlarmSound(QStringLiteral("/nonexistent/file.wav"));
}

} // namespace
