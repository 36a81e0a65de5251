#include "app/frmMain.h"
#include "common/WorkPool.h"
#include "platform/WorkFolder.h"
#include "saving/CompressionFiles.h"
#include "saving/CompressionPage.h"
#include "saving/LiveEstimates.h"
#include "saving/SizeText.h"
#include "saving/mdlSavedll.h"
#include "support/FakeDialogs.h"
#include "support/MagickPictures.h"
#include "support/SizesShown.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <memory>

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Whatever the pool still has under way ends, and every result it sent is served.
void drainResults()
{
    workpool::instance().waitForDone();
    QCoreApplication::sendPostedEvents();
}

}  // namespace

// The estimates run on the pool: the window answers while they are worked out.
class TestEstimatesOffThread : public QObject
{
    Q_OBJECT

    QTemporaryDir work;
    std::unique_ptr<WorkFolder> folder;
    FakeDialogs dialogs;
    std::unique_ptr<frmMain> main;
    QImage picture;

    template <typename T = QWidget>
    T* control(const char* name)
    {
        return main->findChild<T*>(QString::fromLatin1(name));
    }
    QString workFile(const char* name) const { return work.filePath(QString::fromLatin1(name)); }
    CompressionPage& page() { return *main->findChild<CompressionPage*>(); }

private slots:
    void initTestCase()
    {
        picture = magickPicture(QStringLiteral("rose:"), QSize(240, 320));
        QVERIFY(!picture.isNull());
    }
    void init()
    {
        QFile::remove(workFile("temp.jpg"));
        QFile::remove(workFile("temp.png"));
        dialogs = FakeDialogs{};
        folder = std::make_unique<WorkFolder>(QStringList{work.path() + u'/'});
        PhoneModel phone;
        phone.height = 320;
        phone.width = 240;
        phone.fileSize = 20000;
        main = std::make_unique<frmMain>(phone, dialogs, *folder);
        main->open();
    }
    void cleanup()
    {
        main.reset();
        drainResults();
    }

    // Quick steps: the figure waits greyed, then only the last settings' figure and
    // work files remain.
    void theLastSettingsWinAfterQuickChanges()
    {
        main->deliverCapture(picture);
        QVERIFY(sizesShown(*main));
        auto* jpeg = control<QLabel>("lblSizeJ");
        const QString before = jpeg->text();
        auto* slider = control<QSlider>("sldJpeg");
        for (int position = 1; position <= 9; ++position) {
            slider->setValue(position);
        }
        auto* png = control<QComboBox>("cmbPng");
        for (int choice : {2, 1}) {
            png->setCurrentIndex(choice);
            emit png->activated(choice);
        }
        QCOMPARE(jpeg->text(), before);  // the last figure stays while the next is worked out
        QVERIFY(!jpeg->isEnabled());
        QVERIFY(QAccessible::queryAccessibleInterface(jpeg)
                    ->text(QAccessible::Description)
                    .endsWith(QStringLiteral("新しいサイズを計算中")));

        QVERIFY(sizesShown(*main));
        const QByteArray newestJpeg = mdlSavedll::encodeJpeg(picture, 90, false).value();
        const QByteArray newestPng = compressionfiles::pngFile(picture, page().settings()).value();
        QCOMPARE(page().settings().pngLevel, 1);
        QCOMPARE(contents(workFile("temp.jpg")), newestJpeg);
        QCOMPARE(contents(workFile("temp.png")), newestPng);
        QCOMPARE(jpeg->text(), sizetext::kiloBytes(newestJpeg.size()));
        QCOMPARE(control<QLabel>("lblSizeP")->text(), sizetext::kiloBytes(newestPng.size()));
        QVERIFY(jpeg->isEnabled());
        QVERIFY(!QAccessible::queryAccessibleInterface(jpeg)
                     ->text(QAccessible::Description)
                     .contains(QStringLiteral("計算中")));
    }

    // Another page, the window hidden for a new capture, or the window gone: what was
    // under way never reaches the fields or the work files.
    void workUnderWayIsDroppedWhenThePageOrTheWindowGoes()
    {
        for (const char* how : {"page", "hidden", "closed"}) {
            main->deliverCapture(picture);
            if (qstrcmp(how, "page") == 0) {
                control<QTabWidget>("SSTab1")->setCurrentIndex(1);
            } else if (qstrcmp(how, "hidden") == 0) {
                main->hide();
            } else {
                main.reset();
            }
            drainResults();
            QVERIFY2(!QFile::exists(workFile("temp.jpg")), how);
            QVERIFY2(!QFile::exists(workFile("temp.png")), how);
            if (main) {
                QVERIFY2(!page().estimating(), how);
            }
            if (qstrcmp(how, "hidden") == 0) {
                main->show();  // back at once, as when its window flags change
                QVERIFY(sizesShown(*main));
                QCOMPARE(contents(workFile("temp.jpg")),
                         mdlSavedll::encodeJpeg(picture, 50, false).value());
                QVERIFY(QFile::exists(workFile("temp.png")));
            }
            init();
        }
    }

