#include "capture/LoupeSession.h"
#include "capture/frmLoupe.h"
#include "capture/frmPreview.h"
#include "common/DevicePixels.h"
#include "common/SelectionState.h"
#include "screen/PortalScreenGrabber.h"
#include "screen/ScreenCastTokenStore.h"
#include "support/TryWait.h"
#include "wayland/OutputScale.h"
#include "wayland/PatternOnDesk.h"

#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

const QPoint kPatternAt(100, 100);

}  // namespace

class TestLiveCaptureWayland : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir tokenFolder;
    std::unique_ptr<PortalScreenGrabber> grabber;
    SelectionState selection;
    std::unique_ptr<testsupport::PatternWindow> pattern;
    QList<QImage> snapshots;
    std::unique_ptr<waylanddesk::Keyboard> keyboard;
    std::unique_ptr<waylanddesk::Pointer> pointer;

    std::unique_ptr<LoupeSession> openSession(const CaptureScale& scale, bool placed = true)
    {
        if (!waylanddesk::waitUntilCaptureGone()) {
            qFatal("the last live capture's windows stay");
        }
        auto session = std::make_unique<LoupeSession>(
            selection, scale, *grabber, [this](const QImage& shot) { snapshots.append(shot); });
        QString problem;
        if (!session->openStream(problem) || !session->waitForStream()) {
            qFatal("no stream: %s", qPrintable(problem));
        }
        session->show();
        if (!QTest::qWaitForWindowExposed(&session->loupe()) ||
            !QTest::qWaitForWindowExposed(&session->preview())) {
            qFatal("live capture windows not shown");
        }
        // Out of the way of the pattern; the compositor places windows, not the program.
        if (placed) {
            waylanddesk::moveWindow(QStringLiteral("プレビュー"), QPoint(900, 620));
        }
        return session;
    }
    // Moves the loupe as a drag does (the compositor moves it) so that its hole is at
    // `hole` of the pattern window, then runs passes until the preview shows it.
    bool previewShows(LoupeSession& session, const QPoint& hole)
    {
        const QPoint loupeAt = kPatternAt + hole - session.loupe().loupeFrame().hole.topLeft();
        return waylanddesk::moveWindow(QStringLiteral("ルーペ"), loupeAt) &&
               previewShowsPattern(session, hole);
    }
    // The renderer draws the cursor into the screen's pixels (and the compositor
    // keeps it where the last pointer left it): away from the pattern.
    void parkPointer() { QVERIFY(pointer->moveTo(QPoint(1270, 1010))); }
    // Runs passes until the preview shows the pattern under a hole at `hole`.
    bool previewShowsPattern(LoupeSession& session, const QPoint& hole)
    {
        const QImage expected =
            expectedPreview(QRect(hole, session.loupe().loupeFrame().hole.size()),
                            session.preview().surface().size());
        QDeadlineTimer deadline(10000);
        while (session.preview().surface() != expected && !deadline.hasExpired()) {
            if (grabber->newestFrame().isNull()) {
                // A copy with damage starts with the first change of the output.
                waylanddesk::damageOutput();
            }
            session.runPass();
        }
        return session.preview().surface() == expected;
    }
    // Moves the loupe so that its hole is at `hole` of the output, then runs passes
    // until the preview shows the output's own pixels under it (an output of `ratio`
    // device pixels to a logical pixel, the hole's edges mapped on their own), black
    // beyond the output's edge.
    bool previewShowsTheOutput(LoupeSession& session, const QPoint& hole, double ratio)
    {
        const LoupeFrame& frame = session.loupe().loupeFrame();
        const QRect device = devicepixels::edgesToDevice(QRect(hole, frame.hole.size()), ratio);
        QDeadlineTimer deadline(20000);
        QDeadlineTimer moveAgain;
        while (!deadline.hasExpired()) {
            // A loaded compositor may still place the window itself after the move:
            // the move is made again now and then until the preview shows the place.
            if (moveAgain.hasExpired()) {
                if (!waylanddesk::moveWindow(QStringLiteral("ルーペ"),
                                             hole - frame.hole.topLeft())) {
                    return false;
                }
                moveAgain.setRemainingTime(2000);
            }
            if (grabber->newestFrame().isNull()) {
                waylanddesk::damageOutput();
            }
            session.runPass();
            // The hole's pixels stay the same from frame to frame.
            const QImage output = grabber->newestFrame();
            if (!output.isNull() &&
                session.preview().surface() ==
                    expectedPreview(output, device, session.preview().surface().size())) {
                return true;
            }
        }
        return false;
    }

