// The encoders against bare libjpeg-turbo, libpng and optipng, on real pictures of three
// classes (bench/EncodePictures.h) at two working sizes. Every benchmark runs our encode
// and its baseline in turn in each iteration (alternating which goes first) and reports
// the medians and their quotients:
//   jpeg/q50, jpeg/q80   mdlSavedll::encodeJpeg (optimised tables) against a plain
//                        baseline libjpeg encode with the standard tables, in bytes;
//   jpeg-grey/q80        the same on the picture turned grey (one component for us);
//   jpeg-libjpeg/q50, q80  libjpeg's own optimised file (a segment for every table)
//                        against the same baseline: what the joined segments save;
//   png/standard|fast|small  mdlSavedll::encodePng: time against libpng's default encode
//                        (adaptive filters, zlib level 6) of the same pixels, bytes against
//                        optipng -o2 run once on that file;
//   write/jpeg, write/png    encode plus mdlSavedll::writeWorkFile (as the estimate does)
//                        against the same encode in memory.
// A summary with the goals follows the table. Nothing is asserted; the goals are only
// reported.
#include "BenchFigures.h"
#include "EncodePictures.h"
#include "PlainJpeg.h"
#include "saving/mdlSavedll.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <png.h>

namespace {

using benchfigures::median;

constexpr double kJpegBytesGoal = 0.95;
constexpr double kStandardPngBytesGoal = 1.00;
constexpr double kSmallPngBytesGoal = 0.97;
constexpr double kStandardPngTimeGoal = 0.5;
constexpr double kWriteTimeGoal = 1.25;
constexpr double kSmallPngSeconds = 1.0;

// ---- Baselines ------------------------------------------------------------------------

// Our file's reference: libjpeg-turbo's own baseline file. Returns its size.
size_t plainJpeg(const QImage& rgb32, int quality, bool optimise = false)
{
    return static_cast<size_t>(benchjpeg::plainJpeg(rgb32, quality, optimise).size());
}

void appendTo(png_structp png, png_bytep data, png_size_t length)
{
    static_cast<QByteArray*>(png_get_io_ptr(png))
        ->append(reinterpret_cast<char*>(data), static_cast<qsizetype>(length));
}

// libpng with its default (adaptive) row filtering at zlib `level`, from the same picture.
QByteArray plainPngFile(const QImage& image, int level)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    QByteArray bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rows;
    for (int y = 0; y < rgb.height(); ++y) {
        rows.push_back(const_cast<png_bytep>(rgb.constScanLine(y)));
    }
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_set_write_fn(png, &bytes, appendTo, nullptr);
        png_set_IHDR(png, info, static_cast<png_uint_32>(rgb.width()),
                     static_cast<png_uint_32>(rgb.height()), 8, PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_set_compression_level(png, level);
        png_set_rows(png, info, rows.data());
        png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    }
    png_destroy_write_struct(&png, &info);
    return bytes;
}

size_t plainPng(const QImage& image, int level)
{
    return static_cast<size_t>(plainPngFile(image, level).size());
}

// The bytes optipng -o2 makes of the same pixels; 0 without optipng.
size_t optipngSize(const QImage& image, const QString& folder)
{
    const QString in = folder + QStringLiteral("/optipng-in.png");
    const QString out = folder + QStringLiteral("/optipng-out.png");
    QFile file(in);
    QFile::remove(out);
    if (!file.open(QIODevice::WriteOnly) || file.write(plainPngFile(image, 6)) < 0) {
        return 0;
    }
    file.close();
    QProcess optipng;
    optipng.start(QStringLiteral("optipng"), {QStringLiteral("-o2"), QStringLiteral("-quiet"),
                                              QStringLiteral("-out"), out, in});
    if (!optipng.waitForFinished(120000) || optipng.exitCode() != 0) {
        return 0;
    }
    return static_cast<size_t>(QFile(out).size());
}

// ---- Pairs ----------------------------------------------------------------------------

// One encode: returns the bytes it produced.
using Encode = std::function<size_t()>;

// Medians and quotients of one pair, kept for the summary.
struct PairResult
{
    double oursMs = 0;
    double baseMs = 0;
    double bytesRatio = 0;
    double goal = 0;  // the bytes goal, or the time goal; 0 when none
    bool timeGoal = false;
    size_t reference = 0;  // bytes of the reference file (optipng -o2) when there is one
    size_t oursBytes = 0;
};

