#include "edit/BorderFill.h"
#include "edit/BorderFillPage.h"
#include "edit/CanvasRouter.h"
#include "edit/ColourSwatch.h"
#include "edit/EditImages.h"
#include "edit/ToolColours.h"
#include "edit/ToolContext.h"
#include "support/FakeDialogs.h"
#include "support/NullTools.h"

#include <QLabel>
#include <QPushButton>
#include <QRegion>
#include <QScrollBar>
#include <QTest>

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kBlue = 0xFF0000FF;
constexpr QPoint kRedPixel(50, 80);
constexpr QPoint kBluePixel(60, 80);

// A 100 × 160 white capture with one red and one blue pixel, snapshot taken as on
// entering the tab.
struct Edit
{
    Edit()
    {
        QImage picture(100, 160, QImage::Format_RGB32);
        picture.fill(kWhite);
        picture.setPixel(kRedPixel, kRed);
        picture.setPixel(kBluePixel, kBlue);
        images.setCaptured(picture);
        images.TakeUndoSnapshot();
    }

    EditImages images;
    FakeDialogs dialogs;
    ToolColours colours;
    QList<bool> crossPointer;
    ToolContext context{images, dialogs, colours, [] {},
                        [this](bool on) { crossPointer.append(on); }};
};

// The first pixel that is not `inside` within `box` and the undo copy elsewhere.
QString mismatch(const EditImages& images, const QRegion& box, QRgb inside)
{
    const QImage& canvas = images.canvas();
    for (int i = 0; i < canvas.width() * canvas.height(); ++i) {
        const QPoint at(i % canvas.width(), i / canvas.width());
        if (canvas.pixel(at) != (box.contains(at) ? inside : images.picUndo().pixel(at))) {
            return QStringLiteral("(%1, %2)").arg(at.x()).arg(at.y());
        }
    }
    return {};
}

template <typename T = QWidget>
T* find(const QWidget& page, const char* name)
{
    return page.findChild<T*>(QString::fromLatin1(name));
}

QRgb swatchColour(QWidget* swatch)
{
    return swatch->palette().color(QPalette::Window).rgb();
}

}  // namespace

class TestBorderFill : public QObject
{
    Q_OBJECT

private slots:
    void eachStripCoversItsThousandths_data()
    {
        QTest::addColumn<BorderSide>("side");
        QTest::addColumn<int>("value");
        QTest::addColumn<QRect>("painted");
        // 180/1000 of 160 rows is 28.8: rows 0 to 28.
        QTest::newRow("top 200") << BorderSide::Top << 200 << QRect(0, 0, 100, 29);
        QTest::newRow("bottom 200") << BorderSide::Bottom << 200 << QRect(0, 131, 100, 29);
        QTest::newRow("right 200") << BorderSide::Right << 200 << QRect(82, 0, 18, 160);
        QTest::newRow("top 29: 1.44 rows") << BorderSide::Top << 29 << QRect(0, 0, 100, 1);
        QTest::newRow("left 45: 2.5 columns, half to even")
            << BorderSide::Left << 45 << QRect(0, 0, 2, 160);
        QTest::newRow("top 20: nothing") << BorderSide::Top << 20 << QRect();
        QTest::newRow("left 10: nothing") << BorderSide::Left << 10 << QRect();
    }
    void eachStripCoversItsThousandths()
    {
        QFETCH(BorderSide, side);
        QFETCH(int, value);
        QFETCH(QRect, painted);
        Edit edit;
        edit.colours.setFill(colourref::kRed);
        BorderFill fill(edit.images, edit.colours);
        fill.setWidth(side, value);
        QCOMPARE(mismatch(edit.images, painted, kRed), QString());
    }

    void redrawStartsFromTheUndoCopy()
    {
        Edit edit;
        BorderFill fill(edit.images, edit.colours);
        fill.setWidth(BorderSide::Top, 200);
        fill.setWidth(BorderSide::Left, 200);
        edit.images.canvas().setPixel(90, 150, kBlue);  // drawn since the strips
        fill.setWidth(BorderSide::Top, 50);             // 30/1000 of 160: rows 0 to 4
        const QRegion strips = QRegion(0, 0, 100, 5) + QRegion(0, 0, 18, 160);
        QCOMPARE(mismatch(edit.images, strips, 0xFF000000), QString());
        fill.resetWidths();
        QCOMPARE(edit.images.canvas(), edit.images.picUndo());
        QCOMPARE(fill.width(BorderSide::Left), 0);
    }

