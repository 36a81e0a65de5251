// The live capture's cost on a real X display, at two working sizes. BM_BareGrab takes
// the desktop under the loupe's hole with the program's grabber (MIT-SHM where the
// server has it), the least any copy of the screen into this process costs;
// BM_LoupePass is one pass of the live capture on the same area as the program runs it
// (at scale 1.00 on an unscaled screen the X server copies the screen into the preview
// itself); BM_QtPass is the same pass through QScreen::grabWindow, a stretch and a
// repaint. BM_PassOverGrab runs the three in turn and gives the pass's ratio to each.
// BM_LiveLoop runs the paced loop (mdlZoom::StartLoupe) over a still desktop and while
// the loupe moves every frame, and gives passes per second and the process's CPU time
// as a share of one core. A full-screen window with a tiled pattern lies under the
// hole, so every grab copies varied pixels. Nothing is asserted; the goals are reported.
#include "capture/CaptureScale.h"
#include "capture/LoupeSession.h"
#include "capture/NearestStretch.h"
#include "capture/frmLoupe.h"
#include "capture/frmPreview.h"
#include "capture/mdlZoom.h"
#include "common/SelectionState.h"
#include "screen/ScreenGrabber.h"
#include "screen/ScreenGrabberFactory.h"

#include "BenchFigures.h"
#include "LoupeRig.h"

#include <benchmark/benchmark.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using benchfigures::median;
using benchfigures::processCpuSeconds;
using benchrig::ActiveRig;
using benchrig::CountingGrabber;
using benchrig::displayRate;
using benchrig::LoupeRig;
using benchrig::PatternDesktop;
using benchrig::serverRoundTrip;
using benchrig::WorkSize;

constexpr double kPassOverGrabGoal = 1.3;
constexpr double kPassOverQtPassGoal = 0.7;
constexpr double kCoreShareGoal = 0.05;
constexpr int kWarmUpMilliseconds = 500;
constexpr int kLiveLoopMilliseconds = 5000;

// What one timed call does: the baseline (the desktop under the hole in this process's
// memory, nothing more), one pass of the live capture as the program runs it, or the
// pass through Qt's grab (repaint() paints and flushes synchronously).
enum class Step { BareGrab, LoupePass, QtPass };

void runStep(Step step, LoupeRig& rig)
{
    const QRect area = rig.session->sourceDeviceRect();
    switch (step) {
        case Step::LoupePass:
            rig.session->copyScreen(true);
            return;
        case Step::QtPass:
            // The pass as it was before the shared-memory path: Qt's grab, the stretch
            // and a repaint that the X server has shown before it returns.
            rig.qtGrabber.grab(area, rig.qtImage);
            rig.qtStretch.stretch(rig.qtImage, rig.session->preview().surface());
            rig.session->preview().repaint();
            return;
        case Step::BareGrab:
            rig.grabber->grab(area, rig.bareImage);
            benchmark::DoNotOptimize(rig.bareImage);
            return;
    }
}

// One step per iteration; "process_cpu_us" is the CPU time of the whole process (the main
// thread and Qt's X event reader) per iteration.
void runSteps(Step step, benchmark::State& state, ActiveRig& rigs, const WorkSize& size)
{
    LoupeRig* rig = rigs.shown(state, size);
    if (rig == nullptr) {
        return;
    }
    const double cpuStart = processCpuSeconds();
    for (auto _ : state) {
        runStep(step, *rig);
    }
    state.counters["process_cpu_us"] = benchmark::Counter((processCpuSeconds() - cpuStart) * 1e6,
                                                          benchmark::Counter::kAvgIterations);
}

