#include "encode/CompressionPage.h"

#include "encode/LiveEstimates.h"
#include "encode/SizeField.h"
#include "encode/SizeText.h"
#include "encode/frmRealtime.h"
#include "platform/PictureButton.h"
#include "platform/WorkFolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>
#include <array>
#include <utility>

namespace {

struct Preset
{
    const char16_t* text;
    const char16_t* level;
};
constexpr std::array<Preset, 4> kPresets{{
    {u"低画質(高圧縮率)", u"3"},
    {u"標準", u"5"},
    {u"高画質", u"8"},
    {u"最高画質(低圧縮率)", u"10"},
}};
constexpr std::array<const char16_t*, 3> kPngChoices{u"標準", u"低圧縮率(高速圧縮)",
                                                     u"高圧縮率(低速圧縮)"};

QHBoxLayout* sizeLine(QLabel* field, QWidget* parent)
{
    auto* line = new QHBoxLayout;
    line->addWidget(new QLabel(QStringLiteral("現在の設定でのファイルサイズは"), parent));
    line->addWidget(field);
    line->addWidget(new QLabel(QStringLiteral("KByte"), parent));
    line->addStretch();
    return line;
}

}  // namespace

CompressionPage::CompressionPage(SizeEstimator estimator, CanvasSource canvas, QWidget* parent)
    : QWidget(parent),
      m_canvas(std::move(canvas)),
      m_estimates(new LiveEstimates(std::move(estimator), this))
{
    connect(m_estimates, &LiveEstimates::jpegEstimated, this, &CompressionPage::onJpegEstimated);
    connect(m_estimates, &LiveEstimates::pngEstimated, this,
            [this](const std::optional<qint64>& bytes) { showSize(m_sizePng, bytes); });
    connect(m_estimates, &LiveEstimates::fitted, this, &CompressionPage::applyFit);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("SSTab2"));
    m_pages->addTab(buildJpegPage(), QStringLiteral("JPEG保存オプション"));
    m_pages->addTab(buildPngPage(), QStringLiteral("PNG保存オプション"));
    layout->addWidget(m_pages);

    // The lists' initial choices set the quality text "5" and the slider; no
    // estimate runs before a capture reaches the canvas.
    m_presets->setCurrentIndex(m_settings.jpegPreset);
    onPresetChosen(m_settings.jpegPreset);
    m_png->setCurrentIndex(m_settings.pngLevel);
}

