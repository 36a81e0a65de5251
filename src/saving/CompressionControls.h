#pragma once

#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTabWidget;
class QWidget;

// The controls of the pages "JPEG保存オプション" and "PNG保存オプション", laid out in
// their tab control; the saving page wires them.
struct CompressionControls
{
    // Builds both pages in a tab control of `owner`'s.
    static CompressionControls build(QWidget* owner);
    // The quality text of the list's choice `index`; empty outside the list.
    static QString presetLevel(int index);

    QTabWidget* pages = nullptr;
    QComboBox* presets = nullptr;
    QLineEdit* quality = nullptr;
    QSlider* slider = nullptr;
    QPushButton* fit = nullptr;
    QLabel* sizeJpeg = nullptr;
    QLabel* advice = nullptr;  // after a fit: whether the reduced-colour PNG looks better
    QPushButton* saveJpeg = nullptr;
    QCheckBox* realtime = nullptr;
    QComboBox* png = nullptr;
    QCheckBox* reduce = nullptr;
    QLabel* sizePng = nullptr;
    QPushButton* savePng = nullptr;

private:
    QWidget* buildJpegPage(QWidget* owner);
    QWidget* buildPngPage(QWidget* owner);
};
