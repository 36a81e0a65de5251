#pragma once

#include <QImage>
#include <QList>

// A nearest-neighbour stretch into a persistent picture: rows and columns of the
// source are dropped or repeated, never blended. Destination pixel (x, y) takes
// the source pixel under its centre. The column and row tables are kept from one
// call to the next while the sizes stay the same.
class NearestStretch
{
public:
    // Fills all of `target` (Format_RGB32, opaque) from all of `source` (any 32-bit
    // format; the fourth byte is not read). True when any pixel of `target` changed.
    bool stretch(const QImage& source, QImage& target);

private:
    static void buildTable(QList<int>& table, int sourceLength, int targetLength);

    QSize m_sourceSize;
    QSize m_targetSize;
    QList<int> m_columns;
    QList<int> m_rows;
};
