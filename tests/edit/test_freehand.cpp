#include "edit/CanvasRouter.h"
#include "edit/ColourSwatch.h"
#include "edit/EditImages.h"
#include "edit/FreehandPage.h"
#include "edit/ToolColours.h"
#include "edit/ToolContext.h"
#include "support/FakeDialogs.h"
#include "support/NullTools.h"

#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);

// The drawing page on a white 20 × 20 capture, red line colour.
struct Drawing
{
    Drawing()
    {
        QImage white(20, 20, QImage::Format_RGB32);
        white.fill(Qt::white);
        images.setCaptured(white);
        colours.setLine(colourref::kRed);
    }
    int painted() const
    {
        const QImage& canvas = images.canvas();
        const auto* p = reinterpret_cast<const QRgb*>(canvas.constBits());
        return static_cast<int>(std::count_if(p, p + canvas.width() * canvas.height(),
                                              [](QRgb c) { return c != kWhite; }));
    }
    QRgb at(int x, int y) const { return images.canvas().pixel(x, y); }
    template <typename T>
    T* control(const char* name)
    {
        return page.findChild<T*>(QString::fromLatin1(name));
    }

    EditImages images;
    FakeDialogs dialogs;
    ToolColours colours;
    int repaints = 0;
    ToolContext context{images, dialogs, colours, [this] { ++repaints; }, [](bool) {}};
    FreehandPage page{context};
    StrokeTool& pen = page.stroke();
};

}  // namespace

class TestFreehand : public QObject
{
    Q_OBJECT

private slots:
    void pressPutsARoundDotAsWideAsThePen_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("fewest");
        QTest::addColumn<int>("most");
        QTest::newRow("1: one pixel") << 1 << 1 << 1;
        QTest::newRow("10: a disc") << 10 << 64 << 96;  // pi × 5² ≈ 79
    }
    void pressPutsARoundDotAsWideAsThePen()
    {
        QFETCH(int, width);
        QFETCH(int, fewest);
        QFETCH(int, most);
        Drawing d;
        d.control<QSpinBox>("UpDown1")->setValue(width);
        d.pen.start({10, 10});
        QVERIFY2(d.painted() >= fewest && d.painted() <= most,
                 qPrintable(QString::number(d.painted())));
        QCOMPARE(d.at(10, 10), kRed);
        QCOMPARE(d.at(10 + width / 2 + 1, 10), kWhite);
        QCOMPARE(d.at(14, 14), kWhite);  // outside the disc, inside its square
        QVERIFY(d.images.undoAvailable());
        QCOMPARE(d.repaints, 1);
    }

    void dragDrawsFromThePenPositionInTheColourOfTheMoment()
    {
        Drawing d;
        d.pen.start({5, 5});
        d.colours.setLine(colourref::make(0, 0, 255));
        for (const QPoint to : {QPoint(40, 5), QPoint(40, 15), QPoint(5, 15)}) {
            d.pen.extend(to);  // out of the canvas and back from the outside point
        }
        for (const QPoint blue : {QPoint(5, 5), QPoint(19, 5), QPoint(19, 15), QPoint(5, 15)}) {
            QCOMPARE(d.at(blue.x(), blue.y()), kBlue);
        }
        QCOMPARE(d.at(19, 10), kWhite);
        QCOMPARE(d.painted(), 2 * 15);
    }

    void undoRemovesOnlyTheLastStrokeAndOtherButtonsDrawNothing()
    {
        Drawing d;
        d.pen.start({2, 2});
        d.pen.extend({8, 2});
        const QImage afterFirst = d.images.canvas().copy();
        NoPickTool noPicking;
        CanvasRouter router(noPicking, d.pen);
        router.pressed(CanvasRouter::kDrawingTab, Qt::RightButton, {5, 5});
        router.moved(CanvasRouter::kDrawingTab, Qt::LeftButton | Qt::RightButton, {9, 9});
        QCOMPARE(d.images.canvas(), afterFirst);
        d.pen.start({2, 10});
        d.pen.extend({8, 10});
        d.images.undo();
        QCOMPARE(d.images.canvas(), afterFirst);
        QCOMPARE(d.painted(), 7);
    }

    void controlsSetWidthAndLineColour()
    {
        Drawing d;
        d.control<QSpinBox>("UpDown1")->stepBy(9);
        QCOMPARE(d.control<QLineEdit>("txtLineSize")->text(), QStringLiteral("10"));
        QCOMPARE(d.images.pen.penWidth, 10);

        auto* swatch = d.control<ColourSwatch>("lblLineColor");
        QCOMPARE(swatch->colour(), colourref::kRed);
        d.dialogs.colours = {QColor(Qt::blue), std::nullopt};
        swatch->click();
        swatch->click();  // cancelled: the colour stays
        QCOMPARE(d.colours.line(), colourref::make(0, 0, 255));
        QCOMPARE(swatch->colour(), colourref::make(0, 0, 255));
        d.colours.setLine(colourref::kRed);  // as colour picking does
        QCOMPARE(swatch->colour(), colourref::kRed);
    }
};

QTEST_MAIN(TestFreehand)
#include "test_freehand.moc"
