#pragma once

#include "capture/CaptureScale.h"

#include <QDialog>

class Dialogs;
class LiveCapture;
class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;
struct SelectionState;

// The capture-scale dialog: how the desktop area relates to the phone's screen,
// and the confirm that starts the live capture. Hidden, never destroyed, so the
// scale survives a capture.
class frmZoom : public QDialog
{
    Q_OBJECT

public:
    frmZoom(SelectionState& selection, Dialogs& dialogs, LiveCapture& liveCapture,
            QWidget* parent = nullptr);
    ~frmZoom() override;

    // The scale as the controls show it.
    CaptureScale captureScale() const;

    // " 決定": works out the working size, checks it and starts the live capture.
    void confirm();

    // Back from editing (" 再度取り込み"): shown again, idle, with its values.
    void captureAgain();

signals:
    void backRequested();
    void endRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void buildControls();
    void onScalingToggled(bool enabled);
    void onModeChosen();
    void onSliderChanged(QScrollBar* slider, QLabel* number);
    void setShrinkSideEnabled(bool enabled);
    void setEnlargeSideEnabled(bool enabled);
    void showDefaultHelp();

    SelectionState& m_selection;
    Dialogs& m_dialogs;
    LiveCapture& m_liveCapture;

    QCheckBox* m_scaling = nullptr;
    QRadioButton* m_shrink = nullptr;
    QRadioButton* m_enlarge = nullptr;
    QScrollBar* m_shrinkSlider = nullptr;
    QScrollBar* m_enlargeSlider = nullptr;
    QLabel* m_shrinkNumber = nullptr;
    QLabel* m_enlargeNumber = nullptr;
    QLabel* m_shrinkUnit = nullptr;
    QLabel* m_enlargeUnit = nullptr;
    QLabel* m_help = nullptr;
};
