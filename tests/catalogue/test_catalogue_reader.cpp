#include "catalogue/CatalogueReader.h"
#include "platform/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Entries as "name|height|width|limit", so a failing comparison shows the texts.
QStringList rows(const CatalogueParse& parse)
{
    QStringList out;
    for (const CatalogueEntry& e : parse.entries) {
        out.append(e.modelName + u'|' + e.height + u'|' + e.width + u'|' + e.fileSize);
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
        const QStringList a{QStringLiteral("A|1|2|3")};

        QTest::newRow("LF") << QByteArray("A,1,2,3\nB,4,5,6\n") << ab << QList<int>{};
        QTest::newRow("CR LF") << QByteArray("A,1,2,3\r\nB,4,5,6\r\n") << ab << QList<int>{};
        QTest::newRow("no final line end")
            << QByteArray("A,1,2,3\r\nB,4,5,6") << ab << QList<int>{};
        QTest::newRow("empty file") << QByteArray() << QStringList{} << QList<int>{};
        QTest::newRow("BOM") << QByteArray(
                                    "\xEF\xBB\xBF"
                                    "A,1,2,3")
                             << a << QList<int>{};
        QTest::newRow("quoted comma")
            << QByteArray("\"QVGA 240x320, 大容量\",320,240,204800\r\n")
            << QStringList{QStringLiteral("QVGA 240x320, 大容量|320|240|204800")} << QList<int>{};
        QTest::newRow("doubled quote inside quotes")
            << QByteArray("\"say \"\"hi\"\"\",1,2,3")
            << QStringList{QStringLiteral("say \"hi\"|1|2|3")} << QList<int>{};
        QTest::newRow("quoted sizes") << QByteArray("A,\"1\",\"2\",\"3\"") << a << QList<int>{};
        QTest::newRow("blanks around unquoted fields")
            << QByteArray(" \tA B ,  1\t, 2 ,3 ") << QStringList{QStringLiteral("A B|1|2|3")}
            << QList<int>{};
        QTest::newRow("blanks inside quotes kept, after them dropped")
            << QByteArray("  \" A \"\t ,1,2,3") << QStringList{QStringLiteral(" A |1|2|3")}
            << QList<int>{};
        QTest::newRow("blank lines middle and end")
            << QByteArray("A,1,2,3\n \t\n\nB,4,5,6\r\n\r\n  \n") << ab << QList<int>{};
        QTest::newRow("bad line counted after blank lines")
            << QByteArray("\n\nA,1,2,3\n\nB,4,5\n") << a << QList<int>{5};
        QTest::newRow("bad line in the middle, later lines unshifted")
            << QByteArray("A,1,2,3\nX,9,9\nB,4,5,6\n") << ab << QList<int>{2};
        QTest::newRow("five fields") << QByteArray("A,1,2,3,4\nB,4,5,6")
                                     << QStringList{QStringLiteral("B|4|5|6")} << QList<int>{1};
        QTest::newRow("trailing comma") << QByteArray("A,1,2,3,\nB,4,5,6")
                                        << QStringList{QStringLiteral("B|4|5|6")} << QList<int>{1};
        QTest::newRow("truncated last record")
            << QByteArray("A,1,2,3\r\nB,4") << a << QList<int>{2};
        QTest::newRow("unterminated quote stays in its line")
            << QByteArray("\"A,1,2,3\nB,4,5,6\n") << QStringList{QStringLiteral("B|4|5|6")}
            << QList<int>{1};
        QTest::newRow("several bad lines")
            << QByteArray("x\nA,1,2,3\ny,1\n\nz,,,\nB,4,5,6") << ab << QList<int>{1, 3, 5};
    }
    void parse()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, entries);
        QFETCH(QList<int>, badLines);
        const CatalogueParse parse = parseCatalogue(bytes);
        QCOMPARE(rows(parse), entries);
        QCOMPARE(parse.badLines, badLines);
    }

    void sizeMustBeWholeNumber_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("letters") << QByteArray("A,abc,2,3");
        QTest::newRow("decimal") << QByteArray("A,1,240.5,3");
        QTest::newRow("negative") << QByteArray("A,1,2,-5");
        QTest::newRow("plus sign") << QByteArray("A,+1,2,3");
        QTest::newRow("empty") << QByteArray("A,1,,3");
        QTest::newRow("empty quoted") << QByteArray("A,1,2,\"\"");
        QTest::newRow("inner blank") << QByteArray("A,1,2 0,3");
        QTest::newRow("beyond int") << QByteArray("A,1,2,2147483648");
        QTest::newRow("full-width digits") << QByteArray("A,１,2,3");
    }
    void sizeMustBeWholeNumber()
    {
        QFETCH(QByteArray, line);
        const CatalogueParse parse = parseCatalogue(line + "\r\nB,4,5,6\r\n");
        QCOMPARE(rows(parse), QStringList{QStringLiteral("B|4|5|6")});
        QCOMPARE(parse.badLines, QList<int>{1});
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
        QVERIFY(dir.isValid());
        const QString good = dir.filePath(QStringLiteral("good.csv"));
        QVERIFY(writeFile(good, "A,1,2,3\r\nbad\r\n"));
        const CatalogueLoad load = loadCatalogueFile(good);
        QVERIFY(load.opened);
        QCOMPARE(rows(load.parse), QStringList{QStringLiteral("A|1|2|3")});
        QCOMPARE(load.parse.badLines, QList<int>{2});

        QVERIFY(!loadCatalogueFile(dir.filePath(QStringLiteral("missing.csv"))).opened);
        QVERIFY(!loadCatalogueFile(dir.path()).opened);

        const QString huge = dir.filePath(QStringLiteral("huge.csv"));
        QVERIFY(writeFile(huge, QByteArray(4 * 1024 * 1024 + 1, ' ')));
        QVERIFY(!loadCatalogueFile(huge).opened);
    }

    void messages()
    {
        const QString path = QStringLiteral("/opt/sorakado/dll/au.csv");
        const QString shown = QDir::toNativeSeparators(path);
        QCOMPARE(catalogueProblemMessage(path, CatalogueLoad{}),
                 QStringLiteral("機種一覧ファイル「") + shown +
                     QStringLiteral("」を開けませんでした。"));

        CatalogueLoad load;
        load.opened = true;
        QVERIFY(catalogueProblemMessage(path, load).isEmpty());  // an empty catalogue is fine
        load.parse = parseCatalogue("A,1,2,3\nB,4,5,6\nC,x,1,1\nD,1,2,3\n\n\nE,1,2");
        QCOMPARE(
            catalogueProblemMessage(path, load),
            QStringLiteral("機種一覧ファイル「") + shown +
                QStringLiteral("」の3、7行目を読み飛ばしました。各行は「機種名,縦サイズ,横サイズ,"
                               "サイズ上限」の4項目で、サイズは整数で書いてください。"));
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
            doubled = doubled || e.height.toInt() < 115 || e.width.toInt() < 30;
            oddLimit = oddLimit || e.fileSize.toInt() % 1000 != 0;
        }
        QVERIFY2(doubled, "no entry small enough to be shown doubled");
        QVERIFY2(oddLimit, "every limit is a multiple of 1000");
    }
};

QTEST_GUILESS_MAIN(TestCatalogueReader)
#include "test_catalogue_reader.moc"
