#include "edit/CanvasRouter.h"
#include "edit/EditCanvas.h"
#include "edit/EditImages.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QImage filled(QRgb colour, QSize size = QSize(6, 4))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Marks the canvas as a tool would.
void paintPixel(EditImages& images, QRgb colour)
{
    images.canvas().setPixel(1, 1, colour);
}

// Records what the router hands to the tools.
class Recorder final : public PickTool, public StrokeTool
{
public:
    bool picking = false;
    QStringList calls;

    bool isOn() const override { return picking; }
    void switchOff() override { picking = false; }
    void commit(const QPoint& at) override { record(u"commit", at); }
    void follow(const QPoint& at) override { record(u"follow", at); }
    void start(const QPoint& at) override { record(u"start", at); }
    void extend(const QPoint& at) override { record(u"extend", at); }

private:
    void record(QStringView what, const QPoint& at)
    {
        calls << QStringLiteral("%1 %2,%3").arg(what).arg(at.x()).arg(at.y());
    }
};

}  // namespace

class TestEditImages : public QObject
{
    Q_OBJECT

private slots:
    void newCaptureClearsUndoAndTextBase()
    {
        EditImages images;
        images.setCaptured(filled(0xff0000ff));
        images.TakeUndoSnapshot();
        images.takeTextBase();
        QVERIFY(!images.picDrawText().isNull());
        images.setCaptured(filled(0xff00ff00, QSize(3, 2)));
        QCOMPARE(images.canvas(), filled(0xff00ff00, QSize(3, 2)));
        QCOMPARE(images.picCaptured(), images.canvas());
        QVERIFY(images.picUndo().isNull());
        QVERIFY(images.picDrawText().isNull());
        QVERIFY(!images.undoAvailable());
        QCOMPARE(images.canvas().format(), QImage::Format_RGB32);
    }

    void undoRestoresTheLatestSnapshotAndRestoreTheCapture()
    {
        EditImages images;
        const QImage captured = filled(0xff000000);
        images.setCaptured(captured);
        paintPixel(images, 0xff111111);
        images.undo();  // no snapshot yet: the canvas stays as it is
        QCOMPARE(images.canvas().pixel(1, 1), 0xff111111u);
        images.TakeUndoSnapshot();
        paintPixel(images, 0xff222222);
        images.TakeUndoSnapshot();  // overwrites the first snapshot
        const QImage second = images.canvas().copy();
        paintPixel(images, 0xff333333);
        QVERIFY(images.undoAvailable());
        images.undo();
        QCOMPARE(images.canvas(), second);
        QVERIFY(!images.undoAvailable());

        images.TakeUndoSnapshot();
        images.RestoreCaptured();
        QCOMPARE(images.canvas(), captured);
        QCOMPARE(images.picUndo(), captured);
        QVERIFY(!images.undoAvailable());
    }

    void undoCopyKeepsAvailability()
    {
        EditImages images;
        images.setCaptured(filled(0xff000000));
        paintPixel(images, 0xff0000ff);
        images.setUndoCopy();
        QVERIFY(!images.undoAvailable());
        QCOMPARE(images.picUndo(), images.canvas());
        images.TakeUndoSnapshot();
        paintPixel(images, 0xff00ff00);
        images.setUndoCopy();
        QVERIFY(images.undoAvailable());
        QCOMPARE(images.picUndo().pixel(1, 1), 0xff00ff00u);
    }

    void canvasReportsImageCoordinates()
    {
        EditImages images;
        images.setCaptured(filled(0xff000000, QSize(30, 20)));
        EditCanvas canvas;
        canvas.setImages(&images);
        canvas.fitToImage();
        QCOMPARE(canvas.size(), QSize(34, 24));
        canvas.show();
        QVERIFY(QTest::qWaitForWindowExposed(&canvas));
        QSignalSpy pressed(&canvas, &EditCanvas::pressed);
        QSignalSpy moved(&canvas, &EditCanvas::moved);
        QTest::mousePress(&canvas, Qt::LeftButton, {}, QPoint(12, 7));
        QCOMPARE(pressed.count(), 1);
        QCOMPARE(pressed.at(0).at(0).value<Qt::MouseButton>(), Qt::LeftButton);
        QCOMPARE(pressed.at(0).at(1).toPoint(), QPoint(10, 5));
        QTest::mouseRelease(&canvas, Qt::LeftButton, {}, QPoint(12, 7));
        QTest::mouseMove(&canvas, QPoint(3, 2));  // no button held: reported through tracking
        QVERIFY(!moved.isEmpty());
        QCOMPARE(moved.last().at(0).value<Qt::MouseButtons>(), Qt::NoButton);
        QCOMPARE(moved.last().at(1).toPoint(), QPoint(1, 0));
    }

    void drawingTakesExactlyTheLeftButtonOnItsTab()
    {
        Recorder tools;
        CanvasRouter router(tools, tools);
        router.pressed(2, Qt::LeftButton, {1, 1});
        router.moved(3, Qt::NoButton, {2, 2});
        QVERIFY(tools.calls.isEmpty());
        router.pressed(3, Qt::LeftButton, {4, 5});
        router.moved(3, Qt::LeftButton, {6, 7});
        QCOMPARE(tools.calls, (QStringList{u"start 4,5"_s, u"extend 6,7"_s}));
    }

    void pickingServesAnyButtonFirst()
    {
        Recorder tools;
        tools.picking = true;
        CanvasRouter router(tools, tools);
        router.pressed(2, Qt::MiddleButton, {1, 2});
        router.moved(2, Qt::NoButton, {3, 4});
        router.pressed(3, Qt::LeftButton, {5, 6});
        QCOMPARE(tools.calls,
                 (QStringList{u"commit 1,2"_s, u"follow 3,4"_s, u"commit 5,6"_s, u"start 5,6"_s}));
    }
};

QTEST_MAIN(TestEditImages)
#include "test_edit_images.moc"
