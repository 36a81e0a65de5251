#include "platform/FileLimits.h"
#include "platform/WorkFolder.h"
#include "saving/CompressionSettings.h"
#include "saving/SizeEstimator.h"
#include "saving/mdlSavedll.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool putFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool isFifo(const QString& path)
{
    struct stat status = {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 && S_ISFIFO(status.st_mode);
}

// Bands of colour: a JPEG of a few kilobytes, far below Qt's 16 KiB write buffer.
QImage bands()
{
    QImage image(120, 160, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, qRgb(y / 20 * 30, 255 - y / 20 * 30, x < 60 ? 40 : 200));
        }
    }
    return image;
}

CompressionSettings qualityNine()
{
    CompressionSettings settings;
    settings.jpegLevel = QStringLiteral("9");
    return settings;
}

}  // namespace

class TestWorkFiles : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString file(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QStringList files() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::System); }

private slots:
    void init() { QVERIFY(QDir(m_dir.path()).removeRecursively() && QDir().mkpath(m_dir.path())); }

    // The process may not make files larger than 2000 bytes. 3160 bytes stay in
    // Qt's buffer until the final flush; 64 KiB fail at the write itself.
    void aSaveThatRunsOutOfRoomKeepsTheOldFile_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("fails at the flush") << 3160;
        QTest::newRow("fails at the write") << 64 * 1024;
    }
    void aSaveThatRunsOutOfRoomKeepsTheOldFile()
    {
        QFETCH(int, size);
        const QString path = file("earlier.jpg");
        QVERIFY(putFile(path, "old contents"));
        const QString message = QStringLiteral("ファイル「%1」に書き込めませんでした。")
                                    .arg(QDir::toNativeSeparators(path));
        const int failedCheck = inChildWithFileSizeLimit(2000, [&] {
            QString error;
            if (mdlSavedll::writeFile(path, QByteArray(size, 'x'), &error)) {
                return 1;
            }
            return error.startsWith(message) && error.size() > message.size() ? 0 : 2;
        });
        QCOMPARE(failedCheck, 0);
        QCOMPARE(contents(path), QByteArray("old contents"));
        QCOMPARE(files(), QStringList{QStringLiteral("earlier.jpg")});
    }

    // A save over a FIFO (or a device) must not put a plain file in its place.
    void aPathThatIsNotAPlainFileIsRefused()
    {
        const QString fifo = file("pipe.jpg");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QString error;
        QVERIFY(!mdlSavedll::writeFile(fifo, "bytes", &error));
        QVERIFY2(error.contains(QStringLiteral("通常のファイルではありません")), qPrintable(error));
        QVERIFY(isFifo(fifo));
        QVERIFY(!mdlSavedll::writeWorkFile(fifo, "bytes"));
        QVERIFY(isFifo(fifo));
        QVERIFY(!mdlSavedll::writeFile(m_dir.path(), "bytes"));
        QVERIFY(QFileInfo(m_dir.path()).isDir());
        QCOMPARE(files(), QStringList{QStringLiteral("pipe.jpg")});
    }

    // A read-only file is kept, and the message says so rather than blaming the disk.
    void aReadOnlyFileIsKeptAndNamedAsTheCause()
    {
        const QString path = file("kept.jpg");
        QVERIFY(putFile(path, "old contents"));
        QVERIFY(
            QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        // The folder open to the user the test may run as.
        QVERIFY(QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                        QFile::ExeOwner | QFile::ReadOther |
                                                        QFile::ExeOther));
        const int failedCheck = inChildWithoutRoot([&] {
            QString error;
            if (mdlSavedll::writeFile(path, "new", &error)) {
                return 1;
            }
            return error.endsWith(QStringLiteral("読み取り専用のファイルです。")) ? 0 : 2;
        });
        QCOMPARE(failedCheck, 0);
        QCOMPARE(contents(path), QByteArray("old contents"));
    }

    void aWorkFileThatRunsOutOfRoomKeepsTheOldOne()
    {
        const QString path = file("temp.jpg");
        const QByteArray old(3160, 'j');
        QVERIFY(mdlSavedll::writeWorkFile(path, old));
        const int failedCheck = inChildWithFileSizeLimit(
            1024, [&] { return mdlSavedll::writeWorkFile(path, QByteArray(1333, 'n')) ? 1 : 0; });
        QCOMPARE(failedCheck, 0);
        QCOMPARE(contents(path), old);
        QCOMPARE(files(), QStringList{QStringLiteral("temp.jpg")});

        // The program's own setting, not the test's: the write fails, the process lives on.
        const int survived = inChildWithFileSizeLimit(
            1024,
            [&] {
                filelimits::reportOversizedWritesAsErrors();
                return mdlSavedll::writeWorkFile(path, QByteArray(1333, 'n')) ? 1 : 0;
            },
            false);
        QCOMPARE(survived, 0);
        QCOMPARE(contents(path), old);
    }

    // With no room the estimate is nothing, never the length of a cut file.
    void anEstimateThatRunsOutOfRoomGivesNoSize()
    {
        WorkFolder folder({m_dir.path() + u'/'});
        SizeEstimator estimator(folder);
        const std::optional<qint64> full = estimator.EstimateJpegSize(bands(), qualityNine());
        QVERIFY(full && *full > 900 && *full < 16384);
        const QByteArray written = contents(estimator.jpegPath());
        const int failedCheck = inChildWithFileSizeLimit(900, [&] {
            if (estimator.EstimateJpegSize(bands(), qualityNine())) {
                return 1;
            }
            return estimator.noWorkFolder() ? 0 : 2;
        });
        QCOMPARE(failedCheck, 0);
        QCOMPARE(contents(file("temp.jpg")), written);
        QCOMPARE(files(), QStringList{QStringLiteral("temp.jpg")});
    }

    // A folder that fails later (here temp.jpg has become a folder) gives way to the next.
    void anEstimateMovesOnWhenItsFolderFails()
    {
        const QString first = file("first/temp/"), second = file("second/temp/");
        WorkFolder folder({first, second});
        SizeEstimator estimator(folder);
        QVERIFY(estimator.EstimatePngSize(bands(), CompressionSettings{}));
        QCOMPARE(estimator.pngPath(), first + QStringLiteral("temp.png"));
        QVERIFY(QFile::remove(first + QStringLiteral("temp.png")));
        QVERIFY(QDir().mkpath(first + QStringLiteral("temp.png")));
        const std::optional<qint64> size =
            estimator.EstimatePngSize(bands(), CompressionSettings{});
        QVERIFY(size);
        QCOMPARE(estimator.pngPath(), second + QStringLiteral("temp.png"));
        QCOMPARE(QFileInfo(estimator.pngPath()).size(), *size);
        QVERIFY(!estimator.noWorkFolder());
    }
};

QTEST_GUILESS_MAIN(TestWorkFiles)
#include "test_work_files.moc"
