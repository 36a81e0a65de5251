// Prints a hash of every file the encoders make of the benchmark pictures: JPEG in colour
// and grey, 4:2:0 and 4:4:4, baseline at every seventh fit setting and progressive at a
// few, PNG at every level, and the reduced (palette) PNG with and without a limit. Two
// builds whose lists are equal write the same bytes:
//   QT_QPA_PLATFORM=offscreen build/bench/file_hashes > before.txt
#include "EncodePictures.h"
#include "saving/mdlSavedll.h"

#include <QApplication>
#include <QCryptographicHash>
#include <cstdio>
#include <optional>

namespace {

void print(const std::string& name, const QString& what, const std::optional<QByteArray>& file)
{
    const QByteArray hash =
        file ? QCryptographicHash::hash(*file, QCryptographicHash::Sha256).toHex().left(16)
             : QByteArray("none");
    std::printf("%s %s %s %lld\n", name.c_str(), what.toUtf8().constData(), hash.constData(),
                file ? static_cast<long long>(file->size()) : -1LL);
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    constexpr int kQuarters = 4;
    constexpr int kSettings = 99 * kQuarters + 1;
    for (const benchpictures::Picture& picture : benchpictures::all()) {
        for (const bool grey : {false, true}) {
            const QImage& image = grey ? picture.grey : picture.image;
            const std::string name = picture.name + (grey ? "/grey" : "/colour");
            for (const bool full : {false, true}) {
                for (int setting = 1; setting <= kSettings; setting += 7) {
                    const int quality = (setting - 1) / kQuarters + 1;
                    const int quarters = (setting - 1) % kQuarters;
                    print(name,
                          QStringLiteral("jpeg q%1+%2 %3").arg(quality).arg(quarters).arg(full),
                          mdlSavedll::encodeJpeg(image, quality, false, full, quarters));
                }
                for (const int quality : {30, 75, 95}) {
                    print(name, QStringLiteral("progressive q%1 %2").arg(quality).arg(full),
                          mdlSavedll::encodeJpeg(image, quality, true, full));
                }
            }
            for (const auto choice : {mdlSavedll::PngChoice::Standard, mdlSavedll::PngChoice::Fast,
                                      mdlSavedll::PngChoice::Small}) {
                const int level = static_cast<int>(choice);
                print(name, QStringLiteral("png %1").arg(level),
                      mdlSavedll::encodePng(image, choice));
                for (const qint64 limit : {qint64{0}, qint64{20000}}) {
                    print(name, QStringLiteral("palette %1 %2").arg(level).arg(limit),
                          mdlSavedll::encodeReducedPng(image, choice, limit));
                }
            }
        }
    }
    return 0;
}
