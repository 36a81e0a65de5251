#include "catalogue/mdlSize.h"
#include "platform/mdlIni.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using Then = mdlSize::StartPlan::Then;
Q_DECLARE_METATYPE(mdlSize::StoredChoice)
Q_DECLARE_METATYPE(Then)

namespace {

mdlSize::StoredChoice stored(std::optional<int> maker, std::optional<int> model,
                             std::optional<int> skip, std::optional<int> style = std::nullopt)
{
    mdlSize::StoredChoice choice;
    choice.maker = maker;
    choice.model = model;
    choice.height = model;
    choice.width = model;
    choice.fileSize = model;
    choice.windowStyle = style;
    choice.skip = skip;
    return choice;
}

const QList<CatalogueEntry> kTwoModels{{QStringLiteral("A"), 320, 240, 102400},
                                       {QStringLiteral("B"), 220, 176, 20479}};

}  // namespace

class TestModelSettings : public QObject
{
    Q_OBJECT

private slots:
    void startPlan_data()
    {
        QTest::addColumn<mdlSize::StoredChoice>("choice");
        QTest::addColumn<QList<CatalogueEntry>>("catalogue");
        QTest::addColumn<bool>("problem");
        QTest::addColumn<int>("carrier");
        QTest::addColumn<int>("model");
        QTest::addColumn<Then>("then");
        const auto row = [](const char* name, const mdlSize::StoredChoice& choice,
                            const QList<CatalogueEntry>& catalogue, bool problem, int carrier,
                            int model, Then then) {
            QTest::newRow(name) << choice << catalogue << problem << carrier << model << then;
        };
        row("nothing stored", {}, {}, false, -1, -1, Then::ShowDialog);
        row("choice without skip", stored(1, 1, 0), kTwoModels, false, 1, 1, Then::ShowDialog);
        row("skip with a usable choice", stored(0, 1, 1), kTwoModels, false, 0, 1, Then::GoOn);
        row("skip, model beyond the catalogue", stored(0, 99, 1), kTwoModels, false, 0, -1,
            Then::ExplainAndShow);
        row("skip, no carrier", stored(std::nullopt, 0, 1), kTwoModels, false, -1, -1,
            Then::ExplainAndShow);
        row("skip, carrier beyond the list", stored(4, 0, 1), kTwoModels, false, -1, -1,
            Then::ExplainAndShow);
        row("skip, a model without a name", stored(0, 0, 1), {{QString(), 320, 240, 1000}}, false,
            0, 0, Then::ExplainAndShow);
        row("skip, the catalogue reported bad lines", stored(0, 1, 1), kTwoModels, true, 0, 1,
            Then::ShowDialog);
    }
    void startPlan()
    {
        QFETCH(mdlSize::StoredChoice, choice);
        QFETCH(QList<CatalogueEntry>, catalogue);
        QFETCH(bool, problem);
        const mdlSize::StartPlan plan = mdlSize::planStart(choice, catalogue, problem);
        QTEST(plan.carrier, "carrier");
        QTEST(plan.model, "model");
        QTEST(plan.then, "then");
    }

    void styleAndSkipAreTakenOnlyWhenValid()
    {
        const auto plan = [](std::optional<int> style, std::optional<int> skip) {
            return mdlSize::planStart(stored(std::nullopt, std::nullopt, skip, style), {}, false);
        };
        QCOMPARE(plan(1, 0).windowStyle, 1);
        QCOMPARE(plan(2, 0).windowStyle, 0);
        QVERIFY(!plan(0, 2).skip);
        QVERIFY(plan(0, 1).skip);
    }

    void failedSettingsWritesAreReported()
    {
        QTemporaryDir dir;
        // A folder that cannot be made (its parent is a file) and a settings path that
        // is a folder: both fail for every user, root included.
        QFile blocker(dir.filePath(QStringLiteral("file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("folder/data.ini")));
        for (const char* path : {"file/sorakado/data.ini", "folder/data.ini"}) {
            SettingsFile settings(dir.filePath(QString::fromLatin1(path)));
            QVERIFY2(!mdlSize::SaveModelSettings(settings, 1, 2, 1, true), path);
        }

        // A configuration folder not made yet is made.
        SettingsFile fresh(dir.filePath(QStringLiteral("config/sorakado/data.ini")));
        QVERIFY(mdlSize::SaveModelSettings(fresh, 1, 2, 1, true));
        QCOMPARE(fresh.ReadIni(u"Size", u"Model"), QStringLiteral("2"));
    }

    void aChoiceIsStoredWholeOrNotAtAll()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("data.ini"));
        const QByteArray before("[Size]\r\nMaker=0\r\nModel=5\r\n");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(before), before.size());
        file.close();
        // Room for the first few keys but not for all seven, as on a disk that fills up
        // part-way: the old choice stays as it was, not a mix of old and new.
        const int failed = inChildWithFileSizeLimit(60, [&path] {
            SettingsFile settings(path);
            return mdlSize::SaveModelSettings(settings, 1, 2, 1, true) ? 1 : 0;
        });
        QCOMPARE(failed, 0);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
        file.close();

        SettingsFile settings(path);
        QVERIFY(mdlSize::SaveModelSettings(settings, 1, 2, 1, true));
        for (const char16_t* key : {u"Model", u"Height", u"Width", u"FileSize"}) {
            QCOMPARE(settings.ReadIni(u"Size", key), QStringLiteral("2"));
        }
        QCOMPARE(settings.ReadIni(u"Size", u"Maker"), QStringLiteral("1"));
        QCOMPARE(settings.ReadIni(u"Size", u"WindowStyle"), QStringLiteral("1"));
        QCOMPARE(settings.ReadIni(u"Size", u"Skip"), QStringLiteral("1"));
    }
};

QTEST_GUILESS_MAIN(TestModelSettings)
#include "test_model_settings.moc"
