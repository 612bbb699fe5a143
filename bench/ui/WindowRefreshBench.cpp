// Refreshing 1,000 eBay items inside the desktop program's window (F5), each page answered by
// the simulator after 20 ms, with "Simult Download" 10: how long the refresh takes next to
// `lotwarden refresh` of the same list in the same run, and the longest stall of the window's
// event loop meanwhile (how late a 10 ms timer fires). Runs offscreen unless a display is chosen.

#include "core/document/LotwardDoc.h"
#include "core/refresh/RefreshService.h"
#include "platform/MemorySettingsStore.h"
#include "sites/AuctionServer.h"
#include "tools/auction-sim/Scenario.h"
#include "tools/auction-sim/SimServer.h"
#include "ui/CommandIds.h"
#include "ui/LotwardApp.h"
#include "ui/MainFrame.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

constexpr int kItems = 1000;
constexpr int kLatencyMs = 20;
constexpr int kSimultaneous = 10;

std::string Scenario()
{
    std::string text;
    for (int i = 0; i < kItems; ++i)
        text += "[ebay-item " + std::to_string(700000 + i) + "]\ntitle = Item " + std::to_string(i) +
                "\nfirst-bid = $1.00\nseller = seller" + std::to_string(i % 17) + "\nbid = " + std::to_string(i % 9) +
                " $" + std::to_string(2 + i % 50) + ".00 bidder" + std::to_string(i % 5) +
                "\nheader-delay-ms = " + std::to_string(kLatencyMs) + "\n\n";
    return text;
}

void WriteList(const QString& path)
{
    CLotwardDoc doc;
    doc.OnNewDocument();
    for (int i = 0; i < kItems; ++i)
        doc.AddItem(std::to_string(700000 + i), FindServer(107)); // no refresh wired: nothing queued
    doc.OnSaveDocument(path.toStdString());
}

void BM_WindowRefreshNextToCommandLine(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString bin = QStringLiteral(LW_BIN_DIR);
    QFile::copy(bin + "/Lotward.dat", dir.filePath("Lotward.dat"));
    QFile::copy(bin + "/Blank.html", dir.filePath("Blank.html"));
    qputenv("LOTWARDEN_TMPDIR", dir.filePath("tmp").toUtf8());
    qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());

    lwsim::RouteTable table;
    std::string error;
    if (!lwsim::LoadScenarioText(Scenario(), ".", "bench", table, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    lwsim::Server server(std::move(table));
    if (!server.Start(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    qputenv("http_proxy", QByteArray::fromStdString(server.BaseUrl()));
    qunsetenv("no_proxy");

    for (auto _ : state) {
        // The command line first, on its own copy of the list.
        const QString cliList = dir.filePath("cli.lwd");
        WriteList(cliList);
        QDir().mkpath(dir.filePath("config/Ashgrove"));
        QFile ini(dir.filePath("config/Ashgrove/Lotwarden.ini"));
        ini.open(QIODevice::WriteOnly);
        ini.write("[Options]\nSimult%20Download=" + QByteArray::number(kSimultaneous) + "\n");
        ini.close();
        QElapsedTimer cliClock;
        cliClock.start();
        QProcess cli;
        cli.start(bin + "/lotwarden", {QStringLiteral("refresh"), cliList});
        cli.waitForFinished(-1);
        const double cliSeconds = cliClock.nsecsElapsed() / 1e9;

        const QString windowList = dir.filePath("window.lwd");
        WriteList(windowList);
        CMemorySettingsStore settings;
        settings.WriteInt("Main Window", "Split", 0);
        settings.WriteInt("Options", "Simult Download", kSimultaneous);
        CLotwardApp app(settings, dir.path());
        app.InitInstance({QStringLiteral("Lotward"), windowList});
        QCoreApplication::processEvents();

        // A 10 ms timer on the window's thread: its lateness is the event loop's stall.
        qint64 longestStallNs = 0;
        QElapsedTimer tickClock;
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            longestStallNs = std::max(longestStallNs, tickClock.nsecsElapsed() - 10'000'000);
            tickClock.restart();
        });
        QElapsedTimer windowClock;
        windowClock.start();
        app.Frame()->OnCommand(kCmdRefresh);
        tickClock.start();
        probe.start(10);
        while (app.Refresh()->IsBusy())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        const double windowSeconds = windowClock.nsecsElapsed() / 1e9;
        probe.stop();
        state.SetIterationTime(windowSeconds);

        int filled = 0;
        for (int i = 0; i < app.Document().GetItemCount(); ++i)
            filled += app.Document().GetItem(i)->description.empty() ? 0 : 1;
        state.counters["filled"] = filled;
        state.counters["window_s"] = windowSeconds;
        state.counters["cli_s"] = cliSeconds;
        state.counters["window_to_cli"] = windowSeconds / cliSeconds;
        state.counters["longest_stall_ms"] = longestStallNs / 1e6;
        app.Document().SetModifiedFlag(false);
        app.ExitInstance();
    }
    server.Stop();
}
BENCHMARK(BM_WindowRefreshNextToCommandLine)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

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
