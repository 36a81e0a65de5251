#pragma once

#include "encode/JpegFit.h"
#include "encode/mdlSavedll.h"

#include <QImage>
#include <QString>

// Fits `picture` to `limit` and checks the answer against the encoder itself: the
// chosen file is at most the limit and one quality more is over it (or the quality
// is 100). Returns an explanation of what is wrong, empty when all is right.
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
    const auto size = [&](int quality) {
        return mdlSavedll::encodeJpeg(picture, quality, false, result->fullChroma)->size();
    };
    if (result->quality == 0) {
        return size(1) > limit ? QString() : QStringLiteral("quality 1 fits, none was chosen");
    }
    if (size(result->quality) > limit) {
        return QStringLiteral("quality %1 is over the limit").arg(result->quality);
    }
    if (result->quality < 100 && size(result->quality + 1) <= limit) {
        return QStringLiteral("quality %1 fits too").arg(result->quality + 1);
    }
    return {};
}
