#pragma once

#include <QImage>
#include <functional>

class BorderFillPage;
class CompressionPage;
class FreehandPage;
class QTabWidget;
class QWidget;
class TextPage;
class ToolContext;
class WorkFolder;
struct PhoneModel;

// The main window's tabs: "画像の確認・保存" (the model, the saving page) and the four
// tool pages, each with its help text at the bottom; and the pages the window wires.
struct MainTabs
{
    QTabWidget* tabs = nullptr;  // SSTab1
    CompressionPage* compression = nullptr;
    BorderFillPage* fill = nullptr;
    FreehandPage* draw = nullptr;
    TextPage* text = nullptr;

    // The tabs of a window for `phone`; the saving page estimates `canvas` through
    // work files in `workFolder`.
    static MainTabs build(const PhoneModel& phone, ToolContext& context, WorkFolder& workFolder,
                          std::function<const QImage&()> canvas, QWidget* parent);
};
