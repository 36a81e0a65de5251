// Under a window manager (openbox, started here), the first dialogs and their
// messages appear centred with their frames counted, and the history docks at the main
// window's frame, also when the window manager frames the windows only after they are
// shown (started late, it frames the windows it finds).
#include "app/ProgramFlow.h"
#include "app/frmMain.h"
#include "capture/LiveCapture.h"
#include "capture/frmZoom.h"
#include "catalogue/frmSize.h"
#include "history/frmPicFiles.h"
#include "platform/Dialogs.h"
#include "platform/WorkFolder.h"
#include "platform/mdlIni.h"
#include "support/CatalogueFolder.h"
#include "support/FakeDialogs.h"
#include "support/RecordingLiveCapture.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <memory>

namespace {

QRect frameOf(const QWidget* window)
{
    return window->windowHandle()->frameGeometry();
}

// Framed, and not in the moment between reparenting and sizing the frame, when X11
// reports a frame smaller than the window.
bool framed(const QWidget* window)
{
    if (!window->isVisible() || !window->windowHandle()) {
        return false;
    }
    const QMargins margins = window->windowHandle()->frameMargins();
    return !margins.isNull() && margins.left() >= 0 && margins.top() >= 0 && margins.right() >= 0 &&
           margins.bottom() >= 0;
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

// The history's frame against the main window's frame's right edge and top.
bool docked(const QWidget& main, const QWidget& history)
{
    return framed(&main) && framed(&history) &&
           frameOf(&history).topLeft() == frameOf(&main).topRight() + QPoint(1, 0);
}

// The program's flow over a catalogue of au models, with the stored model `model` and the
// skip flag set, so that the scale dialog follows at once where the choice is usable.
struct StoredChoiceFlow
{
    StoredChoiceFlow(const QByteArray& catalogue, int model)
    {
        folder.write(QStringLiteral("dll/au.csv"), catalogue);
        settings.WriteIni(u"Size", u"Maker", u"1");
        settings.WriteIni(u"Size", u"Model", QString::number(model));
        settings.WriteIni(u"Size", u"Skip", u"1");
        flow = std::make_unique<ProgramFlow>(settings, dialogs, live, folder.path(), work);
    }

    CatalogueFolder folder;
    SettingsFile settings{folder.settingsPath()};
    QtDialogs dialogs;
    RecordingLiveCapture live;
    WorkFolder work{{folder.path() + QStringLiteral("temp/")}};
    std::unique_ptr<ProgramFlow> flow;
};

}  // namespace

class TestPlacementX11 : public QObject
{
    Q_OBJECT

private:
    QProcess windowManager;

    // Openbox runs its start-up command once it manages the screen's windows.
    bool startWindowManager()
    {
        QTemporaryDir marks;
        const QString ready = marks.filePath(QStringLiteral("ready"));
        windowManager.start(QStringLiteral("openbox"),
                            {QStringLiteral("--sm-disable"), QStringLiteral("--startup"),
                             QStringLiteral("touch ") + ready});
        return windowManager.waitForStarted() &&
               QTest::qWaitFor([&] { return QFile::exists(ready); }, 10000);
    }

    // The next message box runs its own loop: it is looked at from there, once `first`
    // has run, then closed. `centred` says whether it came framed and centred over `owner`.
    void watchNextMessage(const QWidget* owner, bool& centred,
                          const std::function<bool(QWidget*)>& first = {})
    {
        QTimer::singleShot(0, this, [this, owner, &centred, first] {
            QWidget* box = nullptr;
            if (!QTest::qWaitFor([&] { return (box = QApplication::activeModalWidget()); }) ||
                (first && !first(box))) {
                return;
            }
            centred = QTest::qWaitFor([&] {
                return framed(box) && framed(owner) && sameCentre(frameOf(box), frameOf(owner));
            });
            if (!centred) {
                qWarning() << "box" << frameOf(box) << "owner" << frameOf(owner);
            }
            qobject_cast<QDialog*>(box)->accept();
        });
    }

