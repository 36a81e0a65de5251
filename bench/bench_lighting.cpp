// Brightness and contrast: LightingPage::ApplyLighting as the program runs it (the captured
// image put through one 256-entry table straight into the result, in slices run from the
// event loop, the result then shared with the canvas) at two phone sizes, each paired with
// a plain memcpy of the same buffer in the same iteration:
//   apply/WxH    the whole ApplyLighting, busy pointer and the event loop's turns between
//                its slices included, until the result is on the canvas;
//   rows/WxH     the same pixel work in one slice, without the event loop;
//   plain/WxH, gather/WxH  each pixel loop by itself (gather where the processor has
//                AVX2), which the computation chooses between on its first rows;
//   double/WxH   a straightforward per-pixel version of the formula in double arithmetic.
// apply and rows share their pixels with a helper thread, so what the user waits for is
// wall time: ours_ns_px is the median wall time per pixel, cpu_ns_px the CPU time of all
// the process's threads (for apply including the benchmark's own busy turns of the event
// loop), memcpy_ns_px the CPU time of the benchmark's thread for the copy, and ratio is
// ours over memcpy. A summary with the goal (at most 1 ns per pixel for apply) follows
// the table. Nothing is asserted.
#include "common/Numbers.h"
#include "edit/EditImages.h"
#include "edit/LPSLighting.h"
#include "edit/LightingPage.h"
#include "edit/LightingRows.h"
#include "edit/LightingRun.h"
#include "edit/ToolColours.h"
#include "edit/ToolContext.h"
#include "platform/Dialogs.h"

#include "BenchFigures.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QSlider>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using benchfigures::median;

constexpr double kGoalNsPerPixel = 1.0;
constexpr int kBrightness = 30;
constexpr int kContrast = 40;

QImage noisy(int width, int height)
{
    std::mt19937 random(7);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            row[x] = 0xFF000000u | (random() & 0xFFFFFFu);
        }
    }
    return image;
}

// The formula pixel by pixel: brightness in integers, then contrast about 69 in double
// from the single-precision factor, rounded half to even.
void straightforward(const QImage& source, QImage& target, int brightness, int contrast)
{
    const double g = contrast / 100.0;
    const long long lo = numbers::roundHalfEven(g * LPSLighting::kPivot);
    const long long hi = numbers::roundHalfEven(255 - g * (255 - LPSLighting::kPivot));
    const float raise = static_cast<float>(256.0 / static_cast<double>(hi - lo + 1));
    const float lower = static_cast<float>(-g);
    const auto adjust = [&](int c) {
        c = std::clamp(c + brightness, 0, 255);
        const double value =
            contrast > 0
                ? static_cast<double>(raise) * (c - LPSLighting::kPivot) + LPSLighting::kPivot
                : static_cast<double>(lower) * (LPSLighting::kPivot - c) + c;
        return static_cast<quint32>(std::clamp<long long>(numbers::roundHalfEven(value), 0, 255));
    };
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const quint32*>(source.constScanLine(y));
        auto* out = reinterpret_cast<quint32*>(target.scanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            const quint32 p = in[x];
            out[x] = (p & 0xFF000000u) | adjust(static_cast<int>((p >> 16) & 0xFF)) << 16 |
                     adjust(static_cast<int>((p >> 8) & 0xFF)) << 8 |
                     adjust(static_cast<int>(p & 0xFF));
        }
    }
}

class NoDialogs final : public Dialogs
{
public:
    void information(QWidget*, const QString&) override {}
    QString saveFileName(QWidget*, const QString&) override { return {}; }
    std::optional<QColor> chooseColour(QWidget*, const QColor&) override { return {}; }
    std::optional<QFont> chooseFont(QWidget*, const QFont&) override { return {}; }
};

// The page with a capture of the given size and the sliders at the benchmark's values.
struct Page
{
    explicit Page(const QImage& capture)
    {
        images.setCaptured(capture);
        page.findChild<QSlider*>(QStringLiteral("Slider1_0"))->setValue(kBrightness);
        page.findChild<QSlider*>(QStringLiteral("Slider1_1"))->setValue(kContrast);
        page.show();
        finish();  // the requests the values made
    }

    // Serves the event loop until the computation has ended, as the program's loop does.
    void finish()
    {
        QCoreApplication::processEvents();
        while (page.isBusy()) {
            QCoreApplication::processEvents();
        }
    }

    EditImages images;
    NoDialogs dialogs;
    ToolColours colours;
    ToolContext context{images, dialogs, colours, [] {}, [](bool) {}};
    LightingPage page{context};
};

// ---- Pairs ----------------------------------------------------------------------------

struct PairResult
{
    double pixels = 0;
    double oursNs = 0;     // wall time
    double oursCpuNs = 0;  // all threads' CPU time
    double memcpyNs = 0;
};

// CPU time of this thread or of the whole process: other programs do not count.
double cpuNanoseconds(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

struct Sample
{
    double threadNs = 0;
    double processNs = 0;
    double wallNs = 0;
};

Sample timed(const std::function<void()>& work)
{
    const auto wall = std::chrono::steady_clock::now();
    const double thread = cpuNanoseconds(CLOCK_THREAD_CPUTIME_ID);
    const double process = cpuNanoseconds(CLOCK_PROCESS_CPUTIME_ID);
    work();
    benchmark::ClobberMemory();
    return {
        cpuNanoseconds(CLOCK_THREAD_CPUTIME_ID) - thread,
        cpuNanoseconds(CLOCK_PROCESS_CPUTIME_ID) - process,
        std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - wall).count()};
}

