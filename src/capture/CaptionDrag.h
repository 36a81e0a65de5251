#pragma once

#include <QPoint>

class QMouseEvent;
class QWidget;

// Moves a frameless window while its caption bar is dragged with the left button:
// through the window manager where it can, else by following the cursor.
class CaptionDrag
{
public:
    // The press starts a drag when it is the left button on the caption.
    void press(QWidget& window, const QMouseEvent& event, bool onCaption);
    void move(QWidget& window, const QMouseEvent& event) const;
    void release(const QMouseEvent& event);

private:
    bool m_dragging = false;
    QPoint m_offset;  // cursor position within the window while dragging
};
