#include "app/mdlIni.h"
#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void chooseSettingsPath_data()
    {
        QTest::addColumn<QString>("programFolder");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("configFolder");
        QTest::addColumn<QString>("expected");
        QTest::newRow("writable") << "/opt/sorakado/" << true << "/home/u/.config/sorakado/"
                                  << "/opt/sorakado/data.ini";
        QTest::newRow("writable, no slash") << "/opt/sorakado" << true << ""
                                            << "/opt/sorakado/data.ini";
        QTest::newRow("not writable") << "/opt/sorakado/" << false << "/home/u/.config/sorakado/"
                                      << "/home/u/.config/sorakado/data.ini";
        QTest::newRow("not writable, no slash")
            << "/opt/sorakado/" << false << "/home/u/.config/sorakado"
            << "/home/u/.config/sorakado/data.ini";
        QTest::newRow("root") << "/" << true << "/home/u/.config/sorakado/"
                              << "/data.ini";
        QTest::newRow("doubled slash") << "/opt//" << true << ""
                                       << "/opt/data.ini";
    }
    void chooseSettingsPath()
    {
        QFETCH(QString, programFolder);
        QFETCH(bool, writable);
        QFETCH(QString, configFolder);
        QFETCH(QString, expected);
        QCOMPARE(mdlIni::chooseSettingsPath(programFolder, writable, configFolder), expected);
    }

    void programPaths()
    {
        const QString folder = QCoreApplication::applicationDirPath() + u'/';
        QCOMPARE(mdlIni::GetAppPath(), folder);
        QCOMPARE(apppaths::resolve(u"dll\\docomo.csv"), folder + QStringLiteral("dll/docomo.csv"));
        if (!apppaths::isWritableFolder(folder)) {
            QSKIP("the test's own folder is not writable here");
        }
        QCOMPARE(mdlIni::settingsPath(), folder + QStringLiteral("data.ini"));
    }

    void userConfigFolderIsCreated()
    {
        QTemporaryDir home;
        const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
        const QString oldName = QCoreApplication::applicationName();
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
        QCoreApplication::setApplicationName(QStringLiteral("sorakado"));
        const QString folder = apppaths::userConfigFolder();
        qputenv("XDG_CONFIG_HOME", oldConfig);
        QCoreApplication::setApplicationName(oldName);
        QCOMPARE(folder, home.path() + QStringLiteral("/sorakado/"));
        QVERIFY(apppaths::isWritableFolder(folder));
    }

    void readIniCutsAt254Characters()
    {
        QTemporaryDir dir;
        SettingsFile settings(dir.filePath(QStringLiteral("data.ini")));
        QCOMPARE(settings.ReadIni(u"Size", u"Maker"), QString());
        const QString longValue(300, u'x');
        QVERIFY(settings.WriteIni(u"Size", u"Maker", longValue));
        QCOMPARE(settings.ReadIni(u"Size", u"Maker"), longValue.left(254));
    }

    void sevenKeysKeepTheirOrder()
    {
        QTemporaryDir dir;
        SettingsFile settings(dir.filePath(QStringLiteral("data.ini")));
        const QStringList keys = {QStringLiteral("Maker"),    QStringLiteral("Model"),
                                  QStringLiteral("Height"),   QStringLiteral("Width"),
                                  QStringLiteral("FileSize"), QStringLiteral("WindowStyle"),
                                  QStringLiteral("Skip")};
        for (const QString& key : keys) {
            QVERIFY(settings.WriteIni(u"Size", key, key + u'1'));
        }
        QFile file(settings.path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), keys.size() + 2);  // header, seven keys, nothing after the last end
        QCOMPARE(lines.first(), QByteArray("[Size]\r"));
        for (qsizetype i = 0; i < keys.size(); ++i) {
            QCOMPARE(lines.at(i + 1), keys.at(i).toLatin1() + "=" + keys.at(i).toLatin1() + "1\r");
            QCOMPARE(settings.ReadIni(u"size", keys.at(i)), keys.at(i) + u'1');
        }
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "test_settings_file.moc"
