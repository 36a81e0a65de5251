#include "saving/CompressionPage.h"

#include "platform/WorkFolder.h"
#include "saving/LiveEstimates.h"
#include "saving/RealtimeSwitch.h"
#include "saving/SizeField.h"
#include "saving/SizeText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <utility>

CompressionPage::CompressionPage(SizeEstimator estimator, CanvasSource canvas, QWidget* parent)
    : QWidget(parent),
      m_canvas(std::move(canvas)),
      m_estimates(new LiveEstimates(std::move(estimator), this)),
      m_c(CompressionControls::build(this))
{
    connect(m_estimates, &LiveEstimates::jpegEstimated, this, &CompressionPage::onJpegEstimated);
    connect(m_estimates, &LiveEstimates::pngEstimated, this,
            [this](const std::optional<qint64>& bytes) { showSize(m_c.sizePng, bytes); });
    connect(m_estimates, &LiveEstimates::fitted, this, &CompressionPage::applyFit);
    connect(m_estimates, &LiveEstimates::advised, this, &CompressionPage::showAdvice);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_c.pages);
    m_realtime = new RealtimeSwitch(
        *m_c.realtime, *this, [this] { return m_canvas().size(); },
        [this] { return m_estimates->estimator().jpegPath(); });
    connect(m_c.presets, &QComboBox::activated, this, &CompressionPage::onPresetChosen);
    connect(m_c.quality, &QLineEdit::textChanged, this, &CompressionPage::onQualityTextChanged);
    connect(m_c.slider, &QSlider::valueChanged, this, &CompressionPage::onSliderMoved);
    connect(m_c.fit, &QPushButton::clicked, this, &CompressionPage::fitToLimit);
    connect(m_c.saveJpeg, &QPushButton::clicked, this, &CompressionPage::saveJpegRequested);
    connect(m_c.png, &QComboBox::activated, this, &CompressionPage::onPngChosen);
    connect(m_c.reduce, &QCheckBox::toggled, this, &CompressionPage::onReduceSwitched);
    connect(m_c.savePng, &QPushButton::clicked, this, &CompressionPage::savePngRequested);

    // The lists' initial choices set the quality text "5" and the slider; no
    // estimate runs before a capture reaches the canvas.
    m_c.presets->setCurrentIndex(m_settings.jpegPreset);
    onPresetChosen(m_settings.jpegPreset);
    m_c.png->setCurrentIndex(m_settings.pngLevel);
}

void CompressionPage::setSizeLimit(const QString& limitKB, qint64 limitBytes)
{
    m_limitKB = limitKB;
    // Fitting and colour reduction aim at what the page shows within the limit.
    m_settings.sizeLimitBytes = sizetext::largestBelowLimit(limitKB, limitBytes);
    sizefield::ShowSizeColour(m_c.sizeJpeg, m_limitKB);
    sizefield::ShowSizeColour(m_c.sizePng, m_limitKB);
}

void CompressionPage::switchEstimatesOn()
{
    m_settings.jpegEstimateOn = true;
    m_settings.pngEstimateOn = true;
}

void CompressionPage::onPresetChosen(int index)
{
    const QString level = CompressionControls::presetLevel(index);
    if (level.isEmpty()) {
        return;
    }
    m_settings.jpegPreset = index;
    m_c.quality->setText(level);
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
        const QSignalBlocker block(m_c.slider);
        m_c.slider->setValue(sizetext::sliderPosition(text));
    }
    if (m_settings.jpegEstimateOn) {
        EstimateJpegSize();
    }
}

void CompressionPage::onSliderMoved(int position)
{
    m_c.quality->setText(QString::number(position));
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
    setPending(m_c.sizeJpeg);
}

void CompressionPage::applyFit(const JpegFit::Result& fitted, qint64 canvas)
{
    if (canvas != m_canvas().cacheKey()) {
        // Worked out for a picture no longer on the canvas: the size of this one instead.
        EstimateJpegSize();
        return;
    }
    sizefield::settle(m_c.sizeJpeg, m_limitKB);  // until the estimate of the answer
    if (fitted.quality == 0) {
        m_c.advice->clear();
        emit informationRequested(
            QStringLiteral("画質を最低にしてもJPEGファイルが上限(%1 KByte)を超えます。\n"
                           "DoCoMo以外の機種では、「PNG保存オプション」の「減色する(256色以下)」"
                           "をお試しください。")
                .arg(m_limitKB));
        return;
    }
    const QString text = sizetext::levelText(fitted.quality);
    const bool sameText = text == m_c.quality->text();
    m_applyingFit = true;
    m_settings.jpegFullChroma = fitted.fullChroma;
    m_settings.jpegQuarters = fitted.quarters;
    m_c.quality->setText(text);
    m_applyingFit = false;
    if (sameText && m_settings.jpegEstimateOn) {
        EstimateJpegSize();  // the text did not change, the chroma or the steps may have
    }
    m_c.advice->clear();  // until the advice on this answer
}

void CompressionPage::showAdvice(const QString& advice, const JpegFit::Result& fitted,
                                 qint64 canvas)
{
    // For the answer still applied to this canvas only.
    if (canvas == m_canvas().cacheKey() &&
        sizetext::jpegQuality(m_settings.jpegLevel) == fitted.quality &&
        m_settings.jpegFullChroma == fitted.fullChroma &&
        m_settings.jpegQuarters == fitted.quarters) {
        m_c.advice->setText(advice);
    }
}

void CompressionPage::EstimateJpegSize()
{
    if (!m_applyingFit) {
        m_c.advice->clear();  // the advice holds for the fitted quality only
    }
    m_estimates->setPreviewWanted(m_realtime->showing());
    setPending(m_c.sizeJpeg);
    m_estimates->requestJpeg(m_canvas(), m_settings);
}

void CompressionPage::EstimatePngSize()
{
    setPending(m_c.sizePng);
    m_estimates->requestPng(m_canvas(), m_settings);
    if (m_takesPng && !m_settings.pngReduceColours) {
        m_estimates->requestReductionAhead(m_canvas(), m_settings);
    }
}

void CompressionPage::cancelEstimates()
{
    m_estimates->cancel();
    sizefield::settle(m_c.sizeJpeg, m_limitKB);
    sizefield::settle(m_c.sizePng, m_limitKB);
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
    return !m_c.sizeJpeg->isEnabled() || !m_c.sizePng->isEnabled();
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
    m_resumeJpeg = windowHidden && !m_c.sizeJpeg->isEnabled();
    m_resumePng = windowHidden && !m_c.sizePng->isEnabled();
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
    showSize(m_c.sizeJpeg, bytes);
    if (bytes) {
        m_realtime->refresh(preview);
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
