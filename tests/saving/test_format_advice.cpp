#include "platform/WorkFolder.h"
#include "saving/CompressionPage.h"
#include "saving/FormatAdvice.h"
#include "saving/mdlSavedll.h"
#include "support/MagickPictures.h"
#include "support/SizesShown.h"
#include "support/TryWait.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A screen of few flat colours with text: what the reduced-colour PNG keeps exactly.
QImage flatScreen()
{
    QImage picture(240, 320, QImage::Format_RGB32);
    picture.fill(qRgb(255, 255, 255));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.fillRect(0, 0, 240, 24, QColor(30, 60, 160));
    for (int line = 0; line < 18; ++line) {
        painter.setPen(line % 3 == 0 ? Qt::red : Qt::black);
        painter.drawText(6, 44 + line * 15,
                         QStringLiteral("Settings 設定 %1 window text").arg(line));
    }
    return picture;
}

struct Files
{
    QByteArray jpeg;
    QByteArray png;
};

// The smallest JPEG of the picture against the reduced-colour PNG within `limit`.
Files filesOf(const QImage& picture, int quality, qint64 limit)
{
    return {mdlSavedll::encodeJpeg(picture, quality, false).value(),
            mdlSavedll::encodeReducedPng(picture, mdlSavedll::PngChoice::Standard, limit).value()};
}

}  // namespace

class TestFormatAdvice : public QObject
{
    Q_OBJECT

private slots:
    // A flat screen at a tight limit: the PNG within it is clearly better, and the line
    // says so where the carrier takes PNG only.
    void pngThatLooksBetterIsAdvised()
    {
        const QImage picture = flatScreen();
        const qint64 limit = mdlSavedll::encodeJpeg(picture, 20, false)->size();
        const Files files = filesOf(picture, 20, limit);
        QVERIFY(files.png.size() <= limit);
        const formatadvice::Comparison comparison =
            formatadvice::compare(picture, files.jpeg, files.png);
        QVERIFY(comparison.png > comparison.jpeg);
        QCOMPARE(formatadvice::adviceLine(picture, files.jpeg, files.png, limit, true),
                 formatadvice::kLine);
        QCOMPARE(formatadvice::adviceLine(picture, files.jpeg, files.png, limit, false), QString());
        QVERIFY(!formatadvice::carrierTakesPng(0));
        QVERIFY(formatadvice::carrierTakesPng(1));
        // A PNG over the limit is never advised.
        QCOMPARE(
            formatadvice::adviceLine(picture, files.jpeg, files.png, files.png.size() - 1, true),
            QString());
    }

    // A photo: its JPEG at the limit is better than any palette of 256 colours.
    void photoKeepsItsJpeg()
    {
        const QImage picture = magickPicture(QStringLiteral("rose:"), QSize(240, 320));
        QVERIFY(!picture.isNull());
        const qint64 limit = mdlSavedll::encodeJpeg(picture, 90, false)->size();
        const Files files = filesOf(picture, 90, limit);
        QCOMPARE(formatadvice::adviceLine(picture, files.jpeg, files.png, limit, true), QString());
    }

    // The page shows the line after a fit where the carrier takes PNG, and drops it
    // when the user types another quality.
    void pageShowsTheLineAfterAFitOnly()
    {
        QTemporaryDir work;
        const QImage canvas = flatScreen();
        WorkFolder folder({work.path() + QLatin1Char('/')});
        CompressionPage page(SizeEstimator(folder),
                             [&canvas]() -> const QImage& { return canvas; });
        const qint64 limit = mdlSavedll::encodeJpeg(canvas, 20, false)->size();
        page.setSizeLimit(QStringLiteral("99"), limit);
        page.switchEstimatesOn();
        auto* advice = page.findChild<QLabel*>(QStringLiteral("lblAdvice"));
        auto* fit = page.findChild<QPushButton*>(QStringLiteral("cmdFit"));
        QVERIFY(advice && fit);
        fit->click();
        QVERIFY(sizesShown(page));
        QCOMPARE(advice->text(), QString());  // the carrier was not said to take PNG
        page.setCarrierTakesPng(true);
        fit->click();
        QVERIFY(sizesShown(page));
        // The advice comes after the fitted size.
        TRY_COMPARE_WITH_TIMEOUT(advice->text(), formatadvice::kLine, 30000);
        page.findChild<QLineEdit*>(QStringLiteral("txtJpeg"))->setText(QStringLiteral("3"));
        QCOMPARE(advice->text(), QString());
    }
};

QTEST_MAIN(TestFormatAdvice)
#include "test_format_advice.moc"
