// Under a window manager (openbox, started here), the first dialogs and their
// messages appear centred with their frames counted.
#include "app/ProgramFlow.h"
#include "capture/LiveCapture.h"
#include "capture/frmZoom.h"
#include "catalogue/frmSize.h"
#include "platform/Dialogs.h"
#include "platform/WorkFolder.h"
#include "platform/mdlIni.h"
#include "support/CatalogueFolder.h"
#include "support/RecordingLiveCapture.h"

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <memory>

namespace {

bool windowManagerRunning()
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"),
                {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
    return xprop.waitForFinished() && xprop.readAllStandardOutput().contains("window id");
}

QRect frameOf(const QWidget* window)
{
    return window->windowHandle()->frameGeometry();
}

bool framed(const QWidget* window)
{
    return window->isVisible() && window->windowHandle() &&
           !window->windowHandle()->frameMargins().isNull();
}

// Within a pixel each way: odd differences of size cannot be halved exactly.
bool sameCentre(const QRect& a, const QRect& b)
{
    const QPoint d = (a.topLeft() + a.bottomRight()) - (b.topLeft() + b.bottomRight());
    return qAbs(d.x()) <= 2 && qAbs(d.y()) <= 2;
}

QRect available(const QWidget* window)
{
    return window->screen()->availableGeometry();
}

}  // namespace

class TestPlacementX11 : public QObject
{
    Q_OBJECT

private:
    QProcess windowManager;

private slots:
    void initTestCase()
    {
        windowManager.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        QVERIFY2(windowManager.waitForStarted(), "openbox is needed (scripts/install-deps)");
        QVERIFY(QTest::qWaitFor(windowManagerRunning, 10000));
    }
    void cleanupTestCase()
    {
        windowManager.terminate();
        windowManager.waitForFinished();
    }

    void dialogsAndMessagesAreCentredWithTheirFrames()
    {
        CatalogueFolder folder;
        // A bad line at start: the message comes with the dialog shown.
        folder.write(QStringLiteral("dll/au.csv"),
                     "QVGA 240x320,320,240,102400\r\nbroken,0,0,0\r\n");
        SettingsFile settings(folder.settingsPath());
        settings.WriteIni(u"Size", u"Maker", u"1");
        settings.WriteIni(u"Size", u"Model", u"0");
        settings.WriteIni(u"Size", u"Skip", u"1");
        QtDialogs dialogs;
        RecordingLiveCapture live;
        WorkFolder work({folder.path() + QStringLiteral("temp/")});
        ProgramFlow flow(settings, dialogs, live, folder.path(), work);
        frmSize& size = flow.sizeDialog();

        // The message box runs its own loop: it is looked at, then closed, from there.
        bool boxSeen = false;
        bool boxCentred = false;
        QTimer::singleShot(0, this, [&] {
            QWidget* box = QApplication::activeModalWidget();
            if (!QTest::qWaitFor([&] { return (box = QApplication::activeModalWidget()); })) {
                return;
            }
            boxSeen = true;
            boxCentred = QTest::qWaitFor([&] {
                return framed(box) && framed(&size) && sameCentre(frameOf(box), frameOf(&size));
            });
            if (!boxCentred) {
                qWarning() << "box" << frameOf(box) << "dialog" << frameOf(&size);
            }
            qobject_cast<QDialog*>(box)->accept();
        });
        flow.start();
        QVERIFY(boxSeen);
        QVERIFY(boxCentred);

        QVERIFY(QTest::qWaitFor(
            [&] { return framed(&size) && sameCentre(frameOf(&size), available(&size)); }));
        QVERIFY2(sameCentre(frameOf(&size), available(&size)),
                 qPrintable(QStringLiteral("dialog frame %1,%2 %3x%4")
                                .arg(frameOf(&size).x())
                                .arg(frameOf(&size).y())
                                .arg(frameOf(&size).width())
                                .arg(frameOf(&size).height())));

        QTest::mouseClick(size.findChild<QPushButton*>(QStringLiteral("cmdNext")), Qt::LeftButton);
        frmZoom* zoom = flow.zoomDialog();
        QVERIFY(zoom);
        QVERIFY(QTest::qWaitFor(
            [&] { return framed(zoom) && sameCentre(frameOf(zoom), available(zoom)); }));
    }
};

QTEST_MAIN(TestPlacementX11)
#include "test_placement_x11.moc"
