// Pictures of the item property sheet, the alarm dialog and the description pane showing a
// simulator item page, for a person to look at. Written only when LW_SCREENSHOT_DIR names a
// folder; skipped otherwise.

#include "UiTestSupport.h"

#include "EbaySite.h"
#include "core/document/LotwardDoc.h"
#include "sites/AuctionServer.h"
#include "ui/AlarmDialog.h"
#include "ui/LotwardHtmlView.h"
#include "ui/LotwardView.h"
#include "ui/MainFrame.h"
#include "ui/SheetItemPty.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Adds an eBay item and returns it (the document answers only for items already there).
CItem* NewEbayItem(CLotwardDoc& doc, const std::string& number)
{
    doc.AddItem(number, FindServer(107));
    return doc.FindItem(number, FindServer(107));
}

QString ShotDir()
{
    return qEnvironmentVariable("LW_SCREENSHOT_DIR");
}

void Save(QWidget& widget, const QString& name)
{
    QTest::qWait(100);
    EXPECT_TRUE(widget.grab().save(QDir(ShotDir()).filePath(name)));
}

CItem* SampleItem(CLotwardDoc& doc)
{
    lwsim::EbayItemPage page;
    page.itemNumber = "1048223310";
    page.title = "Victorian brass telescope with original leather case";
    page.category = "Antiques & Art";
    page.firstBid = "$50.00";
    page.location = "Bath, United Kingdom";
    page.seller = "ashgrove_antiques";
    page.started = "11/24/00 10:00:00 PST";
    page.ends = "12/01/00 10:00:00 PST";
    page.description = "A fine brass telescope, about 1880, in its original case, with the tripod.";
    page.bids = {{17, "$245.00", "stargazer42"}};
    CItem* item = NewEbayItem(doc, page.itemNumber);
    item->description = page.title;
    item->category = page.category;
    item->initialPrice = page.firstBid;
    item->currentPrice = "$245.00";
    item->bidCount = 17;
    item->quantity = 1;
    item->location = page.location;
    item->seller = page.seller;
    item->currentBuyer = "stargazer42";
    item->memo = "ask about shipping to France";
    item->SetStartDate(975088800);
    item->SetEndDate(975693600);
    item->retrievalDate = 975600000;
    item->alarmMode = kAlarmEnd;
    item->alarmSeconds = 1800;
    item->pageText = lwsim::RenderEbayItemPage(page, 0);
    return item;
}

TEST(ItemWindowsShots, PropertySheetAlarmDialogAndPane)
{
    if (ShotDir().isEmpty())
        GTEST_SKIP() << "LW_SCREENSHOT_DIR not set";
    QDir().mkpath(ShotDir());
    RunningApp running([](CMemorySettingsStore& settings) {
        settings.WriteInt("Main Window", "Split", 1);
        settings.WriteInt("Main Window", "FontSize", 2);
    });
    CItem* item = SampleItem(running.Doc());
    AddEbayItems(running.Doc(), {"1048223391"});
    running.Doc().GetItem(1)->description = "Lot of 12 vintage fountain pens";

    {
        CSheetItemPty sheet(*item, &running.Frame());
        sheet.show();
        Save(sheet, QStringLiteral("property-sheet-general.png"));
        sheet.Tabs()->setCurrentIndex(1);
        Save(sheet, QStringLiteral("property-sheet-alarm.png"));
    }
    {
        CAlarmDialog dialog(&running.Frame());
        dialog.AddItems({item, running.Doc().GetItem(1)});
        dialog.show();
        Save(dialog, QStringLiteral("alarm-dialog.png"));
    }
    running.Frame().resize(1100, 800);
    running.Frame().show();
    running.View().setCurrentIndex(running.View().model()->index(0, 0));
    auto* pane = qobject_cast<CLotwardHtmlView*>(running.Frame().DescriptionPane());
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->CurrentItem(), item);
    running.Frame().Splitter()->setSizes({220, 540});
    Save(running.Frame(), QStringLiteral("description-pane.png"));
}

} // namespace