QWidget* CompressionPage::buildJpegPage()
{
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    m_presets = new QComboBox(page);
    m_presets->setObjectName(QStringLiteral("cmbJpeg"));
    m_presets->setAccessibleName(QStringLiteral("画質"));
    for (const Preset& preset : kPresets) {
        m_presets->addItem(QString::fromUtf16(preset.text));
    }
    m_quality = new QLineEdit(page);
    m_quality->setObjectName(QStringLiteral("txtJpeg"));
    m_quality->setAccessibleName(QStringLiteral("画質 (1〜10)"));
    m_quality->setMaximumWidth(48);
    m_slider = new QSlider(Qt::Horizontal, page);
    m_slider->setObjectName(QStringLiteral("sldJpeg"));
    m_slider->setAccessibleName(QStringLiteral("画質"));
    m_slider->setRange(1, 10);
    m_slider->setSingleStep(1);
    m_slider->setPageStep(1);
    m_slider->setTickInterval(1);
    m_slider->setTickPosition(QSlider::TicksBelow);
    m_slider->setValue(5);
    m_sizeJpeg =
        sizefield::make(QStringLiteral("lblSizeJ"), QStringLiteral("JPEGのファイルサイズ"), this);

    m_fitButton = new QPushButton(QStringLiteral(" 上限内で最高画質"), page);
    m_fitButton->setObjectName(QStringLiteral("cmdFit"));
    m_fitButton->setAccessibleName(QStringLiteral("上限内で最高画質にする"));
    m_fitButton->setToolTip(
        QStringLiteral("ファイルサイズが機種の上限に収まる最も高い画質を探して設定します。"));

    auto* quality = new QHBoxLayout;
    quality->addWidget(m_presets);
    quality->addWidget(m_quality);
    quality->addWidget(m_fitButton);
    quality->addStretch();
    layout->addLayout(quality);
    layout->addWidget(m_slider);
    layout->addLayout(sizeLine(m_sizeJpeg, page));
    // The advice goes under the size, beside the save button: the size's line has no
    // room left for it on the page.
    m_advice = new QLabel(page);
    m_advice->setObjectName(QStringLiteral("lblAdvice"));
    QPushButton* save = makePictureButton(QStringLiteral("cmdJpeg"), QStringLiteral(" JPEGで保存"),
                                          QStringLiteral("save"), page);
    auto* saveRow = new QHBoxLayout;
    saveRow->addWidget(m_advice);
    saveRow->addStretch();
    saveRow->addWidget(save);
    layout->addLayout(saveRow);
    m_realtimeSwitch =
        new QCheckBox(QStringLiteral("現在の設定での画質をリアルタイムで表示する"), page);
    m_realtimeSwitch->setObjectName(QStringLiteral("chkRealtime"));
    layout->addWidget(m_realtimeSwitch);
    layout->addStretch();

    connect(m_realtimeSwitch, &QCheckBox::toggled, this, &CompressionPage::onRealtimeSwitched);
    connect(this, &CompressionPage::jpegEstimated, this, &CompressionPage::refreshRealtime);
    connect(m_presets, &QComboBox::activated, this, &CompressionPage::onPresetChosen);
    connect(m_quality, &QLineEdit::textChanged, this, &CompressionPage::onQualityTextChanged);
    connect(m_slider, &QSlider::valueChanged, this, &CompressionPage::onSliderMoved);
    connect(m_fitButton, &QPushButton::clicked, this, &CompressionPage::fitToLimit);
    connect(save, &QPushButton::clicked, this, &CompressionPage::saveJpegRequested);
    return page;
}

QWidget* CompressionPage::buildPngPage()
{
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    m_png = new QComboBox(page);
    m_png->setObjectName(QStringLiteral("cmbPng"));
    m_png->setAccessibleName(QStringLiteral("圧縮率"));
    for (const char16_t* choice : kPngChoices) {
        m_png->addItem(QString::fromUtf16(choice));
    }
    m_reduce = new QCheckBox(QStringLiteral("減色する(256色以下)"), page);
    m_reduce->setObjectName(QStringLiteral("chkReduce"));
    m_reduce->setAccessibleName(QStringLiteral("減色する(256色以下)"));
    m_reduce->setToolTip(QStringLiteral(
        "色数を256色以下に減らし、上限に収まる範囲でできるだけ多くの色を残します。"));
    m_sizePng =
        sizefield::make(QStringLiteral("lblSizeP"), QStringLiteral("PNGのファイルサイズ"), this);
    auto* choice = new QHBoxLayout;
    choice->addWidget(m_png);
    choice->addWidget(m_reduce);
    choice->addStretch();
    layout->addLayout(choice);
    layout->addLayout(sizeLine(m_sizePng, page));
    auto* note = new QLabel(QStringLiteral("※PNG形式はDoCoMoでは使用できません。"), page);
    note->setObjectName(QStringLiteral("lblPngNote"));
    layout->addWidget(note);
    QPushButton* save = makePictureButton(QStringLiteral("cmdPng"), QStringLiteral(" PNGで保存"),
                                          QStringLiteral("save"), page);
    layout->addWidget(save, 0, Qt::AlignRight);
    layout->addStretch();

    connect(m_png, &QComboBox::activated, this, &CompressionPage::onPngChosen);
    connect(m_reduce, &QCheckBox::toggled, this, &CompressionPage::onReduceSwitched);
    connect(save, &QPushButton::clicked, this, &CompressionPage::savePngRequested);
    return page;
}

