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

QImage ofKind(const QByteArray& kind)
{
    QImage rgb(37, 21, QImage::Format_ARGB32);
    for (int y = 0; y < rgb.height(); ++y) {
        for (int x = 0; x < rgb.width(); ++x) {
            rgb.setPixel(x, y, qRgba(x * 6, y * 12, 90, kind == "alpha" ? 128 : 255));
        }
    }
    if (kind == "palette") {
        return rgb.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    }
    if (kind == "grey") {
        return rgb.convertToFormat(QImage::Format_Grayscale8);
    }
    if (kind == "grey 16") {
        return rgb.convertToFormat(QImage::Format_Grayscale16);
    }
    return kind == "alpha" ? rgb : rgb.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

class PngLoadingTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString write(const QString& name, const QByteArray& bytes)
    {
        QFile file(m_dir.filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()
                   ? file.fileName()
                   : QString();
    }

private slots:
    void everyKindComesBackAtItsOwnSize_data()
    {
        QTest::addColumn<QByteArray>("kind");
        for (const char* kind : {"palette", "grey", "grey 16", "rgb", "alpha"}) {
            QTest::newRow(kind) << QByteArray(kind);
        }
    }
    void everyKindComesBackAtItsOwnSize()
    {
        QFETCH(QByteArray, kind);
        const QImage source = ofKind(kind);
        const QString path = m_dir.filePath(QString::fromLatin1(kind) + QStringLiteral(".png"));
        QVERIFY(source.save(path, "PNG"));
        const QImage loaded = mdlPng::LoadPngPicture(path);
        QCOMPARE(loaded.size(), source.size());
        const QRgb expected = source.pixel(30, 17);
        const QRgb got = loaded.pixel(30, 17);
        QVERIFY2(qAbs(qRed(got) - qRed(expected)) <= 1 && qAbs(qBlue(got) - qBlue(expected)) <= 1 &&
                     qAbs(qAlpha(got) - qAlpha(expected)) <= 1,
                 qPrintable(QString::number(got, 16) + QStringLiteral(" vs ") +
                            QString::number(expected, 16)));
    }

    void failuresGiveNoPictureAndNoMessage_data()
    {
        QTest::addColumn<QString>("path");
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(m_dir.filePath(QStringLiteral("whole.png")), "PNG"));
        QFile whole(m_dir.filePath(QStringLiteral("whole.png")));
        QVERIFY(whole.open(QIODevice::ReadOnly));
        const QByteArray png = whole.readAll();
        QVERIFY(image.save(m_dir.filePath(QStringLiteral("photo.jpg")), "JPEG"));

        QTest::newRow("cancelled save") << QString();
        QTest::newRow("missing file") << m_dir.filePath(QStringLiteral("none.png"));
        QTest::newRow("a JPEG") << m_dir.filePath(QStringLiteral("photo.jpg"));
        QTest::newRow("truncated") << write(QStringLiteral("cut.png"), png.left(png.size() - 20));
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
