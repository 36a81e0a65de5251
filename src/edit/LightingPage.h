#pragma once

#include "edit/LPSLighting.h"

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <memory>

class LightingRun;
class QGridLayout;
class QSlider;
struct ToolContext;

// The page "色調補正": the brightness and contrast sliders with their reset buttons. The
// canvas is recomputed from the captured image whenever a slider settles on a value,
// loses the focus, or is reset.
class LightingPage : public QWidget
{
    Q_OBJECT

public:
    explicit LightingPage(ToolContext& context, QWidget* parent = nullptr);
    ~LightingPage() override;

    // Starts the computation: the canvas := the captured image, brightened and then
    // contrasted by the sliders' values. It runs under the busy pointer on a helper
    // thread and in slices of a few milliseconds from the event loop, which serves the
    // user's events between them. A new request starts it again with the newest values; a result is
    // dropped when the canvas was changed by something else in the meantime.
    void ApplyLighting();

    // A computation is under way.
    bool isBusy() const;

signals:
    // The computation has ended (its result on the canvas, or dropped).
    void lightingFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Values
    {
        int brightness = 0;
        int contrast = 0;
        bool operator==(const Values&) const = default;
    };

    QSlider* addSlider(QGridLayout* grid, int row, const QString& label);
    void addReset(QGridLayout* grid, int row, const QString& name, QSlider* slider);
    // Runs ApplyLighting once control is back in the event loop; requests made before
    // then are served by that one run.
    void requestLighting();
    Values values() const;
    void runSlice();
    void finish();

    ToolContext& m_context;
    QSlider* m_brightness = nullptr;
    QSlider* m_contrast = nullptr;
    bool m_requested = false;
    QTimer m_slices;                      // zero interval: one slice per turn of the event loop
    std::unique_ptr<LightingRun> m_run;   // the computation under way, if any
    LPSLighting::ShiftedTables m_tables;  // its tables, kept from run to run
    QImage m_spare;                       // the canvas a result replaced, when nothing else held it
    qint64 m_canvasBefore = 0;            // the canvas when it started
};
