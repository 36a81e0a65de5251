#pragma once

#include <QWidget>

// The help popup of the history window: nine lines on how the history is used and
// an illustration of pasting a path into an upload form. Borderless, in the
// colours of a tooltip, not in the taskbar.
class frmHelp : public QWidget
{
    Q_OBJECT

public:
    explicit frmHelp(QWidget* parent);
};
