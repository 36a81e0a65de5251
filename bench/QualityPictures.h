#pragma once

// The pictures of the quality benchmark: those of EncodePictures.h, and photos of the
// lomiri-wallpapers-20.04 package cut to the phone's shape, at 240 x 320 and 480 x 854.
#include "EncodePictures.h"

#include <QFileInfo>

namespace qualitypictures {

struct Picture
{
    std::string name;  // class/source/WxH
    QImage image;
};

// A photo filled into the size (scaled to cover it, cut in the middle); null when the
// file or ImageMagick is missing.
inline QImage photo(const QString& path, int width, int height)
{
    if (!QFileInfo::exists(path)) {
        return {};
    }
    const QString size = QStringLiteral("%1x%2").arg(width).arg(height);
    QProcess convert;
    convert.start(
        QStringLiteral("convert"),
        {path, QStringLiteral("-resize"), size + QLatin1Char('^'), QStringLiteral("-gravity"),
         QStringLiteral("center"), QStringLiteral("-extent"), size, QStringLiteral("png:-")});
    if (!convert.waitForFinished(120000) || convert.exitCode() != 0) {
        return {};
    }
    QImage image = QImage::fromData(convert.readAllStandardOutput(), "PNG")
                       .convertToFormat(QImage::Format_RGB32);
    image.setColorSpace(QColorSpace());
    return image;
}

inline std::vector<Picture> all()
{
    std::vector<Picture> pictures;
    for (const benchpictures::Picture& picture : benchpictures::all()) {
        if (!picture.image.isNull()) {
            pictures.push_back({picture.name, picture.image});
        }
    }
    const char* photos[] = {"Bridge_by_Sander_Klootwijk", "Dragonfly_by_Bolly",
                            "Kleiber_by_Lukas_Baubkus", "Wine_by_Jakkub_Mede",
                            "picosdeeuropa_by_Aitzol_Berasategi"};
    for (const auto& [width, height] : {std::pair{240, 320}, std::pair{480, 854}}) {
        const std::string size = std::to_string(width) + "x" + std::to_string(height);
        for (const char* name : photos) {
            const QString path =
                QStringLiteral("/usr/share/backgrounds/%1.jpg").arg(QString::fromLatin1(name));
            QImage image = photo(path, width, height);
            if (!image.isNull()) {
                const std::string shortName(name, std::string_view(name).find('_'));
                pictures.push_back({"photo/" + shortName + "/" + size, std::move(image)});
            }
        }
    }
    return pictures;
}

}  // namespace qualitypictures
