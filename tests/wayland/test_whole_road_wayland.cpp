#include "app/ProgramFlow.h"
#include "app/frmMain.h"
#include "capture/LoupeSession.h"
#include "capture/frmLoupe.h"
#include "capture/frmPreview.h"
#include "capture/frmZoom.h"
#include "capture/mdlZoom.h"
#include "platform/WorkFolder.h"
#include "platform/mdlIni.h"
#include "screen/PortalScreenGrabber.h"
#include "support/CatalogueFolder.h"
#include "support/FakeDialogs.h"
#include "support/StreamStart.h"
#include "support/TryWait.h"
#include "wayland/PatternOnDesk.h"

#include <QClipboard>
#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <memory>

namespace {

const QPoint kPatternAt(100, 100);

}  // namespace

// The whole road on a Wayland desktop, the screen seen through the portal: scale
// dialog, loupe over a window of known pixels, Enter, main window, saved picture.
class TestWholeRoadWayland : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CatalogueFolder> folder;
    std::unique_ptr<SettingsFile> settings;
    std::unique_ptr<testsupport::PatternWindow> pattern;
    std::unique_ptr<waylanddesk::Keyboard> keyboard;
    FakeDialogs dialogs;
    std::unique_ptr<WorkFolder> work;

    QString workFolder() const { return folder->path() + QStringLiteral("temp/"); }
    QString tokenFolder() const { return QFileInfo(folder->settingsPath()).absolutePath(); }

    std::unique_ptr<ProgramFlow> startFlow(mdlZoom& zoom)
    {
        settings->WriteIni(u"Size", u"Maker", u"1");
        settings->WriteIni(u"Size", u"Model", u"0");
        settings->WriteIni(u"Size", u"Skip", u"1");
        work = std::make_unique<WorkFolder>(QStringList{workFolder()});
        auto flow = std::make_unique<ProgramFlow>(*settings, dialogs, zoom, folder->path(), *work);
        flow->start();
        return flow;
    }

    // Confirms the scale dialog; once the loupe is up the compositor puts its hole
    // over `at` of the pattern, passes run until the preview shows the pattern there,
    // and Enter is typed into the window titled `enterIn`. The preview as it was shown
    // lands in `shown`.
    void captureOver(ProgramFlow& flow, mdlZoom& zoom, const QPoint& at, QImage* shown,
                     const QString& enterIn = QStringLiteral("ルーペ"))
    {
        auto connection = std::make_shared<QMetaObject::Connection>();
        const QString dialog = flow.zoomDialog()->windowTitle();
        *connection =
            connect(&zoom, &mdlZoom::loupeStarted, this,
                    [this, &zoom, at, shown, dialog, connection, enterIn] {
                        disconnect(*connection);
                        LoupeSession* session = zoom.session();
                        const LoupeFrame& frame = session->loupe().loupeFrame();
                        // Everything else away from the pattern.
                        waylanddesk::moveWindow(dialog, QPoint(850, 20));
                        waylanddesk::moveWindow(QStringLiteral("プレビュー"), QPoint(900, 620));
                        waylanddesk::moveWindow(QStringLiteral("ルーペ"),
                                                kPatternAt + at - frame.hole.topLeft());
                        const QImage expected = expectedPreview(
                            QRect(at, frame.hole.size()), session->preview().surface().size());
                        QDeadlineTimer deadline(20000);
                        while (session->preview().surface() != expected && !deadline.hasExpired() &&
                               session->runPass()) {
                        }
                        *shown = session->preview().surface();
                        waylanddesk::focusWindow(enterIn);
                        // A key typed before the seat's keyboard is bound is lost: type again
                        // while the live capture still runs.
                        bool running = true;
                        while (running && !deadline.hasExpired()) {
                            keyboard->type(QStringLiteral("Return"));
                            QDeadlineTimer answer(1000);
                            while ((running = session->runPass()) && !answer.hasExpired()) {
                            }
                        }
                        if (running) {
                            session->stop();  // Enter never arrived: end the loop, fail below
                        }
                    });
        QVERIFY(waylanddesk::waitUntilCaptureGone());
        QTest::mouseClick(flow.zoomDialog()->findChild<QPushButton*>(QStringLiteral("cmdOk")),
                          Qt::LeftButton);
    }

