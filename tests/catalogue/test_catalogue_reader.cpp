#include "catalogue/CatalogueReader.h"
#include "platform/TextCodec.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Entries as "name|height|width|limit", so a failing comparison shows the texts.
QStringList rows(const CatalogueParse& parse)
{
    QStringList out;
    for (const CatalogueEntry& e : parse.entries) {
        out.append(QStringList{e.modelName, QString::number(e.height), QString::number(e.width),
                               QString::number(e.fileSize)}
                       .join(u'|'));
    }
    return out;
}

QString shippedCatalogue(const QString& name)
{
    return QStringLiteral(SORAKADO_SOURCE_DIR "/resources/dll/") + name;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace

class TestCatalogueReader : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QList<int>>("badLines");
        const QStringList ab{QStringLiteral("A|1|2|3"), QStringLiteral("B|4|5|6")};
        const QStringList a{ab.first()};
        const QStringList b{ab.last()};
        const auto row = [](const char* name, const char* bytes, const QStringList& entries,
                            const QList<int>& bad = {}) {
            QTest::newRow(name) << QByteArray(bytes) << entries << bad;
        };
        row("LF", "A,1,2,3\nB,4,5,6\n", ab);
        row("CR LF, no final line end", "A,1,2,3\r\nB,4,5,6", ab);
        row("empty file", "", {});
        row("BOM", "\357\273\277A,1,2,3", a);
        row("quoted comma", "\"QVGA 240x320, 大容量\",320,240,204800\r\n",
            {QStringLiteral("QVGA 240x320, 大容量|320|240|204800")});
        row("doubled quote inside quotes", "\"say \"\"hi\"\"\",1,2,3",
            {QStringLiteral("say \"hi\"|1|2|3")});
        row("blanks around unquoted fields", " \tA B ,  1\t, 2 ,3 ", {QStringLiteral("A B|1|2|3")});
        row("blanks inside quotes kept", "  \" A \"\t ,1,2,3", {QStringLiteral(" A |1|2|3")});
        row("bad line counted after blank lines", "\n\nA,1,2,3\n \t\nB,4,5\n", a, {5});
        row("bad line in the middle, later lines unshifted", "A,1,2,3\nX,9,9\nB,4,5,6\n", ab, {2});
        row("five fields", "A,1,2,3,4\nB,4,5,6", b, {1});
        row("truncated last record", "A,1,2,3\r\nB,4", a, {2});
        row("unterminated quote stays in its line", "\"A,1,2,3\nB,4,5,6\n", b, {1});
        for (const char* bad : {"A,abc,2,3", "A,1,240.5,3", "A,1,2,-5", "A,1,,3"}) {
            row(bad, (QByteArray(bad) + "\r\nB,4,5,6").constData(), b, {1});
        }
        // Sizes no phone has: a screen of 1..4096 pixels each way, a limit of 1 byte to 100 MB.
        row("largest sizes kept", "A,4096,4096,100000000\nB,1,1,1",
            {QStringLiteral("A|4096|4096|100000000"), QStringLiteral("B|1|1|1")});
        for (const char* bad :
             {"A,0,2,3", "A,4097,2,3", "A,1,0,3", "A,1,99999,3", "A,200000000,2,3",
              "A,30000,30000,3", "A,1,2,0", "A,1,2,100000001", "A,1,2,99999999999"}) {
            row(bad, (QByteArray(bad) + "\nB,4,5,6").constData(), b, {1});
        }
    }
    void parse()
    {
        QFETCH(QByteArray, bytes);
        const CatalogueParse parse = parseCatalogue(bytes);
        QTEST(rows(parse), "entries");
        QTEST(parse.badLines, "badLines");
    }

    void cp932AndUtf8ReadTheSame()
    {
        const QString name = QStringLiteral("ＱＶＧＡ端末 表示");
        const QString line = name + QStringLiteral(",320,240,20479\r\n");
        const QByteArray cp932 = textcodec::toCp932(line);
        QVERIFY(!textcodec::isValidUtf8(cp932));  // otherwise this would test UTF-8 twice
        const QStringList expected{name + QStringLiteral("|320|240|20479")};
        QCOMPARE(rows(parseCatalogue(cp932)), expected);
        QCOMPARE(rows(parseCatalogue(line.toUtf8())), expected);
    }

    void loadFile()
    {
        QTemporaryDir dir;
        const QString good = dir.filePath(QStringLiteral("good.csv"));
        const QString huge = dir.filePath(QStringLiteral("huge.csv"));
        QVERIFY(writeFile(good, "A,1,2,3\r\n"));
        QVERIFY(writeFile(huge, QByteArray(4 * 1024 * 1024 + 1, ' ')));
        const CatalogueLoad load = loadCatalogueFile(good);
        QVERIFY(load.opened);
        QCOMPARE(rows(load.parse), QStringList{QStringLiteral("A|1|2|3")});
        for (const QString& bad : {dir.filePath(QStringLiteral("missing.csv")), dir.path(), huge}) {
            QVERIFY2(!loadCatalogueFile(bad).opened, qPrintable(bad));
        }
    }

    void messagesNameTheFileAndTheLines()
    {
        const QString path = QStringLiteral("/opt/sorakado/dll/au.csv");
        QVERIFY(catalogueProblemMessage(path, CatalogueLoad{}).contains(path));
        CatalogueLoad load;
        load.opened = true;
        QVERIFY(catalogueProblemMessage(path, load).isEmpty());  // an empty catalogue is fine
        load.parse = parseCatalogue("A,1,2,3\nB,4,5,6\nC,x,1,1\nD,1,2,3\n\n\nE,1,2");
        const QString message = catalogueProblemMessage(path, load);
        QVERIFY2(message.contains(path) && message.contains(QStringLiteral("3、7行目を")),
                 qPrintable(message));
    }

    void aLongListOfBadLinesNamesTheFirstTwentyAndCountsTheRest()
    {
        CatalogueLoad load;
        load.opened = true;
        QByteArray bytes;
        for (int i = 0; i < 100000; ++i) {
            bytes += "broken\n";
        }
        load.parse = parseCatalogue(bytes);
        QCOMPARE(load.parse.badLines.size(), 100000);
        const QString message = catalogueProblemMessage(QStringLiteral("au.csv"), load);
        QVERIFY2(message.contains(
                     QStringLiteral("「au.csv」の1、2、3、4、5、6、7、8、9、10、11、12、13、"
                                    "14、15、16、17、18、19、20行目と、ほかの99980行を")),
                 qPrintable(message));
        QVERIFY2(message.size() < 300, qPrintable(message));
    }

    void shippedCatalogues_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {"docomo.csv", "au.csv", "vodafone.csv", "tu-ka.csv"}) {
            QTest::newRow(name) << QString::fromLatin1(name);
        }
    }
    void shippedCatalogues()
    {
        QFETCH(QString, name);
        const CatalogueLoad load = loadCatalogueFile(shippedCatalogue(name));
        QVERIFY(load.opened);
        QCOMPARE(load.parse.badLines, QList<int>{});
        QVERIFY(load.parse.entries.size() >= 6);
        bool doubled = false;
        bool oddLimit = false;
        for (const CatalogueEntry& e : load.parse.entries) {
            doubled = doubled || e.height < 115 || e.width < 30;
            oddLimit = oddLimit || e.fileSize % 1000 != 0;
        }
        QVERIFY2(doubled, "no entry small enough to be shown doubled");
        QVERIFY2(oddLimit, "every limit is a multiple of 1000");
    }
};

QTEST_GUILESS_MAIN(TestCatalogueReader)
#include "test_catalogue_reader.moc"
