#include "catalogue/frmSize.h"
#include "platform/mdlIni.h"
#include "support/CatalogueFolder.h"
#include "support/FakeDialogs.h"
#include "support/FocusChain.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kAu =
    "QVGA 240x320,320,240,102400\r\n"
    "\"QVGA 240x320, 大容量\",320,240,204800\r\n"
    "QCIF+ 176x220,220,176,20479\r\n";
const QByteArray kDocomo = "サブ液晶 96x72,96,72,10240\r\nWQVGA 240x400,400,240,153600\r\n";
const QString kChooseModel = QStringLiteral("キャリアまたは機種を選択してください。");

}  // namespace

class TestFrmSize : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CatalogueFolder> folder;
    std::unique_ptr<SettingsFile> settings;
    FakeDialogs dialogs;
    std::unique_ptr<frmSize> dialog;

    template <typename T = QWidget>
    T* control(const char* name)
    {
        return dialog->findChild<T*>(QString::fromLatin1(name));
    }
    QComboBox* carriers() { return control<QComboBox>("Combo1"); }
    QComboBox* models() { return control<QComboBox>("Combo2"); }
    QString shown(const char* name) { return control<QLineEdit>(name)->text(); }

    void writeIni(const QByteArray& text) { folder->write(QStringLiteral("data.ini"), text); }
    // Starts the dialog; how often it went on to the scale dialog by itself.
    int startDialog()
    {
        dialog = std::make_unique<frmSize>(*settings, dialogs, folder->path());
        QSignalSpy accepted(dialog.get(), &frmSize::nextAccepted);
        dialog->startUp();
        return static_cast<int>(accepted.count());
    }

