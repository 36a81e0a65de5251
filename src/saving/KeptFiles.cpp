#include "saving/KeptFiles.h"

#include "saving/SizeText.h"

#include <algorithm>

KeptFiles::Key KeptFiles::jpegKey(const QImage& canvas, const CompressionSettings& settings)
{
    return {canvas.cacheKey(),
            sizetext::jpegQuality(settings.jpegLevel),
            settings.jpegProgressive,
            settings.jpegFullChroma,
            0,
            settings.jpegQuarters};
}

KeptFiles::Key KeptFiles::pngKey(const QImage& canvas, const CompressionSettings& settings)
{
    return {canvas.cacheKey(), settings.pngLevel, settings.pngReduceColours, false,
            settings.pngReduceColours ? settings.sizeLimitBytes : 0};
}

void KeptFiles::setCanvas(qint64 canvas)
{
    if (canvas != m_canvas) {
        m_canvas = canvas;
        m_made.clear();
    }
}

void KeptFiles::keep(const Made& made)
{
    if (made.key.canvas != m_canvas) {
        return;
    }
    std::erase_if(m_made, [&made](const Made& kept) { return kept.key == made.key; });
    if (m_made.size() == kMost) {
        m_made.erase(m_made.begin());
    }
    m_made.push_back(made);
}

const KeptFiles::Made* KeptFiles::find(const Key& key) const
{
    const auto found = std::find_if(m_made.begin(), m_made.end(),
                                    [&key](const Made& kept) { return kept.key == key; });
    return found == m_made.end() ? nullptr : &*found;
}
