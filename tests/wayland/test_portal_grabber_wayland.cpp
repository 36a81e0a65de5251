#include "screen/PortalScreenGrabber.h"
#include "screen/ScreenCastTokenStore.h"
#include "support/StreamStart.h"
#include "support/TryWait.h"
#include "wayland/WaylandDesk.h"

#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

namespace {

constexpr QRgb kBackground =
    0xFF203040;  // the test desktops' background (GNOME: below its top bar)

// Waits until the grabber's newest frame satisfies `wanted` (at most ten seconds). A
// copy with damage sends frames only when the output changes, so the output is damaged
// whenever no frame comes for a while. Setting the background again restarts sway's
// background client, and in between sway shows its own grey: a frame may show that
// before the next one shows the background.
template <typename Wanted>
bool waitForFrame(const StreamGrabber& grabber, Wanted wanted)
{
    QSignalSpy arrived(&grabber, &StreamGrabber::frameArrived);
    QDeadlineTimer deadline(10000);
    QDeadlineTimer quiet(300);
    while (!deadline.hasExpired()) {
        // Read whole at every turn of the event loop: the newest frame must stay
        // readable whatever the stream did in between.
        const QImage frame = grabber.newestFrame().copy();
        if (!frame.isNull() && wanted(frame)) {
            return true;
        }
        if (!arrived.isEmpty()) {
            arrived.clear();
            quiet.setRemainingTime(300);
        } else if (quiet.hasExpired()) {
            waylanddesk::damageOutput();
            quiet.setRemainingTime(300);
        }
        QTest::qWait(2);
    }
    return false;
}

bool showsTheBackground(const QImage& frame)
{
    return frame.size() == QSize(1280, 1024) && frame.pixel(20, 1000) == kBackground;
}

bool anyFrame(const QImage& /*frame*/)
{
    return true;
}

// A grabber of the desktop's portal (or of `service`) that keeps its token in a
// folder of its own.
struct OwnGrabber
{
    explicit OwnGrabber(const QString& service = PortalScreenGrabber::portalService())
        : grabber(folder.path(), QDBusConnection::sessionBus(), service)
    {
    }
    QTemporaryDir folder;
    PortalScreenGrabber grabber;
};

// Starts the stream and waits for a frame that shows the desktop's background.
bool streamsTheBackground(StreamGrabber& grabber)
{
    QString problem;
    return testsupport::startStreaming(grabber, problem) &&
           waitForFrame(grabber, showsTheBackground);
}

}  // namespace

class TestPortalGrabberWayland : public QObject
{
    Q_OBJECT

private slots:
    void streamsTheMonitorAndKeepsTheToken()
    {
        OwnGrabber own;
        PortalScreenGrabber& grabber = own.grabber;
        QSignalSpy frames(&grabber, &StreamGrabber::frameArrived);
        QString problem;
        QVERIFY2(testsupport::startStreaming(grabber, problem), qPrintable(problem));
        QVERIFY(waitForFrame(grabber, anyFrame));
        QCOMPARE(grabber.newestFrame().size(), QSize(1280, 1024));
        QVERIFY(waitForFrame(grabber, showsTheBackground));
        QImage region;
        QVERIFY(grabber.grab(QRect(5, 6, 7, 8), region));
        QCOMPARE(region.size(), QSize(7, 8));
        TRY_VERIFY(frames.count() > 0);  // told once the window serves its events

        const QString token = ScreenCastTokenStore(own.folder.path()).load();
        QVERIFY(!token.isEmpty());

        // Stopped, the stream gives nothing; started again, it streams again.
        grabber.stopStream();
        QVERIFY(grabber.newestFrame().isNull());
        QVERIFY2(testsupport::startStreaming(grabber, problem), qPrintable(problem));
        QVERIFY(waitForFrame(grabber, anyFrame));
    }

