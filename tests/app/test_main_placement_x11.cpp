#include "app/frmMain.h"
#include "history/frmPicFiles.h"
#include "platform/WorkFolder.h"
#include "support/FakeDialogs.h"
#include "support/TryWait.h"

#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// The main window and its history on a real screen: both stay on it.
class TestMainPlacement : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir work;
    WorkFolder folder{{work.path() + u'/'}};
    FakeDialogs dialogs;
    std::unique_ptr<frmMain> main;

    QRect available() const { return main->screen()->availableGeometry(); }

private slots:
    void init() { main = std::make_unique<frmMain>(PhoneModel{}, dialogs, folder); }
    void cleanup() { main.reset(); }

    void aWindowNearTheRightEdgeMovesInSoThatTheHistoryFitsBesideIt()
    {
        const QRect screen = available();
        main->move(screen.right() - 700, screen.top() + 40);
        main->open();
        frmPicFiles& history = main->history();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        QVERIFY(QTest::qWaitForWindowExposed(&history));
        TRY_COMPARE(history.pos(), main->frameGeometry().topRight() + QPoint(1, 0));
        QVERIFY(screen.contains(main->frameGeometry()));
        QVERIFY(screen.contains(history.frameGeometry()));
        QCOMPARE(main->frameGeometry().top(), screen.top() + 40);
    }

    void movedAgainstTheRightEdgeTheHistoryGoesToTheLeft()
    {
        main->open();
        frmPicFiles& history = main->history();
        QVERIFY(QTest::qWaitForWindowExposed(&history));
        TRY_COMPARE(history.pos(), main->frameGeometry().topRight() + QPoint(1, 0));
        const QRect screen = available();
        main->move(screen.right() + 1 - main->frameGeometry().width(), screen.top());
        TRY_COMPARE(history.frameGeometry().topRight(),
                    main->frameGeometry().topLeft() - QPoint(1, 0));
        QVERIFY(screen.contains(history.frameGeometry()));

        // The user may still move the history away.
        const QPoint away = history.pos() + QPoint(0, 200);
        history.move(away);
        QCoreApplication::processEvents();
        QCOMPARE(history.pos(), away);
    }
};

QTEST_MAIN(TestMainPlacement)
#include "test_main_placement_x11.moc"
