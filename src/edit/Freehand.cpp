#include "edit/Freehand.h"

#include "common/ColourRef.h"
#include "edit/EditImages.h"
#include "edit/ToolColours.h"
#include "edit/ToolContext.h"

#include <QPainter>
#include <QPen>

void Freehand::start(const QPoint& at)
{
    EditImages& images = m_context.images;
    if (images.canvas().isNull()) {
        return;
    }
    images.TakeUndoSnapshot();
    draw(at, at);
}

void Freehand::extend(const QPoint& at)
{
    if (m_context.images.canvas().isNull()) {
        return;
    }
    draw(m_context.images.pen.penPosition, at);
}

void Freehand::draw(const QPoint& from, const QPoint& to)
{
    PenState& pen = m_context.images.pen;
    pen.penColour = m_context.colours.line();
    {
        QPainter painter(&m_context.images.canvas());
        painter.setPen(QPen(colourref::toQColor(pen.penColour), pen.penWidth, Qt::SolidLine,
                            Qt::RoundCap, Qt::RoundJoin));
        if (from == to) {
            painter.drawPoint(to);
        } else {
            painter.drawLine(from, to);
        }
    }
    pen.penPosition = to;
    if (m_context.canvasChanged) {
        m_context.canvasChanged();
    }
}