double millisecondsOf(const Encode& encode, size_t& bytes)
{
    const auto start = std::chrono::steady_clock::now();
    bytes = encode();
    benchmark::DoNotOptimize(bytes);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

void runPair(benchmark::State& state, const Encode& ours, const Encode& base, PairResult& result)
{
    std::vector<double> oursMs;
    std::vector<double> baseMs;
    size_t oursBytes = 0;
    size_t baseBytes = 0;
    bool oursFirst = true;
    for (auto _ : state) {
        if (oursFirst) {
            oursMs.push_back(millisecondsOf(ours, oursBytes));
            baseMs.push_back(millisecondsOf(base, baseBytes));
        } else {
            baseMs.push_back(millisecondsOf(base, baseBytes));
            oursMs.push_back(millisecondsOf(ours, oursBytes));
        }
        oursFirst = !oursFirst;
    }
    result.oursMs = median(oursMs);
    result.baseMs = median(baseMs);
    result.oursBytes = oursBytes;
    if (result.reference > 0) {
        baseBytes = result.reference;
    }
    result.bytesRatio = static_cast<double>(oursBytes) / static_cast<double>(baseBytes);
    state.counters["ours_ms"] = result.oursMs;
    state.counters["base_ms"] = result.baseMs;
    state.counters["time_ratio"] = result.oursMs / result.baseMs;
    state.counters["ours_bytes"] = static_cast<double>(oursBytes);
    state.counters["bytes_ratio"] = result.bytesRatio;
}

size_t sizeOf(const std::optional<QByteArray>& bytes)
{
    return bytes ? static_cast<size_t>(bytes->size()) : 0;
}

// Registers every pair for one picture; results land in `results` under the pair's name.
void registerPairs(const benchpictures::Picture& picture, const QString& folder,
                   std::map<std::string, PairResult>& results)
{
    const QImage& image = picture.image;
    const auto add = [&results](const std::string& name, Encode ours, Encode base, double goal,
                                bool timeGoal, size_t reference = 0) {
        results[name] = PairResult{0, 0, 0, goal, timeGoal, reference, 0};
        PairResult* result = &results[name];
        benchmark::RegisterBenchmark(
            name.c_str(),
            [ours, base, result](benchmark::State& state) { runPair(state, ours, base, *result); })
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.3);
    };
    for (const int quality : {50, 80}) {
        add(
            "jpeg/q" + std::to_string(quality) + "/" + picture.name,
            [&image, quality] { return sizeOf(mdlSavedll::encodeJpeg(image, quality, false)); },
            [&image, quality] { return plainJpeg(image, quality); }, kJpegBytesGoal, false);
        add(
            "jpeg-libjpeg/q" + std::to_string(quality) + "/" + picture.name,
            [&image, quality] { return plainJpeg(image, quality, true); },
            [&image, quality] { return plainJpeg(image, quality); }, 0, false);
    }
    const QImage& greyImage = picture.grey;
    add(
        "jpeg-grey/q80/" + picture.name,
        [&greyImage] { return sizeOf(mdlSavedll::encodeJpeg(greyImage, 80, false)); },
        [&greyImage] { return plainJpeg(greyImage, 80); }, kJpegBytesGoal, false);

    using mdlSavedll::PngChoice;
    const size_t optipng = optipngSize(image, folder);
    const std::pair<const char*, PngChoice> choices[] = {
        {"standard", PngChoice::Standard}, {"fast", PngChoice::Fast}, {"small", PngChoice::Small}};
    for (const auto& [label, choice] : choices) {
        const double goal = choice == PngChoice::Small
                                ? kSmallPngBytesGoal
                                : (choice == PngChoice::Standard ? kStandardPngBytesGoal : 0);
        add(
            std::string("png/") + label + "/" + picture.name,
            [&image, c = choice] { return sizeOf(mdlSavedll::encodePng(image, c)); },
            [&image] { return plainPng(image, 6); }, goal, false, optipng);
    }
    const QString jpegPath = folder + QStringLiteral("/temp.jpg");
    add(
        "write/jpeg/" + picture.name,
        [&image, jpegPath] {
            const auto bytes = mdlSavedll::encodeJpeg(image, 80, false);
            return bytes && mdlSavedll::writeWorkFile(jpegPath, *bytes) ? sizeOf(bytes) : 0;
        },
        [&image] { return sizeOf(mdlSavedll::encodeJpeg(image, 80, false)); }, kWriteTimeGoal,
        true);
    const QString pngPath = folder + QStringLiteral("/temp.png");
    add(
        "write/png/" + picture.name,
        [&image, pngPath] {
            const auto bytes = mdlSavedll::encodePng(image, PngChoice::Standard);
            return bytes && mdlSavedll::writeWorkFile(pngPath, *bytes) ? sizeOf(bytes) : 0;
        },
        [&image] { return sizeOf(mdlSavedll::encodePng(image, PngChoice::Standard)); },
        kWriteTimeGoal, true);
}

void printSummary(const std::map<std::string, PairResult>& results)
{
    std::printf("\n%-34s %9s %9s %7s %7s  %s\n", "pair", "ours ms", "base ms", "time", "bytes",
                "goal");
    for (const auto& [name, r] : results) {
        if (r.baseMs <= 0) {
            continue;  // filtered out of this run
        }
        const double timeRatio = r.oursMs / r.baseMs;
        std::string goal;
        if (r.timeGoal) {
            goal = "time <= " + std::to_string(r.goal).substr(0, 4) +
                   (timeRatio <= r.goal ? "  met" : "  MISSED");
        } else if (r.goal > 0) {
            goal = "bytes <= " + std::to_string(r.goal).substr(0, 4) +
                   (r.bytesRatio <= r.goal ? "  met" : "  MISSED");
        }
        if (name.rfind("png/standard/", 0) == 0) {
            goal += timeRatio <= kStandardPngTimeGoal ? ", time <= 0.5 met" : ", time MISSED";
        }
        if (name.rfind("png/small/", 0) == 0) {
            goal += r.oursMs <= kSmallPngSeconds * 1000 ? ", < 1 s met" : ", < 1 s MISSED";
        }
        std::printf("%-34s %9.2f %9.2f %7.2f %7.3f  %s\n", name.c_str(), r.oursMs, r.baseMs,
                    timeRatio, r.bytesRatio, goal.c_str());
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);  // the Qt window picture is drawn by Qt
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "bench_encode: no temporary folder\n");
        return 1;
    }
    const std::vector<benchpictures::Picture> pictures = benchpictures::all();
    std::map<std::string, PairResult> results;
    for (const benchpictures::Picture& picture : pictures) {
        registerPairs(picture, folder.path(), results);
    }
    benchmark::RunSpecifiedBenchmarks();
    printSummary(results);
    benchmark::Shutdown();
    return 0;
}
