#pragma once

#include <QPoint>
#include <Qt>

// The tools that take mouse input on the canvas.
class PickTool
{
public:
    virtual ~PickTool() = default;
    virtual bool isOn() const = 0;
    virtual void switchOff() = 0;
    virtual void commit(const QPoint& at) = 0;  // any button pressed while picking
    virtual void follow(const QPoint& at) = 0;  // the pointer moved while picking
};

class StrokeTool
{
public:
    virtual ~StrokeTool() = default;
    virtual void start(const QPoint& at) = 0;   // left button pressed on the drawing tab
    virtual void extend(const QPoint& at) = 0;  // moved with exactly the left button held
};

// Which tool the mouse serves on the canvas: colour picking first (whatever the
// tab), then freehand drawing on the drawing tab with exactly the left button.
class CanvasRouter
{
public:
    static constexpr int kDrawingTab = 3;

    CanvasRouter(PickTool& pick, StrokeTool& stroke) : m_pick(pick), m_stroke(stroke) {}

    void pressed(int tab, Qt::MouseButton button, const QPoint& at)
    {
        if (m_pick.isOn()) {
            m_pick.commit(at);
        }
        if (tab == kDrawingTab && button == Qt::LeftButton) {
            m_stroke.start(at);
        }
    }

    void moved(int tab, Qt::MouseButtons buttons, const QPoint& at)
    {
        if (m_pick.isOn()) {
            m_pick.follow(at);
        }
        if (tab == kDrawingTab && buttons == Qt::LeftButton) {
            m_stroke.extend(at);
        }
    }

private:
    PickTool& m_pick;
    StrokeTool& m_stroke;
};
