#include "edit/frmDrawText.h"

#include "edit/DrawText.h"

#include <QImage>

void frmDrawText::DrawTextJ(const TextSettings& settings, QImage& canvas)
{
    render(settings, 2 * settings.text.size(), canvas);
}

void frmDrawText::DrawTextE(const TextSettings& settings, QImage& canvas)
{
    render(settings, settings.text.size(), canvas);
}

void frmDrawText::render(const TextSettings& settings, qsizetype byteCount, QImage& canvas)
{
    m_surface.clear();
    m_surface.setColour(settings.colour);
    m_surface.setFont({settings.font.name,
                       textsize::pointSize(settings.sizeText, settings.upDownValue),
                       settings.font.bold, settings.font.italic});
    m_surface.textOut(settings.position, settings.text, byteCount);
    canvas = m_surface.image();
}
