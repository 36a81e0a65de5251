#include "edit/CanvasRouter.h"

#include <QStringList>
#include <QTest>

namespace {

class Recorder final : public PickTool, public StrokeTool
{
public:
    bool picking = false;
    QStringList calls;

    bool isOn() const override { return picking; }
    void switchOff() override { picking = false; }
    void commit(const QPoint& at) override { calls << QStringLiteral("commit %1,%2").arg(at.x()).arg(at.y()); }
    void follow(const QPoint& at) override { calls << QStringLiteral("follow %1,%2").arg(at.x()).arg(at.y()); }
    void start(const QPoint& at) override { calls << QStringLiteral("start %1,%2").arg(at.x()).arg(at.y()); }
    void extend(const QPoint& at) override { calls << QStringLiteral("extend %1,%2").arg(at.x()).arg(at.y()); }
};

}  // namespace

class TestCanvasRouter : public QObject
{
    Q_OBJECT

private slots:
    void drawingTakesExactlyTheLeftButtonOnItsTab()
    {
        Recorder tools;
        CanvasRouter router(tools, tools);
        router.pressed(3, Qt::RightButton, {1, 1});
        router.pressed(2, Qt::LeftButton, {1, 1});
        router.moved(3, Qt::LeftButton | Qt::RightButton, {2, 2});
        router.moved(3, Qt::NoButton, {2, 2});
        QVERIFY(tools.calls.isEmpty());
        router.pressed(3, Qt::LeftButton, {4, 5});
        router.moved(3, Qt::LeftButton, {6, 7});
        QCOMPARE(tools.calls, (QStringList{QStringLiteral("start 4,5"), QStringLiteral("extend 6,7")}));
    }

    void pickingServesAnyButtonFirst()
    {
        Recorder tools;
        tools.picking = true;
        CanvasRouter router(tools, tools);
        router.pressed(2, Qt::MiddleButton, {1, 2});
        router.moved(2, Qt::NoButton, {3, 4});
        router.pressed(3, Qt::LeftButton, {5, 6});
        QCOMPARE(tools.calls, (QStringList{QStringLiteral("commit 1,2"), QStringLiteral("follow 3,4"),
                                           QStringLiteral("commit 5,6"), QStringLiteral("start 5,6")}));
    }
};

QTEST_GUILESS_MAIN(TestCanvasRouter)
#include "test_canvas_router.moc"
