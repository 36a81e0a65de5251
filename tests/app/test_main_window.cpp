#include "app/frmMain.h"
#include "history/HistorySlot.h"
#include "history/frmPicFiles.h"
#include "platform/WorkFolder.h"
#include "saving/SizeText.h"
#include "saving/mdlSavedll.h"
#include "support/FakeDialogs.h"
#include "support/FileSizeLimit.h"
#include "support/SizesShown.h"

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

QImage numbered(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, qRgb((x * 3) % 256, (y * 5) % 256, (x ^ y) % 256));
        }
    }
    return image;
}

// As the user picks an entry of a list.
void choose(QComboBox* list, int index)
{
    list->setCurrentIndex(index);
    emit list->activated(index);
}

// Bands of colour: JPEG and PNG files of a few kilobytes, below Qt's 16 KiB write
// buffer, so a write past a file-size limit fails only when the buffer is flushed.
QImage bands(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, qRgb(y / 8 * 20 % 256, x / 8 * 20 % 256, (x + y) / 16 * 40 % 256));
        }
    }
    return image;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

// Receives what the program asks the desktop to open.
class OpenedUrls : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls.append(url); }
};

class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir work;
    std::unique_ptr<WorkFolder> folder;
    FakeDialogs dialogs;
    std::unique_ptr<frmMain> main;
    const QImage picture = numbered(240, 320);

    template <typename T = QWidget>
    T* control(const char* name)
    {
        return main->findChild<T*>(QString::fromLatin1(name));
    }
    QString workFile(const char* name) const { return work.filePath(QString::fromLatin1(name)); }
    void openMain(int fileSize)
    {
        PhoneModel phone;
        phone.height = 320;
        phone.width = 240;
        phone.fileSize = fileSize;
        main = std::make_unique<frmMain>(phone, dialogs, *folder);
        main->open();
    }

