#pragma once

#include "common/ColourRef.h"
#include "edit/CanvasRouter.h"

#include <QObject>
#include <functional>

struct ToolContext;

// Takes a colour from the canvas image: while picking is on, the pointer shows the
// colour under it in the live swatch, and a press of any button makes that colour
// both the fill colour and the line colour, switches picking off and redraws the
// border strips.
class ColourPicker : public QObject, public PickTool
{
    Q_OBJECT

public:
    ColourPicker(ToolContext& context, std::function<void()> redrawStrips,
                 QObject* parent = nullptr);

    bool isOn() const override { return m_on; }
    void switchOff() override { PickOff(); }
    void commit(const QPoint&) override { CommitPickedColour(); }
    void follow(const QPoint& at) override { ReadPickColour(at); }

    // The colour the live swatch shows; it stays from one picking to the next.
    ColourRef liveColour() const { return m_live; }

    void PickOn();
    void PickOff();
    // The live colour := the canvas pixel at `at`; a point off the image changes nothing.
    void ReadPickColour(const QPoint& at);
    // Commits the live colour (the one shown by the last move, not the pixel under the press).
    void CommitPickedColour();

signals:
    void pickModeChanged(bool on);
    void liveColourChanged(ColourRef colour);

private:
    ToolContext& m_context;
    std::function<void()> m_redrawStrips;
    bool m_on = false;
    ColourRef m_live = colourref::kBlack;
};
