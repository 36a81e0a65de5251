#pragma once

#include <QPointer>
#include <QWidget>

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

    // The canvas := the captured image, brightened and then contrasted by the sliders'
    // values, under the busy pointer, serving events after every row. A value change that
    // arrives meanwhile stops the computation, which starts again with the newest values;
    // a result is dropped when the canvas was changed by something else in the meantime.
    void ApplyLighting();

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
    bool runOnce(const Values& wanted, const QPointer<LightingPage>& alive);

    ToolContext& m_context;
    QSlider* m_brightness = nullptr;
    QSlider* m_contrast = nullptr;
    bool m_running = false;
    bool m_requested = false;
};
