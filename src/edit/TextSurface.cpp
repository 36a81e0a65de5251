#include "edit/TextSurface.h"

#include "common/Numbers.h"
#include "platform/TextCodec.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QStringList>
#include <algorithm>

void TextSurface::receive(const QImage& canvas)
{
    m_copy = canvas;
    m_image = canvas;
}

int TextSurface::pixelSize() const
{
    // The em height in pixels: at 96 per inch, 9 points are 12 pixels.
    const double pixels = static_cast<double>(m_font.pointSize) * m_dpi / 72.0;
    return static_cast<int>(std::clamp<long long>(numbers::roundHalfEven(pixels), 1, 10000));
}

void TextSurface::textOut(QPoint topLeft, QStringView text, qsizetype byteCount)
{
    const QString shown = textcodec::cp932Prefix(text, byteCount);
    if (shown.isEmpty() || m_image.isNull()) {
        return;
    }
    QFont font;
    font.setFamilies({m_font.name, QString::fromUtf16(kFallbackFamily)});
    font.setPixelSize(pixelSize());
    font.setBold(m_font.bold);
    font.setItalic(m_font.italic);

    QPainter painter(&m_image);
    painter.setFont(font);
    painter.setPen(colourref::toQColor(m_colour));
    painter.setBackgroundMode(Qt::TransparentMode);
    const QFontMetrics metrics(font, &m_image);
    painter.drawText(QPoint(topLeft.x(), topLeft.y() + metrics.ascent()), shown);
}
