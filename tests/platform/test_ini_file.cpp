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

// One row: content, section, key, and the value read or the content after writing "v".
void row(const char* name, const char* content, const char* section, const char* key,
         const char* result)
{
    QTest::newRow(name) << QByteArray(content) << QByteArray(section) << QByteArray(key)
                        << QByteArray(result);
}

void columns()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("result");
}

}  // namespace

class TestIniFile : public QObject
{
    Q_OBJECT

private slots:
    void findValue_data()
    {
        columns();
        row("key of the next section", "[A]\n[B]\nk=1\n", "A", "k", "<none>");
        row("before any section", "k=0\n[A]\n", "A", "k", "<none>");
        row("CR LF, no final line end", "[Size]\r\nMaker=docomo\r\nModel=N", "Size", "Model", "N");
        row("letter case", "[size]\r\nMAKER=x\r\n", "SiZe", "maker", "x");
        row("value holding =", "[A]\nk=a=b\n", "A", "k", "a=b");
        row("blanks", "  [ A ]\t\n\t k \t=  v w \t\n", "A", "k", "v w");
        row("double quotes", "[A]\nk= \"q v\" \n", "A", "k", "q v");
        row("unmatched quotes", "[A]\nk=\"q'\n", "A", "k", "\"q'");
        row("comment and bare lines skipped", "[A]\n;k=1\nk\nk=2\n", "A", "k", "2");
        row("first section wins", "[A]\nk=1\n[B]\n[a]\nk=2\n", "A", "k", "1");
    }
    void findValue()
    {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QTEST(ini::findValue(content, section, key).value_or("<none>"), "result");
    }

    void withValue_data()
    {
        columns();
        row("new file", "", "Size", "k", "[Size]\r\nk=v\r\n");
        row("new section, LF", "[A]\nk=1\n", "B", "k", "[A]\nk=1\n\n[B]\nk=v\n");
        row("new section, no final line end", "[A]\r\nk=1", "B", "k",
            "[A]\r\nk=1\r\n\r\n[B]\r\nk=v");
        row("new key before the blank lines", "[A]\r\nj=1\r\n; note\r\n\r\n[B]\r\n", "a", "k",
            "[A]\r\nj=1\r\n; note\r\nk=v\r\n\r\n[B]\r\n");
        row("new key into the first of two sections", "[A]\nj=1\n[B]\n[a]\nk=2\n", "A", "k",
            "[A]\nj=1\nk=v\n[B]\n[a]\nk=2\n");
        row("replace keeps spelling and other lines", "; top\n[a]\n  KEY = old=1  \nother=1\n", "A",
            "key", "; top\n[a]\n  KEY = v\nother=1\n");
        row("replace, cut after the last CR", "[A]\nk=old\r", "A", "k", "[A]\nk=v\r");
        row("replace the first of two keys", "[A]\nk=1\nk=2\n", "A", "k", "[A]\nk=v\nk=2\n");
    }
    void withValue()
    {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QTEST(ini::withValue(content, section, key, "v"), "result");
    }

    void readsDefaultWhenFileMissingEmptyOrAFolder()
    {
        QTemporaryDir dir;
        const QString empty = dir.filePath(QStringLiteral("empty.ini"));
        putFile(empty, {});
        for (const QString& path : {dir.filePath(QStringLiteral("none.ini")), dir.path(), empty}) {
            QCOMPARE(IniFile(path).read(u"A", u"k", QStringLiteral("fallback")), u"fallback");
        }
    }

    void decodesCp932AndUtf8ValuesAndWritesCp932()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("data.ini"));
        const QString name = QStringLiteral("待受画像");
        putFile(path,
                "[A]\r\ncp=" + textcodec::toCp932(name) + "\r\nutf=" + name.toUtf8() + "\r\n");
        IniFile ini(path);
        QCOMPARE(ini.read(u"A", u"cp"), name);
        QCOMPARE(ini.read(u"A", u"utf"), name);
        QVERIFY(ini.write(u"a", u"CP", name));
        QVERIFY(fileBytes(path).contains("cp=" + textcodec::toCp932(name) + "\r\nutf="));
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
        putFile(path, "[A]\nk=old\n");
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        const bool written = IniFile(path).write(u"A", u"k", u"new");
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!written);
        QCOMPARE(fileBytes(path), QByteArray("[A]\nk=old\n"));
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "test_ini_file.moc"
