// The live capture's cost on a Wayland desktop, where the screen comes as a PipeWire
// video stream through the desktop portal. Run inside tests/wayland/desktop.sh (see
// README.md). With a full-screen window of coloured tiles under the loupe:
//  - BM_PassOverCopy/WxH: one pass on the newest frame (find the loupe's marker near its
//    last place, copy the hole, stretch into the preview, repaint the preview) against a
//    bare copy of the same frame region, in alternating blocks; also the pass's parts.
//  - BM_LoopCpu/still|moving: the live loop for 5 s on a still desktop and under a window
//    that another process repaints at the display's rate: process CPU over wall time.
//  - BM_Latency: a window under the hole changes colour; the time until the preview
//    shows it, over 30 changes.
// Nothing is asserted; the figures and the goals are printed.
#include "capture/CaptureScale.h"
#include "capture/LoupeMarker.h"
#include "capture/LoupeSession.h"
#include "capture/NearestStretch.h"
#include "capture/frmLoupe.h"
#include "capture/frmPreview.h"
#include "common/SelectionState.h"
#include "screen/PortalScreenGrabber.h"
#include "screen/StreamFrame.h"
#include "wayland/WaylandDesk.h"

#include "BenchFigures.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using benchfigures::median;
using benchfigures::processCpuSeconds;

constexpr double kPassOverCopyGoal = 1.3;
constexpr double kMovingShareGoal = 0.25;
constexpr int kLoopMilliseconds = 5000;
constexpr int kLatencySamples = 30;
const QPoint kLoupeAt(60, 40);

// A window of coloured tiles the size of the output; `shift` moves the tiles.
class Tiles final : public QWidget
{
public:
    explicit Tiles(const QString& title) : QWidget(nullptr, Qt::FramelessWindowHint)
    {
        setWindowTitle(title);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFixedSize(1280, 1024);
    }
    void step()
    {
        ++m_shift;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        constexpr int kTile = 8;
        QPainter painter(this);
        for (int y = 0; y < height(); y += kTile) {
            for (int x = 0; x < width(); x += kTile) {
                const int tx = x / kTile + m_shift;
                const int ty = y / kTile;
                painter.fillRect(x, y, kTile, kTile,
                                 QColor::fromHsv((tx * 23 + ty * 41) % 360, 96 + (tx * ty) % 160,
                                                 255 - ((tx + ty) * 7) % 160));
            }
        }
    }

private:
    int m_shift = 0;
};

// One plain colour; its window sits under the loupe's hole for the latency.
class Flat final : public QWidget
{
public:
    Flat() : QWidget(nullptr, Qt::FramelessWindowHint)
    {
        setWindowTitle(QStringLiteral("flat"));
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFixedSize(400, 400);
    }
    QColor colour = Qt::black;

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), colour); }
};

bool place(const QString& title, const QPoint& at)
{
    return waylanddesk::moveWindow(title, at);
}

// A live capture of one working size, its loupe at kLoupeAt and its preview out of the
// way, running on the stream.
struct Rig
{
    Rig(PortalScreenGrabber& grabber, QSize work)
    {
        waylanddesk::waitUntilCaptureGone();
        selection.capture = CaptureSize{false, work.height(), work.width()};
        session = std::make_unique<LoupeSession>(selection, CaptureScale{}, grabber,
                                                 [](const QImage&) {});
        QString problem;
        ok = session->openStream(problem) && session->waitForStream();
        if (!ok) {
            std::fprintf(stderr, "no stream: %s\n", qPrintable(problem));
            return;
        }
        session->show();
        ok = place(QStringLiteral("ルーペ"), kLoupeAt) &&
             place(QStringLiteral("プレビュー"), QPoint(1280 - work.width() / 2, 0));
    }
    ~Rig()
    {
        session->stop();
        session->runPass();
    }
    // Runs passes until the newest frame shows the loupe at kLoupeAt.
    bool settle(PortalScreenGrabber& grabber)
    {
        const LoupeFrame& frame = session->loupe().loupeFrame();
        const QPoint marker = kLoupeAt + loupemarker::placeIn(frame);
        QDeadlineTimer deadline(10000);
        while (ok && !deadline.hasExpired()) {
            // A still screen sends no frames: the loupe's repaint is a change.
            session->loupe().update();
            session->runPass();
            if (loupemarker::find(grabber.newestFrame(), 1, marker, 0) == marker) {
                return true;
            }
        }
        return false;
    }