// Blocks of grabs and blocks of passes in turn, so that both see the same load on the
// machine; each block is timed as a whole, since the X server finishes showing one pass
// while it serves the next request, and ends with a round trip to the server, so that
// what a block asked of the server is done within it. The counters are medians of the
// blocks' means, and the ratio is the pass's median over the grab's.
void runPassOverGrab(benchmark::State& state, ActiveRig& rigs, const WorkSize& size)
{
    constexpr int kBlock = 16;
    LoupeRig* rig = rigs.shown(state, size);
    if (rig == nullptr) {
        return;
    }
    std::vector<double> grabs;
    std::vector<double> passes;
    std::vector<double> qtPasses;
    QElapsedTimer clock;
    const auto timeBlock = [&clock, rig](Step step) {
        clock.start();
        for (int i = 0; i < kBlock; ++i) {
            runStep(step, *rig);
        }
        serverRoundTrip();
        return static_cast<double>(clock.nsecsElapsed()) / 1e3 / kBlock;
    };
    for (auto _ : state) {
        grabs.push_back(timeBlock(Step::BareGrab));
        passes.push_back(timeBlock(Step::LoupePass));
        qtPasses.push_back(timeBlock(Step::QtPass));
    }
    const double grabMicroseconds = median(grabs);
    const double passMicroseconds = median(passes);
    const double qtPassMicroseconds = median(qtPasses);
    state.counters["grab_us"] = grabMicroseconds;
    state.counters["pass_us"] = passMicroseconds;
    state.counters["qt_pass_us"] = qtPassMicroseconds;
    state.counters["ratio"] = grabMicroseconds > 0 ? passMicroseconds / grabMicroseconds : 0.0;
    state.counters["ratio_qt"] =
        qtPassMicroseconds > 0 ? passMicroseconds / qtPassMicroseconds : 0.0;
}

// The paced loop as the program runs it, over a still desktop or with the loupe moved
// by a pixel every frame (what the preview shows then changes on every pass). The
// first half second (the windows' first paints, loading the caption's font) is left
// out; the next five seconds are measured.
void runLiveLoop(bool moving, benchmark::State& state, ActiveRig& rigs, const WorkSize& size)
{
    rigs.clear();
    CountingGrabber grabber;
    mdlZoom zoom(grabber);
    SelectionState selection;
    selection.capture = size.capture();
    for (auto _ : state) {
        QElapsedTimer wall;
        double cpuStart = 0;
        long long passesStart = 0;
        QObject::connect(&zoom, &mdlZoom::loupeStarted, &zoom, [&] {
            QTimer::singleShot(kWarmUpMilliseconds, Qt::PreciseTimer, &zoom, [&] {
                passesStart = grabber.count();
                cpuStart = processCpuSeconds();
                wall.start();
            });
            QTimer::singleShot(kWarmUpMilliseconds + kLiveLoopMilliseconds, Qt::PreciseTimer, &zoom,
                               [&] { zoom.stop(); });
        });
        QTimer mover;
        int step = 1;
        QObject::connect(&mover, &QTimer::timeout, &zoom, [&] {
            if (LoupeSession* session = zoom.session()) {
                session->loupe().move(session->loupe().pos() + QPoint(step, 0));
                step = -step;
            }
        });
        if (moving) {
            mover.start(16);
        }
        zoom.StartLoupe(selection, CaptureScale{});
        const double cpu = processCpuSeconds() - cpuStart;
        const double seconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
        const auto passes = static_cast<double>(grabber.count() - passesStart);
        QObject::disconnect(&zoom, &mdlZoom::loupeStarted, nullptr, nullptr);
        state.counters["passes"] = passes;
        state.counters["passes_per_s"] = passes / seconds;
        state.counters["core_share"] = cpu / seconds;
        state.counters["cpu_us_per_pass"] = passes > 0 ? cpu * 1e6 / passes : 0.0;
    }
}

// Whether a run ended in SkipWithError: Google Benchmark 1.7 says so in error_occurred, 1.8 and
// later in skipped.
template <typename R>
bool endedInError(const R& run)
{
    if constexpr (requires { run.error_occurred; }) {
        return run.error_occurred;
    } else {
        return run.skipped != decltype(run.skipped){};
    }
}

// Prints the console table and keeps the counters that the goals are checked against.
class GoalReporter final : public benchmark::ConsoleReporter
{
public:
    explicit GoalReporter(OutputOptions options) : ConsoleReporter(options) {}

    void ReportRuns(const std::vector<Run>& reports) override
    {
        for (const Run& run : reports) {
            if (run.run_type == Run::RT_Iteration && !endedInError(run)) {
                for (const auto& [counter, value] : run.counters) {
                    m_counters[run.run_name.function_name][counter] = value.value;
                }
            }
        }
        ConsoleReporter::ReportRuns(reports);
    }

