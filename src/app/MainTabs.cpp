#include "app/MainTabs.h"

#include "app/ModelPanel.h"
#include "common/PhoneModel.h"
#include "edit/BorderFillPage.h"
#include "edit/FreehandPage.h"
#include "edit/LightingPage.h"
#include "edit/TextPage.h"
#include "saving/CompressionPage.h"
#include "saving/FormatAdvice.h"
#include "saving/SizeEstimator.h"

#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QLabel* helpLabel(const QString& objectName, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    return label;
}

// The model's panel, `compression` (made with `page` as its parent) and the help.
QWidget* savePage(const PhoneModel& phone, CompressionPage* compression, QWidget* page)
{
    auto* layout = new QVBoxLayout(page);
    layout->insertWidget(0, new ModelPanel(phone, page));
    layout->addWidget(compression, 1);
    layout->addWidget(helpLabel(
        QStringLiteral("lblHelp0"),
        QStringLiteral(
            "必要に応じて色調補正等を行い、JPEG及びPNGで保存してください。保存する際はファイルサイ"
            "ズにご注意ください。\n"
            "保存後、画像をアップロードをクリックすると画像アップロードサイトが開きます。"),
        page));
    return page;
}

QWidget* toolPage(QWidget* tool, const QString& helpName, const QString& help, QWidget* parent)
{
    auto* page = new QWidget(parent);
    auto* layout = new QVBoxLayout(page);
    if (tool) {
        layout->addWidget(tool);
    }
    layout->addStretch(1);
    layout->addWidget(helpLabel(helpName, help, page));
    return page;
}

}  // namespace

MainTabs MainTabs::build(const PhoneModel& phone, ToolContext& context, WorkFolder& workFolder,
                         std::function<const QImage&()> canvas, QWidget* parent)
{
    MainTabs made;
    made.tabs = new QTabWidget(parent);
    made.tabs->setObjectName(QStringLiteral("SSTab1"));
    // Five captions in the width beside the canvas.
    made.tabs->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 4px 5px; }"));
    auto* page = new QWidget(parent);
    made.compression = new CompressionPage(SizeEstimator(workFolder), std::move(canvas), page);
    made.compression->setSizeLimit(phone.sizeLimitKB, phone.fileSize);
    made.compression->setCarrierTakesPng(formatadvice::carrierTakesPng(phone.carrier));
    made.tabs->addTab(savePage(phone, made.compression, page), QStringLiteral("画像の確認・保存"));
    made.tabs->addTab(
        toolPage(new LightingPage(context, parent), QStringLiteral("lblHelp1"), QString(), parent),
        QStringLiteral("色調補正"));
    made.fill = new BorderFillPage(context, parent);
    made.tabs->addTab(
        toolPage(made.fill, QStringLiteral("lblHelp2"),
                 QStringLiteral(
                     "画像の上下左右を任意の幅で塗りつぶすことが出来ます。\n"
                     "色の取得をONにして画像の任意の箇所をクリックすると画像の色を取得できます。"),
                 parent),
        QStringLiteral("塗りつぶし"));
    made.draw = new FreehandPage(context, parent);
    made.tabs->addTab(toolPage(made.draw, QStringLiteral("lblHelp3"),
                               QStringLiteral("画像にマウスで絵を描くことが出来ます。\n"
                                              "画像から色を取得したい場合は塗りつぶしタブで色を取"
                                              "得してから絵を描いてください。"),
                               parent),
                      QStringLiteral("絵を描く"));
    made.text = new TextPage(context, parent);
    made.tabs->addTab(
        toolPage(made.text, QStringLiteral("lblHelp4"),
                 QStringLiteral("画像に文字を描くことが出来ます。文字列を入力する前に必ず入力"
                                "する文字列に適した言語を選択してください。\n"
                                "日本語と英数字・記号は混合できません。フォント・位置等を決め"
                                "決定をクリックすると実際に画像に文字列が描写されます。"),
                 parent),
        QStringLiteral("文字を描く"));
    return made;
}