    SelectionState selection;
    std::unique_ptr<LoupeSession> session;
    bool ok = false;
};

struct Figures
{
    double passOverCopy[2] = {0, 0};
    double stillShare = -1;
    double movingShare = -1;
    double latencyMedian = -1;
    double latencyMax = -1;
};

// Blocks of bare copies and of passes in turn on one frame kept in memory.
void passOverCopy(benchmark::State& state, PortalScreenGrabber& grabber, QSize work, double& ratio)
{
    Rig rig(grabber, work);
    if (!rig.settle(grabber)) {
        state.SkipWithError("the loupe never showed in the stream");
        return;
    }
    const QImage frame = grabber.newestFrame().copy();
    frmLoupe& loupe = rig.session->loupe();
    frmPreview& preview = rig.session->preview();
    const QRect hole(kLoupeAt + loupe.loupeFrame().hole.topLeft(), loupe.loupeFrame().hole.size());
    LoupeTracker tracker(loupe.loupeFrame());
    NearestStretch stretch;
    benchmark::DoNotOptimize(tracker.holePixels(frame, 1));

    constexpr int kBlock = 16;
    std::vector<double> copies, passes, finds, stretches;
    QElapsedTimer clock;
    const auto timeBlock = [&clock](const auto& step) {
        clock.start();
        for (int i = 0; i < kBlock; ++i) {
            step();
        }
        return static_cast<double>(clock.nsecsElapsed()) / 1e3 / kBlock;
    };
    for (auto _ : state) {
        copies.push_back(timeBlock([&] {
            QImage copy = streamframe::copyRegion(frame, hole);
            benchmark::DoNotOptimize(copy);
        }));
        passes.push_back(timeBlock([&] {
            const QImage pixels = tracker.holePixels(frame, 1);
            stretch.stretch(pixels, preview.surface());
            preview.repaint();
        }));
        finds.push_back(timeBlock([&] {
            QImage pixels = tracker.holePixels(frame, 1);
            benchmark::DoNotOptimize(pixels);
        }));
        stretches.push_back(timeBlock([&] {
            const QImage pixels = tracker.holePixels(frame, 1);
            stretch.stretch(pixels, preview.surface());
        }));
    }
    const double copyUs = median(copies);
    const double passUs = median(passes);
    state.counters["copy_us"] = copyUs;
    state.counters["pass_us"] = passUs;
    state.counters["find_copy_us"] = median(finds);
    state.counters["find_copy_stretch_us"] = median(stretches);
    ratio = copyUs > 0 ? passUs / copyUs : 0;
    state.counters["ratio"] = ratio;
}

// The live loop for kLoopMilliseconds; a mover process repaints the screen when asked.
void loopCpu(benchmark::State& state, PortalScreenGrabber& grabber, bool moving, double& share)
{
    QProcess mover;
    if (moving) {
        mover.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--mover")});
        if (!mover.waitForStarted() || !place(QStringLiteral("mover"), QPoint(0, 0))) {
            state.SkipWithError("the moving window did not appear");
            return;
        }
    }
    Rig rig(grabber, QSize(240, 320));
    if (!rig.settle(grabber)) {
        state.SkipWithError("the loupe never showed in the stream");
        return;
    }
    for (auto _ : state) {
        long long passes = 0;
        const double cpuStart = processCpuSeconds();
        QElapsedTimer wall;
        wall.start();
        while (wall.elapsed() < kLoopMilliseconds && rig.session->runPass()) {
            ++passes;
        }
        const double seconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
        share = (processCpuSeconds() - cpuStart) / seconds;
        state.counters["core_share"] = share;
        state.counters["passes_per_s"] = static_cast<double>(passes) / seconds;
    }
    if (moving) {
        mover.kill();
        mover.waitForFinished();
    }
}

