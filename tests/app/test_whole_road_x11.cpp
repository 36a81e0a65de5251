#include "app/ProgramFlow.h"
#include "app/frmMain.h"
#include "capture/LoupeSession.h"
#include "capture/frmLoupe.h"
#include "capture/frmZoom.h"
#include "capture/mdlCut.h"
#include "capture/mdlZoom.h"
#include "history/frmPicFiles.h"
#include "platform/WorkFolder.h"
#include "platform/mdlIni.h"
#include "saving/SizeText.h"
#include "screen/ScreenGrabber.h"
#include "screen/ScreenGrabberFactory.h"
#include "support/CatalogueFolder.h"
#include "support/FakeDialogs.h"
#include "support/PatternWindow.h"
#include "support/SizesShown.h"
#include "support/TryWait.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <memory>

class TestWholeRoadX11 : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CatalogueFolder> folder;
    std::unique_ptr<SettingsFile> settings;
    std::unique_ptr<PatternWindow> pattern;
    FakeDialogs dialogs;
    std::unique_ptr<ScreenGrabber> grabberOwner = makeScreenGrabber();
    ScreenGrabber& grabber = *grabberOwner;
    std::unique_ptr<WorkFolder> work;

    QString workFolder() const { return folder->path() + QStringLiteral("temp/"); }

    // Starts with the stored choice (skip ticked), so the scale dialog comes first.
    std::unique_ptr<ProgramFlow> startWith(mdlZoom& zoom, int model)
    {
        settings->WriteIni(u"Size", u"Maker", u"1");
        settings->WriteIni(u"Size", u"Model", QString::number(model));
        settings->WriteIni(u"Size", u"Skip", u"1");
        auto flow = std::make_unique<ProgramFlow>(*settings, dialogs, zoom, folder->path(), *work);
        flow->start();
        return flow;
    }

    // Confirms in the scale dialog; when the loupe is up it is put over the pattern,
    // one pass copies, and Enter takes the picture.
    void captureOverPattern(ProgramFlow& flow, mdlZoom& zoom, QRect* hole)
    {
        auto connection = std::make_shared<QMetaObject::Connection>();
        *connection = connect(&zoom, &mdlZoom::loupeStarted, this, [&zoom, hole, this, connection] {
            disconnect(*connection);
            QMetaObject::invokeMethod(
                this,
                [&zoom, hole, this] {
                    LoupeSession* session = zoom.session();
                    frmLoupe& loupe = session->loupe();
                    loupe.move(pattern->pos() + QPoint(5, 5) - loupe.loupeFrame().hole.topLeft());
                    *hole = session->sourceDeviceRect();
                    session->copyScreen();
                    QTest::keyClick(&loupe, Qt::Key_Return);
                },
                Qt::QueuedConnection);
        });
        QTest::mouseClick(flow.zoomDialog()->findChild<QPushButton*>(QStringLiteral("cmdOk")),
                          Qt::LeftButton);
    }

private slots:
    void init()
    {
        folder = std::make_unique<CatalogueFolder>();
        folder->write(QStringLiteral("dll/au.csv"),
                      "QVGA 240x320,320,240,102400\r\nサブ液晶 96x72,96,72,10240\r\n");
        work = std::make_unique<WorkFolder>(QStringList{workFolder()});
        settings = std::make_unique<SettingsFile>(folder->settingsPath());
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        pattern = std::make_unique<PatternWindow>(
            QRect(screen.topLeft() + QPoint(300, 10), QSize(400, 500)));
        pattern->show();
        QVERIFY(QTest::qWaitForWindowExposed(pattern.get()));
    }

    void fromTheScaleDialogToASavedFileAndBack()
    {
        mdlZoom zoom(grabber);
        auto flow = startWith(zoom, 0);
        QVERIFY(flow->zoomDialog() && flow->zoomDialog()->isVisible());

        QRect hole;
        captureOverPattern(*flow, zoom, &hole);
        frmMain* main = flow->mainWindow();
        QVERIFY(main && main->isVisible());
        QVERIFY(!flow->zoomDialog()->isVisible());
        const QImage expected = expectedPreview(hole.translated(-pattern->pos()), QSize(240, 320));
        QCOMPARE(main->images().canvas(), expected);
        QCOMPARE(main->images().picCaptured(), expected);
        QVERIFY(QTest::qWaitForWindowExposed(&main->history()));
        QCOMPARE(main->history().pos().x(), main->frameGeometry().right() + 1);

        const QString jpeg = workFolder() + QStringLiteral("temp.jpg");
        QVERIFY(sizesShown(*main));
        QCOMPARE(main->findChild<QLabel*>(QStringLiteral("lblSizeJ"))->text(),
                 sizetext::kiloBytes(QFileInfo(jpeg).size()));
        QVERIFY(QFile::exists(workFolder() + QStringLiteral("temp.png")));
        dialogs.savePaths = {folder->path() + QStringLiteral("mine.jpg")};
        main->findChild<QPushButton*>(QStringLiteral("cmdJpeg"))->click();
        QCOMPARE(folder->read(QStringLiteral("mine.jpg")),
                 folder->read(QStringLiteral("temp/temp.jpg")));

        // Capture again: the scale dialog returns; the next capture opens a fresh main window.
        QComboBox* presets = main->findChild<QComboBox*>(QStringLiteral("cmbJpeg"));
        presets->setCurrentIndex(3);
        emit presets->activated(3);
        main->findChild<QPushButton*>(QStringLiteral("Command3"))->click();
        TRY_VERIFY(!flow->mainWindow());
        QVERIFY(flow->zoomDialog()->isVisible());
        captureOverPattern(*flow, zoom, &hole);
        QVERIFY(flow->mainWindow());
        QCOMPARE(
            flow->mainWindow()->findChild<QComboBox*>(QStringLiteral("cmbJpeg"))->currentText(),
            QStringLiteral("標準"));
        QCOMPARE(flow->mainWindow()->findChild<QComboBox*>(QStringLiteral("cmbPng"))->currentText(),
                 QStringLiteral("標準"));
    }

    void aDoubledModelIsHalvedToItsSize()
    {
        mdlZoom zoom(grabber);
        auto flow = startWith(zoom, 1);
        QRect hole;
        captureOverPattern(*flow, zoom, &hole);
        QVERIFY(flow->mainWindow());
        QCOMPARE(hole.size(), QSize(144, 192));
        const QImage working = expectedPreview(hole.translated(-pattern->pos()), QSize(144, 192));
        const QImage canvas = flow->mainWindow()->images().canvas();
        QCOMPARE(canvas.size(), QSize(72, 96));
        QCOMPARE(canvas, mdlCut::HalveCanvas(working));
    }
};

QTEST_MAIN(TestWholeRoadX11)
#include "test_whole_road_x11.moc"
