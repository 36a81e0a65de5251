#include "capture/LoupeSession.h"
#include "capture/frmLoupe.h"
#include "capture/frmPreview.h"
#include "capture/frmZoom.h"
#include "capture/mdlZoom.h"
#include "common/SelectionState.h"
#include "screen/ScreenGrabber.h"
#include "screen/ScreenGrabberFactory.h"
#include "support/FakeDialogs.h"
#include "support/PatternWindow.h"
#include "support/RecordingLiveCapture.h"
#include "support/ServerPixels.h"

#include <QApplication>
#include <QClipboard>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>
#include <memory>

namespace {

// The program's grabber, counting what the passes ask of it.
class CountingGrabber final : public ScreenGrabber
{
public:
    explicit CountingGrabber(ScreenGrabber& inner) : m_inner(inner) {}

    bool grab(const QRect& area, QImage& into) override
    {
        ++grabs;
        return !failGrabs && m_inner.grab(area, into);
    }
    QPoint deviceTopLeft(const QWindow& window) const override
    {
        return m_inner.deviceTopLeft(window);
    }
    QImage makeSurface(const QSize& size) override { return m_inner.makeSurface(size); }
    bool present(const QWindow& window, const QPoint& at, const QImage& picture) override
    {
        return m_inner.present(window, at, picture);
    }
    bool copyToWindow(const QRect& area, const QWindow& window, const QPoint& at) override
    {
        const bool copied = m_inner.copyToWindow(area, window, at);
        copies += copied ? 1 : 0;
        return copied;
    }

    int grabs = 0;
    int copies = 0;
    bool failGrabs = false;  // as a grab the X server refuses

private:
    ScreenGrabber& m_inner;
};

// What the X server shows in the preview's client area (device pixels one to one
// with logical ones on an unscaled screen only).
QImage shownInPreview(LoupeSession& session)
{
    return serverPixels(static_cast<xcb_window_t>(session.preview().winId()),
                        session.preview().clientRect());
}

// As expectedPreview, with black where the area reaches past the screen's top or left
// edge; the pattern lies at the screen's top-left corner.
QImage expectedAtScreenEdge(const QRect& device, const QSize& target)
{
    QImage expected = expectedPreview(device, target);
    for (int y = 0; y < target.height(); ++y) {
        const auto sy = (2LL * y + 1) * device.height() / (2LL * target.height()) + device.y();
        for (int x = 0; x < target.width(); ++x) {
            const auto sx = (2LL * x + 1) * device.width() / (2LL * target.width()) + device.x();
            if (sx < 0 || sy < 0) {
                expected.setPixel(x, y, qRgb(0, 0, 0));
            }
        }
    }
    return expected;
}

}  // namespace

class TestLiveCaptureX11 : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScreenGrabber> grabberOwner = makeScreenGrabber();
    ScreenGrabber& grabber = *grabberOwner;
    QtScreenGrabber qtGrabber;
    SelectionState selection;
    std::unique_ptr<PatternWindow> pattern;
    QList<QImage> snapshots;

    std::unique_ptr<LoupeSession> openSession(const CaptureScale& scale,
                                              ScreenGrabber* with = nullptr)
    {
        auto session =
            std::make_unique<LoupeSession>(selection, scale, with ? *with : grabber,
                                           [this](const QImage& shot) { snapshots.append(shot); });
        session->show();
        if (!QTest::qWaitForWindowExposed(&session->loupe()) ||
            !QTest::qWaitForWindowExposed(&session->preview())) {
            qFatal("live capture windows not shown");
        }
        return session;
    }
    // Puts the loupe's hole at `holeTopLeft` (virtual desktop) and lets the loop copy.
    static void placeHole(LoupeSession& session, const QPoint& holeTopLeft)
    {
        session.loupe().move(holeTopLeft - session.loupe().loupeFrame().hole.topLeft());
        for (int pass = 0; pass < 3; ++pass) {
            QVERIFY(session.runPass());
        }
    }
    // The pattern under the hole of a loupe whose window is at `loupeTopLeft`: the
    // window system puts each window and each edge of the hole's mask on the nearest
    // device pixel.
    QRect holeOverPattern(LoupeSession& session, const QPoint& loupeTopLeft) const
    {
        const double ratio = pattern->devicePixelRatioF();
        const auto device = [ratio](int logical) { return qRound(logical * ratio); };
        const QRect hole = session.loupe().loupeFrame().hole;
        const QPoint origin(device(loupeTopLeft.x()) - device(pattern->x()),
                            device(loupeTopLeft.y()) - device(pattern->y()));
        return {origin + QPoint(device(hole.left()), device(hole.top())),
                origin + QPoint(device(hole.left() + hole.width()) - 1,
                                device(hole.top() + hole.height()) - 1)};
    }
    QImage expectedAt(LoupeSession& session, const QPoint& loupeTopLeft) const
    {
        return expectedPreview(holeOverPattern(session, loupeTopLeft), workSize());
    }
    QSize workSize() const { return {selection.capture.workWidth, selection.capture.workHeight}; }
    bool unscaled() const { return pattern->devicePixelRatioF() == 1.0; }
    void showPattern(const QRect& area)
    {
        pattern = std::make_unique<PatternWindow>(area);
        pattern->show();
        QVERIFY(QTest::qWaitForWindowExposed(pattern.get()));
    }