void latency(benchmark::State& state, PortalScreenGrabber& grabber, double& medianMs, double& maxMs)
{
    Flat flat;
    flat.show();
    if (!place(QStringLiteral("flat"), kLoupeAt)) {
        state.SkipWithError("the coloured window did not appear");
        return;
    }
    Rig rig(grabber, QSize(240, 320));
    if (!rig.settle(grabber)) {
        state.SkipWithError("the loupe never showed in the stream");
        return;
    }
    const QPoint centre(120, 160);
    std::vector<double> samples;
    for (auto _ : state) {
        for (int i = 0; i < kLatencySamples; ++i) {
            flat.colour = QColor::fromHsv((i * 47) % 360, 255, 255);
            const QRgb want = flat.colour.rgb();
            QElapsedTimer clock;
            clock.start();
            flat.repaint();
            QDeadlineTimer deadline(3000);
            while (rig.session->preview().surface().pixel(centre) != want &&
                   !deadline.hasExpired()) {
                rig.session->runPass();
            }
            samples.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        }
    }
    medianMs = median(samples);
    maxMs = *std::max_element(samples.begin(), samples.end());
    state.counters["median_ms"] = medianMs;
    state.counters["max_ms"] = maxMs;
}

int runMover(QApplication& app)
{
    Tiles tiles(QStringLiteral("mover"));
    tiles.show();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &tiles, &Tiles::step);
    tick.start(16);
    return app.exec();
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
        qEnvironmentVariable("QT_QPA_PLATFORM") != QStringLiteral("wayland")) {
        std::fprintf(stderr,
                     "bench_loupe_wayland needs a Wayland desktop with the screen-cast portal "
                     "and QT_QPA_PLATFORM=wayland, e.g.\n"
                     "  tests/wayland/desktop.sh run DIR %s\n",
                     argv[0]);
        return 1;
    }
    QApplication app(argc, argv);
    if (argc > 1 && std::string(argv[1]) == "--mover") {
        return runMover(app);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }

    Tiles desk(QStringLiteral("desk"));
    desk.show();
    place(QStringLiteral("desk"), QPoint(0, 0));
    QTemporaryDir tokens;
    PortalScreenGrabber grabber(tokens.path(), QDBusConnection::sessionBus(),
                                PortalScreenGrabber::portalService());
    Figures figures;
    const QSize sizes[2] = {{240, 320}, {480, 854}};
    for (int i = 0; i < 2; ++i) {
        const std::string name = "BM_PassOverCopy/" + std::to_string(sizes[i].width()) + "x" +
                                 std::to_string(sizes[i].height());
        benchmark::RegisterBenchmark(name.c_str(),
                                     [&, i](benchmark::State& state) {
                                         passOverCopy(state, grabber, sizes[i],
                                                      figures.passOverCopy[i]);
                                     })
            ->MinTime(2.0)
            ->UseRealTime()
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RegisterBenchmark(
        "BM_LoopCpu/still",
        [&](benchmark::State& state) { loopCpu(state, grabber, false, figures.stillShare); })
        ->Iterations(1)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(
        "BM_LoopCpu/moving",
        [&](benchmark::State& state) { loopCpu(state, grabber, true, figures.movingShare); })
        ->Iterations(1)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_Latency",
                                 [&](benchmark::State& state) {
                                     latency(state, grabber, figures.latencyMedian,
                                             figures.latencyMax);
                                 })
        ->Iterations(1)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::printf("\nOne pass against a bare copy of the frame region (goal: at most %.2fx):\n",
                kPassOverCopyGoal);
    for (int i = 0; i < 2; ++i) {
        std::printf("  %dx%d  ratio %5.2f  %s\n", sizes[i].width(), sizes[i].height(),
                    figures.passOverCopy[i],
                    figures.passOverCopy[i] <= kPassOverCopyGoal ? "met" : "MISSED");
    }
    std::printf(
        "The live loop over %d s: still %.3f of one core, moving %.3f (goal: at most "
        "%.2f) %s\n",
        kLoopMilliseconds / 1000, figures.stillShare, figures.movingShare, kMovingShareGoal,
        figures.movingShare <= kMovingShareGoal ? "met" : "MISSED");
    std::printf("From a change on the screen to the preview: median %.1f ms, at most %.1f ms\n",
                figures.latencyMedian, figures.latencyMax);
    return 0;
}
