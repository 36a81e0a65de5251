#include "edit/EditImages.h"

void EditImages::setCaptured(const QImage& image)
{
    m_captured = image.convertToFormat(QImage::Format_RGB32);
    m_canvas = m_captured;
    m_undo = QImage();
    m_drawText = QImage();
    m_undoAvailable = false;
}

void EditImages::TakeUndoSnapshot()
{
    m_undo = m_canvas;
    m_undoAvailable = true;
}

void EditImages::setUndoCopy()
{
    m_undo = m_canvas;
}

void EditImages::undo()
{
    if (m_undo.isNull()) {
        return;
    }
    m_canvas = m_undo;
    m_undoAvailable = false;
}

void EditImages::RestoreCaptured()
{
    m_canvas = m_captured;
    m_undo = m_captured;
    m_undoAvailable = false;
}

void EditImages::takeTextBase()
{
    m_drawText = m_canvas;
}
