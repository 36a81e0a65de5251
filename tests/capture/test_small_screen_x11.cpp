// The largest shipped model (854 x 480) on a laptop's 1366 x 768 screen, where
// neither the loupe nor the preview fits at 1.00, and on a 1280 x 1024 screen, where
// both do and stay where they always were.
#include "capture/LoupeSession.h"
#include "capture/frmLoupe.h"
#include "capture/frmPreview.h"
#include "capture/frmZoom.h"
#include "capture/mdlZoom.h"
#include "common/Numbers.h"
#include "common/SelectionState.h"
#include "screen/ScreenGrabber.h"
#include "screen/ScreenGrabberFactory.h"
#include "support/FakeDialogs.h"
#include "support/PatternWindow.h"
#include "support/ServerPixels.h"

#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTest>
#include <QWindow>
#include <memory>

namespace {

const QSize kLaptop(1366, 768);
const QSize kDesk(1280, 1024);

QRect available()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

bool onLaptop()
{
    return available().size() == kLaptop;
}

// `picture` blended down to `size`.
QImage smoothlyScaled(const QImage& picture, const QSize& size)
{
    QImage scaled(size, QImage::Format_RGB32);
    QPainter painter(&scaled);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(scaled.rect(), picture);
    return scaled;
}

}  // namespace

class TestSmallScreenX11 : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScreenGrabber> grabber = makeScreenGrabber();
    SelectionState selection;
    std::unique_ptr<PatternWindow> pattern;
    QList<QImage> snapshots;

private slots:
    void initTestCase()
    {
        const QSize screen = available().size();
        if (screen != kLaptop && screen != kDesk) {
            QSKIP("needs a 1366 x 768 or a 1280 x 1024 screen without panels");
        }
        if (QGuiApplication::primaryScreen()->devicePixelRatio() != 1.0) {
            QSKIP("reads the preview's pixels one to one");
        }
    }
    void init()
    {
        selection = SelectionState{};
        selection.phone.height = 854;
        selection.phone.width = 480;
        selection.capture = CaptureSize{false, 854, 480};
        snapshots.clear();
        // Right of the preview at the left edge and clear of it.
        pattern = std::make_unique<PatternWindow>(QRect(QPoint(700, 10), QSize(600, 700)));
        pattern->show();
        QVERIFY(QTest::qWaitForWindowExposed(pattern.get()));
    }
    void cleanup() { pattern.reset(); }

    void theWindowsStayReachableAndThePictureWhole_data()
    {
        QTest::addColumn<int>("enlarge");
        QTest::newRow("1.00") << 100;
        QTest::newRow("enlarge 2.00") << 200;
    }
    void theWindowsStayReachableAndThePictureWhole()
    {
        QFETCH(int, enlarge);
        CaptureScale scale;
        scale.enlargeValue = enlarge;
        LoupeSession session(selection, scale, *grabber,
                             [this](const QImage& shot) { snapshots.append(shot); });
        session.show();
        frmLoupe& loupe = session.loupe();
        frmPreview& preview = session.preview();
        QVERIFY(QTest::qWaitForWindowExposed(&loupe));
        QVERIFY(QTest::qWaitForWindowExposed(&preview));

        const QRect loupeCaption(loupe.pos(), QSize(loupe.width(), loupe.loupeFrame().frameHeight));
        QVERIFY(available().contains(loupeCaption));
        QVERIFY(available().contains(preview.geometry()));
        if (!onLaptop()) {
            // Where everything fits, nothing moves and nothing is scaled.
            QCOMPARE(preview.percent(), 100);
            QCOMPARE(preview.clientRect().size(), QSize(480, 854));
            const int caption = preview.style()->pixelMetric(QStyle::PM_TitleBarHeight);
            QCOMPARE(preview.pos(),
                     loupegeometry::previewTopLeft(available(), caption, selection.capture));
            QCOMPARE(loupe.pos(),
                     loupegeometry::loupeTopLeft(QGuiApplication::primaryScreen()->geometry(),
                                                 loupe.loupeFrame()));
            return;
        }
        QCOMPARE(preview.percent(), 87);
        QCOMPARE(preview.accessibleName(), QStringLiteral("プレビュー (87%)"));
        QCOMPARE(preview.clientRect().size(), QSize(418, 743));

        if (loupe.height() <= available().height()) {
            loupe.move(pattern->pos() + QPoint(5, 5) - loupe.loupeFrame().hole.topLeft());
        }
        for (int pass = 0; pass < 3; ++pass) {
            QVERIFY(session.runPass());
        }
        // The picture at the working size, shown smoothly scaled down.
        const QImage picture = preview.surface();
        QCOMPARE(picture.size(), QSize(480, 854));
        QCOMPARE(serverPixels(static_cast<xcb_window_t>(preview.winId()), preview.clientRect()),
                 smoothlyScaled(picture, preview.clientRect().size()));
        if (loupe.height() <= available().height()) {
            const QRect hole = session.sourceDeviceRect().translated(-pattern->pos());
            QCOMPARE(picture, expectedPreview(hole, QSize(480, 854)));
        }

        // Enter takes the picture as it was captured, not as it is shown.
        QTest::keyClick(&preview, Qt::Key_Return);
        QCOMPARE(snapshots.size(), 1);
        const QRect crop = CropRect::forCapture(selection.capture, selection.frame).pixels();
        QCOMPARE(crop.size(), QSize(480, 854));
        QCOMPARE(snapshots.first().copy(crop), picture);
    }

    // On the laptop the dialog names the factor at which the loupe fits, and that
    // factor starts the capture with the whole loupe on the screen.
    void theScaleDialogNamesAFactorThatFits()
    {
        FakeDialogs dialogs;
        mdlZoom live(*grabber);
        frmZoom zoom(selection, dialogs, live);
        zoom.show();
        QVERIFY(QTest::qWaitForWindowExposed(&zoom));
        QList<QRect> loupes;
        connect(&live, &mdlZoom::loupeStarted, this, [&] {
            LoupeSession* session = live.session();
            loupes.append(session->loupe().geometry());
            QMetaObject::invokeMethod(
                this, [session] { QTest::keyClick(&session->preview(), Qt::Key_Return); },
                Qt::QueuedConnection);
        });
        QPushButton* ok = zoom.findChild<QPushButton*>(QStringLiteral("cmdOk"));
        QTest::mouseClick(ok, Qt::LeftButton);
        if (!onLaptop()) {
            QVERIFY(dialogs.messages.isEmpty());
            QCOMPARE(loupes.size(), 1);
            return;
        }
        QVERIFY(loupes.isEmpty());
        QCOMPARE(dialogs.messages.size(), 1);
        const QRegularExpressionMatch named =
            QRegularExpression(QStringLiteral("「拡大する」を選んで倍率を([0-9.]+)倍以上"))
                .match(dialogs.messages.first());
        QVERIFY2(named.hasMatch(), qPrintable(dialogs.messages.first()));

        zoom.findChild<QRadioButton*>(QStringLiteral("Option1_1"))->click();
        const auto value =
            static_cast<int>(numbers::roundHalfEven(named.captured(1).toDouble() * 100));
        zoom.findChild<QScrollBar*>(QStringLiteral("HScroll2"))->setValue(value);
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(loupes.size(), 1);
        QVERIFY(available().contains(loupes.first()));
    }
};

QTEST_MAIN(TestSmallScreenX11)
#include "test_small_screen_x11.moc"