    // A new size of the monitor makes the stream negotiate anew and free its buffers,
    // the one holding the newest frame among them.
    void aMonitorThatChangesSizeGoesOnStreaming()
    {
        if (waylanddesk::isGnome()) {
            QSKIP("the size of sway's output is changed");
        }
        OwnGrabber own;
        PortalScreenGrabber& grabber = own.grabber;
        QVERIFY(streamsTheBackground(grabber));
        QVERIFY(waylanddesk::setOutputMode(QSize(800, 600)));
        const bool small = waitForFrame(grabber, [](const QImage& frame) {
            return frame.size() == QSize(800, 600) && frame.pixel(10, 10) == kBackground;
        });
        QVERIFY(waylanddesk::setOutputMode(QSize(1280, 1024)));
        QVERIFY(small);
        QVERIFY(waitForFrame(grabber, showsTheBackground));
    }

    // A frame once read keeps its pixels while the stream goes on: every buffer goes
    // back to the desktop at once (a desktop's sender that finds no buffer free may
    // stop sending), and frames are copies of their own.
    void aFrameKeepsItsPixelsWhileTheStreamGoesOn()
    {
        OwnGrabber own;
        PortalScreenGrabber& grabber = own.grabber;
        QVERIFY(streamsTheBackground(grabber));
        const QImage kept = grabber.newestFrame();
        const QImage before = kept.copy();
        QWidget mover;
        mover.setWindowTitle(QStringLiteral("mover"));
        mover.setFixedSize(300, 300);
        mover.setStyleSheet(QStringLiteral("background: #ff0000"));
        mover.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mover));
        // More frames than the desktop has buffers (GNOME: 16), each showing the window
        // somewhere else.
        for (int step = 0; step < 24; ++step) {
            const QPoint at(step * 20, 600);
            QVERIFY(waylanddesk::moveWindow(QStringLiteral("mover"), at));
            QVERIFY(waitForFrame(grabber, [at](const QImage& frame) {
                return frame.pixel(at + QPoint(150, 150)) == qRgb(255, 0, 0);
            }));
        }
        QCOMPARE(kept, before);
    }

    // The portal's backend ends while it casts, without closing the session: the
    // screen's node goes, and the stream is told as ended rather than serving its last
    // frame for ever.
    void aStreamWhoseSenderEndsIsToldAsEnded()
    {
        const QString control = qEnvironmentVariable("XDPW_CONTROL");
        if (control.isEmpty()) {
            QSKIP("the portal's backend of the sway desktop is ended");
        }
        OwnGrabber own;
        PortalScreenGrabber& grabber = own.grabber;
        QVERIFY(streamsTheBackground(grabber));
        QSignalSpy ended(&grabber, &StreamGrabber::streamEnded);
        const int stopped =
            QProcess::execute(QStringLiteral("sh"), {control, QStringLiteral("stop")});
        const bool told = ended.wait(20000);
        const int started =
            QProcess::execute(QStringLiteral("sh"), {control, QStringLiteral("start")});
        QCOMPARE(stopped, 0);
        QCOMPARE(started, 0);
        QVERIFY(told);
        QVERIFY(ended.at(0).at(0).toString().contains(QStringLiteral("画面の共有が終了")));
        QVERIFY(!grabber.isStreaming());
        QVERIFY(grabber.newestFrame().isNull());
        // The next start asks the new backend for a session of its own.
        QVERIFY(streamsTheBackground(grabber));
    }

    void aPortalThatIsNotRunningGivesTheMessage()
    {
        OwnGrabber own(QStringLiteral("org.example.NoSuchPortal"));
        PortalScreenGrabber& grabber = own.grabber;
        QString problem;
        QVERIFY(!testsupport::startStreaming(grabber, problem));
        QVERIFY(problem.contains(QStringLiteral("ポータル")));
        QVERIFY(grabber.newestFrame().isNull());
        QVERIFY(!QFile::exists(ScreenCastTokenStore(own.folder.path()).path()));
    }
};

QTEST_MAIN(TestPortalGrabberWayland)
#include "test_portal_grabber_wayland.moc"
