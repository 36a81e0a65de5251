// The picture at the phone's limit: for each picture and limit of 10, 20, 40 and 80 KB,
// the bytes and luma SSIM of
//   ours    the fitted file (JpegFit over one jpegwriter::PictureEncoder; the time
//           of the fit is that of a cold search on a picture not yet transformed),
//   plain   the best baseline file of plain libjpeg-turbo within the limit (its own
//           tables and rounding, optimised Huffman tables, 4:2:0),
//   moz     the best baseline file of mozjpeg within the limit, when it is installed:
//           `npm install` in bench/mozjpeg (a bench-only dependency, never in the
//           program or its package) and node on the PATH.
// Pictures: those of EncodePictures.h, photos of the ukui-wallpapers package when it is
// installed, and a screenshot of running programs when a display is given
// (xvfb-run). Goals: median SSIM difference to moz >= 0 on every class, no pair
// behind by more than 0.005, every limit moz reaches reached, the fit at 480 x 854
// within 60 ms cold. Nothing is asserted; the figures are printed.
#include "BenchFigures.h"
#include "EncodePictures.h"
#include "PlainJpeg.h"
#include "QualityPictures.h"
#include "jpeg/JpegFit.h"
#include "jpeg/JpegWriter.h"
#include "jpeg/Ssim.h"
#include "platform/HeapTuning.h"
#include "saving/mdlSavedll.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <time.h>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <vector>

namespace {

using benchfigures::median;

struct Outcome
{
    qint64 bytes = 0;  // 0: nothing within the limit
    double ssim = 0;
};

// Files at qualities 1..100 and the best within a limit.
struct Sweep
{
    std::array<QByteArray, 101> files;

    Outcome best(const QImage& picture, qint64 limit) const
    {
        for (int q = 100; q >= 1; --q) {
            const QByteArray& file = files[static_cast<std::size_t>(q)];
            if (!file.isEmpty() && file.size() <= limit) {
                return {file.size(), ssim::luma(picture, QImage::fromData(file, "JPEG"))};
            }
        }
        return {};
    }
};

Sweep plainSweep(const QImage& picture)
{
    Sweep sweep;
    for (int q = 1; q <= 100; ++q) {
        sweep.files[static_cast<std::size_t>(q)] = benchjpeg::plainJpeg(picture, q, true);
    }
    return sweep;
}

// mozjpeg's files through node, or nothing when it is not installed.
std::optional<Sweep> mozSweep(const QImage& picture)
{
    const QString script = QStringLiteral(SORAKADO_MOZJPEG_SWEEP);
    if (!QFileInfo::exists(QFileInfo(script).dir().filePath(QStringLiteral("node_modules")))) {
        return std::nullopt;
    }
    QTemporaryDir folder;
    const QImage rgba = picture.convertToFormat(QImage::Format_RGBA8888);
    QFile raw(folder.filePath(QStringLiteral("picture.rgba")));
    if (!raw.open(QIODevice::WriteOnly)) {
        return std::nullopt;
    }
    for (int y = 0; y < rgba.height(); ++y) {
        raw.write(reinterpret_cast<const char*>(rgba.constScanLine(y)), rgba.width() * 4);
    }
    raw.close();
    QProcess node;
    node.start(QStringLiteral("node"),
               {script, raw.fileName(), QString::number(rgba.width()),
                QString::number(rgba.height()), folder.filePath(QStringLiteral("out"))});
    if (!node.waitForFinished(600000) || node.exitCode() != 0) {
        return std::nullopt;
    }
    Sweep sweep;
    for (int q = 1; q <= 100; ++q) {
        QFile file(folder.filePath(QStringLiteral("out/q%1.jpg").arg(q, 3, 10, QLatin1Char('0'))));
        if (file.open(QIODevice::ReadOnly)) {
            sweep.files[static_cast<std::size_t>(q)] = file.readAll();
        }
    }
    return sweep;
}

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

struct Fitted
{
    QByteArray file;
    Outcome outcome;
    double ms = 0;
    double cpuMs = 0;  // of the fitting thread
};

Fitted ours(const QImage& picture, qint64 limit)
{
    jpegwriter::PictureEncoder encoder;
    JpegFit fit(
        [&picture, &encoder, limit](int quality, int quarters, bool full) -> std::optional<qint64> {
            const auto sized =
                encoder.encodeWithin(picture, quality, {false, full, true, quarters}, limit);
            return sized ? std::optional<qint64>(sized->bytes) : std::nullopt;
        },
        [&picture, &encoder](int quality, int quarters, bool full) {
            return encoder.estimate(picture, quality, {false, full, true, quarters});
        });
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = threadCpuMs();
    const auto result =
        fit.fit(limit, picture.allGray() ? JpegFit::Picture::Grey : JpegFit::Picture::Colour);
    Fitted fitted;
    fitted.ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    fitted.cpuMs = threadCpuMs() - cpuStart;
    if (result && result->quality > 0) {
        const QByteArray file = mdlSavedll::encodeJpeg(picture, result->quality, false,
                                                       result->fullChroma, result->quarters)
                                    .value();
        fitted.file = file;
        fitted.outcome = {file.size(), ssim::luma(picture, QImage::fromData(file, "JPEG"))};
    }
    return fitted;
}

struct ClassFigures
{
    std::vector<double> toMoz;
    std::vector<double> toPlain;
    int behind = 0;     // pairs more than 0.005 behind moz
    int unreached = 0;  // limits moz reaches and we do not
};

}  // namespace