    void scrollBarsDriveLabelsAndStrips()
    {
        Edit edit;
        BorderFillPage page(edit.context);
        QVERIFY(find<QLabel>(page, "lblColor2")->isHidden());
        auto* bottom = find<QScrollBar>(page, "HScroll2");
        for (int i = 0; i < 3; ++i) {
            bottom->triggerAction(QAbstractSlider::SliderPageStepAdd);
        }
        QCOMPARE(find<QLabel>(page, "Label12")->text(), QStringLiteral("下 30"));
        QCOMPARE(mismatch(edit.images, QRect(0, 158, 100, 2), 0xFF000000), QString());

        page.resetWidths();
        QCOMPARE(bottom->value(), 0);
        QCOMPARE(find<QLabel>(page, "Label12")->text(), QStringLiteral("下 0"));
        QCOMPARE(edit.images.canvas(), edit.images.picUndo());
    }

    void colourDialogRepaintsTheStrips()
    {
        Edit edit;
        BorderFillPage page(edit.context);
        find<QScrollBar>(page, "HScroll1")->setValue(200);
        edit.images.canvas().setPixel(90, 150, kBlue);  // gone after the redraw
        edit.dialogs.colours = {QColor(kRed), std::nullopt};
        auto* swatch = find<ColourSwatch>(page, "lblColor");
        swatch->click();
        swatch->click();  // cancelled: the colour stays
        QCOMPARE(edit.dialogs.colourStarts, (QList<QColor>{QColor(Qt::black), QColor(kRed)}));
        QCOMPARE(swatch->colour(), colourref::kRed);
        QCOMPARE(edit.colours.fill(), colourref::kRed);
        QCOMPARE(mismatch(edit.images, QRect(0, 0, 100, 29), kRed), QString());
    }

    void aPressCommitsTheLastColourShown()
    {
        Edit edit;
        BorderFillPage page(edit.context);
        find<QScrollBar>(page, "HScroll3")->setValue(200);
        NoStrokeTool stroke;
        CanvasRouter router(page.picker(), stroke);
        find<QPushButton>(page, "cmdGetcolor1")->click();
        QVERIFY(page.picker().isOn());
        QCOMPARE(edit.crossPointer, QList<bool>{true});
        QVERIFY(!find<QPushButton>(page, "cmdGetcolor1")->isEnabled());
        auto* live = find<QLabel>(page, "lblColor2");
        QVERIFY(!live->isHidden());

        router.moved(2, Qt::NoButton, kRedPixel);
        QCOMPARE(swatchColour(live), kRed);
        router.pressed(2, Qt::RightButton, kBluePixel);  // no move reached the blue pixel
        QCOMPARE(edit.colours.fill(), colourref::kRed);
        QCOMPARE(edit.colours.line(), colourref::kRed);
        QCOMPARE(find<ColourSwatch>(page, "lblColor")->colour(), colourref::kRed);
        QCOMPARE(mismatch(edit.images, QRect(82, 0, 18, 160), kRed), QString());
        QVERIFY(!page.picker().isOn());
        QCOMPARE(edit.crossPointer, (QList<bool>{true, false}));
        QVERIFY(live->isHidden());
    }

    void switchingOffChangesNoColour()
    {
        Edit edit;
        BorderFillPage page(edit.context);
        for (bool byButton : {true, false}) {
            find<QPushButton>(page, "cmdGetcolor1")->click();
            page.picker().follow(kRedPixel);
            if (byButton) {
                find<QPushButton>(page, "cmdGetcolor2")->click();
            } else {
                page.picker().switchOff();  // another tab selected
            }
            QVERIFY(!page.picker().isOn());
            QCOMPARE(edit.colours.fill(), colourref::kBlack);
            QCOMPARE(edit.colours.line(), colourref::kBlack);
        }
        QCOMPARE(edit.crossPointer, (QList<bool>{true, false, true, false}));
    }
};

QTEST_MAIN(TestBorderFill)
#include "test_border_fill.moc"
