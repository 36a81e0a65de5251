#pragma once

#include "edit/TextSurface.h"

class QImage;
struct TextSettings;

// The off-screen form that owns the text surface and its two renderings. It is
// never shown: the renderings only need its image.
class frmDrawText
{
public:
    TextSurface& surface() { return m_surface; }

    // Renders with a byte count of twice the text's character count, then copies the
    // surface onto the canvas.
    void DrawTextJ(const TextSettings& settings, QImage& canvas);
    // Renders with a byte count of the text's character count, then copies the surface
    // onto the canvas.
    void DrawTextE(const TextSettings& settings, QImage& canvas);

private:
    void render(const TextSettings& settings, qsizetype byteCount, QImage& canvas);

    TextSurface m_surface;
};
