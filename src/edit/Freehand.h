#pragma once

#include "edit/CanvasRouter.h"

class QPoint;
struct ToolContext;

// Freehand drawing on the canvas: a press puts a dot, each move with the left button held
// draws a segment from the pen position. A round pen of the canvas's pen width, in the
// line colour as it is at the moment of drawing. Every stroke starts with an undo snapshot.
class Freehand final : public StrokeTool
{
public:
    explicit Freehand(ToolContext& context) : m_context(context) {}

    void start(const QPoint& at) override;   // StartStroke
    void extend(const QPoint& at) override;  // ContinueStroke

private:
    void draw(const QPoint& from, const QPoint& to);

    ToolContext& m_context;
};