private slots:
    void init()
    {
        folder = std::make_unique<CatalogueFolder>();
        folder->write(QStringLiteral("dll/au.csv"), kAu);
        folder->write(QStringLiteral("dll/docomo.csv"), kDocomo);
        folder->write(QStringLiteral("dll/vodafone.csv"), QByteArray());
        settings = std::make_unique<SettingsFile>(folder->settingsPath());
        dialogs.messages.clear();
        dialogs.parentsShown.clear();
    }
    void cleanup() { dialog.reset(); }

    void firstStartShowsNothingChosenAndRefusesNext()
    {
        startDialog();
        QVERIFY(dialog->isVisible());
        QCOMPARE(carriers()->currentIndex(), -1);
        QVERIFY(dialogs.messages.isEmpty());

        QSignalSpy accepted(dialog.get(), &frmSize::nextAccepted);
        QTest::mouseClick(control<QPushButton>("cmdNext"), Qt::LeftButton);
        QCOMPARE(dialogs.messages, QStringList{kChooseModel});
        QCOMPARE(accepted.count(), 0);
        QVERIFY(!QFile::exists(folder->settingsPath()));
    }

    void carrierModelAndStyleFillTheChoiceAndStopTheLiveCapture()
    {
        startDialog();
        SelectionState& state = dialog->selection();
        QSignalSpy stops(dialog.get(), &frmSize::liveCaptureStopRequested);
        carriers()->setCurrentIndex(1);
        QVERIFY(!stops.isEmpty());
        QCOMPARE(models()->count(), 3);

        stops.clear();
        models()->setCurrentIndex(2);
        QVERIFY(!stops.isEmpty());
        QCOMPARE(QStringList({shown("Combo3"), shown("Combo4"), shown("Combo5")}),
                 QStringList({u"220"_s, u"176"_s, u"20479"_s}));
        const PhoneModel& phone = state.phone;
        QCOMPARE(QStringList({QString::number(phone.carrier), phone.carrierName,
                              QString::number(phone.model), phone.modelName,
                              QString::number(phone.height), QString::number(phone.width),
                              QString::number(phone.fileSize)}),
                 QStringList({u"1"_s, u"au"_s, u"2"_s, u"QCIF+ 176x220"_s, u"220"_s, u"176"_s,
                              u"20479"_s}));

        // Another carrier empties the model and the panel until a model is picked.
        carriers()->setCurrentIndex(0);
        QCOMPARE(shown("Combo3"), QString());
        QCOMPARE(state.phone.height, 0);
        models()->setCurrentIndex(0);
        QCOMPARE(shown("Combo5"), QStringLiteral("10240"));

        stops.clear();
        control<QRadioButton>("obtnStyle1")->click();
        QVERIFY(!stops.isEmpty());
        QCOMPARE(state.frame, FrameOffsets::forStyle(1));
        control<QRadioButton>("obtnStyle0")->click();
        QCOMPARE(state.frame, FrameOffsets{});
    }

    void nextStoresTheSevenKeysInOrder()
    {
        startDialog();
        carriers()->setCurrentIndex(1);
        models()->setCurrentIndex(2);
        control<QRadioButton>("obtnStyle1")->click();
        control<QCheckBox>("chkSkip")->setChecked(true);
        QSignalSpy accepted(dialog.get(), &frmSize::nextAccepted);
        QTest::mouseClick(control<QPushButton>("cmdNext"), Qt::LeftButton);
        QCOMPARE(accepted.count(), 1);
        QVERIFY(dialogs.messages.isEmpty());
        QCOMPARE(folder->read(QStringLiteral("data.ini")),
                 "[Size]\r\nMaker=1\r\nModel=2\r\nHeight=2\r\nWidth=2\r\nFileSize=2\r\n"
                 "WindowStyle=1\r\nSkip=1\r\n");
    }

    void restoresTheStoredChoiceWhateverTheSizeKeysSay()
    {
        writeIni(
            "[size]\r\nmaker=1\r\nModel=1\r\nHeight=2\r\nWidth=2\r\nFileSize=2\r\n"
            "WINDOWSTYLE=1\r\nSkip=0\r\n");
        startDialog();
        QVERIFY(dialog->isVisible());
        QCOMPARE(carriers()->currentIndex(), 1);
        QCOMPARE(models()->currentIndex(), 1);
        QCOMPARE(shown("Combo3"), QStringLiteral("320"));
        QCOMPARE(shown("Combo5"), QStringLiteral("204800"));
        QCOMPARE(dialog->selection().phone.fileSize, 204800);
        QVERIFY(control<QRadioButton>("obtnStyle1")->isChecked());
        QCOMPARE(dialog->selection().frame.cutLeft, 10);
        QVERIFY(dialogs.messages.isEmpty());
    }

    void badStoredValuesAreSkippedOneByOne_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<int>("carrier");
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("style");
        const auto row = [](const char* name, const char* ini, int carrier, int model, int style) {
            QTest::newRow(name) << QByteArray(ini) << carrier << model << style;
        };
        row("empty file", "", -1, -1, 0);
        row("maker missing, XP", "[Size]\nModel=1\nWindowStyle=1\n", -1, -1, 1);
        row("model beyond the list", "[Size]\nMaker=1\nModel=5\nWindowStyle=1\n", 1, -1, 1);
        row("not numbers", "[Size]\nMaker=au\nModel=x\nWindowStyle=classic\nSkip=yes\n", -1, -1, 0);
        row("value with a fraction", "[Size]\nMaker=0.6\nModel=0\n", 1, 0, 0);
    }
    void badStoredValuesAreSkippedOneByOne()
    {
        QFETCH(QByteArray, ini);
        writeIni(ini);
        startDialog();
        QTEST(carriers()->currentIndex(), "carrier");
        QTEST(models()->currentIndex(), "model");
        QTEST(dialog->selection().frame.windowStyle, "style");
        QVERIFY(!control<QCheckBox>("chkSkip")->isChecked());
        QVERIFY(dialogs.messages.isEmpty());
        QVERIFY(dialog->isVisible());
    }

    void skipWithAValidChoiceGoesOnWithoutShowing()
    {
        writeIni(
            "[Size]\nMaker=0\nModel=1\nHeight=1\nWidth=1\nFileSize=1\nWindowStyle=0\nSkip=1\n");
        QCOMPARE(startDialog(), 1);
        QVERIFY(!dialog->isVisible());
        QVERIFY(dialogs.messages.isEmpty());
        // Stored again with the same values, now in the program's own layout.
        QCOMPARE(folder->read(QStringLiteral("data.ini")),
                 QByteArray("[Size]\nMaker=0\nModel=1\nHeight=1\nWidth=1\nFileSize=1\nWindowStyle="
                            "0\nSkip=1\n"));
    }

    void skipWithoutAModelExplainsOverTheShownDialog()
    {
        writeIni("[Size]\nMaker=2\nModel=0\nSkip=1\n");  // vodafone's file is empty
        QCOMPARE(startDialog(), 0);
        QCOMPARE(dialogs.messages, QStringList{kChooseModel});
        QCOMPARE(dialogs.parentsShown, QList<bool>{true});
        QVERIFY(dialog->isVisible());
        QVERIFY(control<QCheckBox>("chkSkip")->isChecked());
    }

    void aRefusedSkipLeavesNothingBehindForTheUsersNext()
    {
        // The stored model is not in the catalogue: the start refuses to go on, and
        // the user's own " 次へ " later hands over exactly once.
        writeIni("[Size]\nMaker=1\nModel=99\nSkip=1\n");
        QCOMPARE(startDialog(), 0);
        QCOMPARE(dialogs.messages, QStringList{kChooseModel});
        QSignalSpy accepted(dialog.get(), &frmSize::nextAccepted);
        models()->setCurrentIndex(0);
        QTest::mouseClick(control<QPushButton>("cmdNext"), Qt::LeftButton);
        QCOMPARE(accepted.count(), 1);
        QCOMPARE(folder->read(QStringLiteral("data.ini")),
                 "[Size]\nMaker=1\nModel=0\nSkip=1\nHeight=0\nWidth=0\nFileSize=0\n"
                 "WindowStyle=0\n");
    }

    void badCatalogueLinesAtStartAreShownOverTheDialogInsteadOfSkipping()
    {
        folder->write(QStringLiteral("dll/au.csv"), "A,320,240,1000\nB,99999,240,1000\n");
        writeIni("[Size]\nMaker=1\nModel=0\nSkip=1\n");
        QCOMPARE(startDialog(), 0);
        QVERIFY(dialog->isVisible());
        QCOMPARE(models()->currentIndex(), 0);
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.messages.first().contains(QStringLiteral("2行目")));
        QCOMPARE(dialogs.parentsShown, QList<bool>{true});
    }

    void aSettingsFileThatCannotBeWrittenIsReportedAndTheRunGoesOn()
    {
        // data.ini is a folder: no user, root included, can write it.
        QVERIFY(QDir(folder->path()).mkpath(QStringLiteral("data.ini")));
        startDialog();
        carriers()->setCurrentIndex(1);
        models()->setCurrentIndex(0);
        QSignalSpy accepted(dialog.get(), &frmSize::nextAccepted);
        QTest::mouseClick(control<QPushButton>("cmdNext"), Qt::LeftButton);
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY2(dialogs.messages.first().contains(QStringLiteral("書き込めませんでした")),
                 qPrintable(dialogs.messages.first()));
        QCOMPARE(accepted.count(), 1);
    }

    void catalogueProblemsAreReportedAndTheDialogStaysUsable()
    {
        startDialog();
        carriers()->setCurrentIndex(3);  // tu-ka.csv does not exist
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.messages.first().contains(QStringLiteral("tu-ka.csv")));
        QCOMPARE(models()->count(), 0);

        folder->write(QStringLiteral("dll/au.csv"),
                      "A,320,240,1000\nbroken line\nC,220,176,2000\n");
        carriers()->setCurrentIndex(1);
        QCOMPARE(dialogs.messages.size(), 2);
        QVERIFY(dialogs.messages.last().contains(QStringLiteral("2行目")));
        QCOMPARE(models()->count(), 2);
    }

    void endAndCloseEndTheProgramEscapeDoesNot()
    {
        startDialog();
        QSignalSpy end(dialog.get(), &frmSize::endRequested);
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        QCOMPARE(end.count(), 0);
        QVERIFY(dialog->isVisible());
        QTest::mouseClick(control<QPushButton>("cmdEnd"), Qt::LeftButton);
        QCOMPARE(end.count(), 1);
        dialog->close();
        QCOMPARE(end.count(), 2);
    }

    void keyboardOrderAndAccessibleNames()
    {
        startDialog();
        const QStringList expected{u"Combo1"_s,  u"Combo2"_s, u"obtnStyle0"_s, u"obtnStyle1"_s,
                                   u"chkSkip"_s, u"cmdEnd"_s, u"cmdNext"_s};
        QCOMPARE(tabOrder(carriers(), 7), expected);
        for (const QString& name : expected + QStringList{u"Combo3"_s, u"Combo5"_s}) {
            QAccessibleInterface* iface =
                QAccessible::queryAccessibleInterface(dialog->findChild<QWidget*>(name));
            QVERIFY2(iface && !iface->text(QAccessible::Name).isEmpty(), qPrintable(name));
        }
    }
};

QTEST_MAIN(TestFrmSize)
#include "test_frm_size.moc"
