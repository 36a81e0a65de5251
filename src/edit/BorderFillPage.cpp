#include "edit/BorderFillPage.h"

#include "edit/ColourPicker.h"
#include "edit/ColourSwatch.h"
#include "edit/ToolColours.h"
#include "edit/ToolContext.h"
#include "platform/Dialogs.h"
#include "platform/PictureButton.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

struct SideText
{
    const char* valueLabel;
    const char* bar;
    const char16_t* direction;
};
constexpr std::array<SideText, 4> kSideTexts{{
    {"Label11", "HScroll1", u"上"},
    {"Label12", "HScroll2", u"下"},
    {"Label13", "HScroll3", u"右"},
    {"Label14", "HScroll4", u"左"},
}};

constexpr QSize kSwatchSize(40, 20);

// The live colour, shown as a label's background.
void showColour(QWidget* swatch, ColourRef colour)
{
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window, colourref::toQColor(colour));
    swatch->setPalette(palette);
    swatch->update();
}

// The ON button's picture: cross hairs, as the pointer shows while picking.
QIcon crossIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(8, 1, 8, 15);
    painter.drawLine(1, 8, 15, 8);
    painter.drawEllipse(QPoint(8, 8), 4, 4);
    return QIcon(pixmap);
}

QString widthText(const char16_t* direction, int value)
{
    // The blank is the sign place of a non-negative number.
    return QString::fromUtf16(direction) + QLatin1Char(' ') + QString::number(value);
}

}  // namespace

BorderFillPage::BorderFillPage(ToolContext& context, QWidget* parent)
    : QWidget(parent), m_context(context), m_fill(context.images, context.colours)
{
    const auto redraw = [this] { redrawStrips(); };
    m_picker = new ColourPicker(context, redraw, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    buildWidthRows(layout);
    buildColourRow(layout);
    buildPickRow(layout);
    layout->addStretch(1);

    showWidths();
    m_swatch->setColour(context.colours.fill());
    showPickMode(false);
    connect(&context.colours, &ToolColours::fillChanged, m_swatch, &ColourSwatch::setColour);
    connect(m_picker, &ColourPicker::pickModeChanged, this, &BorderFillPage::showPickMode);
    connect(m_picker, &ColourPicker::liveColourChanged, m_live,
            [this](ColourRef colour) { showColour(m_live, colour); });
}

BorderFillPage::~BorderFillPage() = default;

void BorderFillPage::buildWidthRows(QVBoxLayout* column)
{
    auto* grid = new QGridLayout;
    const int valueWidth = fontMetrics().horizontalAdvance(widthText(u"上", 200)) + 8;
    for (std::size_t i = 0; i < kSideTexts.size(); ++i) {
        const SideText& text = kSideTexts[i];
        auto* value = new QLabel(this);
        value->setObjectName(QLatin1String(text.valueLabel));
        value->setMinimumWidth(valueWidth);
        auto* bar = new QScrollBar(Qt::Horizontal, this);
        bar->setObjectName(QLatin1String(text.bar));
        bar->setAccessibleName(QString::fromUtf16(text.direction));
        bar->setRange(0, borderfill::kMaxWidth);
        bar->setSingleStep(1);
        bar->setPageStep(10);
        bar->setTracking(false);  // a dragged thumb counts when it is released
        bar->setFocusPolicy(Qt::StrongFocus);
        value->setBuddy(bar);
        const int row = static_cast<int>(i);
        grid->addWidget(value, row, 0);
        grid->addWidget(bar, row, 1);
        m_values[i] = value;
        m_bars[i] = bar;
        const BorderSide side = kBorderSides[i];
        connect(bar, &QScrollBar::valueChanged, this,
                [this, side](int v) { onWidthChosen(side, v); });
    }
    grid->setColumnStretch(1, 1);
    column->addLayout(grid);
}

void BorderFillPage::buildColourRow(QVBoxLayout* column)
{
    auto* row = new QHBoxLayout;
    auto* caption = new QLabel(QStringLiteral("塗りつぶす色"), this);
    m_swatch = new ColourSwatch(QStringLiteral("lblColor"), caption->text(), kSwatchSize, this);
    caption->setBuddy(m_swatch);
    row->addWidget(caption);
    row->addWidget(m_swatch);
    row->addStretch(1);
    column->addLayout(row);
    connect(m_swatch, &ColourSwatch::clicked, this, &BorderFillPage::chooseFillColour);
}

void BorderFillPage::buildPickRow(QVBoxLayout* column)
{
    auto* caption = new QLabel(QStringLiteral("色の取得"), this);
    m_pickOn = makePictureButton(QStringLiteral("cmdGetcolor1"), QString(), QString(), this);
    m_pickOn->setIcon(crossIcon());
    m_pickOn->setAccessibleName(caption->text());
    caption->setBuddy(m_pickOn);
    m_pickOff = new QPushButton(QStringLiteral("OFF"), this);
    m_pickOff->setObjectName(QStringLiteral("cmdGetcolor2"));
    m_pickOff->setAccessibleName(QStringLiteral("OFF"));
    m_pickOff->setAutoDefault(false);
    m_live = new QLabel(this);
    m_live->setObjectName(QStringLiteral("lblColor2"));
    m_live->setAccessibleName(QStringLiteral("取得する色"));
    m_live->setFixedSize(kSwatchSize);
    m_live->setFrameShape(QFrame::Box);
    m_live->setAutoFillBackground(true);

    auto* row = new QHBoxLayout;
    row->addWidget(m_pickOn);
    row->addWidget(m_pickOff);
    row->addWidget(m_live);
    row->addStretch(1);
    column->addWidget(caption);
    column->addLayout(row);
    connect(m_pickOn, &QPushButton::clicked, m_picker, &ColourPicker::PickOn);
    connect(m_pickOff, &QPushButton::clicked, m_picker, &ColourPicker::PickOff);
}

PickTool& BorderFillPage::picker()
{
    return *m_picker;
}

void BorderFillPage::resetWidths()
{
    m_fill.resetWidths();
    showWidths();
    canvasChanged();
}

void BorderFillPage::ResetBorderFill()
{
    m_fill.ResetBorderFill();
    showWidths();
    canvasChanged();
}

void BorderFillPage::onWidthChosen(BorderSide side, int value)
{
    if (m_fill.setWidth(side, value)) {
        showWidths();
        canvasChanged();
    }
}

void BorderFillPage::chooseFillColour()
{
    const std::optional<QColor> chosen =
        m_context.dialogs.chooseColour(this, colourref::toQColor(m_context.colours.fill()));
    if (chosen && chosen->isValid()) {
        m_context.colours.setFill(colourref::fromQColor(*chosen));
    }
    redrawStrips();
}

void BorderFillPage::redrawStrips()
{
    m_fill.RedrawBorderFill();
    canvasChanged();
}

// The value labels and the scroll bars follow the widths of the strips.
void BorderFillPage::showWidths()
{
    for (std::size_t i = 0; i < kBorderSides.size(); ++i) {
        const int value = m_fill.width(kBorderSides[i]);
        m_values[i]->setText(widthText(kSideTexts[i].direction, value));
        const QSignalBlocker block(m_bars[i]);
        m_bars[i]->setValue(value);
    }
}

void BorderFillPage::showPickMode(bool on)
{
    m_pickOn->setEnabled(!on);
    m_pickOff->setEnabled(on);
    m_live->setVisible(on);
}

void BorderFillPage::canvasChanged()
{
    if (m_context.canvasChanged) {
        m_context.canvasChanged();
    }
}