void CompressionPage::setSizeLimit(const QString& limitKB, qint64 limitBytes)
{
    m_limitKB = limitKB;
    // Fitting and colour reduction aim at what the page shows within the limit.
    m_settings.sizeLimitBytes = sizetext::largestBelowLimit(limitKB, limitBytes);
    sizefield::ShowSizeColour(m_sizeJpeg, m_limitKB);
    sizefield::ShowSizeColour(m_sizePng, m_limitKB);
}

void CompressionPage::switchEstimatesOn()
{
    m_settings.jpegEstimateOn = true;
    m_settings.pngEstimateOn = true;
}

void CompressionPage::onPresetChosen(int index)
{
    if (index < 0 || index >= static_cast<int>(kPresets.size())) {
        return;
    }
    m_settings.jpegPreset = index;
    m_quality->setText(QString::fromUtf16(kPresets[static_cast<size_t>(index)].level));
}

void CompressionPage::onQualityTextChanged(const QString& text)
{
    m_settings.jpegLevel = text;
    if (!m_applyingFit) {
        // A quality the user chose is written as always, 4:2:0 and in whole steps,
        // and wins over a fit still under way.
        m_settings.jpegFullChroma = false;
        m_settings.jpegQuarters = 0;
        m_estimates->cancelFit();
    }
    {
        // The slider shows the level; it does not write the text back.
        const QSignalBlocker block(m_slider);
        m_slider->setValue(sizetext::sliderPosition(text));
    }
    if (m_settings.jpegEstimateOn) {
        EstimateJpegSize();
    }
}

void CompressionPage::onSliderMoved(int position)
{
    m_quality->setText(QString::number(position));
}

void CompressionPage::onPngChosen(int index)
{
    m_settings.pngLevel = index;
    if (m_settings.pngEstimateOn) {
        EstimatePngSize();
    }
}

void CompressionPage::onReduceSwitched(bool on)
{
    m_settings.pngReduceColours = on;
    if (m_settings.pngEstimateOn) {
        EstimatePngSize();
    }
}

void CompressionPage::fitToLimit()
{
    if (m_canvas().isNull() || m_limitKB.isEmpty()) {
        return;
    }
    m_estimates->requestFit(m_canvas(), m_settings, m_takesPng);
    setPending(m_sizeJpeg);
}

void CompressionPage::applyFit(const JpegFit::Result& fitted, const QString& advice, qint64 canvas)
{
    if (canvas != m_canvas().cacheKey()) {
        // Worked out for a picture no longer on the canvas: the size of this one instead.
        EstimateJpegSize();
        return;
    }
    sizefield::settle(m_sizeJpeg, m_limitKB);  // until the estimate of the answer
    if (fitted.quality == 0) {
        m_advice->clear();
        emit informationRequested(
            QStringLiteral("画質を最低にしてもJPEGファイルが上限(%1 KByte)を超えます。\n"
                           "DoCoMo以外の機種では、「PNG保存オプション」の「減色する(256色以下)」"
                           "をお試しください。")
                .arg(m_limitKB));
        return;
    }
    const QString text = sizetext::levelText(fitted.quality);
    const bool sameText = text == m_quality->text();
    m_applyingFit = true;
    m_settings.jpegFullChroma = fitted.fullChroma;
    m_settings.jpegQuarters = fitted.quarters;
    m_quality->setText(text);
    m_applyingFit = false;
    if (sameText && m_settings.jpegEstimateOn) {
        EstimateJpegSize();  // the text did not change, the chroma or the steps may have
    }
    m_advice->setText(advice);
}

void CompressionPage::EstimateJpegSize()
{
    if (!m_applyingFit) {
        m_advice->clear();  // the advice holds for the fitted quality only
    }
    m_estimates->setPreviewWanted(m_realtime && m_realtime->isVisible());
    setPending(m_sizeJpeg);
    m_estimates->requestJpeg(m_canvas(), m_settings);
}

void CompressionPage::EstimatePngSize()
{
    setPending(m_sizePng);
    m_estimates->requestPng(m_canvas(), m_settings);
}