    // A stored model the catalogue lacks: the message comes with the dialog shown. The
    // window manager starts after both are shown when `late`.
    void checkStartMessageCentred(bool late)
    {
        StoredChoiceFlow started("QVGA 240x320,320,240,102400\r\n", 5);
        frmSize& size = started.flow->sizeDialog();
        bool boxCentred = false;
        watchNextMessage(&size, boxCentred, [&](QWidget* box) {
            return !late || (QTest::qWaitForWindowExposed(box) && startWindowManager());
        });
        started.flow->start();
        QVERIFY(boxCentred);
        QVERIFY(QTest::qWaitFor([&] { return sameCentre(frameOf(&size), available(&size)); }));
    }

    void checkHistoryDocked(bool late)
    {
        QTemporaryDir work;
        WorkFolder folder{{work.path() + u'/'}};
        FakeDialogs dialogs;
        frmMain main(PhoneModel{}, dialogs, folder);
        main.open();
        QVERIFY(QTest::qWaitForWindowExposed(&main.history()));
        if (late) {
            QVERIFY(startWindowManager());
        }
        const bool isDocked = QTest::qWaitFor([&] { return docked(main, main.history()); });
        QVERIFY2(isDocked, qPrintable(QStringLiteral("history %1,%2 main %3,%4 %5x%6")
                                          .arg(frameOf(&main.history()).x())
                                          .arg(frameOf(&main.history()).y())
                                          .arg(frameOf(&main).x())
                                          .arg(frameOf(&main).y())
                                          .arg(frameOf(&main).width())
                                          .arg(frameOf(&main).height())));
    }

private slots:
    void cleanup()
    {
        windowManager.terminate();
        windowManager.waitForFinished();
        // The next window manager is known to be running by this mark of its own.
        QProcess::execute(QStringLiteral("xprop"),
                          {QStringLiteral("-root"), QStringLiteral("-remove"),
                           QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
    }

    void theStartMessageIsCentredOverItsDialog()
    {
        QVERIFY2(startWindowManager(), "openbox is needed (scripts/install-deps)");
        checkStartMessageCentred(false);
    }
    void theStartMessageIsCentredOverItsDialogFramedLate() { checkStartMessageCentred(true); }

    // A model too large for the screen: " 決定" explains instead of capturing, each time
    // with a new message over the dialog.
    void theScaleDialogsMessagesAreCentredOverIt()
    {
        QVERIFY(startWindowManager());
        StoredChoiceFlow started("Tall,4000,240,102400\r\n", 0);
        started.flow->start();
        frmZoom* zoom = started.flow->zoomDialog();
        QVERIFY(zoom);
        QVERIFY(QTest::qWaitFor([&] { return framed(zoom); }));
        for (int i = 0; i < 5; ++i) {
            bool boxCentred = false;
            watchNextMessage(zoom, boxCentred);
            QTest::mouseClick(zoom->findChild<QPushButton*>(QStringLiteral("cmdOk")),
                              Qt::LeftButton);
            QVERIFY(boxCentred);
            QVERIFY(started.live.requests().isEmpty());
        }
    }

    // Each capture makes a new main window and history: several pairs in one run.
    void theHistoryDocksAtTheMainWindowsFrame()
    {
        QVERIFY(startWindowManager());
        for (int i = 0; i < 3; ++i) {
            checkHistoryDocked(false);
        }
    }
    void theHistoryDocksAtTheMainWindowsFrameFramedLate() { checkHistoryDocked(true); }

    void dialogsAndMessagesAreCentredWithTheirFrames()
    {
        QVERIFY(startWindowManager());
        // A bad line at start: the message comes with the dialog shown.
        StoredChoiceFlow started("QVGA 240x320,320,240,102400\r\nbroken,0,0,0\r\n", 0);
        frmSize& size = started.flow->sizeDialog();
        bool boxCentred = false;
        watchNextMessage(&size, boxCentred);
        started.flow->start();
        QVERIFY(boxCentred);
        QVERIFY(QTest::qWaitFor(
            [&] { return framed(&size) && sameCentre(frameOf(&size), available(&size)); }));

        QTest::mouseClick(size.findChild<QPushButton*>(QStringLiteral("cmdNext")), Qt::LeftButton);
        frmZoom* zoom = started.flow->zoomDialog();
        QVERIFY(zoom);
        QVERIFY(QTest::qWaitFor(
            [&] { return framed(zoom) && sameCentre(frameOf(zoom), available(zoom)); }));
    }
};

QTEST_MAIN(TestPlacementX11)
#include "test_placement_x11.moc"