private slots:
    void init()
    {
        selection = SelectionState{};
        selection.capture = CaptureSize{false, 320, 240};
        snapshots.clear();
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        // Right of the preview, which sits at the bottom left, even on a 640 x 512
        // screen (1280 x 1024 at a scale of two).
        showPattern(QRect(screen.topLeft() + QPoint(260, 10), QSize(380, 500)));
    }
    void cleanup() { pattern.reset(); }

    void previewShowsTheAreaUnderTheHole_data()
    {
        QTest::addColumn<int>("shrink");
        QTest::addColumn<int>("enlarge");
        QTest::addColumn<QSize>("hole");
        QTest::addColumn<bool>("qtGrab");
        for (const bool qt : {false, true}) {
            const char* grab = qt ? "Qt grab" : "fastest grab";
            QTest::addRow("1.00, %s", grab) << 100 << 100 << QSize(240, 320) << qt;
            QTest::addRow("enlarge 2.00, %s", grab) << 100 << 200 << QSize(120, 160) << qt;
            QTest::addRow("shrink 1.50, %s", grab) << 150 << 100 << QSize(360, 480) << qt;
        }
    }
    void previewShowsTheAreaUnderTheHole()
    {
        QFETCH(int, shrink);
        QFETCH(int, enlarge);
        QFETCH(QSize, hole);
        QFETCH(bool, qtGrab);
        CaptureScale scale;
        scale.shrinkValue = shrink;
        scale.enlargeValue = enlarge;
        CountingGrabber counting(qtGrab ? static_cast<ScreenGrabber&>(qtGrabber) : grabber);
        auto session = openSession(scale, &counting);
        QCOMPARE(session->loupe().loupeFrame().hole.size(), hole);
        QCOMPARE(session->preview().clientRect().size(), QSize(240, 320));
        // The server's pixels are read where the grabber shows a pass at once.
        const bool readBack = !qtGrab && unscaled();

        // Moving the loupe changes the copied area at the next pass. Odd positions
        // too: at a fractional scale they fall between device pixels.
        for (const QPoint offset : {QPoint(5, 5), QPoint(12, 8), QPoint(7, 13)}) {
            const QPoint at = pattern->pos() + offset;
            placeHole(*session, at);
            const QImage expected =
                expectedAt(*session, at - session->loupe().loupeFrame().hole.topLeft());
            QCOMPARE(readBack ? shownInPreview(*session) : session->preview().surface(), expected);
        }
        // One to one on an unscaled screen no pixel comes into this process.
        const bool oneToOne = hole == QSize(240, 320) && readBack;
        QCOMPARE(counting.copies > 0, oneToOne);
        QCOMPARE(counting.grabs == 0, oneToOne);
    }

    void aHolePastTheScreensEdgeShowsBlackThere_data()
    {
        QTest::addColumn<int>("enlarge");
        QTest::newRow("1.00") << 100;
        QTest::newRow("enlarge 2.00") << 200;
    }
    void aHolePastTheScreensEdgeShowsBlackThere()
    {
        QFETCH(int, enlarge);
        showPattern(QRect(QGuiApplication::primaryScreen()->geometry().topLeft(), QSize(380, 500)));
        CaptureScale scale;
        scale.enlargeValue = enlarge;
        auto session = openSession(scale);
        // The preview goes to the bottom right, out of the hole's way on a small screen.
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        session->preview().move(screen.bottomRight() - session->preview().rect().bottomRight());
        // Multiples of four fall on device pixels at every scale of the display.
        for (const QPoint offset : {QPoint(-20, 12), QPoint(8, -32), QPoint(-40, -4)}) {
            const QPoint at = pattern->pos() + offset;
            placeHole(*session, at);
            const QImage expected = expectedAtScreenEdge(
                holeOverPattern(*session, at - session->loupe().loupeFrame().hole.topLeft()),
                workSize());
            QCOMPARE(unscaled() ? shownInPreview(*session) : session->preview().surface(),
                     expected);
        }
        // Enter takes the same picture.
        const QImage shown = unscaled() ? shownInPreview(*session) : session->preview().surface();
        QTest::keyClick(&session->preview(), Qt::Key_Return);
        QCOMPARE(snapshots.size(), 1);
        const QRect crop = CropRect::forCapture(selection.capture, selection.frame).pixels();
        QCOMPARE(snapshots.first().copy(crop), shown);
    }

    // At 480 x 854 the preview opens partly under the hole: instead of showing itself it
    // asks for the loupe to be moved, until the hole has left it.
    void aHoleOverThePreviewAsksToMoveTheLoupe()
    {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        if (screen.width() < 1024 || screen.height() < 1000) {
            QSKIP("needs a screen of at least 1024 x 1000");
        }
        showPattern(screen);
        selection.capture = CaptureSize{false, 854, 480};
        auto session = openSession(CaptureScale{});
        frmPreview& preview = session->preview();
        QVERIFY(session->runPass());
        QCOMPARE(preview.notice(), QStringLiteral("ルーペを動かしてください"));
        frmLoupe& loupe = session->loupe();
        loupe.move(screen.right() + 1 - loupe.width(), screen.top());
        QVERIFY(!loupe.frameGeometry().intersects(preview.frameGeometry()));
        QVERIFY(session->runPass());
        QVERIFY(preview.notice().isEmpty());
    }

    void aChangeInTheScaleDialogEndsTheLiveCapture()
    {
        FakeDialogs dialogs;
        mdlZoom live(grabber);
        frmZoom zoom(selection, dialogs, live);
        bool stoppedBySlider = false;
        connect(&live, &mdlZoom::loupeStarted, this, [&] {
            QMetaObject::invokeMethod(
                this,
                [&] {
                    LoupeSession* running = live.session();
                    zoom.findChild<QScrollBar*>(QStringLiteral("HScroll1"))->setValue(110);
                    stoppedBySlider = running->isStopped();
                },
                Qt::QueuedConnection);
        });
        live.StartLoupe(selection, CaptureScale{});  // returns once the loop has ended
        QVERIFY(stoppedBySlider);
        QVERIFY(!live.session());
    }

    void enterTakesTheSnapshotOfThePreview_data()
    {
        QTest::addColumn<int>("style");
        QTest::newRow("classic") << 0;
        QTest::newRow("Windows XP") << 1;
    }
    void enterTakesTheSnapshotOfThePreview()
    {
        QFETCH(int, style);
        selection.frame = FrameOffsets::forStyle(style);
        QGuiApplication::clipboard()->setText(QStringLiteral("what the user copied"));
        auto session = openSession(CaptureScale{});
        placeHole(*session, pattern->pos() + QPoint(20, 20));
        QCOMPARE(session->loupe().loupeFrame().hole.size(), QSize(240, 320));

        for (auto key : {Qt::Key_A, Qt::Key_Escape, Qt::Key_Space}) {
            QTest::keyClick(&session->loupe(), key);
            QTest::keyClick(&session->preview(), key);
        }
        QVERIFY(!session->isStopped());
        QVERIFY(snapshots.isEmpty());

        QTest::keyClick(&session->loupe(), Qt::Key_Return);
        QVERIFY(session->isStopped());
        QCOMPARE(snapshots.size(), 1);
        QVERIFY(QTest::qWaitForWindowActive(&session->preview()));
        const QRect crop = CropRect::forCapture(selection.capture, selection.frame).pixels();
        QCOMPARE(snapshots.first().copy(crop), session->preview().surface());
        QCOMPARE(snapshots.first().copy(crop), expectedAt(*session, session->loupe().pos()));
        QVERIFY(!session->runPass());
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("what the user copied"));
    }

    void aSecondConfirmClosesTheRunningPair()
    {
        mdlZoom zoom(grabber);
        QSignalSpy captured(&zoom, &LiveCapture::captureTaken);
        QList<LoupeSession*> seen;
        QList<bool> firstVisibleWhenSecondRan;
        connect(&zoom, &mdlZoom::loupeStarted, this, [&] {
            seen.append(zoom.session());
            if (seen.size() == 2) {
                firstVisibleWhenSecondRan.append(seen.first()->loupe().isVisible() ||
                                                 seen.first()->preview().isVisible());
            }
            QMetaObject::invokeMethod(
                this,
                [&, count = seen.size()] {
                    if (count == 1) {
                        zoom.StartLoupe(selection, CaptureScale{});  // " 決定" again
                    } else {
                        QTest::keyClick(&zoom.session()->preview(), Qt::Key_Enter);
                    }
                },
                Qt::QueuedConnection);
        });
        zoom.StartLoupe(selection, CaptureScale{});
        QCOMPARE(seen.size(), 2);
        QCOMPARE(firstVisibleWhenSecondRan, QList<bool>{false});
        QCOMPARE(captured.count(), 1);
        QVERIFY(!zoom.session());
    }

    void theHoleOnASecondScreen()
    {
        const QList<QScreen*> screens = QGuiApplication::screens();
        if (screens.size() < 2) {
            QSKIP("one screen only (run under a two-screen Xvfb with +xinerama)");
        }
        const QRect second = screens.at(1)->geometry();
        showPattern(QRect(second.topLeft() + QPoint(50, 40), QSize(500, 560)));
        auto session = openSession(CaptureScale{});
        const QPoint at = pattern->pos() + QPoint(30, 25);
        placeHole(*session, at);
        QCOMPARE(session->preview().surface(),
                 expectedAt(*session, at - session->loupe().loupeFrame().hole.topLeft()));
    }
};

QTEST_MAIN(TestLiveCaptureX11)
#include "test_live_capture_x11.moc"
