#include "capture/frmZoom.h"

#include "capture/CaptureScreen.h"
#include "capture/LiveCapture.h"
#include "capture/ScreenFit.h"
#include "common/Numbers.h"
#include "common/SelectionState.h"
#include "platform/Dialogs.h"
#include "platform/Labels.h"
#include "platform/PictureButton.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString kDefaultHelp = QStringLiteral(
    "OKをクリックした後でも拡大・縮小の倍率を変えれば依存のウィンドウは自動的に消えます。\n"
    "ソフトが重くてスムーズに動かない場合は縮小を1.02くらいにすれば動作が軽くなる場合があります。");
const QString kCaptureHelp = QStringLiteral(
    "ルーペウィンドウを待ち受け画像にしたい箇所に移動してキーボードのEnterキーを押してください。\n"
    "実際に待ち受け画像になるのはプレビューウィンドウに表示されている画像です。");

QScrollBar* makeSlider(const QString& objectName, int maximum, const QString& accessibleName,
                       QWidget* parent)
{
    auto* slider = new QScrollBar(Qt::Horizontal, parent);
    slider->setObjectName(objectName);
    slider->setAccessibleName(accessibleName);
    slider->setRange(CaptureScale::kMinValue, maximum);
    slider->setSingleStep(1);
    slider->setPageStep(10);
    slider->setValue(CaptureScale::kMinValue);
    slider->setFocusPolicy(Qt::StrongFocus);
    // Right arrow moves the thumb right, to a larger factor.
    slider->setInvertedControls(false);
    slider->setMinimumWidth(260);
    return slider;
}

}  // namespace

