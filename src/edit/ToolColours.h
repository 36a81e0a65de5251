#pragma once

#include "common/ColourRef.h"

#include <QObject>

// The colours the tools share: the fill colour of the border strips and the line
// colour of freehand drawing. Colour picking sets both; each tab's swatch and
// colour dialog follow them.
class ToolColours : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    ColourRef fill() const { return m_fill; }
    ColourRef line() const { return m_line; }

    void setFill(ColourRef colour)
    {
        m_fill = colour;
        emit fillChanged(colour);
    }
    void setLine(ColourRef colour)
    {
        m_line = colour;
        emit lineChanged(colour);
    }

signals:
    void fillChanged(ColourRef colour);
    void lineChanged(ColourRef colour);

private:
    ColourRef m_fill = colourref::kBlack;
    ColourRef m_line = colourref::kBlack;
};
