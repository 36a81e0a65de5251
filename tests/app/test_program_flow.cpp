#include "app/ProgramFlow.h"
#include "capture/frmZoom.h"
#include "catalogue/frmSize.h"
#include "platform/WorkFolder.h"
#include "platform/mdlIni.h"
#include "support/CatalogueFolder.h"
#include "support/FakeDialogs.h"
#include "support/RecordingLiveCapture.h"

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
    std::unique_ptr<WorkFolder> work;
    std::unique_ptr<ProgramFlow> flow;

    void startProgram()
    {
        flow.reset();
        work = std::make_unique<WorkFolder>(QStringList{folder->path() + QStringLiteral("temp/")});
        flow = std::make_unique<ProgramFlow>(*settings, dialogs, *live, folder->path(), *work);
        flow->start();
    }
    static void click(QWidget* window, const char* button)
    {
        QTest::mouseClick(window->findChild<QPushButton*>(QString::fromLatin1(button)),
                          Qt::LeftButton);
    }
    void chooseModel(int model)
    {
        auto* size = &flow->sizeDialog();
        size->findChild<QComboBox*>(QStringLiteral("Combo1"))->setCurrentIndex(1);
        size->findChild<QComboBox*>(QStringLiteral("Combo2"))->setCurrentIndex(model);
        click(size, "cmdNext");
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
    void cleanup() { flow.reset(); }

    void aUserTravelsFromTheSelectionToTheLiveCapture()
    {
        startProgram();
        frmSize& size = flow->sizeDialog();
        QVERIFY(size.isVisible());
        QVERIFY(!flow->zoomDialog());
        chooseModel(1);
        QVERIFY(!size.isVisible());
        QVERIFY(flow->zoomDialog() && flow->zoomDialog()->isVisible());
        click(flow->zoomDialog(), "cmdOk");
        QCOMPARE(live->requests().size(), 1);
        QCOMPARE(live->requests().first().size, (CaptureSize{true, 192, 144}));

        // Back, another model, on again: the new model is used.
        click(flow->zoomDialog(), "cmdBack");
        QVERIFY(size.isVisible());
        QVERIFY(!flow->zoomDialog()->isVisible());
        chooseModel(0);
        click(flow->zoomDialog(), "cmdOk");
        QCOMPARE(live->requests().last().size, (CaptureSize{false, 320, 240}));
        QVERIFY(dialogs.messages.isEmpty());
    }

    void everyWayOutEndsTheProgram()
    {
        startProgram();
        QSignalSpy end(flow.get(), &ProgramFlow::endRequested);
        flow->sizeDialog().close();
        QCOMPARE(end.count(), 1);

        startProgram();
        QSignalSpy end2(flow.get(), &ProgramFlow::endRequested);
        chooseModel(0);
        const int stopsBefore = live->stops();
        flow->zoomDialog()->close();
        QCOMPARE(end2.count(), 1);
        QVERIFY(!flow->zoomDialog()->isVisible());
        // A live capture still running would stop at its next pass.
        QVERIFY(live->stops() > stopsBefore);
    }
};

QTEST_MAIN(TestProgramFlow)
#include "test_program_flow.moc"
