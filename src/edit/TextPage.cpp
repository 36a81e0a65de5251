#include "edit/TextPage.h"

#include "common/ColourRef.h"
#include "common/Numbers.h"
#include "edit/ColourSwatch.h"
#include "edit/TextSurface.h"
#include "edit/ToolContext.h"
#include "platform/Dialogs.h"
#include "platform/PictureButton.h"

#include <QButtonGroup>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int kPositionMaximum = 500;
constexpr int kPositionPage = 10;

// The font button's icon: a letter drawn in the palette's text colour.
QIcon fontIcon(const QColor& ink)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QFont font(QString::fromUtf16(TextSurface::kFallbackFamily));
    font.setPixelSize(26);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(ink);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("A"));
    return QIcon(pixmap);
}

QLabel* fieldLabel(const QString& text, QWidget* field, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(field);
    field->setAccessibleName(text);
    return label;
}

// The up-down beside the size box: only its arrows show, the box beside it holds the text.
QSpinBox* makeUpDown(QWidget* parent)
{
    auto* upDown = new QSpinBox(parent);
    upDown->setObjectName(QStringLiteral("updnDrawFontSize"));
    upDown->setRange(textsize::kMinimum, textsize::kMaximum);
    upDown->setSingleStep(1);
    upDown->setValue(9);
    upDown->setAccessibleName(QStringLiteral("サイズ"));
    // The arrows and the keys step the value; the spin box's own text is neither shown
    // nor typed into.
    if (auto* ownText = upDown->findChild<QLineEdit*>()) {
        ownText->setReadOnly(true);
        ownText->hide();
    }
    QStyleOptionSpinBox option;
    option.initFrom(upDown);
    option.subControls = QStyle::SC_SpinBoxUp;
    const int arrows =
        upDown->style()
            ->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxUp, upDown)
            .width();
    upDown->setFixedWidth(arrows + 2 * upDown->style()->pixelMetric(QStyle::PM_SpinBoxFrameWidth));
    return upDown;
}

QScrollBar* positionBar(const QString& objectName, Qt::Orientation orientation,
                        const QString& description, QWidget* parent)
{
    auto* bar = new QScrollBar(orientation, parent);
    bar->setObjectName(objectName);
    bar->setRange(0, kPositionMaximum);
    bar->setSingleStep(1);
    bar->setPageStep(kPositionPage);
    // A dragged thumb moves the text when it is released.
    bar->setTracking(false);
    bar->setFocusPolicy(Qt::StrongFocus);
    bar->setAccessibleName(QStringLiteral("位置"));
    bar->setAccessibleDescription(description);
    return bar;
}

}  // namespace

TextPage::TextPage(ToolContext& context, QWidget* parent)
    : QWidget(parent), m_context(context), m_tool(context.images)
{
    m_tool.setLogicalDpi(logicalDpiY());
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buildLanguageRow());
    layout->addLayout(buildFieldRows());
    layout->addLayout(buildPositionRows());
    QPushButton* commit = makePictureButton(QStringLiteral("cmdDraw"), QStringLiteral(" 決定"),
                                            QStringLiteral("ok"), this);
    layout->addWidget(commit, 0, Qt::AlignRight);
    layout->addStretch();

    connect(m_text, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_tool.settings.text = text;
        RedrawTextPreview();
    });
    // The typed name is the font dialog's preset; the drawing font keeps the dialog's name.
    connect(m_fontName, &QLineEdit::textChanged, this, &TextPage::RedrawTextPreview);
    connect(m_size, &QLineEdit::textChanged, this, &TextPage::onSizeTextChanged);
    connect(m_upDown, &QSpinBox::valueChanged, this, &TextPage::onUpDownChanged);
    connect(m_left, &QScrollBar::valueChanged, this, &TextPage::onPositionChanged);
    connect(m_top, &QScrollBar::valueChanged, this, &TextPage::onPositionChanged);
    connect(m_colour, &ColourSwatch::clicked, this, &TextPage::openColourDialog);
    connect(commit, &QPushButton::clicked, this, [this] { m_tool.CommitText(); });
}

QLayout* TextPage::buildLanguageRow()
{
    auto* row = new QHBoxLayout;
    auto* japanese = new QRadioButton(QStringLiteral("日本語"), this);
    japanese->setObjectName(QStringLiteral("obtnDrawText0"));
    auto* alphanumeric = new QRadioButton(QStringLiteral("英数字・記号"), this);
    alphanumeric->setObjectName(QStringLiteral("obtnDrawText1"));
    auto* group = new QButtonGroup(this);
    group->addButton(japanese, 0);
    group->addButton(alphanumeric, 1);
    japanese->setChecked(true);
    // The choice applies from the next redraw.
    connect(group, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked) {
            m_tool.settings.language =
                id == 0 ? TextLanguage::Japanese : TextLanguage::Alphanumeric;
        }
    });
    row->addWidget(japanese);
    row->addWidget(alphanumeric);
    row->addStretch();
    return row;
}

