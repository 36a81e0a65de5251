#include "edit/EditCanvas.h"
#include "edit/EditImages.h"

#include <QSignalSpy>
#include <QTest>

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

    void undoRestoresTheLatestSnapshot()
    {
        EditImages images;
        images.setCaptured(filled(0xff000000));
        paintPixel(images, 0xff111111);
        images.Undo();  // no snapshot yet: the canvas stays as it is
        QCOMPARE(images.canvas().pixel(1, 1), 0xff111111u);
        images.TakeUndoSnapshot();
        paintPixel(images, 0xff222222);
        images.TakeUndoSnapshot();  // overwrites the first snapshot
        const QImage second = images.canvas().copy();
        paintPixel(images, 0xff333333);
        QVERIFY(images.undoAvailable());
        images.Undo();
        QCOMPARE(images.canvas(), second);
        QVERIFY(!images.undoAvailable());
    }

    void restoreGivesTheCapturedImage()
    {
        EditImages images;
        const QImage captured = filled(0xff405060);
        images.setCaptured(captured);
        paintPixel(images, 0xffffffff);
        images.TakeUndoSnapshot();
        paintPixel(images, 0xff000000);
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
};

QTEST_MAIN(TestEditImages)
#include "test_edit_images.moc"
