#pragma once

#include "common/ColourRef.h"

#include <QImage>
#include <QPoint>

// The drawing state shared by the edit tools.
struct PenState
{
    ColourRef penColour = 0;
    int penWidth = 1;
    ColourRef fillColour = 0;
    QPoint penPosition;
};

// The four phone-size images of the edit state, all Format_RGB32: the canvas
// (shown, saved, drawn on), the capture as delivered, the one-level undo copy
// and the text tool's base image.
class EditImages
{
public:
    // A new capture: the canvas and the captured copy take it; undo and text base are cleared.
    void setCaptured(const QImage& image);

    QImage& canvas() { return m_canvas; }
    const QImage& canvas() const { return m_canvas; }
    const QImage& picCaptured() const { return m_captured; }
    const QImage& picUndo() const { return m_undo; }
    const QImage& picDrawText() const { return m_drawText; }
    bool undoAvailable() const { return m_undoAvailable; }

    // Copies the canvas into the undo image and enables undo.
    void TakeUndoSnapshot();
    // Copies the canvas into the undo image, leaving the undo availability as it was.
    void setUndoCopy();
    // Puts the undo image back on the canvas and disables undo; nothing without an undo image.
    void undo();
    // Puts the captured image back on the canvas and in the undo image; disables undo.
    void RestoreCaptured();
    // Keeps the canvas as the base the text tool draws its preview on.
    void takeTextBase();

    PenState pen;

private:
    QImage m_canvas;
    QImage m_captured;
    QImage m_undo;
    QImage m_drawText;
    bool m_undoAvailable = false;
};
