#pragma once

#include "encode/CompressionSettings.h"
#include "encode/JpegFit.h"
#include "encode/JpegWriter.h"
#include "encode/SizeEstimator.h"

#include <QPointer>
#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTabWidget;
class frmRealtime;

// The pages "JPEG保存オプション" and "PNG保存オプション": the compression controls,
// their coupling, and the live size of the canvas as a file with these settings.
class CompressionPage : public QWidget
{
    Q_OBJECT

public:
    using CanvasSource = std::function<const QImage&()>;

    CompressionPage(SizeEstimator estimator, CanvasSource canvas, QWidget* parent = nullptr);

    const CompressionSettings& settings() const { return m_settings; }

    // The model's limit, in kilobytes as shown (sizes that reach it are shown red)
    // and in bytes (what fitting and colour reduction aim at).
    void setSizeLimit(const QString& limitKB, qint64 limitBytes);

    // Whether the model's carrier reads PNG files (then a fit may advise the PNG).
    void setCarrierTakesPng(bool takesPng) { m_takesPng = takesPng; }

    // From now on quality and PNG changes re-estimate (set once a capture is on the canvas).
    void switchEstimatesOn();

    void EstimateJpegSize();
    void EstimatePngSize();

signals:
    void saveJpegRequested();
    void savePngRequested();
    // A new temp.jpg has been written.
    void jpegEstimated(const QString& path);
    // A message for the user's message box.
    void informationRequested(const QString& text);
    // No work folder can be written, so no size can be shown: `message` tells the
    // user why. Sent once per work folder object, that is once per run.
    void workFolderUnavailable(const QString& message);

private:
    QWidget* buildJpegPage();
    QWidget* buildPngPage();
    QLabel* makeSizeField(const QString& objectName, const QString& accessibleName);
    void onPresetChosen(int index);
    void onQualityTextChanged(const QString& text);
    void onSliderMoved(int position);
    void onPngChosen(int index);
    void onReduceSwitched(bool on);
    void fitToLimit();
    void showSize(QLabel* field, const std::optional<qint64>& bytes);
    void reportMissingWorkFolder();
    void ShowSizeColour(QLabel* field);
    void onRealtimeSwitched(bool on);
    void refreshRealtime(const QString& jpegPath);

    SizeEstimator m_estimator;
    CanvasSource m_canvas;
    CompressionSettings m_settings;
    QString m_limitKB;
    // The fit's encodes: the canvas is transformed once per search, not once per probe.
    jpegwriter::PictureEncoder m_fitEncoder;
    JpegFit m_fit;
    bool m_applyingFit = false;
    bool m_takesPng = false;
    QLabel* m_advice = nullptr;  // after a fit: whether the reduced-colour PNG looks better

    QTabWidget* m_pages = nullptr;
    QComboBox* m_presets = nullptr;
    QLineEdit* m_quality = nullptr;
    QSlider* m_slider = nullptr;
    QLabel* m_sizeJpeg = nullptr;
    QPushButton* m_fitButton = nullptr;
    QComboBox* m_png = nullptr;
    QCheckBox* m_reduce = nullptr;
    QLabel* m_sizePng = nullptr;
    QCheckBox* m_realtimeSwitch = nullptr;
    // The real-time preview, a window of its own owned by the main window; null
    // until first switched on and again once closed through its frame.
    QPointer<frmRealtime> m_realtime;
};
