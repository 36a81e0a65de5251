#include "app/mdlIni.h"
#include "catalogue/frmSize.h"
#include "support/CatalogueFolder.h"
#include "support/FakeDialogs.h"
#include "support/FocusChain.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <memory>

namespace {

const QByteArray kAu =
    "QVGA 240x320,320,240,102400\r\n"
    "\"QVGA 240x320, 大容量\",320,240,204800\r\n"
    "QCIF+ 176x220,220,176,20479\r\n";
const QByteArray kDocomo = "サブ液晶 96x72,96,72,10240\r\nWQVGA 240x400,400,240,153600\r\n";

}  // namespace

class TestFrmSize : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CatalogueFolder> folder;
    std::unique_ptr<SettingsFile> settings;
    FakeDialogs dialogs;
    std::unique_ptr<frmSize> dialog;

    template <typename T>
    T* control(const char* name)
    {
        T* widget = dialog->findChild<T*>(QString::fromLatin1(name));
        if (!widget) {
            qFatal("missing control %s", name);
        }
        return widget;
    }
    QComboBox* carriers() { return control<QComboBox>("Combo1"); }
    QComboBox* models() { return control<QComboBox>("Combo2"); }
    QString shown(const char* name) { return control<QLineEdit>(name)->text(); }

    void writeIni(const QByteArray& text) { folder->write(QStringLiteral("data.ini"), text); }
    void startDialog()
    {
        dialog = std::make_unique<frmSize>(*settings, dialogs, folder->path());
        dialog->startUp();
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
    }
    void cleanup() { dialog.reset(); }

    void firstStartShowsNothingChosenAndRefusesNext()
    {
        startDialog();
        QVERIFY(dialog->isVisible());
        QCOMPARE(carriers()->count(), 4);
        QCOMPARE(carriers()->itemText(0), QStringLiteral("DoCoMo"));
        QCOMPARE(carriers()->itemText(3), QStringLiteral("TU-KA"));
        QCOMPARE(carriers()->currentIndex(), -1);
        QCOMPARE(models()->count(), 0);
        QVERIFY(control<QRadioButton>("obtnStyle0")->isChecked());
        QVERIFY(!control<QCheckBox>("chkSkip")->isChecked());
        QVERIFY(dialogs.messages.isEmpty());

        QSignalSpy accepted(dialog.get(), &frmSize::nextAccepted);
        QTest::mouseClick(control<QPushButton>("cmdNext"), Qt::LeftButton);
        QCOMPARE(dialogs.messages,
                 QStringList{QStringLiteral("キャリアまたは機種を選択してください。")});
        QCOMPARE(accepted.count(), 0);
        QVERIFY(!QFile::exists(folder->settingsPath()));
    }

    void carrierAndModelFillThePanelAndSetStopLoupe()
    {
        startDialog();
        SelectionState& state = dialog->selection();
        state.stopLoupe = false;
        carriers()->setCurrentIndex(1);
        QVERIFY(state.stopLoupe);
        QCOMPARE(models()->count(), 3);
        QCOMPARE(models()->itemText(1), QStringLiteral("QVGA 240x320, 大容量"));
        QCOMPARE(models()->currentIndex(), -1);
        QCOMPARE(shown("Combo3"), QString());

        state.stopLoupe = false;
        models()->setCurrentIndex(2);
        QVERIFY(state.stopLoupe);
        QCOMPARE(shown("Combo3"), QStringLiteral("220"));
        QCOMPARE(shown("Combo4"), QStringLiteral("176"));
        QCOMPARE(shown("Combo5"), QStringLiteral("20479"));
        QCOMPARE(state.phone.carrier, 1);
        QCOMPARE(state.phone.carrierName, QStringLiteral("au"));
        QCOMPARE(state.phone.model, 2);
        QCOMPARE(state.phone.modelName, QStringLiteral("QCIF+ 176x220"));
        QCOMPARE(state.phone.height, QStringLiteral("220"));
        QCOMPARE(state.phone.width, QStringLiteral("176"));
        QCOMPARE(state.phone.fileSize, QStringLiteral("20479"));

        // Another carrier empties the model and the panel until a model is picked,
        // then shows that carrier's own line.
        carriers()->setCurrentIndex(0);
        QCOMPARE(shown("Combo3"), QString());
        QCOMPARE(state.phone.height, QString());
        models()->setCurrentIndex(0);
        QCOMPARE(shown("Combo3"), QStringLiteral("96"));
        QCOMPARE(shown("Combo5"), QStringLiteral("10240"));
    }

    void styleOptionsSetTheFrameOffsets()
    {
        startDialog();
        SelectionState& state = dialog->selection();
        state.stopLoupe = false;
        control<QRadioButton>("obtnStyle1")->click();
        QVERIFY(state.stopLoupe);
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
        const QByteArray expected =
            "[Size]\r\nMaker=1\r\nModel=2\r\nHeight=2\r\nWidth=2\r\nFileSize=2\r\nWindowStyle="
            "1\r\nSkip=1\r\n";
        QCOMPARE(folder->read(QStringLiteral("data.ini")), expected);
    }

    void restoresTheStoredChoice()
    {
        writeIni(
            "[size]\r\nmaker=1\r\nModel=1\r\nHeight=1\r\nWidth=1\r\nFileSize=1\r\nWINDOWSTYLE="
            "1\r\nSkip=0\r\n");
        startDialog();
        QVERIFY(dialog->isVisible());
        QCOMPARE(carriers()->currentIndex(), 1);
        QCOMPARE(models()->currentIndex(), 1);
        QCOMPARE(shown("Combo5"), QStringLiteral("204800"));
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
        QTest::addColumn<bool>("skip");
        QTest::newRow("empty file") << QByteArray() << -1 << -1 << 0 << false;
        QTest::newRow("maker missing, XP")
            << QByteArray("[Size]\nModel=1\nWindowStyle=1\n") << -1 << -1 << 1 << false;
        QTest::newRow("model beyond the list")
            << QByteArray("[Size]\nMaker=1\nModel=5\nWindowStyle=1\nSkip=0\n") << 1 << -1 << 1
            << false;
        QTest::newRow("not numbers")
            << QByteArray("[Size]\nMaker=au\nModel=x\nWindowStyle=classic\nSkip=yes\n") << -1 << -1
            << 0 << false;
        QTest::newRow("carrier out of range")
            << QByteArray("[Size]\nMaker=7\nModel=0\n") << -1 << -1 << 0 << false;
        QTest::newRow("negative model")
            << QByteArray("[Size]\nMaker=0\nModel=-1\n") << 0 << -1 << 0 << false;
        QTest::newRow("style 2 skipped")
            << QByteArray("[Size]\nMaker=0\nModel=1\nWindowStyle=2\n") << 0 << 1 << 0 << false;
        QTest::newRow("value with a fraction")
            << QByteArray("[Size]\nMaker=0.6\nModel=0\n") << 1 << 0 << 0 << false;
        QTest::newRow("other section")
            << QByteArray("[Other]\nMaker=1\n") << -1 << -1 << 0 << false;
    }
    void badStoredValuesAreSkippedOneByOne()
    {
        QFETCH(QByteArray, ini);
        QFETCH(int, carrier);
        QFETCH(int, model);
        QFETCH(int, style);
        QFETCH(bool, skip);
        writeIni(ini);
        startDialog();
        QCOMPARE(carriers()->currentIndex(), carrier);
        QCOMPARE(models()->currentIndex(), model);
        QCOMPARE(dialog->selection().frame.windowStyle, style);
        QCOMPARE(control<QCheckBox>("chkSkip")->isChecked(), skip);
        QVERIFY(dialogs.messages.isEmpty());
        QVERIFY(dialog->isVisible());
    }

    void sizeFieldsFollowTheModelWhateverTheFileSays()
    {
        writeIni("[Size]\nMaker=1\nModel=0\nHeight=2\nWidth=2\nFileSize=2\n");
        startDialog();
        QCOMPARE(shown("Combo3"), QStringLiteral("320"));
        QCOMPARE(shown("Combo5"), QStringLiteral("102400"));
        QCOMPARE(dialog->selection().phone.fileSize, QStringLiteral("102400"));
    }

    void skipWithAValidChoiceGoesOnWithoutShowing()
    {
        writeIni(
            "[Size]\nMaker=0\nModel=1\nHeight=1\nWidth=1\nFileSize=1\nWindowStyle=0\nSkip=1\n");
        dialog = std::make_unique<frmSize>(*settings, dialogs, folder->path());
        QSignalSpy accepted(dialog.get(), &frmSize::nextAccepted);
        dialog->startUp();
        QCOMPARE(accepted.count(), 1);
        QVERIFY(!dialog->isVisible());
        QVERIFY(dialogs.messages.isEmpty());
        // Stored again with the same values, now in the program's own layout.
        QCOMPARE(folder->read(QStringLiteral("data.ini")),
                 QByteArray("[Size]\nMaker=0\nModel=1\nHeight=1\nWidth=1\nFileSize=1\nWindowStyle="
                            "0\nSkip=1\n"));
    }

    void skipWithoutAModelExplainsOnceAndShowsTheDialog()
    {
        writeIni("[Size]\nMaker=2\nModel=0\nSkip=1\n");  // vodafone's file is empty
        dialog = std::make_unique<frmSize>(*settings, dialogs, folder->path());
        QSignalSpy accepted(dialog.get(), &frmSize::nextAccepted);
        dialog->startUp();
        QCOMPARE(accepted.count(), 0);
        QCOMPARE(dialogs.messages,
                 QStringList{QStringLiteral("キャリアまたは機種を選択してください。")});
        QVERIFY(dialog->isVisible());
        QVERIFY(control<QCheckBox>("chkSkip")->isChecked());
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
        models()->setCurrentIndex(1);
        QCOMPARE(shown("Combo3"), QStringLiteral("220"));
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
        const QStringList expected{QStringLiteral("Combo1"),     QStringLiteral("Combo2"),
                                   QStringLiteral("obtnStyle0"), QStringLiteral("obtnStyle1"),
                                   QStringLiteral("chkSkip"),    QStringLiteral("cmdEnd"),
                                   QStringLiteral("cmdNext")};
        QCOMPARE(tabOrder(carriers(), 7), expected);
        for (const QString& name :
             expected + QStringList{QStringLiteral("Combo3"), QStringLiteral("Combo5")}) {
            QAccessibleInterface* iface =
                QAccessible::queryAccessibleInterface(dialog->findChild<QWidget*>(name));
            QVERIFY2(iface && !iface->text(QAccessible::Name).isEmpty(), qPrintable(name));
        }
        QCOMPARE(control<QPushButton>("cmdNext")->text(), QStringLiteral(" 次へ "));
        QCOMPARE(control<QPushButton>("cmdEnd")->text(), QStringLiteral(" 終了"));
    }
};

QTEST_MAIN(TestFrmSize)
#include "test_frm_size.moc"
