#pragma once

#include "edit/Freehand.h"

#include <QWidget>

class ColourSwatch;
class QSpinBox;
struct ToolContext;

// The page "絵を描く": the line colour swatch with its colour dialog and the line width.
// The drawing itself is the Freehand tool, which the main window feeds the canvas mouse.
class FreehandPage : public QWidget
{
    Q_OBJECT

public:
    explicit FreehandPage(ToolContext& context, QWidget* parent = nullptr);

    StrokeTool& stroke() { return m_freehand; }

private:
    void chooseLineColour();
    void setLineWidth(int width);

    ToolContext& m_context;
    Freehand m_freehand;
    ColourSwatch* m_swatch = nullptr;
    QSpinBox* m_width = nullptr;
};