    void printGoals(const std::vector<WorkSize>& sizes) const
    {
        std::printf(
            "\nOne pass against a bare grab of the same area and against the pass through Qt's "
            "grab, in alternating blocks (goals: at most %.2fx and %.2fx):\n",
            kPassOverGrabGoal, kPassOverQtPassGoal);
        for (const WorkSize& size : sizes) {
            if (const auto* pair = counters("BM_PassOverGrab/" + size.name())) {
                const double ratio = pair->at("ratio");
                const double ratioQt = pair->at("ratio_qt");
                std::printf(
                    "  %-8s pass %7.1f us  grab %7.1f us  Qt pass %7.1f us  "
                    "pass/grab %5.2f %s  pass/Qt pass %5.2f %s\n",
                    size.name().c_str(), pair->at("pass_us"), pair->at("grab_us"),
                    pair->at("qt_pass_us"), ratio, ratio <= kPassOverGrabGoal ? "met" : "MISSED",
                    ratioQt, ratioQt <= kPassOverQtPassGoal ? "met" : "MISSED");
            }
        }
        std::printf(
            "The live loop (goal: at least the display's %.0f passes/s on at most %.2f "
            "of one core):\n",
            displayRate(), kCoreShareGoal);
        for (const WorkSize& size : sizes) {
            for (const char* kind : {"still", "moving"}) {
                const auto* loop = counters(std::string("BM_LiveLoop/") + kind + "/" + size.name());
                if (loop == nullptr) {
                    continue;
                }
                const double rate = loop->at("passes_per_s");
                const double share = loop->at("core_share");
                const bool met = rate >= displayRate() * 0.95 && share <= kCoreShareGoal;
                std::printf(
                    "  %-8s %-6s %5.1f passes/s  %5.3f of one core  %5.0f us CPU a pass  %s\n",
                    size.name().c_str(), kind, rate, share, loop->at("cpu_us_per_pass"),
                    met ? "met" : "MISSED");
            }
        }
    }

private:
    using Counters = std::map<std::string, double>;

    const Counters* counters(const std::string& name) const
    {
        const auto found = m_counters.find(name);
        return found == m_counters.end() ? nullptr : &found->second;
    }

    std::map<std::string, Counters> m_counters;
};

using BenchmarkBody = std::function<void(benchmark::State&, ActiveRig&, const WorkSize&)>;

benchmark::internal::Benchmark* add(const char* family, BenchmarkBody body, ActiveRig& rigs,
                                    const WorkSize& size)
{
    return benchmark::RegisterBenchmark(
        (std::string(family) + "/" + size.name()).c_str(),
        [body, &rigs, size](benchmark::State& state) { body(state, rigs, size); });
}

void registerBenchmarks(ActiveRig& rigs, const std::vector<WorkSize>& sizes)
{
    for (const WorkSize& size : sizes) {
        add("BM_BareGrab", std::bind_front(&runSteps, Step::BareGrab), rigs, size)
            ->UseRealTime()
            ->Unit(benchmark::kMicrosecond);
        add("BM_LoupePass", std::bind_front(&runSteps, Step::LoupePass), rigs, size)
            ->UseRealTime()
            ->Unit(benchmark::kMicrosecond);
        // Enough blocks for a steady median at the larger size too.
        add("BM_PassOverGrab", &runPassOverGrab, rigs, size)
            ->MinTime(2.0)
            ->UseRealTime()
            ->Unit(benchmark::kMicrosecond);
    }
    for (const WorkSize& size : sizes) {
        for (const bool moving : {false, true}) {
            add(moving ? "BM_LiveLoop/moving" : "BM_LiveLoop/still",
                std::bind_front(&runLiveLoop, moving), rigs, size)
                ->Iterations(1)
                ->UseRealTime()
                ->Unit(benchmark::kMillisecond);
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const char* display = std::getenv("DISPLAY");
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (display == nullptr || *display == '\0' || (!platform.isEmpty() && platform != "xcb")) {
        std::fprintf(stderr,
                     "bench_loupe grabs a real screen and needs an X display with "
                     "QT_QPA_PLATFORM=xcb (or unset), e.g.\n"
                     "  QT_QPA_PLATFORM=xcb xvfb-run -a -s \"-screen 0 1280x1024x24\" %s\n",
                     argv[0]);
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }

    PatternDesktop desktop;
    desktop.show();
    const std::vector<WorkSize> sizes{{240, 320}, {480, 854}};
    ActiveRig rigs;
    registerBenchmarks(rigs, sizes);

    // Colours only on a terminal, as the library's own console table does.
    GoalReporter reporter(isatty(STDOUT_FILENO) != 0 ? benchmark::ConsoleReporter::OO_Defaults
                                                     : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    rigs.clear();
    reporter.printGoals(sizes);
    benchmark::Shutdown();
    return 0;
}
