#include "edit/ColourSwatch.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

ColourSwatch::ColourSwatch(const QString& objectName, const QString& accessibleName, QSize size,
                           QWidget* parent)
    : QAbstractButton(parent)
{
    setObjectName(objectName);
    setAccessibleName(accessibleName);
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(size);
}

void ColourSwatch::setColour(ColourRef colour)
{
    m_colour = colour;
    update();
}

void ColourSwatch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), colourref::toQColor(m_colour));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(2, 2, -2, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}
