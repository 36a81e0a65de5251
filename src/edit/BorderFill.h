#pragma once

#include "common/ColourRef.h"

#include <QRect>
#include <QSize>
#include <array>

class EditImages;
class ToolColours;

// The four edges a strip can run along, in the order the strips are drawn.
enum class BorderSide { Top, Bottom, Right, Left };

constexpr std::array<BorderSide, 4> kBorderSides{BorderSide::Top, BorderSide::Bottom,
                                                 BorderSide::Right, BorderSide::Left};

namespace borderfill {

constexpr int kMaxWidth = 200;

// The pixels the strip of `side` covers on an image of `size`. `value` is in
// thousandths of the image's height (top, bottom) or width (right, left), offset
// by 20: 20 or less covers nothing, 200 covers 180/1000 from the edge.
QRect stripRect(BorderSide side, int value, const QSize& size);

}  // namespace borderfill

// Solid strips in the fill colour along the four edges of the canvas, always
// redrawn over the undo copy so that they can be widened and narrowed freely.
class BorderFill
{
public:
    BorderFill(EditImages& images, const ToolColours& colours);

    int width(BorderSide side) const;
    // Sets one width (clamped to 0..200) and redraws when it changed; true then.
    bool setWidth(BorderSide side, int value);

    // The canvas := picUndo with the top, bottom, right and left strips on top.
    // Without an undo copy the strips are drawn over the canvas as it is.
    void RedrawBorderFill();

    // The widths to 0 in the order top, bottom, right, left; each change redraws.
    void resetWidths();
    // resetWidths, then everything drawn is cleared: the canvas is blank white and
    // the pen is back at the origin (the caller then puts an image on the canvas).
    void ResetBorderFill();

private:
    void DrawTopStrip(ColourRef colour);
    void drawStrip(BorderSide side, ColourRef colour);

    EditImages& m_images;
    const ToolColours& m_colours;
    std::array<int, 4> m_widths{};
};
