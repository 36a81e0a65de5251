// The encoders against bare libjpeg-turbo and libpng, on a screen-like, a photo-like and
// a noisy picture at two working sizes. Every benchmark runs our encode and its baseline
// in turn in each iteration (alternating which goes first) and reports the medians and
// their quotients:
//   jpeg/q50, jpeg/q80   mdlSavedll::encodeJpeg (optimised tables) against a plain
//                        baseline libjpeg encode with the standard tables;
//   png/standard|fast|small  mdlSavedll::encodePng against libpng's default (adaptive)
//                        filtering at the same zlib level;
//   write/jpeg, write/png    encode plus mdlSavedll::writeWorkFile (as the estimate does)
//                        against the same encode in memory.
// A summary with the goals follows the table. Nothing is asserted; the goals are only
// reported.
#include "encode/mdlSavedll.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <chrono>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>

namespace {

constexpr double kJpegBytesGoal = 0.95;
constexpr double kScreenPngBytesGoal = 0.8;
constexpr double kWriteTimeGoal = 1.25;
constexpr double kSmallPngSeconds = 1.0;

// ---- Pictures -------------------------------------------------------------------------

// Smooth random shapes at three scales plus a little sensor noise.
QImage photoLike(int width, int height)
{
    std::mt19937 random(11);
    QImage image(width, height, QImage::Format_RGB32);
    std::array<std::array<int, 64>, 3> grids{};
    for (auto& grid : grids) {
        for (int& v : grid)
            v = static_cast<int>(random() % 256);
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int channel[3] = {};
            for (int c = 0; c < 3; ++c) {
                const int cell = 24 << c;  // bilinear in an 8 x 8 grid of that cell size
                const int gx = x / cell % 7, gy = y / cell % 7, fx = x % cell, fy = y % cell;
                const auto& g = grids[static_cast<size_t>(c)];
                const auto at = [&g](int i) { return g[static_cast<size_t>(i)]; };
                const int top = at(gy * 8 + gx) * (cell - fx) + at(gy * 8 + gx + 1) * fx;
                const int bottom = at(gy * 8 + 8 + gx) * (cell - fx) + at(gy * 8 + 9 + gx) * fx;
                channel[c] = (top * (cell - fy) + bottom * fy) / (cell * cell);
            }
            const int noise = static_cast<int>(random() % 7) - 3;
            image.setPixel(x, y,
                           qRgb(qBound(0, channel[0] + noise, 255),
                                qBound(0, (channel[1] + channel[0]) / 2 + noise, 255),
                                qBound(0, channel[2] + noise, 255)));
        }
    }
    return image;
}

// White panels on grey with lines of anti-aliased "words" from a small font of strokes.
QImage screenLike(int width, int height)
{
    std::mt19937 random(7);
    std::array<std::array<int, 7 * 12>, 40> font{};
    for (auto& glyph : font) {
        std::array<bool, 28 * 48> fine{};  // strokes drawn four times finer, then averaged
        for (int s = 0; s < 3; ++s) {
            const int x0 = static_cast<int>(random() % 24), y0 = static_cast<int>(random() % 36);
            const int x1 = static_cast<int>(random() % 24), y1 = static_cast<int>(random() % 36);
            for (int t = 0; t <= 32; ++t) {
                for (int d = 0; d < 9; ++d) {
                    fine[static_cast<size_t>((y0 + (y1 - y0) * t / 32 + 4 + d / 3) * 28 + x0 +
                                             (x1 - x0) * t / 32 + 1 + d % 3)] = true;
                }
            }
        }
        for (int i = 0; i < 28 * 48; ++i) {
            glyph[static_cast<size_t>(i / 28 / 4 * 7 + i % 28 / 4)] += fine[static_cast<size_t>(i)];
        }
    }
    std::array<std::array<int, 6>, 50> words{};
    for (auto& word : words) {
        for (int& c : word)
            c = static_cast<int>(random() % (font.size() + 8));  // some blanks
    }
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(239, 239, 239));
    for (int top = 30; top + 40 < height; top += 150) {
        const int bottom = qMin(height - 6, top + 140);
        for (int y = top; y < bottom; ++y) {
            for (int x = 6; x < width - 6; ++x) {
                const bool border = y == top || y == bottom - 1 || x == 6 || x == width - 7;
                image.setPixel(x, y, border ? qRgb(160, 160, 160) : qRgb(255, 255, 255));
            }
        }
        for (int line = top + 5; line + 12 < bottom - 3; line += 17) {
            for (int x = 12; x + 6 * 7 < width - 12; x += 5) {
                for (int c : words[random() % words.size()]) {
                    for (int i = 0; c < static_cast<int>(font.size()) && i < 7 * 12; ++i) {
                        const int v =
                            255 - font[static_cast<size_t>(c)][static_cast<size_t>(i)] * 235 / 16;
                        image.setPixel(x + i % 7, line + i / 7, qRgb(v, v, qMin(255, v + 8)));
                    }
                    x += 7;
                }
            }
        }
    }
    return image;
}

