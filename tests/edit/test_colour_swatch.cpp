#include "edit/ColourSwatch.h"

#include <QSignalSpy>
#include <QTest>

namespace {

QRgb centre(QWidget& widget)
{
    const QImage image = widget.grab().toImage();
    return image.pixel(image.width() / 2, image.height() / 2);
}

}  // namespace

class TestColourSwatch : public QObject
{
    Q_OBJECT

private slots:
    // The box shows the colour it was given, inside a frame of the text colour, and
    // takes a new colour at once.
    void showsItsColourInAFrame()
    {
        ColourSwatch swatch(QStringLiteral("lblColor"), QStringLiteral("塗りつぶす色"),
                            QSize(40, 20), nullptr);
        QCOMPARE(swatch.objectName(), QStringLiteral("lblColor"));
        QCOMPARE(swatch.accessibleName(), QStringLiteral("塗りつぶす色"));
        QCOMPARE(swatch.size(), QSize(40, 20));

        swatch.setColour(colourref::make(0, 128, 255));
        QCOMPARE(swatch.colour(), colourref::make(0, 128, 255));
        QCOMPARE(centre(swatch), qRgb(0, 128, 255));
        const QImage image = swatch.grab().toImage();
        QCOMPARE(image.pixel(0, 0), swatch.palette().color(QPalette::WindowText).rgb());

        swatch.setColour(colourref::kRed);
        QCOMPARE(centre(swatch), qRgb(255, 0, 0));
    }

    // The keyboard reaches it and Space opens its dialog, as a click does.
    void keyboardAndMouseActivateIt()
    {
        QWidget window;
        auto* swatch = new ColourSwatch(QStringLiteral("lblLineColor"), QStringLiteral("線の色"),
                                        QSize(40, 20), &window);
        QCOMPARE(swatch->focusPolicy(), Qt::StrongFocus);
        QSignalSpy clicked(swatch, &ColourSwatch::clicked);
        QTest::keyClick(swatch, Qt::Key_Space);
        QCOMPARE(clicked.count(), 1);
        QTest::mouseClick(swatch, Qt::LeftButton);
        QCOMPARE(clicked.count(), 2);
    }
};

QTEST_MAIN(TestColourSwatch)
#include "test_colour_swatch.moc"
