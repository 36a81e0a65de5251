#pragma once

#include "jpeg/JpegFit.h"
#include "saving/mdlSavedll.h"

#include <QImage>
#include <QString>

// Fits `picture` to `limit` and checks the answer against the encoder itself: the
// chosen file is at most the limit and one step more (a quarter, or the next quality)
// is over it (or the quality is 100). Returns an explanation of what is wrong, empty
// when all is right.
inline QString checkFit(JpegFit& fit, const QImage& picture, qint64 limit,
                        JpegFit::Result* out = nullptr)
{
    const std::optional<JpegFit::Result> result = fit.fit(limit);
    if (!result) {
        return QStringLiteral("no result");
    }
    if (out != nullptr) {
        *out = *result;
    }
    const auto size = [&](int quality, int quarters) {
        return mdlSavedll::encodeJpeg(picture, quality, false, result->fullChroma, quarters)
            ->size();
    };
    if (result->quality == 0) {
        return size(1, 0) > limit ? QString() : QStringLiteral("quality 1 fits, none was chosen");
    }
    if (size(result->quality, result->quarters) > limit) {
        return QStringLiteral("quality %1 + %2/4 is over the limit")
            .arg(result->quality)
            .arg(result->quarters);
    }
    const bool nextQuality = result->quarters == 3;
    const int quality = nextQuality ? result->quality + 1 : result->quality;
    const int quarters = nextQuality ? 0 : result->quarters + 1;
    if (result->quality < 100 && size(quality, quarters) <= limit) {
        return QStringLiteral("quality %1 + %2/4 fits too").arg(quality).arg(quarters);
    }
    return {};
}