int main(int argc, char** argv)
{
    heaptuning::keepFreedMemory();  // as the program does
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    std::map<std::string, ClassFigures> classes;
    std::vector<double> coldMs;
    std::vector<double> coldCpuMs;
    std::vector<double> smallestRatio;
    std::printf("%-28s %5s  %6s %6s  %6s %6s  %6s %6s\n", "picture", "limit", "ours", "ssim",
                "plain", "ssim", "moz", "ssim");
    // An optional argument keeps only the pictures whose name contains it; a second one
    // is a folder to write the fitted files into, to look at.
    const std::string only = argc > 1 ? argv[1] : "";
    const QString dump = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    for (const qualitypictures::Picture& picture : qualitypictures::all()) {
        if (picture.name.find(only) == std::string::npos) {
            continue;
        }
        const Sweep plain = plainSweep(picture.image);
        const std::optional<Sweep> moz = mozSweep(picture.image);
        const std::string kind = picture.name.substr(0, picture.name.find('/'));
        if (moz && kind == "screen") {
            const auto ourSmallest = mdlSavedll::encodeJpeg(picture.image, 1, false)->size();
            smallestRatio.push_back(static_cast<double>(ourSmallest) /
                                    static_cast<double>(moz->files[1].size()));
        }
        for (const int kb : {10, 20, 40, 80}) {
            const qint64 limit = kb * 1000;
            const Fitted fitted = ours(picture.image, limit);
            if (picture.image.width() == 480) {
                coldMs.push_back(fitted.ms);
                coldCpuMs.push_back(fitted.cpuMs);
            }
            if (!dump.isEmpty() && !fitted.file.isEmpty()) {
                QString name = QString::fromStdString(picture.name)
                                   .replace(QLatin1Char('/'), QLatin1Char('-'));
                QFile out(QDir(dump).filePath(QStringLiteral("%1-%2.jpg").arg(name).arg(kb)));
                if (out.open(QIODevice::WriteOnly)) {
                    out.write(fitted.file);
                }
            }
            const Outcome base = plain.best(picture.image, limit);
            const Outcome other = moz ? moz->best(picture.image, limit) : Outcome{};
            std::printf("%-28s %5d  %6lld %6.4f  %6lld %6.4f  %6lld %6.4f\n", picture.name.c_str(),
                        kb, fitted.outcome.bytes, fitted.outcome.ssim, base.bytes, base.ssim,
                        other.bytes, other.ssim);
            ClassFigures& figures = classes[kind];
            if (base.bytes > 0 && fitted.outcome.bytes > 0) {
                figures.toPlain.push_back(fitted.outcome.ssim - base.ssim);
            }
            if (other.bytes > 0) {
                if (fitted.outcome.bytes == 0) {
                    ++figures.unreached;
                    continue;
                }
                const double difference = fitted.outcome.ssim - other.ssim;
                figures.toMoz.push_back(difference);
                figures.behind += difference < -0.005 ? 1 : 0;
            }
        }
    }
    std::printf(
        "\nclass     pairs  median-vs-moz  worst-vs-moz  behind>0.005  unreached  "
        "median-vs-plain\n");
    for (const auto& [kind, figures] : classes) {
        std::printf("%-9s %5zu  %+13.4f  %+12.4f  %12d  %9d  %+15.4f\n", kind.c_str(),
                    figures.toMoz.size(), median(figures.toMoz),
                    figures.toMoz.empty()
                        ? 0.0
                        : *std::min_element(figures.toMoz.begin(), figures.toMoz.end()),
                    figures.behind, figures.unreached, median(figures.toPlain));
    }
    std::printf(
        "\nfit at 480 x 854, cold: median %.1f ms, max %.1f ms (goal <= 60); CPU time of the "
        "fitting thread: median %.1f ms, max %.1f ms\n",
        median(coldMs), coldMs.empty() ? 0.0 : *std::max_element(coldMs.begin(), coldMs.end()),
        median(coldCpuMs),
        coldCpuMs.empty() ? 0.0 : *std::max_element(coldCpuMs.begin(), coldCpuMs.end()));
    std::printf(
        "smallest file of a screen / moz's quality 1: median %.2f, max %.2f (goal <= 1.1)\n",
        median(smallestRatio),
        smallestRatio.empty() ? 0.0
                              : *std::max_element(smallestRatio.begin(), smallestRatio.end()));
    return 0;
}
