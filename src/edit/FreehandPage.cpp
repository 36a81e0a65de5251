#include "edit/FreehandPage.h"

#include "common/ColourRef.h"
#include "edit/ColourSwatch.h"
#include "edit/EditImages.h"
#include "edit/ToolColours.h"
#include "edit/ToolContext.h"
#include "platform/Dialogs.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int kMinWidth = 1;
constexpr int kMaxWidth = 99;
constexpr QSize kSwatchSize(40, 20);

QLabel* caption(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

FreehandPage::FreehandPage(ToolContext& context, QWidget* parent)
    : QWidget(parent), m_context(context), m_freehand(context)
{
    m_swatch = new ColourSwatch(QStringLiteral("lblLineColor"), QStringLiteral("線の色"),
                                kSwatchSize, this);

    // The up-down with its text box: the box always shows the value.
    m_width = new QSpinBox(this);
    m_width->setObjectName(QStringLiteral("UpDown1"));
    m_width->setAccessibleName(QStringLiteral("線の太さ"));
    m_width->setRange(kMinWidth, kMaxWidth);
    m_width->setSingleStep(1);
    m_width->setValue(kMinWidth);
    if (auto* box = m_width->findChild<QLineEdit*>()) {
        box->setObjectName(QStringLiteral("txtLineSize"));
        box->setAccessibleName(QStringLiteral("線の太さ"));
    }

    auto* grid = new QGridLayout;
    grid->addWidget(caption(QStringLiteral("線の色"), m_swatch, this), 0, 0);
    grid->addWidget(m_swatch, 0, 1, Qt::AlignLeft);
    grid->addWidget(caption(QStringLiteral("線の太さ"), m_width, this), 1, 0);
    grid->addWidget(m_width, 1, 1, Qt::AlignLeft);
    grid->setColumnStretch(2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch();

    setLineWidth(m_width->value());
    m_swatch->setColour(m_context.colours.line());
    connect(m_swatch, &ColourSwatch::clicked, this, &FreehandPage::chooseLineColour);
    connect(m_width, &QSpinBox::valueChanged, this, &FreehandPage::setLineWidth);
    connect(&m_context.colours, &ToolColours::lineChanged, m_swatch, &ColourSwatch::setColour);
}

void FreehandPage::chooseLineColour()
{
    const std::optional<QColor> chosen =
        m_context.dialogs.chooseColour(this, colourref::toQColor(m_context.colours.line()));
    if (chosen) {
        m_context.colours.setLine(colourref::fromQColor(*chosen));
    }
}

void FreehandPage::setLineWidth(int width)
{
    m_context.images.pen.penWidth = width;
}