private slots:
    void init()
    {
        QFile::remove(workFile("temp.jpg"));
        QFile::remove(workFile("temp.png"));
        dialogs = FakeDialogs{};
        folder = std::make_unique<WorkFolder>(QStringList{work.path() + u'/'});
        openMain(10240);
    }
    void cleanup() { main.reset(); }

    void opensWithTheLimitAndTheHistoryThatCanBeClosed()
    {
        QCOMPARE(control<QLineEdit>("lblLimit")->text(), QStringLiteral("10.2"));
        QVERIFY(main->history().isVisible());
        control<QPushButton>("cmdCloseWindow")->click();
        QVERIFY(!main->history().isVisible());
        QVERIFY(control<QPushButton>("cmdOpenWindow")->isVisible());
        QVERIFY(!control<QPushButton>("cmdCloseWindow")->isVisible());
    }

    void noWorkFileBeforeACapture()
    {
        choose(control<QComboBox>("cmbJpeg"), 3);
        control<QSlider>("sldJpeg")->setValue(2);
        choose(control<QComboBox>("cmbPng"), 2);
        QVERIFY(!QFile::exists(workFile("temp.jpg")));
        QVERIFY(!QFile::exists(workFile("temp.png")));
    }

    void aCaptureIsEstimatedAtOnceAndFollowsTheQuality()
    {
        main->deliverCapture(picture);
        QCOMPARE(main->images().picCaptured(), picture);
        QVERIFY(sizesShown(*main));
        QCOMPARE(control<QLabel>("lblSizeP")->text(),
                 sizetext::kiloBytes(QFileInfo(workFile("temp.png")).size()));

        for (auto [typed, slider, quality] :
             {std::tuple{"5.5", 6, 55}, std::tuple{"6.5", 6, 65}, std::tuple{"7.25", 7, 72},
              std::tuple{"abc", 1, 10}}) {
            control<QLineEdit>("txtJpeg")->setText(QString::fromLatin1(typed));
            QCOMPARE(control<QSlider>("sldJpeg")->value(), slider);
            QVERIFY(sizesShown(*main));
            QCOMPARE(contents(workFile("temp.jpg")),
                     *mdlSavedll::encodeJpeg(picture, quality, false));
            QCOMPARE(control<QLineEdit>("txtJpeg")->text(), QString::fromLatin1(typed));
        }
        choose(control<QComboBox>("cmbJpeg"), 3);
        QCOMPARE(control<QSlider>("sldJpeg")->value(), 10);
        control<QSlider>("sldJpeg")->setValue(3);
        QCOMPARE(control<QLineEdit>("txtJpeg")->text(), QStringLiteral("3"));
        QCOMPARE(control<QComboBox>("cmbJpeg")->currentIndex(), 3);  // presets do not follow
    }

    void sizesReachingTheLimitAreRedAndSaidSo()
    {
        for (auto [limit, label, colour, verdict] :
             {std::tuple{100, "lblSizeJ", Qt::red, "、サイズ上限 0.1 KByte 以上"},
              std::tuple{100000000, "lblSizeP", Qt::black, "、サイズ上限 100000 KByte 未満"}}) {
            openMain(limit);
            main->deliverCapture(picture);
            QVERIFY(sizesShown(*main));
            auto* field = control<QLabel>(label);
            QCOMPARE(field->palette().color(QPalette::WindowText), QColor(colour));
            QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(field);
            QVERIFY(spoken->text(QAccessible::Name)
                        .contains(QLatin1String(label) == QLatin1String("lblSizeJ") ? u"JPEG"
                                                                                    : u"PNG"));
            QCOMPARE(spoken->text(QAccessible::Description),
                     field->text() + QStringLiteral(" KByte") + QString::fromUtf8(verdict));
        }
        // Every estimate says its new size.
        auto* jpeg = control<QLabel>("lblSizeJ");
        const QString before = jpeg->text();
        choose(control<QComboBox>("cmbJpeg"), 3);
        QVERIFY(sizesShown(*main));
        QVERIFY(jpeg->text() != before);
        QVERIFY(QAccessible::queryAccessibleInterface(jpeg)
                    ->text(QAccessible::Description)
                    .startsWith(jpeg->text() + u' '));
    }

    void undoAndRestore()
    {
        main->deliverCapture(picture);
        QVERIFY(!control<QPushButton>("cmdUndo")->isEnabled());
        auto* tabs = control<QTabWidget>("SSTab1");
        tabs->setCurrentIndex(2);
        QVERIFY(control<QPushButton>("cmdUndo")->isEnabled());
        const QImage snapshot = main->images().canvas();
        main->images().canvas().fill(Qt::green);
        tabs->setCurrentIndex(1);  // no snapshot on the adjustment tab
        main->images().canvas().fill(Qt::blue);
        control<QPushButton>("cmdUndo")->click();
        QCOMPARE(main->images().canvas(), snapshot);
        QVERIFY(!control<QPushButton>("cmdUndo")->isEnabled());

        main->images().canvas().fill(Qt::blue);
        control<QPushButton>("cmdFormat")->click();
        QCOMPARE(main->images().canvas(), picture);
        QCOMPARE(main->images().picUndo(), picture);

        tabs->setCurrentIndex(4);
        QCOMPARE(main->images().picDrawText(), picture);
        QFile::remove(workFile("temp.jpg"));
        tabs->setCurrentIndex(0);  // page 0 estimates again
        QVERIFY(sizesShown(*main));
        QVERIFY(QFile::exists(workFile("temp.jpg")));
    }

    void savesWriteExactlyWhatWasMeasured()
    {
        main->deliverCapture(picture);
        const QString jpeg = work.filePath(QStringLiteral("saved"));  // no extension added
        const QString png = work.filePath(QStringLiteral("saved.png"));
        const QString bmp = work.filePath(QStringLiteral("saved.bmp"));
        dialogs.savePaths = {jpeg, png, bmp};
        control<QPushButton>("cmdJpeg")->click();
        control<QPushButton>("cmdPng")->click();
        main->findChild<QAction*>(QStringLiteral("mnuSaveAs"))->trigger();
        QCOMPARE(dialogs.saveFilters,
                 (QStringList{u"JPEG (*.jpg)"_s, u"PNG (*.png)"_s, u"BMP (*.bmp)"_s}));
        QCOMPARE(contents(jpeg), contents(workFile("temp.jpg")));
        QCOMPARE(contents(png), contents(workFile("temp.png")));
        QCOMPARE(QImage(bmp).convertToFormat(QImage::Format_RGB32), picture);

        control<QPushButton>("cmdJpeg")->click();  // cancelled
        QVERIFY(dialogs.messages.isEmpty());
        dialogs.savePaths = {work.filePath(QStringLiteral("missing/folder.jpg"))};
        control<QPushButton>("cmdJpeg")->click();
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.messages.first().contains(QStringLiteral("folder.jpg")));
    }

    // The file-size limit stands for a full disk. Each save fails only at the flush.
    void aSaveThatRunsOutOfRoomSaysSoAndKeepsTheOldFile()
    {
        constexpr rlim_t kLimit = 1000;
        main->deliverCapture(bands(240, 320));
        QVERIFY(sizesShown(*main));
        for (const char* name : {"temp.jpg", "temp.png"}) {
            const qint64 size = QFileInfo(workFile(name)).size();
            QVERIFY2(size > qint64{kLimit} && size < 16384, name);
        }
        const QByteArray old("the earlier picture");
        const QStringList saved{workFile("earlier.jpg"), workFile("earlier.png")};
        for (const QString& path : saved) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
        }
        dialogs.savePaths = saved;
        const int failedCheck = inChildWithFileSizeLimit(kLimit, [this] {
            control<QPushButton>("cmdJpeg")->click();
            control<QPushButton>("cmdPng")->click();
            if (dialogs.messages.size() != 2 ||
                !dialogs.messages.at(1).contains(QStringLiteral("earlier.png"))) {
                return 1;
            }
            for (const SlotThumbnail* slot : main->history().findChildren<SlotThumbnail*>()) {
                if (!slot->picture().isNull()) {
                    return 2;
                }
            }
            return 0;
        });
        QCOMPARE(failedCheck, 0);
        for (const QString& path : saved) {
            QCOMPARE(contents(path), old);
        }
        // No temporary file is left beside them.
        QCOMPARE(QDir(work.path()).entryList({u"earlier*"_s}, QDir::Files | QDir::Hidden),
                 (QStringList{u"earlier.jpg"_s, u"earlier.png"_s}));
    }

    // A size is never that of a cut work file; no writable work folder is told once.
    void anEstimateThatRunsOutOfRoomShowsNoSizeAndSaysSoOnce()
    {
        main->deliverCapture(bands(240, 320));
        QVERIFY(sizesShown(*main));
        auto* page = main->findChild<CompressionPage*>();
        // The child has no threads of the pool: the estimates are finished on its own.
        const int failedCheck = inChildWithFileSizeLimit(900, [this, page] {
            control<QLineEdit>("txtJpeg")->setText(QStringLiteral("9"));
            page->finishEstimates();
            if (!control<QLabel>("lblSizeJ")->text().isEmpty()) {
                return 1;
            }
            auto* tabs = control<QTabWidget>("SSTab1");
            tabs->setCurrentIndex(1);
            tabs->setCurrentIndex(0);
            page->finishEstimates();
            if (!control<QLabel>("lblSizeP")->text().isEmpty()) {
                return 2;
            }
            return dialogs.messages.size() == 1 ? 0 : 3;
        });
        QCOMPARE(failedCheck, 0);
    }

    void sizesComeFromTheCacheWhenTheProgramsTempCannotBeWritten()
    {
        main.reset();
        // temp/ beside the program exists, but nobody, root included, can create a file in it.
        QVERIFY(QDir().mkpath(workFile("program")));
        QVERIFY(QFile::link(QStringLiteral("/proc"), workFile("program/temp")));
        const QString cache = workFile("cache/temp/");
        folder = std::make_unique<WorkFolder>(QStringList{workFile("program/temp/"), cache});
        openMain(10240);
        main->deliverCapture(picture);
        QVERIFY(sizesShown(*main));
        QCOMPARE(control<QLabel>("lblSizeJ")->text(),
                 sizetext::kiloBytes(QFileInfo(cache + u"temp.jpg"_s).size()));
        QCOMPARE(control<QLabel>("lblSizeP")->text(),
                 sizetext::kiloBytes(QFileInfo(cache + u"temp.png"_s).size()));
        QVERIFY(dialogs.messages.isEmpty());
    }

    void menusButtonsAndAddresses()
    {
        OpenedUrls opened;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &opened, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "open");
        for (const char* item : {"mnuContents", "mnuSite", "mnuUpload", "mnuBoard"}) {
            main->findChild<QAction*>(QString::fromLatin1(item))->trigger();
        }
        control<QPushButton>("Command4")->click();
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(opened.urls.size(), 5);
        QVERIFY(opened.urls.at(0).toLocalFile().endsWith(QStringLiteral("/HELP.html")));
        QCOMPARE(opened.urls.at(2), opened.urls.at(4));  // one upload page

        QAction* front = main->findChild<QAction*>(QStringLiteral("mnuFront"));
        for (bool on : {true, false}) {
            front->trigger();
            QCOMPARE(front->isChecked(), on);
            QCOMPARE(main->windowFlags().testFlag(Qt::WindowStaysOnTopHint), on);
        }

        QSignalSpy again(main.get(), &frmMain::captureAgainRequested);
        QSignalSpy end(main.get(), &frmMain::endRequested);
        control<QPushButton>("Command3")->click();
        control<QPushButton>("cmdEnd")->click();
        main->findChild<QAction*>(QStringLiteral("mnuExit"))->trigger();
        main->close();
        QCOMPARE(again.count(), 1);
        QCOMPARE(end.count(), 3);
        QVERIFY(!main->history().isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