frmZoom::frmZoom(SelectionState& selection, Dialogs& dialogs, LiveCapture& liveCapture,
                 QWidget* parent)
    : QDialog(parent), m_selection(selection), m_dialogs(dialogs), m_liveCapture(liveCapture)
{
    setObjectName(QStringLiteral("frmZoom"));
    setWindowTitle(QStringLiteral("Sorakado"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    buildControls();
    // A live capture that cannot run says why; the dialog stays for another try.
    connect(&m_liveCapture, &LiveCapture::failed, this,
            [this](const QString& message) { m_dialogs.information(this, message); });

    // Opening: the shrink side is live, the enlarge side waits for its option.
    setEnlargeSideEnabled(false);
    showDefaultHelp();
    setFixedSize(sizeHint());
}

frmZoom::~frmZoom() = default;

void frmZoom::buildControls()
{
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(16, 14, 16, 14);

    root->addWidget(
        makeHeading(QStringLiteral("拡大・縮小サイズの設定"), QStringLiteral("lblTitle"), this));
    root->addWidget(makeLabel(QStringLiteral("取り込む画像を拡大・縮小します。"),
                              QStringLiteral("lblLead"), this));
    root->addSpacing(8);

    m_scaling = new QCheckBox(QStringLiteral("拡大・縮小する"), this);
    m_scaling->setObjectName(QStringLiteral("Check1"));
    m_scaling->setChecked(true);
    root->addWidget(m_scaling);

    m_shrink = new QRadioButton(QStringLiteral("縮小する"), this);
    m_shrink->setObjectName(QStringLiteral("Option1_0"));
    m_shrink->setChecked(true);
    m_enlarge = new QRadioButton(QStringLiteral("拡大する"), this);
    m_enlarge->setObjectName(QStringLiteral("Option1_1"));
    m_shrinkSlider = makeSlider(QStringLiteral("HScroll1"), CaptureScale::kMaxShrink,
                                QStringLiteral("縮小する 分の1"), this);
    m_enlargeSlider = makeSlider(QStringLiteral("HScroll2"), CaptureScale::kMaxEnlarge,
                                 QStringLiteral("拡大する 倍"), this);
    m_shrinkNumber = makeLabel(QStringLiteral("1"), QStringLiteral("lblShrink"), this);
    m_enlargeNumber = makeLabel(QStringLiteral("1"), QStringLiteral("lblEnlarge"), this);
    m_shrinkUnit = makeLabel(QStringLiteral("分の1"), QStringLiteral("lblShrinkUnit"), this);
    m_enlargeUnit = makeLabel(QStringLiteral("倍"), QStringLiteral("lblEnlargeUnit"), this);
    for (QLabel* number : {m_shrinkNumber, m_enlargeNumber}) {
        number->setMinimumWidth(34);
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }

    auto* sides = new QGridLayout;
    sides->setColumnMinimumWidth(0, 18);
    sides->addWidget(
        makeLabel(QStringLiteral("携帯電話の画面サイズに対して、取り込む画像の方が大きい場合"),
                  QStringLiteral("lblShrinkCase"), this),
        0, 0, 1, 5);
    sides->addWidget(m_shrink, 1, 1);
    sides->addWidget(m_shrinkNumber, 1, 2);
    sides->addWidget(m_shrinkUnit, 1, 3);
    sides->addWidget(m_shrinkSlider, 1, 4);
    sides->addWidget(
        makeLabel(QStringLiteral("携帯電話の画面サイズに対して、取り込む画像の方が小さい場合"),
                  QStringLiteral("lblEnlargeCase"), this),
        2, 0, 1, 5);
    sides->addWidget(m_enlarge, 3, 1);
    sides->addWidget(m_enlargeNumber, 3, 2);
    sides->addWidget(m_enlargeUnit, 3, 3);
    sides->addWidget(m_enlargeSlider, 3, 4);
    sides->setColumnStretch(4, 1);
    root->addLayout(sides);
    root->addSpacing(6);

    m_help = makeLabel(QString(), QStringLiteral("lblHelp"), this);
    // Wide enough for the longest help line, so each line stays one line.
    int helpWidth = 0;
    for (const QString& help : {kDefaultHelp, kCaptureHelp}) {
        for (const QString& line : help.split(u'\n')) {
            helpWidth = std::max(helpWidth, m_help->fontMetrics().horizontalAdvance(line));
        }
    }
    m_help->setMinimumWidth(helpWidth + 4);
    m_help->setMinimumHeight(m_help->fontMetrics().lineSpacing() * 2 + 4);
    m_help->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    root->addWidget(m_help);

    auto* buttons = new QHBoxLayout;
    QPushButton* ok = makePictureButton(QStringLiteral("cmdOk"), QStringLiteral(" 決定"),
                                        QStringLiteral("ok"), this);
    QPushButton* back = makePictureButton(QStringLiteral("cmdBack"), QStringLiteral(" 戻る"),
                                          QStringLiteral("back"), this);
    QPushButton* end = makePictureButton(QStringLiteral("cmdEnd"), QStringLiteral(" 終了"),
                                         QStringLiteral("end"), this);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(back);
    buttons->addWidget(end);
    root->addLayout(buttons);

    setTabOrder(m_scaling, m_shrink);
    setTabOrder(m_shrink, m_shrinkSlider);
    setTabOrder(m_shrinkSlider, m_enlarge);
    setTabOrder(m_enlarge, m_enlargeSlider);
    setTabOrder(m_enlargeSlider, ok);
    setTabOrder(ok, back);
    setTabOrder(back, end);

    connect(m_scaling, &QCheckBox::toggled, this, &frmZoom::onScalingToggled);
    for (QRadioButton* option : {m_shrink, m_enlarge}) {
        connect(option, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked) {
                onModeChosen();
            }
        });
    }
    connect(m_shrinkSlider, &QScrollBar::valueChanged, this,
            [this] { onSliderChanged(m_shrinkSlider, m_shrinkNumber); });
    connect(m_enlargeSlider, &QScrollBar::valueChanged, this,
            [this] { onSliderChanged(m_enlargeSlider, m_enlargeNumber); });
    connect(ok, &QPushButton::clicked, this, &frmZoom::confirm);
    connect(back, &QPushButton::clicked, this, &frmZoom::backRequested);
    connect(end, &QPushButton::clicked, this, &frmZoom::endRequested);
}

