#include "encode/mdlPng.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

int g_messages = 0;
void countMessage(QtMsgType, const QMessageLogContext&, const QString&)
{
    ++g_messages;
}

}  // namespace

class PngLoadingTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void everyKindComesBackAtItsOwnSize_data()
    {
        QTest::addColumn<QImage>("source");
        QImage colours(37, 21, QImage::Format_ARGB32);
        for (int y = 0; y < colours.height(); ++y) {
            for (int x = 0; x < colours.width(); ++x) {
                colours.setPixel(x, y, qRgba(x * 6, y * 12, 90, 128 + x));
            }
        }
        QTest::newRow("palette") << colours.convertToFormat(QImage::Format_Indexed8,
                                                            Qt::ThresholdDither);
        QTest::newRow("grey") << colours.convertToFormat(QImage::Format_Grayscale8);
        QTest::newRow("grey 16") << colours.convertToFormat(QImage::Format_Grayscale16);
        QTest::newRow("true colour") << colours.convertToFormat(QImage::Format_RGB32);
        QTest::newRow("alpha") << colours;
    }
    void everyKindComesBackAtItsOwnSize()
    {
        QFETCH(QImage, source);
        const QString path =
            m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".png"));
        QVERIFY(source.save(path, "PNG"));
        const QImage loaded = mdlPng::LoadPngPicture(path);
        QCOMPARE(loaded.size(), source.size());
        const QRgb expected = source.pixel(30, 17), got = loaded.pixel(30, 17);
        QVERIFY(qAbs(qRed(got) - qRed(expected)) <= 1 && qAbs(qBlue(got) - qBlue(expected)) <= 1);
        QCOMPARE(qAlpha(got), qAlpha(expected));
    }

    void failuresGiveNoPictureAndNoMessage_data()
    {
        QTest::addColumn<QString>("path");
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(m_dir.filePath(QStringLiteral("photo.jpg")), "JPEG"));
        QFile cut(m_dir.filePath(QStringLiteral("cut.png")));
        QVERIFY(image.save(&cut, "PNG") && cut.resize(cut.size() - 20));

        QTest::newRow("cancelled save") << QString();
        QTest::newRow("missing file") << m_dir.filePath(QStringLiteral("none.png"));
        QTest::newRow("a JPEG") << m_dir.filePath(QStringLiteral("photo.jpg"));
        QTest::newRow("truncated") << cut.fileName();
        QTest::newRow("a folder") << m_dir.path();
    }
    void failuresGiveNoPictureAndNoMessage()
    {
        QFETCH(QString, path);
        g_messages = 0;
        const QtMessageHandler previous = qInstallMessageHandler(countMessage);
        const QImage loaded = mdlPng::LoadPngPicture(path);
        qInstallMessageHandler(previous);
        QVERIFY(loaded.isNull());
        QCOMPARE(g_messages, 0);
    }
};

QTEST_GUILESS_MAIN(PngLoadingTest)
#include "test_png_loading.moc"
