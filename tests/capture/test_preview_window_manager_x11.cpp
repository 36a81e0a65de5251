// The preview under a real window manager (openbox): nothing the window manager
// offers takes it off the screen while the live capture runs.
#include "capture/LoupeSession.h"
#include "capture/frmPreview.h"
#include "common/SelectionState.h"
#include "screen/ScreenGrabber.h"
#include "screen/ScreenGrabberFactory.h"
#include "support/TryWait.h"

#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QWindow>
#include <memory>

namespace {

// Counts the preview's changes into the minimised state.
class MinimiseWatch : public QObject
{
public:
    int minimised = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::WindowStateChange &&
            (static_cast<QWidget*>(watched)->windowState() & Qt::WindowMinimized)) {
            ++minimised;
        }
        return false;
    }
};

bool windowManagerRunning()
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"),
                {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
    return xprop.waitForFinished() &&
           xprop.readAllStandardOutput().contains(QByteArrayLiteral("window id"));
}

}  // namespace

class TestPreviewWindowManagerX11 : public QObject
{
    Q_OBJECT

private:
    QProcess windowManager;

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
            QSKIP("openbox and xdotool are needed (scripts/install-deps installs them)");
        }
        if (windowManagerRunning()) {
            QSKIP("another window manager runs on this display");
        }
        windowManager.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        QVERIFY(windowManager.waitForStarted());
        TRY_VERIFY_WITH_TIMEOUT(windowManagerRunning(), 10000);
    }
    void cleanupTestCase()
    {
        if (windowManager.state() != QProcess::NotRunning) {
            windowManager.terminate();
            windowManager.waitForFinished();
        }
    }

    void aMinimisedPreviewComesBack()
    {
        SelectionState selection;
        selection.capture = CaptureSize{false, 320, 240};
        std::unique_ptr<ScreenGrabber> grabber = makeScreenGrabber();
        LoupeSession session(selection, CaptureScale{}, *grabber, {});
        session.show();
        frmPreview& preview = session.preview();
        QVERIFY(QTest::qWaitForWindowExposed(&preview, 20000));
        // Drawn by the window itself: the window manager adds no frame, so no buttons.
        QCOMPARE(preview.windowHandle()->frameMargins(), QMargins());

        MinimiseWatch watch;
        preview.installEventFilter(&watch);
        // What the window manager's minimise button or shortcut sends.
        QProcess::execute(QStringLiteral("xdotool"),
                          {QStringLiteral("windowminimize"), QString::number(preview.winId())});
        TRY_VERIFY(watch.minimised > 0);
        TRY_VERIFY(!(preview.windowState() & Qt::WindowMinimized) &&
                   preview.windowHandle()->isExposed());
        QVERIFY(session.runPass());

        // When the live capture ends, the preview goes for good.
        session.stop();
        QVERIFY(!session.runPass());
        QVERIFY(!preview.isVisible());
    }
};

QTEST_MAIN(TestPreviewWindowManagerX11)
#include "test_preview_window_manager_x11.moc"
