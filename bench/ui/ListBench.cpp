// The item list with 100,000 items: opening the document into the window, and sorting it by a
// header click. Runs offscreen unless a display is chosen.

#include "core/document/Archive.h"
#include "core/document/LotwardDoc.h"
#include "core/item/Item.h"
#include "platform/MemorySettingsStore.h"
#include "sites/AuctionServer.h"
#include "ui/ItemListModel.h"
#include "ui/LotwardApp.h"
#include "ui/LotwardView.h"
#include "ui/MainFrame.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <random>

namespace {

constexpr int kItems = 100000;

// Writes the document file item by item: adding 100,000 items through the document would check
// each new one against all the others first.
void WriteLargeDocument(const QString& path)
{
    CColumnInfoList columns;
    columns.ResetToDefaults();
    std::string bytes;
    CStringSink sink(bytes);
    CArchiveWriter archive(sink);
    columns.Write(archive);
    archive.WriteCount(kItems);
    CAuctionServer* ebay = FindServer(107);
    std::mt19937 random(7);
    for (int i = 0; i < kItems; ++i) {
        CItem item(std::to_string(1000000 + i), ebay);
        item.description = "Item " + std::to_string(random() % 1000000) + " in a long watch list";
        item.currentPrice = "$" + std::to_string(random() % 5000) + ".00";
        item.bidCount = static_cast<int>(random() % 50);
        archive.WriteObjectTag(ArchiveClass::kItem, ArchiveClass::kItemSchema);
        item.Write(archive);
    }
    archive.Flush();
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

struct Fixture
{
    QTemporaryDir dir;
    QString documentPath;
    CMemorySettingsStore settings;
    std::unique_ptr<CLotwardApp> app;

    Fixture()
    {
        const QString bin = QStringLiteral(LW_BIN_DIR);
        QFile::copy(bin + "/Lotward.dat", dir.filePath("Lotward.dat"));
        QFile::copy(bin + "/Blank.html", dir.filePath("Blank.html"));
        documentPath = dir.filePath("large.lwd");
        WriteLargeDocument(documentPath);
        settings.WriteInt("Main Window", "Split", 0);
        app = std::make_unique<CLotwardApp>(settings, dir.path());
        app->InitInstance({QStringLiteral("Lotward")});
        QCoreApplication::processEvents();
    }
    ~Fixture()
    {
        app->Document().SetModifiedFlag(false);
        app->ExitInstance();
    }
};

Fixture& TheFixture()
{
    static Fixture fixture;
    return fixture;
}

int ColumnOf(CLotwardView& view, int columnId)
{
    for (int i = 0; i < view.ItemModel()->columnCount(); ++i)
        if (view.ItemModel()->ColumnId(i) == columnId)
            return i;
    return 0;
}

void BM_OpenLargeDocumentIntoWindow(benchmark::State& state)
{
    Fixture& f = TheFixture();
    for (auto _ : state) {
        f.app->OpenDocumentFile(f.documentPath);
        QCoreApplication::processEvents(); // lay out and paint the visible rows
        f.app->Frame()->ItemView()->viewport()->repaint();
        benchmark::DoNotOptimize(f.app->Document().GetItemCount());
    }
    state.counters["items"] = f.app->Document().GetItemCount();
}
BENCHMARK(BM_OpenLargeDocumentIntoWindow)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SortLargeListByHeaderClick(benchmark::State& state)
{
    Fixture& f = TheFixture();
    CLotwardView& view = *f.app->Frame()->ItemView();
    const int column = ColumnOf(view, static_cast<int>(state.range(0)));
    if (state.range(1))
        view.selectAll();
    else
        view.clearSelection();
    for (auto _ : state) {
        view.SortByColumn(column); // alternates ascending and descending: the order changes every time
        QCoreApplication::processEvents();
        view.viewport()->repaint();
    }
}
// Second argument: 1 with every row selected (the selection follows the items).
BENCHMARK(BM_SortLargeListByHeaderClick)
    ->Args({kColDescription, 0})->Args({kColDescription, 1})->Args({kColCurrentPrice, 0})->Args({kColItemNumber, 0})
    ->Unit(benchmark::kMillisecond)->Iterations(4);

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
