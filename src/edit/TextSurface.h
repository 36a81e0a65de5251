#pragma once

#include "common/ColourRef.h"

#include <QImage>
#include <QPoint>
#include <QString>
#include <QStringView>

// The drawing font of the text surface.
struct SurfaceFont
{
    QString name;
    float pointSize = 9.0F;
    bool bold = false;
    bool italic = false;
};

// The off-screen image text is rendered on: it receives a copy of the canvas,
// and text drawn on it changes only the glyphs' pixels.
class TextSurface
{
public:
    // The family used when the font's own name is not installed; it has Japanese glyphs.
    static constexpr const char16_t* kFallbackFamily = u"Noto Sans CJK JP";

    // Takes a copy of the canvas; the surface shows exactly that copy.
    void receive(const QImage& canvas);
    // Clears everything drawn since the copy was taken.
    void clear() { m_image = m_copy; }

    void setColour(ColourRef colour) { m_colour = colour; }
    void setFont(const SurfaceFont& font) { m_font = font; }
    // Points become pixels at this many dots per inch (the display's logical resolution).
    void setLogicalDpi(int dpi) { m_dpi = dpi; }

    // Draws the text cut to `byteCount` bytes of its CP932 form, top-left corner at
    // `topLeft`, transparent background. A double-byte character cut by the count is
    // not drawn; nothing beyond the encoded text is.
    void textOut(QPoint topLeft, QStringView text, qsizetype byteCount);

    const QImage& image() const { return m_image; }

private:
    int pixelSize() const;

    QImage m_copy;
    QImage m_image;
    ColourRef m_colour = colourref::kBlack;
    SurfaceFont m_font;
    int m_dpi = 96;
};
