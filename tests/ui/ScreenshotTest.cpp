// Pictures of the main window with a sample list, in English and in French, for a person to
// look at. Written only when LW_SCREENSHOT_DIR names a folder; skipped otherwise.

#include "UiTestSupport.h"

#include "core/document/LotwardDoc.h"
#include "core/item/Item.h"
#include "core/refresh/RefreshService.h"
#include "ui/ItemListModel.h"
#include "ui/LotwardView.h"
#include "ui/MainFrame.h"

#include <QDir>
#include <QPixmap>
#include <QTest>

#include <gtest/gtest.h>

#include <ctime>

namespace {

void FillSampleList(CLotwardDoc& doc)
{
    const struct
    {
        const char* number;
        const char* title;
        const char* price;
        int bids;
        int hoursLeft;
        int finished;
        int read;
        int alarm;
    } rows[] = {
        {"1048223310", "Victorian brass telescope with original leather case and tripod", "$245.00", 17, 5, 0, 0, 1},
        {"1048223391", "Lot of 12 vintage fountain pens", "$88.50", 9, 30, 0, 1, 0},
        {"1048224007", "First edition, signed by the author", "$1,250.00", 31, -2, 1, 1, 0},
        {"1048225112", "Art deco table lamp", "$64.00", 3, 50, 0, 0, 0},
        {"1048226540", "Mechanical pocket watch, silver, working", "$132.00", 12, 70, 0, 1, 0},
        {"1048227001", "Postcard collection 1900-1930 (240 cards)", "$47.25", 6, -20, 1, 1, 0},
    };
    const std::time_t now = 975000000; // a fixed day, so the pictures do not depend on the clock
    for (const auto& r : rows) {
        AddEbayItems(doc, {r.number});
        CItem* item = doc.GetItem(doc.GetItemCount() - 1);
        item->description = r.title;
        item->currentPrice = r.price;
        item->bidCount = r.bids;
        item->quantity = 1;
        item->seller = "ashgrove_antiques";
        item->finished = r.finished;
        item->readState = r.read;
        item->alarmRaised = r.alarm;
        item->SetEndDate(now + r.hoursLeft * 3600);
    }
    doc.UpdateAllViews(kHintAll);
}

void Shoot(bool french, const QString& file)
{
    ProgramFolder folder(true, true, true);
    CMemorySettingsStore settings;
    settings.WriteInt("Options", "Language", french ? 1 : 0);
    settings.WriteInt("Main Window", "Left", 0);
    settings.WriteInt("Main Window", "Top", 0);
    settings.WriteInt("Main Window", "Right", 1000);
    settings.WriteInt("Main Window", "Bottom", 560);
    CLotwardApp app(settings, folder.Path());
    ASSERT_TRUE(app.InitInstance({QStringLiteral("Lotward")}));
    app.Refresh()->Shutdown(); // the sample rows are filled by hand, not from a site
    FillSampleList(app.Document());
    CLotwardView& view = *app.Frame()->ItemView();
    view.setCurrentIndex(view.ItemModel()->index(1, 0));
    view.setFocus();
    QTest::qWait(300);
    const QPixmap shot = app.Frame()->grab();
    EXPECT_TRUE(shot.save(file));
    app.Document().SetModifiedFlag(false);
    app.ExitInstance();
}

} // namespace

TEST(Screenshots, MainWindowWithASampleList)
{
    const QString dir = qEnvironmentVariable("LW_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "LW_SCREENSHOT_DIR not set";
    QDir().mkpath(dir);
    Shoot(false, QDir(dir).filePath(QStringLiteral("main-window-en.png")));
    Shoot(true, QDir(dir).filePath(QStringLiteral("main-window-fr.png")));
}
