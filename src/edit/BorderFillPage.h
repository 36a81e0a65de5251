#pragma once

#include "common/ColourRef.h"
#include "edit/BorderFill.h"

#include <QWidget>
#include <array>

class ColourPicker;
class ColourSwatch;
class PickTool;
class QLabel;
class QPushButton;
class QScrollBar;
class QVBoxLayout;
struct ToolContext;

// The tab "塗りつぶし": the four strip widths with their value labels, the fill
// colour swatch and its dialog, and colour picking with its live swatch.
class BorderFillPage : public QWidget
{
    Q_OBJECT

public:
    BorderFillPage(ToolContext& context, QWidget* parent = nullptr);
    ~BorderFillPage() override;

    // What the canvas routes the mouse to while picking.
    PickTool& picker();

    // The four widths to 0 in the order top, bottom, right, left, each change
    // redrawing from picUndo: the canvas ends equal to picUndo.
    void resetWidths();
    // resetWidths, then everything drawn on the canvas is cleared.
    void ResetBorderFill();

private:
    void buildWidthRows(QVBoxLayout* column);
    void buildColourRow(QVBoxLayout* column);
    void buildPickRow(QVBoxLayout* column);
    void onWidthChosen(BorderSide side, int value);
    void chooseFillColour();
    void redrawStrips();
    void showWidths();
    void showPickMode(bool on);
    void canvasChanged();

    ToolContext& m_context;
    BorderFill m_fill;
    ColourPicker* m_picker = nullptr;

    std::array<QScrollBar*, 4> m_bars{};
    std::array<QLabel*, 4> m_values{};
    ColourSwatch* m_swatch = nullptr;
    QPushButton* m_pickOn = nullptr;
    QPushButton* m_pickOff = nullptr;
    QLabel* m_live = nullptr;
};