QImage noisy(int width, int height)
{
    std::mt19937 random(13);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = 0xff000000u | (random() & 0xffffffu);
    }
    return image;
}

// ---- Baselines ------------------------------------------------------------------------

// A plain baseline JPEG: fresh compress object, standard Huffman tables, the same
// scanlines as ours. Returns the file's size.
size_t plainJpeg(const QImage& rgb32, int quality)
{
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* output = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &output, &size);
    cinfo.image_width = static_cast<JDIMENSION>(rgb32.width());
    cinfo.image_height = static_cast<JDIMENSION>(rgb32.height());
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row =
            const_cast<JSAMPROW>(rgb32.constScanLine(static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::free(output);
    return size;
}

void appendTo(png_structp png, png_bytep data, png_size_t length)
{
    static_cast<QByteArray*>(png_get_io_ptr(png))
        ->append(reinterpret_cast<char*>(data), static_cast<qsizetype>(length));
}

// libpng with its default (adaptive) row filtering at zlib `level`, from the same picture.
size_t plainPng(const QImage& image, int level)
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
    return static_cast<size_t>(bytes.size());
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
    double goal = 0;  // the bytes goal, or the time goal for the write pairs; 0 when none
    bool timeGoal = false;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

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
    result.bytesRatio = static_cast<double>(oursBytes) / static_cast<double>(baseBytes);
    state.counters["ours_ms"] = result.oursMs;
    state.counters["base_ms"] = result.baseMs;
    state.counters["time_ratio"] = result.oursMs / result.baseMs;
    state.counters["ours_bytes"] = static_cast<double>(oursBytes);
    state.counters["bytes_ratio"] = result.bytesRatio;
}

struct Picture
{
    std::string name;
    QImage image;
};

size_t sizeOf(const std::optional<QByteArray>& bytes)
{
    return bytes ? static_cast<size_t>(bytes->size()) : 0;
}

// Registers every pair for one picture; results land in `results` under the pair's name.
void registerPairs(const Picture& picture, const QString& folder,
                   std::map<std::string, PairResult>& results)
{
    const QImage& image = picture.image;
    const bool screen = picture.name.rfind("screen", 0) == 0;
    const auto add = [&results](const std::string& name, Encode ours, Encode base, double goal,
                                bool timeGoal) {
        results[name] = PairResult{0, 0, 0, goal, timeGoal};
        PairResult* result = &results[name];
        benchmark::RegisterBenchmark(
            name.c_str(),
            [ours, base, result](benchmark::State& state) { runPair(state, ours, base, *result); })
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.5);
    };
    for (const int quality : {50, 80}) {
        add(
            "jpeg/q" + std::to_string(quality) + "/" + picture.name,
            [&image, quality] { return sizeOf(mdlSavedll::encodeJpeg(image, quality, false)); },
            [&image, quality] { return plainJpeg(image, quality); }, kJpegBytesGoal, false);
    }
    using mdlSavedll::PngChoice;
    const std::pair<const char*, PngChoice> choices[] = {
        {"standard", PngChoice::Standard}, {"fast", PngChoice::Fast}, {"small", PngChoice::Small}};
    const int levels[] = {6, 1, 9};
    for (int i = 0; i < 3; ++i) {
        const PngChoice choice = choices[i].second;
        const int level = levels[i];
        add(
            std::string("png/") + choices[i].first + "/" + picture.name,
            [&image, choice] { return sizeOf(mdlSavedll::encodePng(image, choice)); },
            [&image, level] { return plainPng(image, level); }, screen ? kScreenPngBytesGoal : 1.0,
            false);
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
    std::printf("\n%-28s %9s %9s %7s %7s  %s\n", "pair", "ours ms", "base ms", "time", "bytes",
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
        } else {
            goal = "bytes <= " + std::to_string(r.goal).substr(0, 4) +
                   (r.bytesRatio <= r.goal ? "  met" : "  MISSED");
        }
        if (name.rfind("png/small/", 0) == 0) {
            goal += r.oursMs <= kSmallPngSeconds * 1000 ? ", < 1 s met" : ", < 1 s MISSED";
        }
        std::printf("%-28s %9.2f %9.2f %7.2f %7.3f  %s\n", name.c_str(), r.oursMs, r.baseMs,
                    timeRatio, r.bytesRatio, goal.c_str());
    }
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "bench_encode: no temporary folder\n");
        return 1;
    }
    std::vector<Picture> pictures;
    for (const auto& [width, height] : {std::pair{240, 320}, std::pair{480, 854}}) {
        const std::string size = std::to_string(width) + "x" + std::to_string(height);
        pictures.push_back({"screen/" + size, screenLike(width, height)});
        pictures.push_back({"photo/" + size, photoLike(width, height)});
        pictures.push_back({"noise/" + size, noisy(width, height)});
    }
    std::map<std::string, PairResult> results;
    for (const Picture& picture : pictures) {
        registerPairs(picture, folder.path(), results);
    }
    benchmark::RunSpecifiedBenchmarks();
    printSummary(results);
    benchmark::Shutdown();
    return 0;
}
