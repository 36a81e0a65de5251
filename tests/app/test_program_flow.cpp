#include "app/ProgramFlow.h"
#include "app/mdlIni.h"
#include "capture/LiveCapture.h"
#include "app/frmMain.h"
#include "capture/PreviewSnapshot.h"
#include "capture/frmZoom.h"
#include "catalogue/frmSize.h"
#include "support/CatalogueFolder.h"
#include "support/FakeDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <memory>

class TestProgramFlow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CatalogueFolder> folder;
    std::unique_ptr<SettingsFile> settings;
    FakeDialogs dialogs;
    std::unique_ptr<RecordingLiveCapture> live;

    std::unique_ptr<ProgramFlow> startProgram()
    {
        auto flow = std::make_unique<ProgramFlow>(*settings, dialogs, *live, folder->path(), folder->path() + QStringLiteral("temp/"));
        flow->start();
        return flow;
    }
    template <typename T>
    static T* control(QWidget* window, const char* name)
    {
        T* widget = window->findChild<T*>(QString::fromLatin1(name));
        if (!widget) {
            qFatal("missing control %s", name);
        }
        return widget;
    }
    static void click(QWidget* window, const char* button)
    {
        QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton);
    }

private slots:
    void init()
    {
        folder = std::make_unique<CatalogueFolder>();
        folder->write(QStringLiteral("dll/au.csv"),
                      "QVGA 240x320,320,240,102400\r\nサブ液晶 96x72,96,72,10240\r\n");
        settings = std::make_unique<SettingsFile>(folder->settingsPath());
        dialogs.messages.clear();
        live = std::make_unique<RecordingLiveCapture>();
    }

    void aUserTravelsFromTheSelectionToTheLiveCapture()
    {
        auto flow = startProgram();
        frmSize& size = flow->sizeDialog();
        QVERIFY(size.isVisible());
        QVERIFY(!flow->zoomDialog());

        control<QComboBox>(&size, "Combo1")->setCurrentIndex(1);
        control<QComboBox>(&size, "Combo2")->setCurrentIndex(1);
        control<QCheckBox>(&size, "chkSkip")->setChecked(true);
        click(&size, "cmdNext");
        QVERIFY(!size.isVisible());
        QVERIFY(flow->zoomDialog() && flow->zoomDialog()->isVisible());

        click(flow->zoomDialog(), "cmdOk");
        QCOMPARE(live->requests().size(), 1);
        QCOMPARE(live->requests().first().size, (CaptureSize{true, 192, 144}));

        // Back, another model, on again: the new model is stored and used.
        click(flow->zoomDialog(), "cmdBack");
        QVERIFY(size.isVisible());
        QVERIFY(!flow->zoomDialog()->isVisible());
        control<QComboBox>(&size, "Combo2")->setCurrentIndex(0);
        QVERIFY(size.selection().stopLoupe);
        click(&size, "cmdNext");
        QCOMPARE(settings->ReadIni(u"Size", u"Model"), QStringLiteral("0"));
        click(flow->zoomDialog(), "cmdOk");
        QCOMPARE(live->requests().last().size, (CaptureSize{false, 320, 240}));
        QVERIFY(dialogs.messages.isEmpty());
    }

    void aCaptureOpensTheMainWindowAndCaptureAgainComesBack()
    {
        auto flow = startProgram();
        control<QComboBox>(&flow->sizeDialog(), "Combo1")->setCurrentIndex(1);
        control<QComboBox>(&flow->sizeDialog(), "Combo2")->setCurrentIndex(0);
        click(&flow->sizeDialog(), "cmdNext");
        click(flow->zoomDialog(), "cmdOk");
        const SelectionState& selection = flow->sizeDialog().selection();
        QImage client(240, 320, QImage::Format_RGB32);
        client.fill(qRgb(1, 2, 3));
        emit live->captureTaken(composePreviewSnapshot(client, selection.capture, selection.frame, QString()));
        QVERIFY(!flow->zoomDialog()->isVisible());
        QVERIFY(flow->mainWindow() && flow->mainWindow()->isVisible());
        QCOMPARE(flow->mainWindow()->images().canvas(), client);

        click(flow->mainWindow(), "Command3");
        QTRY_VERIFY(!flow->mainWindow());
        QVERIFY(flow->zoomDialog()->isVisible());
        QVERIFY(!flow->sizeDialog().selection().stopLoupe);
    }

    void theNextStartSkipsStraightToTheScaleDialog()
    {
        settings->WriteIni(u"Size", u"Maker", u"1");
        settings->WriteIni(u"Size", u"Model", u"0");
        settings->WriteIni(u"Size", u"Skip", u"1");
        auto flow = startProgram();
        QVERIFY(!flow->sizeDialog().isVisible());
        QVERIFY(flow->zoomDialog() && flow->zoomDialog()->isVisible());
        QCOMPARE(flow->sizeDialog().selection().phone.height, QStringLiteral("320"));
    }

    void everyWayOutEndsTheProgram()
    {
        auto flow = startProgram();
        QSignalSpy end(flow.get(), &ProgramFlow::endRequested);
        flow->sizeDialog().close();
        QCOMPARE(end.count(), 1);

        flow = startProgram();
        QSignalSpy end2(flow.get(), &ProgramFlow::endRequested);
        control<QComboBox>(&flow->sizeDialog(), "Combo1")->setCurrentIndex(1);
        control<QComboBox>(&flow->sizeDialog(), "Combo2")->setCurrentIndex(0);
        click(&flow->sizeDialog(), "cmdNext");
        flow->sizeDialog().selection().stopLoupe = false;
        click(flow->zoomDialog(), "cmdEnd");
        QCOMPARE(end2.count(), 1);
        QVERIFY(!flow->zoomDialog()->isVisible());
        QVERIFY(!flow->sizeDialog().isVisible());
        // A live capture still running would stop at its next pass.
        QVERIFY(flow->sizeDialog().selection().stopLoupe);

        click(&flow->sizeDialog(), "cmdEnd");
        flow->zoomDialog()->close();
        QCOMPARE(end2.count(), 3);
    }
};

QTEST_MAIN(TestProgramFlow)
#include "test_program_flow.moc"
