#pragma once

#include <functional>

class Dialogs;
class EditImages;
class ToolColours;

// What every tool page works with: the edit images, the dialogs, the shared
// colours, and the main window's canvas.
struct ToolContext
{
    EditImages& images;
    Dialogs& dialogs;
    ToolColours& colours;
    std::function<void()> canvasChanged;       // the canvas image changed: repaint it
    std::function<void(bool)> setPickPointer;  // the cross pointer on the canvas, or the default
};