    // Undo and restore on the saving page change the canvas under the sizes: both are
    // worked out again, a fit's answer for another canvas is never applied, and a save
    // waits for the fit under way.
    void theSavingPageFollowsTheCanvasAndTheFit()
    {
        main->deliverCapture(picture);
        QVERIFY(sizesShown(*main));
        auto* tabs = control<QTabWidget>("SSTab1");
        tabs->setCurrentIndex(3);
        main->images().canvas().fill(Qt::white);
        tabs->setCurrentIndex(0);
        QVERIFY(sizesShown(*main));
        control<QPushButton>("cmdFormat")->click();
        QVERIFY(page().estimating());
        QVERIFY(sizesShown(*main));
        const QByteArray restored = mdlSavedll::encodeJpeg(picture, 50, false).value();
        QCOMPARE(contents(workFile("temp.jpg")), restored);
        QCOMPARE(control<QLabel>("lblSizeJ")->text(), sizetext::kiloBytes(restored.size()));

        // The canvas changes while the fit works on the one before.
        control<QPushButton>("cmdFit")->click();
        main->images().canvas().fill(Qt::white);
        drainResults();
        QVERIFY(sizesShown(*main));
        QCOMPARE(control<QLineEdit>("txtJpeg")->text(), QStringLiteral("5"));
        QCOMPARE(contents(workFile("temp.jpg")),
                 mdlSavedll::encodeJpeg(main->images().canvas(), 50, false).value());

        // A save pressed at once after the fit waits for its answer: the file saved is
        // the fitted one the page then shows, within the limit.
        control<QPushButton>("cmdFormat")->click();
        auto* quality = control<QLineEdit>("txtJpeg");
        quality->setText(QStringLiteral("10"));
        QVERIFY(sizesShown(*main));
        QVERIFY(contents(workFile("temp.jpg")).size() > 20000);
        const QString saved = workFile("saved.jpg");
        dialogs.savePaths = {saved};
        control<QPushButton>("cmdFit")->click();
        control<QPushButton>("cmdJpeg")->click();
        const QByteArray file = contents(saved);
        QVERIFY(!file.isEmpty() && file.size() <= 20000);
        QVERIFY(sizesShown(*main));
        QCOMPARE(contents(workFile("temp.jpg")), file);
        QCOMPARE(control<QLabel>("lblSizeJ")->text(), sizetext::kiloBytes(file.size()));
    }

    // Where the carrier takes PNG, the reduced PNG is made ahead once the page's sizes
    // are shown, and the advice after a fit keeps the one it weighed: ticking the
    // reduction then shows its size at once, without work for the pool.
    void theColourReductionIsReadyWhenTicked()
    {
        PhoneModel phone = main->phone();
        phone.carrier = 1;
        main = std::make_unique<frmMain>(phone, dialogs, *folder);
        main->open();
        auto* estimates = page().findChild<LiveEstimates*>();
        QSignalSpy ahead(estimates, &LiveEstimates::madeAhead);
        QSignalSpy advised(estimates, &LiveEstimates::advised);
        main->deliverCapture(picture);
        QVERIFY(sizesShown(*main));
        QVERIFY(ahead.count() == 1 || ahead.wait(30000));
        auto* reduce = control<QCheckBox>("chkReduce");
        for (const char* after : {"ahead", "fit"}) {
            reduce->click();
            QVERIFY2(!page().estimating(), after);
            const QByteArray reduced =
                compressionfiles::pngFile(main->images().canvas(), page().settings()).value();
            QCOMPARE(contents(workFile("temp.png")), reduced);
            QCOMPARE(control<QLabel>("lblSizeP")->text(), sizetext::kiloBytes(reduced.size()));
            reduce->click();
            QVERIFY(sizesShown(*main));
            // An edit, then a fit, whose advice weighs the new canvas's reduction.
            main->images().canvas().fill(Qt::white);
            control<QPushButton>("cmdFit")->click();
            QVERIFY(advised.wait(30000));
        }
    }

    // The save does not wait for the event loop: it writes the file of the settings
    // chosen a moment before, and the work file becomes that very file.
    void aSaveWhileAnEstimateIsPendingWritesTheCurrentSettingsFile()
    {
        main->deliverCapture(picture);
        control<QLineEdit>("txtJpeg")->setText(QStringLiteral("7.5"));
        const QString jpeg = workFile("saved.jpg");
        const QString png = workFile("saved.png");
        dialogs.savePaths = {jpeg, png};
        control<QPushButton>("cmdJpeg")->click();
        auto* reduce = control<QWidget>("chkReduce");
        QMetaObject::invokeMethod(reduce, "setChecked", Q_ARG(bool, true));
        control<QPushButton>("cmdPng")->click();
        QCOMPARE(contents(jpeg), mdlSavedll::encodeJpeg(picture, 75, false).value());
        QCOMPARE(contents(jpeg), contents(workFile("temp.jpg")));
        QCOMPARE(
            contents(png),
            mdlSavedll::encodeReducedPng(picture, mdlSavedll::PngChoice::Standard, 20000).value());
        QCOMPARE(contents(png), contents(workFile("temp.png")));
        QVERIFY(dialogs.messages.isEmpty());
    }
};

QTEST_MAIN(TestEstimatesOffThread)
#include "test_estimates_off_thread.moc"
