#include "capture/NearestStretch.h"

namespace {

// Puts one row's pixels into `to`, opaque, and tells whether any of them changed.
template <typename SourceIndex>
quint32 putRow(quint32* to, int width, SourceIndex&& sourcePixel)
{
    quint32 difference = 0;
    for (int x = 0; x < width; ++x) {
        const quint32 value = sourcePixel(x) | 0xFF000000u;
        difference |= to[x] ^ value;
        to[x] = value;
    }
    return difference;
}

}  // namespace

void NearestStretch::buildTable(QList<int>& table, int sourceLength, int targetLength)
{
    table.resize(targetLength);
    for (int i = 0; i < targetLength; ++i) {
        // Centre of target pixel i, in source pixels: (i + 0.5) * source / target.
        const long long centre = (2LL * i + 1) * sourceLength / (2LL * targetLength);
        table[i] = static_cast<int>(centre);
    }
}

bool NearestStretch::stretch(const QImage& source, QImage& target)
{
    if (source.isNull() || target.isNull()) {
        return false;
    }
    const QImage input =
        (source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32 ||
         source.format() == QImage::Format_ARGB32_Premultiplied)
            ? source
            : source.convertToFormat(QImage::Format_RGB32);
    const int width = target.width();
    const int height = target.height();
    quint32 difference = 0;
    if (input.size() == target.size()) {
        for (int y = 0; y < height; ++y) {
            const auto* from = reinterpret_cast<const quint32*>(input.constScanLine(y));
            auto* to = reinterpret_cast<quint32*>(target.scanLine(y));
            difference |= putRow(to, width, [from](int x) { return from[x]; });
        }
        return difference != 0;
    }
    if (input.size() != m_sourceSize || target.size() != m_targetSize) {
        buildTable(m_columns, input.width(), width);
        buildTable(m_rows, input.height(), height);
        m_sourceSize = input.size();
        m_targetSize = target.size();
    }
    const int* columns = m_columns.constData();
    for (int y = 0; y < height; ++y) {
        const auto* from = reinterpret_cast<const quint32*>(input.constScanLine(m_rows[y]));
        auto* to = reinterpret_cast<quint32*>(target.scanLine(y));
        difference |= putRow(to, width, [from, columns](int x) { return from[columns[x]]; });
    }
    return difference != 0;
}
