#include "saving/CompressionControls.h"

#include "platform/PictureButton.h"
#include "saving/SizeField.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>
#include <array>

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

CompressionControls CompressionControls::build(QWidget* owner)
{
    CompressionControls controls;
    controls.pages = new QTabWidget(owner);
    controls.pages->setObjectName(QStringLiteral("SSTab2"));
    controls.pages->addTab(controls.buildJpegPage(owner), QStringLiteral("JPEG保存オプション"));
    controls.pages->addTab(controls.buildPngPage(owner), QStringLiteral("PNG保存オプション"));
    return controls;
}

QString CompressionControls::presetLevel(int index)
{
    if (index < 0 || index >= static_cast<int>(kPresets.size())) {
        return {};
    }
    return QString::fromUtf16(kPresets[static_cast<size_t>(index)].level);
}

QWidget* CompressionControls::buildJpegPage(QWidget* owner)
{
    auto* page = new QWidget(owner);
    auto* layout = new QVBoxLayout(page);
    presets = new QComboBox(page);
    presets->setObjectName(QStringLiteral("cmbJpeg"));
    presets->setAccessibleName(QStringLiteral("画質"));
    for (const Preset& preset : kPresets) {
        presets->addItem(QString::fromUtf16(preset.text));
    }
    quality = new QLineEdit(page);
    quality->setObjectName(QStringLiteral("txtJpeg"));
    quality->setAccessibleName(QStringLiteral("画質 (1〜10)"));
    quality->setMaximumWidth(48);
    slider = new QSlider(Qt::Horizontal, page);
    slider->setObjectName(QStringLiteral("sldJpeg"));
    slider->setAccessibleName(QStringLiteral("画質"));
    slider->setRange(1, 10);
    slider->setSingleStep(1);
    slider->setPageStep(1);
    slider->setTickInterval(1);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setValue(5);
    sizeJpeg =
        sizefield::make(QStringLiteral("lblSizeJ"), QStringLiteral("JPEGのファイルサイズ"), owner);

    fit = new QPushButton(QStringLiteral(" 上限内で最高画質"), page);
    fit->setObjectName(QStringLiteral("cmdFit"));
    fit->setAccessibleName(QStringLiteral("上限内で最高画質にする"));
    fit->setToolTip(
        QStringLiteral("ファイルサイズが機種の上限に収まる最も高い画質を探して設定します。"));

    auto* qualityRow = new QHBoxLayout;
    qualityRow->addWidget(presets);
    qualityRow->addWidget(quality);
    qualityRow->addWidget(fit);
    qualityRow->addStretch();
    layout->addLayout(qualityRow);
    layout->addWidget(slider);
    layout->addLayout(sizeLine(sizeJpeg, page));
    // The advice goes under the size, beside the save button: the size's line has no
    // room left for it on the page.
    advice = new QLabel(page);
    advice->setObjectName(QStringLiteral("lblAdvice"));
    saveJpeg = makePictureButton(QStringLiteral("cmdJpeg"), QStringLiteral(" JPEGで保存"),
                                 QStringLiteral("save"), page);
    auto* saveRow = new QHBoxLayout;
    saveRow->addWidget(advice);
    saveRow->addStretch();
    saveRow->addWidget(saveJpeg);
    layout->addLayout(saveRow);
    realtime = new QCheckBox(QStringLiteral("現在の設定での画質をリアルタイムで表示する"), page);
    realtime->setObjectName(QStringLiteral("chkRealtime"));
    layout->addWidget(realtime);
    layout->addStretch();
    return page;
}

QWidget* CompressionControls::buildPngPage(QWidget* owner)
{
    auto* page = new QWidget(owner);
    auto* layout = new QVBoxLayout(page);
    png = new QComboBox(page);
    png->setObjectName(QStringLiteral("cmbPng"));
    png->setAccessibleName(QStringLiteral("圧縮率"));
    for (const char16_t* choice : kPngChoices) {
        png->addItem(QString::fromUtf16(choice));
    }
    reduce = new QCheckBox(QStringLiteral("減色する(256色以下)"), page);
    reduce->setObjectName(QStringLiteral("chkReduce"));
    reduce->setAccessibleName(QStringLiteral("減色する(256色以下)"));
    reduce->setToolTip(QStringLiteral(
        "色数を256色以下に減らし、上限に収まる範囲でできるだけ多くの色を残します。"));
    sizePng =
        sizefield::make(QStringLiteral("lblSizeP"), QStringLiteral("PNGのファイルサイズ"), owner);
    auto* choice = new QHBoxLayout;
    choice->addWidget(png);
    choice->addWidget(reduce);
    choice->addStretch();
    layout->addLayout(choice);
    layout->addLayout(sizeLine(sizePng, page));
    auto* note = new QLabel(QStringLiteral("※PNG形式はDoCoMoでは使用できません。"), page);
    note->setObjectName(QStringLiteral("lblPngNote"));
    layout->addWidget(note);
    savePng = makePictureButton(QStringLiteral("cmdPng"), QStringLiteral(" PNGで保存"),
                                QStringLiteral("save"), page);
    layout->addWidget(savePng, 0, Qt::AlignRight);
    layout->addStretch();
    return page;
}
