#include "platform/FileNameTypes.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QTemporaryDir>
#include <QTest>

class TestFileNameTypes : public QObject
{
    Q_OBJECT

private slots:
    // A file is named by its name alone: what it holds is never read (a read of
    // /proc/kmsg would never return), so a PNG without an extension is no PNG here.
    void typesComeFromNamesNotContents()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString picture = folder.filePath(QStringLiteral("picture"));
        QFile file(picture);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
        file.close();
        const QString photo = folder.filePath(QStringLiteral("photo.jpg"));
        QFile empty(photo);
        QVERIFY(empty.open(QIODevice::WriteOnly));
        empty.close();
        const QMimeDatabase mimeTypes;
        QCOMPARE(mimeTypes.mimeTypeForFile(picture).name(), QStringLiteral("image/png"));
        const FileNameTypes types;
        QCOMPARE(types.type(QFileInfo(picture)),
                 mimeTypes.mimeTypeForName(QStringLiteral("application/octet-stream")).comment());
        QCOMPARE(types.type(QFileInfo(photo)),
                 mimeTypes.mimeTypeForName(QStringLiteral("image/jpeg")).comment());
        QCOMPARE(types.type(QFileInfo(folder.path())),
                 QFileIconProvider().type(QFileInfo(folder.path())));
    }
};

QTEST_MAIN(TestFileNameTypes)
#include "test_file_name_types.moc"
