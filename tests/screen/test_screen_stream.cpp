#include "screen/ScreenCastTokenStore.h"
#include "screen/ScreenGrabberFactory.h"
#include "screen/StreamFrame.h"
#include "support/FileSizeLimit.h"

#include <spa/param/video/raw.h>
#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <vector>

class TestScreenStream : public QObject
{
    Q_OBJECT

private slots:
    void theDesktopChoosesTheGrabber()
    {
        using screengrabbers::Kind;
        QCOMPARE(screengrabbers::kindFor(u"wayland", true), Kind::Portal);
        QCOMPARE(screengrabbers::kindFor(u"wayland-egl", false), Kind::Portal);
        // Under Xwayland the X grab is black: the portal there too.
        QCOMPARE(screengrabbers::kindFor(u"xcb", true), Kind::Portal);
        QCOMPARE(screengrabbers::kindFor(u"xcb", false), Kind::Qt);
        QCOMPARE(screengrabbers::kindFor(u"offscreen", true), Kind::Qt);
    }

    void theTokenIsKeptInAFileOfItsOwn()
    {
        QTemporaryDir folder;
        const ScreenCastTokenStore store(folder.path());
        QVERIFY(store.load().isEmpty());
        QVERIFY(store.save(QStringLiteral("3f0c9a2e-token")));
        QCOMPARE(ScreenCastTokenStore(folder.path()).load(), QStringLiteral("3f0c9a2e-token"));
        QCOMPARE(QFile::permissions(store.path()) & 0x0077, QFileDevice::Permissions());
        // Something that is not a token is neither written nor read.
        QVERIFY(!store.save(QStringLiteral("two\nlines")));
        QCOMPARE(store.load(), QStringLiteral("3f0c9a2e-token"));
        QFile file(store.path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\x01garbage");
        file.close();
        QVERIFY(store.load().isEmpty());
        QVERIFY(store.save(QString()));
        QVERIFY(!QFile::exists(store.path()));
    }

    void aTokenPathThatIsNoPlainFileIsIgnoredWithoutWaiting()
    {
        QTemporaryDir folder;
        const ScreenCastTokenStore store(folder.path());
        // Reading a FIFO nobody writes to would wait for ever.
        QCOMPARE(mkfifo(QFile::encodeName(store.path()).constData(), 0600), 0);
        QVERIFY(store.load().isEmpty());
        QVERIFY(store.save(QStringLiteral("after-fifo")));
        QCOMPARE(store.load(), QStringLiteral("after-fifo"));
    }

    void aTokenThatDoesNotFitOnTheDiskKeepsTheOldOne()
    {
        QTemporaryDir folder;
        const ScreenCastTokenStore store(folder.path());
        QVERIFY(store.save(QStringLiteral("old")));
        const int failed = inChildWithFileSizeLimit(
            8, [&store] { return store.save(QStringLiteral("a-much-longer-token")) ? 1 : 0; });
        QCOMPARE(failed, 0);
        QCOMPARE(store.load(), QStringLiteral("old"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void framesOfEveryFormatGiveTheSameColours()
    {
        // One pixel (red 0x11, green 0x22, blue 0x33) in each byte order, stride 12 for width 2.
        const std::vector<uchar> bgrx = {0x33, 0x22, 0x11, 0x00, 0,    0,    0, 0, 9, 9,
                                         9,    9,    0x33, 0x22, 0x11, 0x00, 0, 0, 0, 0};
        const std::vector<uchar> rgbx = {0x11, 0x22, 0x33, 0xAB, 0,    0,    0, 0, 9, 9,
                                         9,    9,    0x11, 0x22, 0x33, 0xAB, 0, 0, 0, 0};
        for (const auto& [bytes, format] :
             {std::pair{&bgrx, SPA_VIDEO_FORMAT_BGRx}, std::pair{&bgrx, SPA_VIDEO_FORMAT_BGRA},
              std::pair{&rgbx, SPA_VIDEO_FORMAT_RGBx}, std::pair{&rgbx, SPA_VIDEO_FORMAT_RGBA}}) {
            const QImage frame = streamframe::wrap(bytes->data(), bytes->size(), 2, 2, 12,
                                                   streamframe::imageFormat(format));
            QVERIFY(!frame.isNull());
            const QImage part = streamframe::copyRegion(frame, QRect(0, 1, 1, 1));
            QCOMPARE(part.format(), QImage::Format_RGB32);
            QCOMPARE(part.pixel(0, 0), qRgb(0x11, 0x22, 0x33));
        }
        QCOMPARE(streamframe::imageFormat(SPA_VIDEO_FORMAT_NV12), QImage::Format_Invalid);
    }

    void framesThatDoNotFitTheirMemoryAreRefused()
    {
        const std::vector<uchar> bytes(2 * 12 + 7);
        QVERIFY(
            streamframe::wrap(bytes.data(), bytes.size(), 2, 3, 12, QImage::Format_RGB32).isNull());
        QVERIFY(
            streamframe::wrap(bytes.data(), bytes.size(), 4, 2, 12, QImage::Format_RGB32).isNull());
        const QImage frame =
            streamframe::wrap(bytes.data(), bytes.size(), 2, 2, 12, QImage::Format_RGB32);
        QVERIFY(!frame.isNull());
        QVERIFY(streamframe::copyRegion(frame, QRect(0, 0, 0, 1)).isNull());
    }

    // A loupe partly off the monitor shows black beyond its edge, as on X11; wholly off
    // it, nothing.
    void regionsOffTheFrameAreBlack()
    {
        QImage frame(2, 2, QImage::Format_RGB32);
        frame.fill(qRgb(0x11, 0x22, 0x33));
        QVERIFY(streamframe::copyRegion(frame, QRect(2, 1, 2, 1)).isNull());
        const QImage edge = streamframe::copyRegion(frame, QRect(1, 1, 2, 1));
        QCOMPARE(edge.size(), QSize(2, 1));
        QCOMPARE(edge.pixel(0, 0), frame.pixel(1, 1));
        QCOMPARE(edge.pixel(1, 0), qRgb(0, 0, 0));
    }
};

QTEST_MAIN(TestScreenStream)
#include "test_screen_stream.moc"
