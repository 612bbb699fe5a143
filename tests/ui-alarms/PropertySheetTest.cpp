// The item property sheet: what it shows, the alarm page's choices and enabling, the lead-time
// units, the range refusal, and what it writes back.

#include "UiTestSupport.h"

#include "core/document/LotwardDoc.h"
#include "sites/AuctionServer.h"
#include "ui/AlarmStrings.h"
#include "ui/LotwardView.h"
#include "ui/MainFrame.h"
#include "ui/PageItemPtyAlarm.h"
#include "ui/PageItemPtyGeneral.h"
#include "ui/SheetItemPty.h"
#include "ui/UiStrings.h"
#include "ui/UiText.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Adds an eBay item and returns it (the document answers only for items already there).
CItem* NewEbayItem(CLotwardDoc& doc, const std::string& number)
{
    doc.AddItem(number, FindServer(107));
    return doc.FindItem(number, FindServer(107));
}

TEST(LeadTime, SecondsShowAsHoursMinutesOrSecondsAndConvertBack)
{
    const struct
    {
        int seconds;
        LeadTime shown;
    } cases[] = {
        {7200, {2, 2}}, {120, {2, 1}}, {90, {90, 0}}, {0, {0, 2}}, {86400, {24, 2}}, {3660, {61, 1}}, {59, {59, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LeadTimeFromSeconds(c.seconds), c.shown) << c.seconds;
        EXPECT_EQ(LeadTimeToSeconds(c.shown), c.seconds) << c.seconds;
    }
    EXPECT_EQ(LeadTimeToSeconds({10000, 2}), 36000000);
}

TEST(AlarmPage, ModesFillTheButtonsAndTheEnablingFollowsThem)
{
    const struct
    {
        int mode;
        int button; // 0 default, 1 none, 2 custom
        bool end;
        bool buyer;
    } cases[] = {
        {0, 0, false, false}, {1, 1, false, false}, {2, 2, true, false}, {3, 2, false, true}, {4, 2, true, true},
    };
    for (const auto& c : cases) {
        CPageItemPtyAlarm page(c.mode, 600);
        const QRadioButton* buttons[] = {page.UseDefaultButton(), page.NoAlarmButton(), page.CustomButton()};
        EXPECT_TRUE(buttons[c.button]->isChecked()) << c.mode;
        EXPECT_EQ(page.EndCheck()->isChecked(), c.end) << c.mode;
        EXPECT_EQ(page.BuyerCheck()->isChecked(), c.buyer) << c.mode;
        EXPECT_EQ(page.EndCheck()->isEnabled(), c.button == 2) << c.mode;
        EXPECT_EQ(page.BuyerCheck()->isEnabled(), c.button == 2) << c.mode;
        for (QWidget* lead : std::initializer_list<QWidget*>{page.LeadValue(), page.LeadUnit(), page.BeforeEndText()})
            EXPECT_EQ(lead->isEnabled(), c.end) << c.mode;
        EXPECT_EQ(page.AlarmMode(), c.mode);
        EXPECT_EQ(page.AlarmSeconds(), 600);
        EXPECT_EQ(page.LeadValue()->value(), 10);
        EXPECT_EQ(page.LeadUnit()->currentIndex(), 1);
    }
    CPageItemPtyAlarm page(kAlarmNone, 600);
    page.CustomButton()->setChecked(true);
    EXPECT_TRUE(page.EndCheck()->isEnabled());
    EXPECT_FALSE(page.LeadValue()->isEnabled());
    page.EndCheck()->setChecked(true);
    EXPECT_TRUE(page.LeadValue()->isEnabled());
    page.UseDefaultButton()->setChecked(true);
    EXPECT_FALSE(page.LeadValue()->isEnabled());
    EXPECT_FALSE(page.EndCheck()->isEnabled());
}

TEST(AlarmPage, ArrowsStayInRangeWhileTypingIsFree)
{
    CPageItemPtyAlarm page(kAlarmEnd, 10000 * 60);
    EXPECT_EQ(page.LeadValue()->value(), 10000);
    page.LeadValue()->stepBy(1);
    EXPECT_EQ(page.LeadValue()->value(), 10000);
    page.LeadValue()->setValue(0);
    EXPECT_FALSE(page.LeadTimeValid());
    page.LeadValue()->stepBy(-3);
    EXPECT_EQ(page.LeadValue()->value(), 1);
}

struct SheetFixture : ::testing::Test, IDocumentObserver
{
    void SetUp() override
    {
        item = NewEbayItem(running.Doc(), "1048223310");
        item->description = "Victorian brass telescope";
        item->seller = "ashgrove_antiques";
        item->memo = "check the lens";
        item->readState = 0;
        item->alarmRaised = 1;
        running.Doc().SetModifiedFlag(false);
        running.Doc().AddObserver(this);
    }
    void TearDown() override { running.Doc().RemoveObserver(this); }
    void OnDocumentUpdate(CLotwardDoc&, int hint, CItem* changed) override
    {
        if (hint == kHintItemChanged && changed == item)
            ++rowRedraws;
    }
    // Opens the sheet and lets `edit` work on it before pressing `button` (table text).
    bool RunSheet(std::function<void(CSheetItemPty&)> edit, int buttonId)
    {
        AnswerNextModal([edit, buttonId](QWidget* modal) {
            auto* sheet = qobject_cast<CSheetItemPty*>(modal);
            ASSERT_NE(sheet, nullptr);
            edit(*sheet);
            Press(*sheet, ResText(buttonId));
        });
        rowRedraws = 0;
        return ShowItemProperties(running.Doc(), &running.View(), *item, &running.Frame());
    }
    static void Press(QWidget& window, const QString& label)
    {
        for (QAbstractButton* button : window.findChildren<QAbstractButton*>())
            if (button->text() == label) {
                button->click();
                return;
            }
        ADD_FAILURE() << "no button " << label.toStdString();
    }

    RunningApp running;
    CItem* item = nullptr;
    int rowRedraws = 0;
};

TEST_F(SheetFixture, ShowsTitleAndReadOnlyFieldsAndMarksTheItemReadEvenOnCancel)
{
    QString title;
    QString number;
    QString seller;
    bool readOnly = false;
    EXPECT_FALSE(RunSheet(
        [&](CSheetItemPty& sheet) {
            title = sheet.windowTitle();
            number = sheet.GeneralPage()->Field(kColItemNumber)->text();
            seller = sheet.GeneralPage()->Field(kColSeller)->text();
            readOnly = sheet.GeneralPage()->Field(kColDescription)->isReadOnly();
            EXPECT_EQ(sheet.GeneralPage()->MemoEdit()->text(), QStringLiteral("check the lens"));
            EXPECT_EQ(sheet.Tabs()->count(), 2);
            sheet.GeneralPage()->MemoEdit()->setText(QStringLiteral("thrown away by Cancel"));
        },
        kStrButtonCancel));
    EXPECT_EQ(title, ResFormat(kStrItemPtyTitle, {QStringLiteral("1048223310"), ToQt(item->GetDisplayText(kColServer))}));
    EXPECT_TRUE(title.startsWith(QStringLiteral("Properties of Item #1048223310 on ")));
    EXPECT_EQ(number, QStringLiteral("1048223310"));
    EXPECT_EQ(seller, QStringLiteral("ashgrove_antiques"));
    EXPECT_TRUE(readOnly);
    EXPECT_EQ(item->memo, "check the lens");
    EXPECT_EQ(item->readState, 1);
    EXPECT_EQ(item->alarmRaised, 0);
}

TEST_F(SheetFixture, WritesBackOnlyWhatChanged)
{
    item->readState = 1;
    item->alarmRaised = 0;
    // OK with nothing changed: the document stays unmodified and the row is not redrawn.
    EXPECT_FALSE(RunSheet([](CSheetItemPty&) {}, kStrButtonOk));
    EXPECT_FALSE(running.Doc().IsModified());
    EXPECT_EQ(rowRedraws, 0);

    // An alarm change modifies the document but does not redraw the row.
    EXPECT_TRUE(RunSheet([](CSheetItemPty& sheet) { sheet.AlarmPage()->NoAlarmButton()->setChecked(true); }, kStrButtonOk));
    EXPECT_EQ(item->alarmMode, kAlarmNone);
    EXPECT_TRUE(running.Doc().IsModified());
    EXPECT_EQ(rowRedraws, 0);

    running.Doc().SetModifiedFlag(false);
    EXPECT_TRUE(RunSheet([](CSheetItemPty& sheet) { sheet.GeneralPage()->ShippingEdit()->setText(QStringLiteral("$7.50")); },
                         kStrButtonOk));
    EXPECT_EQ(item->shippingCharges, "$7.50");
    EXPECT_EQ(item->memo, "check the lens");
    EXPECT_TRUE(running.Doc().IsModified());
    EXPECT_EQ(rowRedraws, 1);
}

TEST_F(SheetFixture, CustomAlarmWithBothBoxesClearedReopensAsNoAlarm)
{
    item->alarmMode = kAlarmEnd;
    EXPECT_TRUE(RunSheet(
        [](CSheetItemPty& sheet) {
            EXPECT_TRUE(sheet.AlarmPage()->CustomButton()->isChecked());
            sheet.AlarmPage()->EndCheck()->setChecked(false);
        },
        kStrButtonOk));
    EXPECT_EQ(item->alarmMode, kAlarmNone);
    bool noAlarm = false;
    RunSheet([&](CSheetItemPty& sheet) { noAlarm = sheet.AlarmPage()->NoAlarmButton()->isChecked(); }, kStrButtonCancel);
    EXPECT_TRUE(noAlarm);
}

TEST_F(SheetFixture, LeadTimeOutOfRangeIsRefusedAndTheSheetStaysOpen)
{
    item->alarmMode = kAlarmEnd;
    item->alarmSeconds = 600;
    QString message;
    bool stayedOpen = false;
    AnswerNextModal([&](QWidget* modal) {
        auto* sheet = qobject_cast<CSheetItemPty*>(modal);
        ASSERT_NE(sheet, nullptr);
        sheet->AlarmPage()->LeadValue()->setValue(10001);
        // The range message comes up inside the click; answer it from its own loop.
        AnswerNextModal([&](QWidget* box) {
            if (auto* messageBox = qobject_cast<QMessageBox*>(box))
                message = messageBox->text();
            Press(*box, ResText(kStrButtonOk));
        });
        Press(*sheet, ResText(kStrButtonOk));
        stayedOpen = sheet->isVisible() && sheet->Tabs()->currentWidget() == sheet->AlarmPage();
        sheet->AlarmPage()->LeadValue()->setValue(45);
        sheet->AlarmPage()->LeadUnit()->setCurrentIndex(0);
        Press(*sheet, ResText(kStrButtonOk));
    });
    EXPECT_TRUE(ShowItemProperties(running.Doc(), &running.View(), *item, &running.Frame()));
    EXPECT_EQ(message, QStringLiteral("Please enter an integer between 1 and 10000."));
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(item->alarmSeconds, 45);
}

TEST_F(SheetFixture, OutOfRangeLeadTimeInAnUnusedFieldKeepsTheStoredValue)
{
    // 90001 s shows as 90001 seconds, beyond what the field accepts.
    item->alarmMode = kAlarmDefault;
    item->alarmSeconds = 90001;
    EXPECT_TRUE(RunSheet([](CSheetItemPty& sheet) { sheet.AlarmPage()->NoAlarmButton()->setChecked(true); },
                         kStrButtonOk));
    EXPECT_EQ(item->alarmMode, kAlarmNone);
    EXPECT_EQ(item->alarmSeconds, 90001);
}

TEST_F(SheetFixture, ChangingToCustomEndAlarmInsideTheLeadTimeDoesNotFire)
{
    item->alarmMode = kAlarmNone;
    item->readState = 1;
    item->alarmRaised = 0;
    const std::time_t now = std::time(nullptr);
    item->SetEndDate(now);
    item->SetEndDate(now + (now - item->GetEndDateLocal()) + 300); // local end in 5 minutes
    EXPECT_FALSE(item->CheckAlarm(now));
    EXPECT_TRUE(RunSheet(
        [](CSheetItemPty& sheet) {
            sheet.AlarmPage()->CustomButton()->setChecked(true);
            sheet.AlarmPage()->EndCheck()->setChecked(true);
            sheet.AlarmPage()->LeadValue()->setValue(10);
            sheet.AlarmPage()->LeadUnit()->setCurrentIndex(1);
        },
        kStrButtonOk));
    EXPECT_EQ(item->alarmMode, kAlarmEnd);
    EXPECT_EQ(item->alarmSeconds, 600);
    for (std::time_t t = now + 5; t < now + 400; t += 5)
        ASSERT_FALSE(item->CheckAlarm(t)) << t - now;
}

TEST_F(SheetFixture, PropertiesCommandOpensTheSheetForTheFocusedItem)
{
    running.View().setCurrentIndex(running.View().model()->index(0, 0));
    QString title;
    AnswerNextModal([&](QWidget* modal) {
        title = modal->windowTitle();
        Press(*modal, ResText(kStrButtonCancel));
    });
    EXPECT_TRUE(running.Frame().OnCommand(2013));
    EXPECT_TRUE(title.contains(QStringLiteral("1048223310")));
}

} // namespace