CaptureScale frmZoom::captureScale() const
{
    CaptureScale scale;
    scale.scalingEnabled = m_scaling->isChecked();
    scale.mode = m_enlarge->isChecked() ? CaptureScale::Mode::Enlarge : CaptureScale::Mode::Shrink;
    scale.shrinkValue = m_shrinkSlider->value();
    scale.enlargeValue = m_enlargeSlider->value();
    return scale;
}

void frmZoom::onScalingToggled(bool enabled)
{
    m_liveCapture.stop();
    if (!enabled) {
        m_shrink->setEnabled(false);
        m_enlarge->setEnabled(false);
        setShrinkSideEnabled(false);
        setEnlargeSideEnabled(false);
        m_shrinkSlider->setValue(CaptureScale::kMinValue);
        m_enlargeSlider->setValue(CaptureScale::kMinValue);
        return;
    }
    m_shrink->setChecked(true);
    m_shrink->setEnabled(true);
    m_enlarge->setEnabled(true);
    setShrinkSideEnabled(true);
}

void frmZoom::onModeChosen()
{
    m_liveCapture.stop();
    showDefaultHelp();
    if (m_shrink->isChecked()) {
        setShrinkSideEnabled(true);
        m_enlargeSlider->setValue(CaptureScale::kMinValue);
        setEnlargeSideEnabled(false);
    } else {
        m_shrinkSlider->setValue(CaptureScale::kMinValue);
        setShrinkSideEnabled(false);
        setEnlargeSideEnabled(true);
    }
}

void frmZoom::onSliderChanged(QScrollBar* slider, QLabel* number)
{
    m_liveCapture.stop();
    showDefaultHelp();
    number->setText(numbers::hundredthsText(slider->value()));
}

void frmZoom::setShrinkSideEnabled(bool enabled)
{
    m_shrinkSlider->setEnabled(enabled);
    m_shrinkNumber->setEnabled(enabled);
    m_shrinkUnit->setEnabled(enabled);
}

void frmZoom::setEnlargeSideEnabled(bool enabled)
{
    m_enlargeSlider->setEnabled(enabled);
    m_enlargeNumber->setEnabled(enabled);
    m_enlargeUnit->setEnabled(enabled);
}

void frmZoom::showDefaultHelp()
{
    m_help->setText(kDefaultHelp);
}

void frmZoom::confirm()
{
    const CaptureScale scale = captureScale();
    const ConfirmDecision decision =
        capturescale::decideConfirm(m_selection.phone, m_selection.capture, scale);
    if (decision.modelMissing) {
        m_dialogs.information(this, QStringLiteral("機種を選択してください。"));
    }
    m_selection.capture = decision.size;
    switch (decision.outcome) {
        case ConfirmDecision::Outcome::Nothing:
            return;
        case ConfirmDecision::Outcome::ScaleUnusable:
            m_dialogs.information(this,
                                  QStringLiteral("選択したサイズに設定した倍率は使用できません。"));
            return;
        case ConfirmDecision::Outcome::StartLiveCapture:
            // A loupe larger than the screen could not be dragged nor show its hole.
            if (const QString tooLarge = screenfit::loupeTooLargeMessage(
                    decision.size, scale, m_selection.frame,
                    capturescreen::availableArea(capturescreen::screen()).size());
                !tooLarge.isEmpty()) {
                m_dialogs.information(this, tooLarge);
                return;
            }
            m_help->setText(kCaptureHelp);
            m_liveCapture.StartLoupe(m_selection, scale);
            return;
    }
}

void frmZoom::captureAgain()
{
    show();
    showDefaultHelp();
}

void frmZoom::closeEvent(QCloseEvent* event)
{
    // The close box ends the program, as " 終了" does.
    event->accept();
    emit endRequested();
}

void frmZoom::reject()
{
    // Escape does not end the program; " 終了" does.
}