QLayout* TextPage::buildFieldRows()
{
    auto* grid = new QGridLayout;
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("txtDrawText"));
    grid->addWidget(fieldLabel(QStringLiteral("文字列"), m_text, this), 0, 0);
    grid->addWidget(m_text, 0, 1, 1, 4);

    m_fontName = new QLineEdit(QStringLiteral("ＭＳ Ｐゴシック"), this);
    m_fontName->setObjectName(QStringLiteral("txtDrawFontName"));
    QPushButton* fontButton =
        makePictureButton(QStringLiteral("cmdDrawFont"), QString(), QString(), this);
    fontButton->setIcon(fontIcon(palette().color(QPalette::ButtonText)));
    fontButton->setAccessibleName(QStringLiteral("フォントの選択"));
    fontButton->setToolTip(QStringLiteral("フォントの選択"));
    grid->addWidget(fieldLabel(QStringLiteral("フォント"), m_fontName, this), 1, 0);
    grid->addWidget(m_fontName, 1, 1, 1, 3);
    grid->addWidget(fontButton, 1, 4);
    connect(fontButton, &QPushButton::clicked, this, &TextPage::openFontDialog);

    m_size = new QLineEdit(QStringLiteral("9"), this);
    m_size->setObjectName(QStringLiteral("txtDrawFontSize"));
    m_size->setMaximumWidth(48);
    m_upDown = makeUpDown(this);
    m_colour =
        new ColourSwatch(QStringLiteral("lblDrawColor"), QStringLiteral("色"), QSize(40, 22), this);
    m_colour->setColour(m_tool.settings.colour);
    auto* size = new QHBoxLayout;
    size->setSpacing(0);
    size->addWidget(m_size);
    size->addWidget(m_upDown);
    size->addSpacing(24);
    size->addWidget(fieldLabel(QStringLiteral("色"), m_colour, this));
    size->addSpacing(6);
    size->addWidget(m_colour);
    size->addStretch();
    grid->addWidget(fieldLabel(QStringLiteral("サイズ"), m_size, this), 2, 0);
    grid->addLayout(size, 2, 1, 1, 4);
    grid->setColumnStretch(1, 1);
    return grid;
}

QLayout* TextPage::buildPositionRows()
{
    auto* grid = new QGridLayout;
    m_left = positionBar(QStringLiteral("scrlDrawTextLeft"), Qt::Horizontal,
                         QStringLiteral("左端からの位置"), this);
    m_top = positionBar(QStringLiteral("scrlDrawTextTop"), Qt::Vertical,
                        QStringLiteral("上端からの位置"), this);
    m_top->setFixedHeight(72);
    auto* label = new QLabel(QStringLiteral("位置"), this);
    label->setBuddy(m_left);
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_left, 0, 1, Qt::AlignVCenter);
    grid->addWidget(m_top, 0, 2);
    grid->setColumnStretch(1, 1);
    return grid;
}

void TextPage::enterTab()
{
    // The text base is the canvas as the tab found it; the text in the box is drawn
    // over it at the next change, so that re-entering never doubles the preview.
}

void TextPage::RedrawTextPreview()
{
    m_tool.RedrawTextPreview();
    canvasChanged();
}

void TextPage::onSizeTextChanged(const QString& text)
{
    m_tool.settings.sizeText = text;
    if (const std::optional<int> value = textsize::upDownValueFor(text)) {
        m_upDown->setValue(*value);
    }
    RedrawTextPreview();
}

void TextPage::onUpDownChanged(int value)
{
    m_tool.settings.upDownValue = value;
    m_size->setText(QString::number(value));
}

void TextPage::onPositionChanged()
{
    m_tool.settings.position = QPoint(m_left->value(), m_top->value());
    m_tool.redrawAtNewPosition();
    canvasChanged();
}

void TextPage::openFontDialog()
{
    // The dialog starts from the boxes and from a font that is neither bold nor
    // italic; a cancelled dialog keeps exactly that.
    FontChoice& dialog = m_tool.settings.font;
    dialog = {m_fontName->text(), false, false};
    QFont initial(dialog.name);
    initial.setPointSizeF(textsize::pointSize(m_size->text(), m_upDown->value()));
    const std::optional<QFont> chosen = m_context.dialogs.chooseFont(this, initial);
    if (!chosen) {
        return;
    }
    double points = chosen->pointSizeF();
    if (points <= 0) {
        points = chosen->pixelSize() * 72.0 / logicalDpiY();
    }
    dialog = {chosen->family(), chosen->bold(), chosen->italic()};
    m_fontName->setText(dialog.name);
    QFont display = m_fontName->font();
    display.setFamily(dialog.name);
    m_fontName->setFont(display);
    m_size->setText(QString::number(points));
    m_upDown->setValue(static_cast<int>(numbers::roundHalfEven(points)));
}

void TextPage::openColourDialog()
{
    const std::optional<QColor> chosen =
        m_context.dialogs.chooseColour(this, colourref::toQColor(m_tool.settings.colour));
    if (chosen) {
        m_tool.settings.colour = colourref::fromQColor(*chosen);
    }
    m_colour->setColour(m_tool.settings.colour);
    RedrawTextPreview();
}

void TextPage::canvasChanged()
{
    if (m_context.canvasChanged) {
        m_context.canvasChanged();
    }
}
