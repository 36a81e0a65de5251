// The help page names every control the user can press, tick or choose a tab of, in
// the main window with its history and in the scale dialog, written as shown.
#include "app/frmMain.h"
#include "capture/frmZoom.h"
#include "common/SelectionState.h"
#include "history/frmPicFiles.h"
#include "platform/WorkFolder.h"
#include "support/FakeDialogs.h"
#include "support/RecordingLiveCapture.h"

#include <QAbstractButton>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString helpPage()
{
    QFile file(QStringLiteral(SORAKADO_HELP_PAGE));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The captions of the window's buttons, check boxes, options and tabs, each
// without the blanks around it; buttons that only show an image have none.
QStringList captions(const QWidget& window)
{
    QStringList found;
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (!button->text().trimmed().isEmpty()) {
            found.append(button->text().trimmed());
        }
    }
    for (const QTabWidget* tabs : window.findChildren<QTabWidget*>()) {
        for (int i = 0; i < tabs->count(); ++i) {
            found.append(tabs->tabText(i).trimmed());
        }
    }
    return found;
}

QStringList missingFrom(const QString& help, const QStringList& texts)
{
    QStringList missing;
    for (const QString& text : texts) {
        if (!help.contains(text)) {
            missing.append(text);
        }
    }
    return missing;
}

}  // namespace

class TestHelpPage : public QObject
{
    Q_OBJECT

private slots:
    void namesEveryControlOfTheMainWindowAndItsHistory()
    {
        const QString help = helpPage();
        QVERIFY2(!help.isEmpty(), SORAKADO_HELP_PAGE);
        QTemporaryDir work;
        WorkFolder folder(QStringList{work.path() + u'/'});
        FakeDialogs dialogs;
        PhoneModel phone;
        phone.height = 320;
        phone.width = 240;
        phone.fileSize = 81920;
        frmMain main(phone, dialogs, folder);
        QStringList texts = captions(main);
        texts += captions(main.history());
        QVERIFY(texts.contains(QStringLiteral("減色する(256色以下)")));
        const QStringList missing = missingFrom(help, texts);
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u'|')));
    }

    void namesEveryControlOfTheScaleDialog()
    {
        SelectionState selection;
        FakeDialogs dialogs;
        RecordingLiveCapture live;
        const frmZoom zoom(selection, dialogs, live);
        const QStringList missing = missingFrom(helpPage(), captions(zoom));
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u'|')));
    }
};

QTEST_MAIN(TestHelpPage)
#include "test_help_page.moc"
