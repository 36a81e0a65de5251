#include "edit/LightingPage.h"

#include "edit/EditImages.h"
#include "edit/LPSLighting.h"
#include "edit/LPSPixels.h"
#include "edit/LightingRun.h"
#include "edit/ToolContext.h"
#include "platform/PictureButton.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <chrono>
#include <utility>

namespace {

constexpr int kLimit = 100;
constexpr int kPageStep = 10;
// Work between two turns of the event loop: short enough that the window answers at
// once, long enough that serving the events costs little next to the pixels.
constexpr std::chrono::milliseconds kSlice{4};

}  // namespace

LightingPage::LightingPage(ToolContext& context, QWidget* parent)
    : QWidget(parent), m_context(context)
{
    auto* grid = new QGridLayout;
    m_brightness = addSlider(grid, 0, QStringLiteral("明るさ"));
    m_brightness->setObjectName(QStringLiteral("Slider1_0"));
    addReset(grid, 0, QStringLiteral("Command1"), m_brightness);
    m_contrast = addSlider(grid, 1, QStringLiteral("コントラスト"));
    m_contrast->setObjectName(QStringLiteral("Slider1_1"));
    addReset(grid, 1, QStringLiteral("Command2"), m_contrast);
    grid->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch();

    m_slices.setInterval(0);
    connect(&m_slices, &QTimer::timeout, this, &LightingPage::runSlice);
}

LightingPage::~LightingPage()
{
    finish();
}

QSlider* LightingPage::addSlider(QGridLayout* grid, int row, const QString& label)
{
    auto* slider = new QSlider(Qt::Horizontal, this);
    slider->setAccessibleName(label);
    slider->setRange(-kLimit, kLimit);
    slider->setSingleStep(1);
    slider->setPageStep(kPageStep);
    slider->setValue(0);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(kPageStep);
    // The value settles when the thumb is released, not while it is dragged.
    slider->setTracking(false);
    slider->installEventFilter(this);
    connect(slider, &QSlider::valueChanged, this, &LightingPage::requestLighting);

    auto* caption = new QLabel(label, this);
    caption->setBuddy(slider);
    grid->addWidget(caption, row, 0);
    grid->addWidget(slider, row, 1);
    return slider;
}

void LightingPage::addReset(QGridLayout* grid, int row, const QString& name, QSlider* slider)
{
    QPushButton* reset =
        makePictureButton(name, QStringLiteral("リセット"), QStringLiteral("restore"), this);
    grid->addWidget(reset, row, 2);
    // Also when the slider is already at 0: the canvas is recomputed all the same.
    connect(reset, &QPushButton::clicked, this, [this, slider] {
        slider->setValue(0);
        requestLighting();
    });
}

bool LightingPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && (watched == m_brightness || watched == m_contrast)) {
        // Switching to another program or opening a menu does not count as leaving.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            requestLighting();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void LightingPage::requestLighting()
{
    if (m_requested) {
        return;
    }
    m_requested = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_requested = false;
            ApplyLighting();
        },
        Qt::QueuedConnection);
}

LightingPage::Values LightingPage::values() const
{
    return {m_brightness->value(), m_contrast->value()};
}

bool LightingPage::isBusy() const
{
    return m_run != nullptr;
}

void LightingPage::ApplyLighting()
{
    const QImage& captured = m_context.images.picCaptured();
    if (captured.isNull()) {
        return;
    }
    if (!m_run) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);  // until finish()
    }
    const Values wanted = values();
    m_run.reset();  // before its tables change
    LPSLighting::fillShifted(LPSLighting::lightingTable(wanted.brightness, wanted.contrast),
                             m_tables);
    m_run = std::make_unique<LightingRun>(captured, m_tables, std::exchange(m_spare, QImage()));
    m_canvasBefore = m_context.images.canvas().cacheKey();
    m_slices.start();
}

void LightingPage::runSlice()
{
    if (!m_run) {
        m_slices.stop();
        return;
    }
    if (!m_run->step(kSlice)) {
        return;  // the event loop serves the user, then the next slice follows
    }
    EditImages& images = m_context.images;
    // Undo, the return to the captured image or a stroke made meanwhile is newer than
    // this result.
    if (images.canvas().cacheKey() == m_canvasBefore && !m_run->result().isNull()) {
        QImage& canvas = images.canvas();
        if (canvas.size() == m_run->result().size()) {
            QImage replaced = std::exchange(canvas, m_run->result());  // shared, not copied
            if (replaced.isDetached()) {
                m_spare = std::move(replaced);  // the next result's memory
            }
        } else {
            LPSPixels::SetPixels(canvas, LPSPixels::GetPixels(m_run->result()));
        }
        if (m_context.canvasChanged) {
            m_context.canvasChanged();
        }
    }
    finish();
    emit lightingFinished();
}

void LightingPage::finish()
{
    m_slices.stop();
    if (m_run) {
        QGuiApplication::restoreOverrideCursor();
        m_run.reset();
    }
}
