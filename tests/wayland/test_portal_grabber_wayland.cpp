#include "platform/PortalScreenGrabber.h"
#include "platform/ScreenCastTokenStore.h"
#include "wayland/WaylandDesk.h"

#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr QRgb kBackground = 0xFF203040;  // the test desktop's background

// Damages the output until the grabber has a frame (at most ten seconds): a copy with
// damage sends frames only when the output changes.
bool waitForFrame(const StreamGrabber& grabber)
{
    QDeadlineTimer deadline(10000);
    while (grabber.newestFrame().isNull() && !deadline.hasExpired()) {
        QSignalSpy arrived(&grabber, &StreamGrabber::frameArrived);
        waylanddesk::damageOutput();
        arrived.wait(100);
    }
    return !grabber.newestFrame().isNull();
}

}  // namespace

class TestPortalGrabberWayland : public QObject
{
    Q_OBJECT

private slots:
    void streamsTheMonitorAndKeepsTheToken()
    {
        QTemporaryDir folder;
        PortalScreenGrabber grabber(folder.path(), QDBusConnection::sessionBus(),
                                    PortalScreenGrabber::portalService());
        QString problem;
        QVERIFY2(grabber.startStream(problem), qPrintable(problem));
        QSignalSpy frames(&grabber, &StreamGrabber::frameArrived);
        QVERIFY(waitForFrame(grabber));
        const QImage frame = grabber.newestFrame();
        QCOMPARE(frame.size(), QSize(1280, 1024));
        QCOMPARE(frame.pixel(10, 10), kBackground);
        QImage region;
        QVERIFY(grabber.grab(QRect(5, 6, 7, 8), region));
        QCOMPARE(region.size(), QSize(7, 8));
        QVERIFY(frames.count() > 0);

        const QString token = ScreenCastTokenStore(folder.path()).load();
        QVERIFY(!token.isEmpty());

        // Stopped, the stream gives nothing; started again, it streams again.
        grabber.stopStream();
        QVERIFY(grabber.newestFrame().isNull());
        QVERIFY2(grabber.startStream(problem), qPrintable(problem));
        QVERIFY(waitForFrame(grabber));
    }

    void aPortalThatIsNotRunningGivesTheMessage()
    {
        QTemporaryDir folder;
        PortalScreenGrabber grabber(folder.path(), QDBusConnection::sessionBus(),
                                    QStringLiteral("org.example.NoSuchPortal"));
        QString problem;
        QVERIFY(!grabber.startStream(problem));
        QVERIFY(problem.contains(QStringLiteral("ポータル")));
        QVERIFY(grabber.newestFrame().isNull());
        QVERIFY(!QFile::exists(ScreenCastTokenStore(folder.path()).path()));
    }
};

QTEST_MAIN(TestPortalGrabberWayland)
#include "test_portal_grabber_wayland.moc"