void runPair(benchmark::State& state, const QImage& image, const std::function<void()>& ours,
             PairResult& result)
{
    const size_t bytes = static_cast<size_t>(image.sizeInBytes());
    std::vector<unsigned char> copy(bytes);
    const auto copyAll = [&] {
        std::memcpy(copy.data(), image.constBits(), bytes);
        benchmark::DoNotOptimize(copy.data());
    };
    std::vector<double> oursNs;
    std::vector<double> oursCpuNs;
    std::vector<double> memcpyNs;
    const auto runOurs = [&] {
        const Sample sample = timed(ours);
        oursNs.push_back(sample.wallNs);
        oursCpuNs.push_back(sample.processNs);
    };
    const auto runMemcpy = [&] { memcpyNs.push_back(timed(copyAll).threadNs); };
    bool oursFirst = true;
    for (auto _ : state) {
        if (oursFirst) {
            runOurs();
            runMemcpy();
        } else {
            runMemcpy();
            runOurs();
        }
        oursFirst = !oursFirst;
    }
    result.pixels = static_cast<double>(image.width()) * image.height();
    result.oursNs = median(oursNs);
    result.oursCpuNs = median(oursCpuNs);
    result.memcpyNs = median(memcpyNs);
    state.counters["ours_ns_px"] = result.oursNs / result.pixels;
    state.counters["cpu_ns_px"] = result.oursCpuNs / result.pixels;
    state.counters["memcpy_ns_px"] = result.memcpyNs / result.pixels;
    state.counters["ratio"] = result.oursNs / result.memcpyNs;
}

void registerPairs(int width, int height, std::map<std::string, PairResult>& results)
{
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    auto image = std::make_shared<QImage>(noisy(width, height));
    const auto add = [&](const std::string& name, std::function<std::function<void()>()> make) {
        PairResult* result = &results[name + "/" + size];
        benchmark::RegisterBenchmark((name + "/" + size).c_str(),
                                     [image, make, result](benchmark::State& state) {
                                         runPair(state, *image, make(), *result);
                                     })
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.5);
    };
    add("apply", [image] {
        auto page = std::make_shared<Page>(*image);
        return [page] {
            page->page.ApplyLighting();
            page->finish();
        };
    });
    add("rows", [image] {
        auto tables = std::make_shared<LPSLighting::ShiftedTables>(
            LPSLighting::shifted(LPSLighting::lightingTable(kBrightness, kContrast)));
        return [image, tables] {
            LightingRun run(*image, *tables);
            run.step(std::chrono::hours(1));
            benchmark::DoNotOptimize(run.result().constBits());
        };
    });
    // Each pixel loop by itself over the whole picture, without the trial.
    for (const auto& [name, kernel] : {std::pair{"plain", lightingrows::Kernel::Plain},
                                       std::pair{"gather", lightingrows::Kernel::Gather}}) {
        if (!lightingrows::available(kernel)) {
            continue;
        }
        add(name, [image, kernel = kernel] {
            auto tables = std::make_shared<LPSLighting::ShiftedTables>(
                LPSLighting::shifted(LPSLighting::lightingTable(kBrightness, kContrast)));
            auto result = std::make_shared<QImage>(image->size(), QImage::Format_RGB32);
            return [image, tables, result, kernel] {
                for (int y = 0; y < image->height(); ++y) {
                    lightingrows::apply(
                        kernel, reinterpret_cast<const quint32*>(image->constScanLine(y)),
                        reinterpret_cast<quint32*>(result->scanLine(y)), image->width(), *tables);
                }
                benchmark::DoNotOptimize(result->constBits());
            };
        });
    }
    add("double", [image] {
        auto canvas = std::make_shared<QImage>(image->copy());
        return [image, canvas] { straightforward(*image, *canvas, kBrightness, kContrast); };
    });
}

void printSummary(const std::map<std::string, PairResult>& results)
{
    std::printf("\n%-20s %10s %10s %10s %8s  %s\n", "pair", "ns/pixel", "cpu", "memcpy", "ratio",
                "goal");
    for (const auto& [name, r] : results) {
        if (r.pixels <= 0) {
            continue;  // filtered out of this run
        }
        const double perPixel = r.oursNs / r.pixels;
        std::string goal;
        if (name.rfind("apply/", 0) == 0) {
            goal = perPixel <= kGoalNsPerPixel ? "<= 1 ns/pixel  met" : "<= 1 ns/pixel  MISSED";
        }
        std::printf("%-20s %10.3f %10.3f %10.3f %8.2f  %s\n", name.c_str(), perPixel,
                    r.oursCpuNs / r.pixels, r.memcpyNs / r.pixels, r.oursNs / r.memcpyNs,
                    goal.c_str());
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    std::map<std::string, PairResult> results;
    registerPairs(480, 854, results);
    registerPairs(1080, 2400, results);
    benchmark::RunSpecifiedBenchmarks();
    printSummary(results);
    benchmark::Shutdown();
    return 0;
}
