#include "platform/AppPaths.h"
#include "platform/mdlIni.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void chooseSettingsPath()
    {
        const QString config = QStringLiteral("/home/u/.config/sorakado");
        QCOMPARE(mdlIni::chooseSettingsPath(QStringLiteral("/opt//"), true, config),
                 QStringLiteral("/opt/data.ini"));
        QCOMPARE(mdlIni::chooseSettingsPath(QStringLiteral("/opt/sorakado/"), false, config),
                 QStringLiteral("/home/u/.config/sorakado/data.ini"));
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
        QCOMPARE(settings.ReadIni(u"size", u"MAKER"), longValue.left(254));
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "test_settings_file.moc"