void CompressionPage::cancelEstimates()
{
    m_estimates->cancel();
    sizefield::settle(m_sizeJpeg, m_limitKB);
    sizefield::settle(m_sizePng, m_limitKB);
}

void CompressionPage::canvasChanged()
{
    if (!isVisible() || !m_settings.jpegEstimateOn) {
        return;  // the page estimates again when it is shown
    }
    cancelEstimates();
    EstimateJpegSize();
    EstimatePngSize();
}

void CompressionPage::finishEstimates()
{
    m_estimates->finish();
}

bool CompressionPage::estimating() const
{
    return !m_sizeJpeg->isEnabled() || !m_sizePng->isEnabled();
}

std::optional<QByteArray> CompressionPage::currentJpegFile()
{
    m_estimates->finishFit();
    return m_estimates->currentJpeg(m_canvas(), m_settings);
}

std::optional<QByteArray> CompressionPage::currentPngFile()
{
    return m_estimates->currentPng(m_canvas(), m_settings);
}

void CompressionPage::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (event->spontaneous()) {
        return;  // minimised: the work goes on
    }
    // Another page: the canvas may change, and this page estimates again when it returns.
    // The window hidden: it goes (a new capture, the end), or it returns at once (its
    // window flags changed) and then the estimates dropped are made again.
    const bool windowHidden = !window()->isVisible();
    m_resumeJpeg = windowHidden && !m_sizeJpeg->isEnabled();
    m_resumePng = windowHidden && !m_sizePng->isEnabled();
    cancelEstimates();
}

void CompressionPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (std::exchange(m_resumeJpeg, false)) {
        EstimateJpegSize();
    }
    if (std::exchange(m_resumePng, false)) {
        EstimatePngSize();
    }
}

void CompressionPage::onJpegEstimated(const std::optional<qint64>& bytes, const QImage& preview)
{
    m_preview = preview;
    showSize(m_sizeJpeg, bytes);
    if (bytes) {
        emit jpegEstimated(m_estimates->estimator().jpegPath());
    }
}

void CompressionPage::reportMissingWorkFolder()
{
    SizeEstimator& estimator = m_estimates->estimator();
    if (!estimator.noWorkFolder() || !estimator.folder().takeNoFolderNotice()) {
        return;
    }
    QStringList folders;
    for (const QString& folder : estimator.folder().candidates()) {
        folders.append(QDir::toNativeSeparators(folder));
    }
    emit workFolderUnavailable(
        QStringLiteral(
            "作業ファイルを書き込めるフォルダがないため、ファイルサイズを表示できません。\n%1")
            .arg(folders.join(u'\n')));
}

void CompressionPage::showSize(QLabel* field, const std::optional<qint64>& bytes)
{
    // A work file that could not be written shows no size rather than a stale one.
    sizefield::show(field, bytes ? sizetext::kiloBytes(*bytes) : QString(), m_limitKB);
    if (!bytes) {
        reportMissingWorkFolder();
    }
    emit sizeShown();
}

void CompressionPage::setPending(QLabel* field)
{
    sizefield::setPending(field, m_limitKB);
}

void CompressionPage::onRealtimeSwitched(bool on)
{
    if (!on) {
        if (m_realtime) {
            m_realtime->hide();
        }
        return;
    }
    if (!m_realtime) {
        m_realtime = new frmRealtime(m_canvas().size(), window());
        connect(m_realtime, &frmRealtime::closedByUser, this, [this] {
            // The closing window deletes itself; the next switch-on makes a fresh one.
            m_realtime = nullptr;
            m_realtimeSwitch->setChecked(false);
        });
    }
    m_realtime->show();
    m_realtime->loadPicture(m_estimates->estimator().jpegPath());
}

void CompressionPage::refreshRealtime(const QString& jpegPath)
{
    if (!m_realtime || !m_realtime->isVisible()) {
        return;
    }
    if (!m_preview.isNull()) {
        m_realtime->showPicture(m_preview);  // decoded with the estimate
    } else {
        m_realtime->loadPicture(jpegPath);
    }
}
