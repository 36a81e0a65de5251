#include "edit/LightingPage.h"

#include "common/PictureButton.h"
#include "edit/EditImages.h"
#include "edit/LPSLighting.h"
#include "edit/LPSPixels.h"
#include "edit/ToolContext.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {

constexpr int kLimit = 100;
constexpr int kPageStep = 10;

// The busy pointer over the program's windows while it lives.
class BusyPointer
{
public:
    BusyPointer() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QGuiApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

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

void LightingPage::ApplyLighting()
{
    if (m_running || m_context.images.picCaptured().isNull()) {
        // A running computation notices new values after its current row.
        return;
    }
    const QPointer<LightingPage> alive(this);
    const BusyPointer busy;
    m_running = true;
    for (;;) {
        const bool finished = runOnce(values(), alive);
        if (!alive) {
            return;  // the page went away while events were served
        }
        if (finished) {
            break;
        }
    }
    m_running = false;
}

bool LightingPage::runOnce(const Values& wanted, const QPointer<LightingPage>& alive)
{
    EditImages& images = m_context.images;
    const qint64 canvasBefore = images.canvas().cacheKey();
    PixelBuffer buffer = LPSPixels::GetPixels(images.picCaptured());
    const LPSLighting::ChannelTable table =
        LPSLighting::lightingTable(wanted.brightness, wanted.contrast);
    const bool finished = LPSLighting::applyTable(buffer, table, 0, 0, 0, 0, [&] {
        QCoreApplication::processEvents();
        return alive && values() == wanted;
    });
    if (!finished) {
        return false;
    }
    // Undo, the return to the captured image or a stroke made meanwhile is newer than
    // this result.
    if (images.canvas().cacheKey() == canvasBefore) {
        LPSPixels::SetPixels(images.canvas(), buffer);
        if (m_context.canvasChanged) {
            m_context.canvasChanged();
        }
    }
    return true;
}
