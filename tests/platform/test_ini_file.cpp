#include "platform/IniFile.h"
#include "platform/TextCodec.h"

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void putFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

}  // namespace

class TestIniFile : public QObject
{
    Q_OBJECT

private slots:
    void findValue_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("value");  // "<none>" when missing
        const QByteArray none = "<none>";
        QTest::newRow("empty") << QByteArray() << QByteArray("A") << QByteArray("k") << none;
        QTest::newRow("missing section")
            << QByteArray("[A]\nk=1\n") << QByteArray("B") << QByteArray("k") << none;
        QTest::newRow("missing key")
            << QByteArray("[A]\nk=1\n") << QByteArray("A") << QByteArray("j") << none;
        QTest::newRow("key of the next section")
            << QByteArray("[A]\n[B]\nk=1\n") << QByteArray("A") << QByteArray("k") << none;
        QTest::newRow("before any section")
            << QByteArray("k=0\n[A]\n") << QByteArray("A") << QByteArray("k") << none;
        QTest::newRow("CR LF, no final line end")
            << QByteArray("[Size]\r\nMaker=docomo\r\nModel=N") << QByteArray("Size")
            << QByteArray("Model") << QByteArray("N");
        QTest::newRow("cut after the last CR")
            << QByteArray("[A]\nk=1\r") << QByteArray("A") << QByteArray("k") << QByteArray("1");
        QTest::newRow("letter case") << QByteArray("[size]\r\nMAKER=x\r\n") << QByteArray("SiZe")
                                     << QByteArray("maker") << QByteArray("x");
        QTest::newRow("value holding =") << QByteArray("[A]\nk=a=b\n") << QByteArray("A")
                                         << QByteArray("k") << QByteArray("a=b");
        QTest::newRow("blanks") << QByteArray("  [ A ]\t\n\t k \t=  v w \t\n") << QByteArray("A")
                                << QByteArray("k") << QByteArray("v w");
        QTest::newRow("double quotes") << QByteArray("[A]\nk= \"q v\" \n") << QByteArray("A")
                                       << QByteArray("k") << QByteArray("q v");
        QTest::newRow("single quotes")
            << QByteArray("[A]\nk='q'\n") << QByteArray("A") << QByteArray("k") << QByteArray("q");
        QTest::newRow("unmatched quotes") << QByteArray("[A]\nk=\"q'\n") << QByteArray("A")
                                          << QByteArray("k") << QByteArray("\"q'");
        QTest::newRow("lone quote")
            << QByteArray("[A]\nk=\"\n") << QByteArray("A") << QByteArray("k") << QByteArray("\"");
        QTest::newRow("empty value")
            << QByteArray("[A]\nk=\nk=2\n") << QByteArray("A") << QByteArray("k") << QByteArray("");
        QTest::newRow("comment and bare lines skipped")
            << QByteArray("[A]\n;k=1\nk\nk=2\n") << QByteArray("A") << QByteArray("k")
            << QByteArray("2");
        QTest::newRow("first key wins") << QByteArray("[A]\nk=1\nK=2\n") << QByteArray("A")
                                        << QByteArray("k") << QByteArray("1");
        QTest::newRow("first section wins")
            << QByteArray("[A]\nk=1\n[B]\n[a]\nk=2\n") << QByteArray("A") << QByteArray("k")
            << QByteArray("1");
        QTest::newRow("second section ignored")
            << QByteArray("[A]\nk=1\n[a]\nj=2\n") << QByteArray("A") << QByteArray("j") << none;
    }
    void findValue()
    {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, value);
        QCOMPARE(ini::findValue(content, section, key).value_or("<none>"), value);
    }

    void withValue_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("new file") << QByteArray() << QByteArray("Size") << QByteArray("k")
                                  << QByteArray("[Size]\r\nk=v\r\n");
        QTest::newRow("new section, LF") << QByteArray("[A]\nk=1\n") << QByteArray("B")
                                         << QByteArray("k") << QByteArray("[A]\nk=1\n\n[B]\nk=v\n");
        QTest::newRow("new section after a blank line")
            << QByteArray("[A]\nk=1\n\n") << QByteArray("B") << QByteArray("k")
            << QByteArray("[A]\nk=1\n\n[B]\nk=v\n");
        QTest::newRow("new section, no final line end")
            << QByteArray("[A]\r\nk=1") << QByteArray("B") << QByteArray("k")
            << QByteArray("[A]\r\nk=1\r\n\r\n[B]\r\nk=v");
        QTest::newRow("new key before the blank lines")
            << QByteArray("[A]\r\nj=1\r\n; note\r\n\r\n\r\n[B]\r\nj=2\r\n") << QByteArray("a")
            << QByteArray("k")
            << QByteArray("[A]\r\nj=1\r\n; note\r\nk=v\r\n\r\n\r\n[B]\r\nj=2\r\n");
        QTest::newRow("new key, empty section at the end")
            << QByteArray("[A]") << QByteArray("A") << QByteArray("k") << QByteArray("[A]\r\nk=v");
        QTest::newRow("new key into the first of two sections")
            << QByteArray("[A]\nj=1\n[B]\n[a]\nk=2\n") << QByteArray("A") << QByteArray("k")
            << QByteArray("[A]\nj=1\nk=v\n[B]\n[a]\nk=2\n");
        QTest::newRow("replace keeps spelling and other lines")
            << QByteArray("; top\n[a]\n  KEY = old=1  \nother=1\n[b]\nkey=x\n") << QByteArray("A")
            << QByteArray("key") << QByteArray("; top\n[a]\n  KEY = v\nother=1\n[b]\nkey=x\n");
        QTest::newRow("replace, CR LF") << QByteArray("[A]\r\nk=old\r\nj=2\r\n") << QByteArray("A")
                                        << QByteArray("k") << QByteArray("[A]\r\nk=v\r\nj=2\r\n");
        QTest::newRow("replace, no final line end") << QByteArray("[A]\nk=old") << QByteArray("A")
                                                    << QByteArray("k") << QByteArray("[A]\nk=v");
        QTest::newRow("replace, cut after the last CR")
            << QByteArray("[A]\nk=old\r") << QByteArray("A") << QByteArray("k")
            << QByteArray("[A]\nk=v\r");
        QTest::newRow("replace the first of two keys")
            << QByteArray("[A]\nk=1\nk=2\n") << QByteArray("A") << QByteArray("k")
            << QByteArray("[A]\nk=v\nk=2\n");
    }
    void withValue()
    {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, expected);
        QCOMPARE(ini::withValue(content, section, key, "v"), expected);
    }

    void readsDefaultWhenFileMissingOrUnreadable()
    {
        QTemporaryDir dir;
        const QString fallback = QStringLiteral("fallback");
        QCOMPARE(IniFile(dir.filePath(QStringLiteral("none.ini"))).read(u"A", u"k", fallback),
                 fallback);
        QCOMPARE(IniFile(dir.path()).read(u"A", u"k", fallback), fallback);
        putFile(dir.filePath(QStringLiteral("empty.ini")), {});
        QCOMPARE(IniFile(dir.filePath(QStringLiteral("empty.ini"))).read(u"A", u"k", fallback),
                 fallback);
    }

    void decodesCp932AndUtf8Values()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("data.ini"));
        const QString name = QStringLiteral("待受画像");
        putFile(path,
                "[A]\r\ncp=" + textcodec::toCp932(name) + "\r\nutf=" + name.toUtf8() + "\r\n");
        IniFile ini(path);
        QCOMPARE(ini.read(u"A", u"cp"), name);
        QCOMPARE(ini.read(u"A", u"utf"), name);

        QVERIFY(ini.write(u"A", u"new", name));
        QVERIFY(fileBytes(path).contains("new=" + textcodec::toCp932(name) + "\r\n"));
        QCOMPARE(ini.read(u"A", u"new"), name);
    }

    void writesCreateAndReplace()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("data.ini"));
        IniFile ini(path);
        QVERIFY(ini.write(u"Size", u"Maker", u"docomo"));
        QVERIFY(ini.write(u"Size", u"Maker", u"au"));
        QVERIFY(ini.write(u"size", u"MAKER", u"SoftBank"));
        QCOMPARE(fileBytes(path), QByteArray("[Size]\r\nMaker=SoftBank\r\n"));
        QCOMPARE(ini.read(u"Size", u"Maker"), QStringLiteral("SoftBank"));
    }

    void failedWritesLeaveNothingBehind()
    {
        QTemporaryDir dir;
        const QString missingFolder = dir.filePath(QStringLiteral("missing"));
        QVERIFY(!IniFile(missingFolder + QStringLiteral("/data.ini")).write(u"A", u"k", u"v"));
        QVERIFY(!QFileInfo::exists(missingFolder));

        const QString folderInTheWay = dir.filePath(QStringLiteral("data.ini"));
        QVERIFY(QDir().mkdir(folderInTheWay));
        QVERIFY(!IniFile(folderInTheWay).write(u"A", u"k", u"v"));
        QVERIFY(QFileInfo(folderInTheWay).isDir());
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList{QStringLiteral("data.ini")});
    }

    void failedWriteKeepsTheOldFile()
    {
        if (geteuid() == 0) {
            QSKIP("permissions do not bind root");
        }
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("data.ini"));
        const QByteArray old = "[A]\nk=old\n";
        putFile(path, old);
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        const bool written = IniFile(path).write(u"A", u"k", u"new");
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!written);
        QCOMPARE(fileBytes(path), old);
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "test_ini_file.moc"