private slots:
    void initTestCase()
    {
        pattern = waylanddesk::showPattern(kPatternAt);
        QVERIFY(pattern);
        keyboard = std::make_unique<waylanddesk::Keyboard>();
    }

    void init()
    {
        folder = std::make_unique<CatalogueFolder>();
        folder->write(QStringLiteral("dll/au.csv"), "QVGA 240x320,320,240,102400\r\n");
        QDir().mkpath(workFolder());
        settings = std::make_unique<SettingsFile>(folder->settingsPath());
    }

    void fromTheScaleDialogToASavedFile()
    {
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setText(QStringLiteral("the user's own text"));
        const int askedBefore = waylanddesk::timesAsked();
        PortalScreenGrabber grabber(tokenFolder(), QDBusConnection::sessionBus(),
                                    PortalScreenGrabber::portalService());
        mdlZoom zoom(grabber);
        auto flow = startFlow(zoom);
        QVERIFY(flow->zoomDialog() && flow->zoomDialog()->isVisible());

        QImage shown;
        const QPoint at(37, 52);
        captureOver(*flow, zoom, at, &shown);
        frmMain* main = flow->mainWindow();
        QVERIFY(main && main->isVisible());
        const QImage expected = expectedPreview(QRect(at, QSize(240, 320)), QSize(240, 320));
        QCOMPARE(shown, expected);
        QCOMPARE(main->images().canvas(), expected);
        QCOMPARE(waylanddesk::timesAsked(), askedBefore + 1);

        dialogs.savePaths = {folder->path() + QStringLiteral("mine.jpg")};
        main->findChild<QPushButton*>(QStringLiteral("cmdJpeg"))->click();
        QVERIFY(!folder->read(QStringLiteral("mine.jpg")).isEmpty());
        QCOMPARE(folder->read(QStringLiteral("mine.jpg")),
                 folder->read(QStringLiteral("temp/temp.jpg")));

        // Capture again: the same session, nobody is asked.
        main->findChild<QPushButton*>(QStringLiteral("Command3"))->click();
        TRY_VERIFY(!flow->mainWindow());
        captureOver(*flow, zoom, QPoint(300, 400), &shown, QStringLiteral("プレビュー"));
        QVERIFY(flow->mainWindow());
        QCOMPARE(flow->mainWindow()->images().canvas(),
                 expectedPreview(QRect(QPoint(300, 400), QSize(240, 320)), QSize(240, 320)));
        QCOMPARE(waylanddesk::timesAsked(), askedBefore + 1);
        QVERIFY(dialogs.messages.isEmpty());
        QCOMPARE(clipboard->text(), QStringLiteral("the user's own text"));
        QVERIFY(!clipboard->mimeData()->hasImage());
    }

    void theNextStartOfTheProgramIsNotAskedAgain()
    {
        // The first start asks and keeps the portal's token beside the settings.
        {
            PortalScreenGrabber grabber(tokenFolder(), QDBusConnection::sessionBus(),
                                        PortalScreenGrabber::portalService());
            QString problem;
            QVERIFY2(testsupport::startStreaming(grabber, problem), qPrintable(problem));
        }
        const int asked = waylanddesk::timesAsked();
        PortalScreenGrabber grabber(tokenFolder(), QDBusConnection::sessionBus(),
                                    PortalScreenGrabber::portalService());
        mdlZoom zoom(grabber);
        auto flow = startFlow(zoom);
        QImage shown;
        captureOver(*flow, zoom, QPoint(120, 140), &shown);
        QVERIFY(flow->mainWindow());
        QCOMPARE(flow->mainWindow()->images().canvas(),
                 expectedPreview(QRect(QPoint(120, 140), QSize(240, 320)), QSize(240, 320)));
        QCOMPARE(waylanddesk::timesAsked(), asked);
    }
};

QTEST_MAIN(TestWholeRoadWayland)
#include "test_whole_road_wayland.moc"
