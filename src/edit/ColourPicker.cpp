#include "edit/ColourPicker.h"

#include "edit/EditImages.h"
#include "edit/ToolColours.h"
#include "edit/ToolContext.h"

ColourPicker::ColourPicker(ToolContext& context, std::function<void()> redrawStrips,
                           QObject* parent)
    : QObject(parent), m_context(context), m_redrawStrips(std::move(redrawStrips))
{
}

void ColourPicker::PickOn()
{
    m_on = true;
    if (m_context.setPickPointer) {
        m_context.setPickPointer(true);
    }
    emit pickModeChanged(true);
}

void ColourPicker::PickOff()
{
    m_on = false;
    if (m_context.setPickPointer) {
        m_context.setPickPointer(false);
    }
    emit pickModeChanged(false);
}

void ColourPicker::ReadPickColour(const QPoint& at)
{
    const QImage& canvas = m_context.images.canvas();
    if (!canvas.valid(at)) {
        return;
    }
    const QRgb pixel = canvas.pixel(at);
    m_live = colourref::make(qRed(pixel), qGreen(pixel), qBlue(pixel));
    emit liveColourChanged(m_live);
}

void ColourPicker::CommitPickedColour()
{
    const ColourRef colour = m_live;
    m_context.colours.setFill(colour);
    m_context.colours.setLine(colour);
    PickOff();
    if (m_redrawStrips) {
        m_redrawStrips();
    }
}
