#include "edit/BorderFill.h"
#include "edit/BorderFillPage.h"
#include "support/NullTools.h"
#include "edit/CanvasRouter.h"
#include "edit/EditImages.h"
#include "edit/ToolColours.h"
#include "edit/ToolContext.h"
#include "support/FakeDialogs.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QRegion>
#include <QScrollBar>
#include <QTest>

using namespace Qt::StringLiterals;

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
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            const QRgb want = box.contains(QPoint(x, y)) ? inside : images.picUndo().pixel(x, y);
            if (canvas.pixel(x, y) != want) {
                return QStringLiteral("(%1, %2) is %3")
                    .arg(x)
                    .arg(y)
                    .arg(canvas.pixel(x, y), 0, 16);
            }
        }
    }
    return {};
}

template <typename T>
T* find(const QWidget& page, QStringView name)
{
    return page.findChild<T*>(name.toString());
}

QColor swatchColour(QWidget* swatch)
{
    return swatch->palette().color(QPalette::Window);
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
        QTest::newRow("top 45") << BorderSide::Top << 45 << QRect(0, 0, 100, 4);
        QTest::newRow("bottom 200") << BorderSide::Bottom << 200 << QRect(0, 131, 100, 29);
        QTest::newRow("right 200") << BorderSide::Right << 200 << QRect(82, 0, 18, 160);
        QTest::newRow("left 200") << BorderSide::Left << 200 << QRect(0, 0, 18, 160);
        QTest::newRow("left 70") << BorderSide::Left << 70 << QRect(0, 0, 5, 160);
        for (BorderSide side : kBorderSides) {
            for (int value : {10, 20}) {
                QTest::addRow("side %d at %d", static_cast<int>(side), value)
                    << side << value << QRect();
            }
        }
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
        QCOMPARE(mismatch(edit.images, QRegion(0, 0, 100, 5) + QRegion(0, 0, 18, 160),
                          colourref::toQColor(edit.colours.fill()).rgb()),
                 QString());

        fill.resetWidths();
        QCOMPARE(edit.images.canvas(), edit.images.picUndo());
        for (BorderSide side : kBorderSides) {
            QCOMPARE(fill.width(side), 0);
        }
    }

    void pageStartsAtZeroWithPickingOff()
    {
        Edit edit;
        BorderFillPage page(edit.context);
        const QStringList labels{u"上 0"_s, u"下 0"_s, u"右 0"_s, u"左 0"_s};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(page.findChild<QLabel*>(QStringLiteral("Label1%1").arg(i + 1))->text(),
                     labels[i]);
            auto* bar = page.findChild<QScrollBar*>(QStringLiteral("HScroll%1").arg(i + 1));
            QCOMPARE(bar->maximum(), 200);
            QCOMPARE(bar->value(), 0);
        }
        QCOMPARE(swatchColour(find<QAbstractButton>(page, u"lblColor")), QColor(Qt::black));
        QVERIFY(find<QPushButton>(page, u"cmdGetcolor1")->isEnabled());
        QVERIFY(!find<QPushButton>(page, u"cmdGetcolor2")->isEnabled());
        QVERIFY(find<QLabel>(page, u"lblColor2")->isHidden());
    }

    void scrollBarsDriveLabelsAndStrips()
    {
        Edit edit;
        BorderFillPage page(edit.context);
        auto* bottom = find<QScrollBar>(page, u"HScroll2");
        bottom->triggerAction(QAbstractSlider::SliderPageStepAdd);
        bottom->triggerAction(QAbstractSlider::SliderPageStepAdd);
        bottom->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(find<QLabel>(page, u"Label12")->text(), QStringLiteral("下 30"));
        QCOMPARE(mismatch(edit.images, QRect(0, 158, 100, 2), 0xFF000000), QString());

        page.resetWidths();
        QCOMPARE(bottom->value(), 0);
        QCOMPARE(find<QLabel>(page, u"Label12")->text(), QStringLiteral("下 0"));
        QCOMPARE(edit.images.canvas(), edit.images.picUndo());
    }

    void colourDialogRepaintsTheStrips_data()
    {
        QTest::addColumn<std::optional<QColor>>("answer");
        QTest::addColumn<QRgb>("strips");
        QTest::newRow("chosen") << std::optional<QColor>(QColor(kRed)) << kRed;
        QTest::newRow("cancelled") << std::optional<QColor>() << QRgb(0xFF000000);
    }

    void colourDialogRepaintsTheStrips()
    {
        QFETCH(std::optional<QColor>, answer);
        QFETCH(QRgb, strips);
        Edit edit;
        BorderFillPage page(edit.context);
        find<QScrollBar>(page, u"HScroll1")->setValue(200);
        edit.images.canvas().setPixel(90, 150, kBlue);  // gone after the redraw
        edit.dialogs.colours.append(answer);
        find<QAbstractButton>(page, u"lblColor")->click();
        QCOMPARE(edit.dialogs.colourStarts, QList<QColor>{QColor(Qt::black)});
        QCOMPARE(swatchColour(find<QAbstractButton>(page, u"lblColor")).rgb(), strips);
        QCOMPARE(colourref::toQColor(edit.colours.fill()).rgb(), strips);
        QCOMPARE(mismatch(edit.images, QRect(0, 0, 100, 29), strips), QString());
    }

    void aPressCommitsTheLastColourShown()
    {
        Edit edit;
        BorderFillPage page(edit.context);
        find<QScrollBar>(page, u"HScroll3")->setValue(200);
        NoStrokeTool stroke;
        CanvasRouter router(page.picker(), stroke);
        find<QPushButton>(page, u"cmdGetcolor1")->click();
        QVERIFY(page.picker().isOn());
        QCOMPARE(edit.crossPointer, QList<bool>{true});
        QVERIFY(!find<QPushButton>(page, u"cmdGetcolor1")->isEnabled());
        QVERIFY(find<QPushButton>(page, u"cmdGetcolor2")->isEnabled());
        auto* live = find<QLabel>(page, u"lblColor2");
        QVERIFY(!live->isHidden());

        router.moved(2, Qt::NoButton, kRedPixel);
        QCOMPARE(swatchColour(live).rgb(), kRed);
        router.pressed(2, Qt::RightButton, kBluePixel);  // no move reached the blue pixel
        QCOMPARE(edit.colours.fill(), colourref::kRed);
        QCOMPARE(edit.colours.line(), colourref::kRed);
        QCOMPARE(swatchColour(find<QAbstractButton>(page, u"lblColor")).rgb(), kRed);
        QCOMPARE(mismatch(edit.images, QRect(82, 0, 18, 160), kRed), QString());
        QVERIFY(!page.picker().isOn());
        QCOMPARE(edit.crossPointer, (QList<bool>{true, false}));
        QVERIFY(live->isHidden());
        QVERIFY(find<QPushButton>(page, u"cmdGetcolor1")->isEnabled());
    }

    void switchingOffChangesNoColour()
    {
        Edit edit;
        BorderFillPage page(edit.context);
        for (bool byButton : {true, false}) {
            find<QPushButton>(page, u"cmdGetcolor1")->click();
            page.picker().follow(kRedPixel);
            if (byButton) {
                find<QPushButton>(page, u"cmdGetcolor2")->click();
            } else {
                page.picker().switchOff();  // another tab selected
            }
            QVERIFY(!page.picker().isOn());
            QVERIFY(find<QLabel>(page, u"lblColor2")->isHidden());
            QCOMPARE(edit.colours.fill(), colourref::kBlack);
            QCOMPARE(edit.colours.line(), colourref::kBlack);
        }
        QCOMPARE(edit.crossPointer, (QList<bool>{true, false, true, false}));
        QCOMPARE(edit.images.canvas(), edit.images.picUndo());
    }
};

QTEST_MAIN(TestBorderFill)
#include "test_border_fill.moc"
