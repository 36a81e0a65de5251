#include "history/frmHelp.h"

#include "common/Twips.h"

#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <array>

namespace {

struct Line
{
    int topTwips;
    const char16_t* text;
};
constexpr std::array<Line, 9> kLines{{
    {180, u"このウィンドウは画像を保存するとその画像が履歴として表示されます。"},
    {480, u"表示された画像をクリックするとその画像ファイルのURLがクリップボードに転送されるので"},
    {780, u"そのまま画像アップロードサイトに貼り付ければ簡単手軽に画像をアップロードできます。"},
    {1200, u"※履歴は８枚しか表示できませんので９枚目を保存しても履歴には表示されません。"},
    {1500, u"「履歴をすべて消去」ボタンを押すか、Sorakadoを再起動することで履歴はすべて消去され"},
    {1800, u"ます。この時消去されるのは履歴のみで実際に保存した画像ファイルは削除されません。"},
    {2340, u"1. まず普通にJPEGまたはPNG形式で画像を保存。"},
    {2640, u"2. ウィンドウに表示された画像をクリック。"},
    {2940, u"3. 画像アップロードサイトを開き、「ファイル」の欄で右クリックして貼り付け。"},
}};
constexpr int kLineLeftTwips = 180;
constexpr int kLineWidthTwips = 6825;
constexpr int kLineHeightTwips = 255;
constexpr QSize kIllustrationSize{451, 169};
constexpr QPoint kIllustrationAtTwips{210, 3300};

// The largest font, from the widget's own size down, in which every line fits its label.
QFont fittingFont(QFont font, QSize label)
{
    int pixels = QFontMetrics(font).height();
    for (; pixels > 8; --pixels) {
        font.setPixelSize(pixels);
        const QFontMetrics metrics(font);
        bool fits = metrics.height() <= label.height() + 2;
        for (const Line& line : kLines) {
            fits =
                fits && metrics.horizontalAdvance(QString::fromUtf16(line.text)) <= label.width();
        }
        if (fits) {
            break;
        }
    }
    font.setPixelSize(pixels);
    return font;
}

}  // namespace

frmHelp::frmHelp(QWidget* parent) : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmHelp"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(twips::toPixels(7155), twips::toPixels(6045));
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::ToolTipBase));
    colours.setColor(QPalette::WindowText, colours.color(QPalette::ToolTipText));
    setPalette(colours);

    const QSize labelSize(twips::toPixels(kLineWidthTwips), twips::toPixels(kLineHeightTwips));
    const QFont font = fittingFont(this->font(), labelSize);
    for (size_t i = 0; i < kLines.size(); ++i) {
        auto* label = new QLabel(QString::fromUtf16(kLines[i].text), this);
        label->setObjectName(QStringLiteral("lblHelp%1").arg(i + 1));
        label->setFont(font);
        label->setGeometry(
            QRect(QPoint(twips::toPixels(kLineLeftTwips), twips::toPixels(kLines[i].topTwips)),
                  labelSize));
    }
    auto* illustration = new QLabel(this);
    illustration->setObjectName(QStringLiteral("imgHelp"));
    illustration->setGeometry(QRect(QPoint(twips::toPixels(kIllustrationAtTwips.x()),
                                           twips::toPixels(kIllustrationAtTwips.y())),
                                    kIllustrationSize));
    illustration->setPixmap(QIcon(QStringLiteral(":/icons/upload-form.png"))
                                .pixmap(kIllustrationSize, devicePixelRatioF()));
    illustration->setAccessibleName(
        QStringLiteral("アップロードフォームの「ファイル」欄で右クリックし、貼り付けを選ぶ図"));
}