private slots:
    void initTestCase()
    {
        grabber =
            std::make_unique<PortalScreenGrabber>(tokenFolder.path(), QDBusConnection::sessionBus(),
                                                  PortalScreenGrabber::portalService());
        pattern = waylanddesk::showPattern(kPatternAt);
        QVERIFY(pattern);
        keyboard = std::make_unique<waylanddesk::Keyboard>();
        pointer = std::make_unique<waylanddesk::Pointer>();
        QVERIFY(pointer->isReady());
        parkPointer();
    }
    void init()
    {
        selection = SelectionState{};
        selection.capture = CaptureSize{false, 320, 240};
        snapshots.clear();
    }

    void previewShowsTheAreaUnderTheHole_data()
    {
        QTest::addColumn<int>("shrink");
        QTest::addColumn<int>("enlarge");
        QTest::newRow("1.00") << 100 << 100;
        QTest::newRow("shrink 1.50") << 150 << 100;
        QTest::newRow("enlarge 2.00") << 100 << 200;
    }
    void previewShowsTheAreaUnderTheHole()
    {
        QFETCH(int, shrink);
        QFETCH(int, enlarge);
        CaptureScale scale;
        scale.mode = enlarge > 100 ? CaptureScale::Mode::Enlarge : CaptureScale::Mode::Shrink;
        scale.shrinkValue = shrink;
        scale.enlargeValue = enlarge;
        auto session = openSession(scale);
        QVERIFY(previewShows(*session, QPoint(40, 30)));
        // Moved elsewhere, the loupe is found again.
        QVERIFY(previewShows(*session, QPoint(230, 310)));
        session->stop();
        QVERIFY(!session->runPass());
        QVERIFY(grabber->newestFrame().isNull());
        // The portal's permission is kept for the next start of the program.
        QVERIFY(!ScreenCastTokenStore(tokenFolder.path()).load().isEmpty());
    }

    // Where the compositor opens the loupe over the preview (sway: both at one spot), the
    // preview asks for the loupe to be moved until the hole has left it.
    void theFirstViewAsksToMoveTheLoupeOffThePreview()
    {
        auto session = openSession(CaptureScale{}, false);
        // GNOME opens them side by side: the loupe is put where sway opens it.
        const QRect preview = waylanddesk::placedRect(QStringLiteral("プレビュー"));
        QVERIFY(!preview.isEmpty());
        QVERIFY(
            waylanddesk::moveWindow(QStringLiteral("ルーペ"), preview.topLeft() - QPoint(2, 2)));
        QVERIFY(waylanddesk::focusWindow(QStringLiteral("ルーペ")));  // on top
        const QString notice = QStringLiteral("ルーペを動かしてください");
        QDeadlineTimer deadline(10000);
        while (session->preview().notice() != notice && !deadline.hasExpired()) {
            if (grabber->newestFrame().isNull()) {
                waylanddesk::damageOutput();
            }
            session->runPass();
        }
        QCOMPARE(session->preview().notice(), notice);
        QVERIFY(waylanddesk::moveWindow(QStringLiteral("プレビュー"), QPoint(900, 620)));
        QVERIFY(previewShows(*session, QPoint(50, 60)));
        QVERIFY(session->preview().notice().isEmpty());
    }

    void draggingTheCaptionMovesTheLoupe()
    {
        auto session = openSession(CaptureScale{});
        const QPoint from(40, 30);
        QVERIFY(previewShows(*session, from));
        frmLoupe& loupe = session->loupe();
        const QPoint grip = kPatternAt + from - loupe.loupeFrame().hole.topLeft() + QPoint(30, 6);
        // The program has the pointer once it has bound the seat's: move until the loupe
        // sees it.
        QDeadlineTimer deadline(10000);
        for (int step = 0; !loupe.underMouse() && !deadline.hasExpired(); ++step) {
            QVERIFY(pointer->moveTo(grip + QPoint(step % 2, 0)));
            session->runPass();
        }
        QVERIFY(loupe.underMouse());
        QVERIFY(pointer->press());
        while (!(QGuiApplication::mouseButtons() & Qt::LeftButton) && !deadline.hasExpired()) {
            session->runPass();
        }
        // The press has reached the loupe, which handed the move to the compositor; a
        // round trip makes sure the compositor has it before the pointer goes on.
        QGuiApplication::sync();
        const QPoint before = waylanddesk::windowRect(QStringLiteral("ルーペ")).topLeft();
        const QPoint by(150, 200);
        for (int step = 1; step <= 10; ++step) {
            QVERIFY(pointer->moveTo(grip + by * step / 10));
            session->runPass();
        }
        QVERIFY(pointer->release());
        parkPointer();
        // The loupe went with the pointer (give or take the step the move may have
        // begun with), and the preview shows what now lies under the hole.
        const QPoint after = waylanddesk::windowRect(QStringLiteral("ルーペ")).topLeft();
        QVERIFY2((after - before - by).manhattanLength() <= 35,
                 qPrintable(QStringLiteral("moved by %1,%2")
                                .arg(after.x() - before.x())
                                .arg(after.y() - before.y())));
        QVERIFY(
            previewShowsPattern(*session, after + loupe.loupeFrame().hole.topLeft() - kPatternAt));
    }

    // The hole at the output's right edge (the loupe's strip past it), and partly past
    // its bottom edge: the loupe is still found, and what lies beyond is black.
    void theHoleReachesTheOutputsEdges()
    {
        auto session = openSession(CaptureScale{});
        const QSize hole = session->loupe().loupeFrame().hole.size();
        QVERIFY(previewShowsTheOutput(*session, QPoint(1280 - hole.width(), 200), 1));
        QVERIFY(previewShowsTheOutput(*session, QPoint(600, 1024 - hole.height() + 4), 1));
    }

    void enterTakesThePreview()
    {
        auto session = openSession(CaptureScale{});
        QVERIFY(previewShows(*session, QPoint(60, 70)));
        const QImage shown = session->preview().surface();
        QVERIFY(waylanddesk::focusWindow(QStringLiteral("ルーペ")));
        // Until the program has bound the seat's keyboard a key is lost: type again
        // while no snapshot has come.
        QDeadlineTimer deadline(10000);
        while (snapshots.isEmpty() && !deadline.hasExpired()) {
            QVERIFY(keyboard->type(QStringLiteral("Return")));
            QDeadlineTimer answer(1000);
            while (snapshots.isEmpty() && !answer.hasExpired() && session->runPass()) {
            }
        }
        QCOMPARE(snapshots.size(), 1);
        QVERIFY(!session->runPass());  // Enter ended the live capture
        QCOMPARE(snapshots.first().copy(
                     CropRect::forCapture(selection.capture, selection.frame).pixels()),
                 shown);
    }

    // An output scaled by a fraction: Qt 6.4 draws the windows at twice the size and the
    // compositor scales them down, blending every edge; Qt 6.5 and later draw them at the
    // fraction itself (wp_fractional_scale_v1, in 120ths). The preview still shows the
    // output's pixels under the hole, to the device pixel, at odd logical positions (half
    // device pixels) as at even ones.
    void previewIsExactOnAFractionallyScaledOutput()
    {
        const double ratio = waylanddesk::scaleOutputByAboutHalfMore();
        const auto restore = qScopeGuard([] { waylanddesk::unscaleOutput(); });
        QVERIFY(ratio > 1);
        TRY_COMPARE_WITH_TIMEOUT(pattern->devicePixelRatioF(), waylanddesk::windowRatio(ratio),
                                 10000);
        // About 853 x 682 logical pixels: the preview beside the pattern's top left.
        auto session = openSession(CaptureScale{}, false);
        QVERIFY(waylanddesk::moveWindow(QStringLiteral("プレビュー"), QPoint(560, 300)));
        QVERIFY(previewShowsTheOutput(*session, kPatternAt + QPoint(41, 31), ratio));
        QVERIFY(previewShowsTheOutput(*session, kPatternAt + QPoint(120, 90), ratio));
    }
};

QTEST_MAIN(TestLiveCaptureWayland)
#include "test_live_capture_wayland.moc"
