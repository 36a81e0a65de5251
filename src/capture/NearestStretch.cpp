#include "capture/NearestStretch.h"

#include <cstring>

void NearestStretch::buildTable(QList<int>& table, int sourceLength, int targetLength)
{
    table.resize(targetLength);
    for (int i = 0; i < targetLength; ++i) {
        // Centre of target pixel i, in source pixels: (i + 0.5) * source / target.
        const long long centre = (2LL * i + 1) * sourceLength / (2LL * targetLength);
        table[i] = static_cast<int>(centre);
    }
}

void NearestStretch::stretch(const QImage& source, QImage& target)
{
    if (source.isNull() || target.isNull()) {
        return;
    }
    const QImage input =
        (source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32 ||
         source.format() == QImage::Format_ARGB32_Premultiplied)
            ? source
            : source.convertToFormat(QImage::Format_RGB32);
    const int width = target.width();
    const int height = target.height();
    if (input.size() == target.size()) {
        const size_t rowBytes = static_cast<size_t>(width) * 4;
        for (int y = 0; y < height; ++y) {
            std::memcpy(target.scanLine(y), input.constScanLine(y), rowBytes);
        }
        return;
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
        for (int x = 0; x < width; ++x) {
            to[x] = from[columns[x]] | 0xFF000000u;
        }
    }
}
