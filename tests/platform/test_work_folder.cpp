#include "platform/AppPaths.h"
#include "platform/WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestWorkFolder : public QObject
{
    Q_OBJECT

private slots:
    void theFirstFolderThatCanBeWrittenIsUsed()
    {
        QTemporaryDir dir;
        // temp/ exists but nobody, root included, can create a file in it.
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("program"))));
        QVERIFY(QFile::link(QStringLiteral("/proc"), dir.filePath(QStringLiteral("program/temp"))));
        // temp/ cannot be made: a plain file stands where its parent would be.
        QFile blocker(dir.filePath(QStringLiteral("blocked")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString locked = dir.filePath(QStringLiteral("program/temp/"));
        const QString blocked = dir.filePath(QStringLiteral("blocked/temp/"));
        const QString cache = dir.filePath(QStringLiteral("cache/temp/"));

        WorkFolder folder({locked, blocked, cache});
        QCOMPARE(folder.path(), cache);
        QVERIFY(QFileInfo(cache).isDir());
        QVERIFY(QDir(cache).isEmpty());  // the trial file is gone
        QVERIFY(!folder.takeNoFolderNotice());

        QCOMPARE(folder.moveOn(), QString());
        QVERIFY(folder.takeNoFolderNotice());
        QVERIFY(!folder.takeNoFolderNotice());  // once
        QCOMPARE(folder.startOver(), cache);
        QVERIFY(WorkFolder({locked, blocked}).path().isEmpty());
    }

    void theProgramFolderComesFirstThenTheCache()
    {
        const QStringList folders = apppaths::workFolderCandidates();
        QCOMPARE(folders.size(), 2);
        QCOMPARE(folders.at(0), apppaths::programFolder() + QStringLiteral("temp/"));
        QVERIFY(folders.at(1).endsWith(QStringLiteral("/temp/")));
        QVERIFY(folders.at(1).startsWith(
            QStandardPaths::writableLocation(QStandardPaths::CacheLocation)));
    }
};

QTEST_GUILESS_MAIN(TestWorkFolder)
#include "test_work_folder.moc"
