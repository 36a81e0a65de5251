#include "history/HandPointer.h"
#include "history/HistoryGeometry.h"
#include "history/HistorySlot.h"
#include "history/frmPicFiles.h"

#include <QApplication>
#include <QClipboard>
#include <QEnterEvent>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

QString writePicture(const QTemporaryDir& dir, const QString& name, QSize size, const char* format)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(qRgb(40, 120, 200));
    const QString path = dir.filePath(name);
    return image.save(path, format) ? path : QString();
}

}  // namespace

class HistoryWindowTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QWidget> m_main;
    frmPicFiles* m_history = nullptr;

    SlotThumbnail* thumbnail(int slot) const
    {
        return m_history->findChild<SlotThumbnail*>(QStringLiteral("img%1").arg(slot));
    }
    QString saveJpeg(int n)
    {
        const QString path = writePicture(m_dir, QStringLiteral("%1.jpg").arg(n), {30, 40}, "JPEG");
        m_history->AddJpegToHistory(path);
        return path;
    }
    // The slots that show a picture, as their paths ("" for a free slot).
    QStringList shown() const
    {
        QStringList paths;
        for (int slot = 1; slot <= 8; ++slot) {
            paths << (thumbnail(slot)->picture().isNull() ? QString() : thumbnail(slot)->toolTip());
        }
        return paths;
    }

private slots:
    void framesStandInTwoColumnsAndFourRows()
    {
        QCOMPARE(historygeometry::frameRect(1), QRect(142, 24, 125, 125));
        QCOMPARE(historygeometry::frameRect(2), QRect(8, 156, 125, 125));
        QCOMPARE(historygeometry::frameRect(7), QRect(142, 420, 125, 125));
    }

    void thumbnailKeepsTheCanvasShape_data()
    {
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<QRect>("box");
        // 1406.25 x 1875 twips at left 234.375.
        QTest::newRow("3 x 4") << QSize(3, 4) << QRect(16, 0, 94, 125);
        QTest::newRow("square") << QSize(244, 244) << QRect(0, 0, 125, 125);
    }
    void thumbnailKeepsTheCanvasShape()
    {
        QFETCH(QSize, canvas);
        QTEST(historygeometry::thumbnailBox(canvas), "box");
    }

    void snapsWithin1000Twips()
    {
        const historygeometry::MainWindowTwips main{1500, 3000, 10110, 9930};
        const QPoint edge(3000 + 9930, 1500);  // left + client width, top
        for (auto [offset, snaps] : {std::pair{QPoint(0, 1000), true},
                                     {QPoint(0, 1001), false},
                                     {QPoint(0, -1000), true},
                                     {QPoint(1000, 0), true},
                                     {QPoint(1001, 0), false},
                                     {QPoint(-1001, 0), false}}) {
            const auto target = historygeometry::snapTarget(main, edge + offset);
            QCOMPARE(target.has_value(), snaps);
            // Placed by the outer width, not the client width it was measured from.
            QCOMPARE(target.value_or(QPoint(3000 + 10110, 1500)), QPoint(3000 + 10110, 1500));
        }
    }

    void init()
    {
        m_main = std::make_unique<QWidget>();
        m_main->setGeometry(100, 100, 662, 531);
        m_history = new frmPicFiles(m_main.get());
    }

    void eightSavesFillTheSlotsInOrderAndTheNinthChangesNothing()
    {
        QStringList paths;
        for (int n = 1; n <= 8; ++n) {
            paths << saveJpeg(n);
            QCOMPARE(shown().mid(0, n), paths);
            QCOMPARE(shown().count(QString()), 8 - n);
        }
        saveJpeg(9);
        QCOMPARE(shown(), paths);
    }

    void jpegAndPngTakeConsecutiveSlotsAndUnreadableFilesLeaveThemFree()
    {
        m_history->AddJpegToHistory(m_dir.filePath(QStringLiteral("missing.jpg")));
        m_history->AddPngToHistory(m_dir.filePath(QStringLiteral("missing.png")));
        const QString jpeg = saveJpeg(1);
        const QString png = writePicture(m_dir, QStringLiteral("2.png"), {40, 30}, "PNG");
        m_history->AddPngToHistory(png);
        QCOMPARE(shown().mid(0, 3), (QStringList{jpeg, png, QString()}));
        QCOMPARE(thumbnail(2)->picture().size(), QSize(40, 30));
    }

    void thumbnailTakesTheCanvasShapeNotTheFileShape()
    {
        m_history->setCanvasSizeSource([] { return QSize(4, 3); });
        saveJpeg(1);  // the file itself is 30 x 40
        QCOMPARE(thumbnail(1)->geometry(), QRect(0, 16, 125, 94));
    }

    void clickingSlot3CopiesTheThirdPath()
    {
        saveJpeg(1);
        saveJpeg(2);
        const QString third = saveJpeg(3);
        m_history->show();
        QTest::mouseClick(thumbnail(3), Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(QGuiApplication::clipboard()->text(), third);
    }

    void clearingFreesEverySlotAndKeepsTheFiles()
    {
        const QString first = saveJpeg(1);
        saveJpeg(2);
        m_history->findChild<QPushButton*>(QStringLiteral("cmdFormat"))->click();
        QCOMPARE(shown().count(QString()), 8);
        QVERIFY(QFile::exists(first));
        QCOMPARE(thumbnail(1)->geometry(), QRect(0, 0, 125, 125));
        m_history->CopySlotPath(2);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString());  // no stale path
        const QString next = saveJpeg(3);
        QCOMPARE(shown().first(), next);
    }

    void closingByTheCloseBoxEmptiesTheHistory()
    {
        m_history->show();
        saveJpeg(1);
        QSignalSpy closed(m_history, &frmPicFiles::closedByUser);
        m_history->close();
        m_history->show();
        QCOMPARE(closed.count(), 1);
        QCOMPARE(shown().count(QString()), 8);
    }

    void mainWindowMovesInSoThatItAndItsHistoryStandOnTheScreen_data()
    {
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QPoint>("proposed");
        QTest::addColumn<QPoint>("placed");
        const QRect screen(0, 0, 1280, 1024);
        QTest::newRow("fits") << screen << QPoint(100, 50) << QPoint(100, 50);
        QTest::newRow("history past the right edge")
            << screen << QPoint(575, 50) << QPoint(326, 50);
        QTest::newRow("past the bottom") << screen << QPoint(100, 600) << QPoint(100, 444);
        QTest::newRow("above a top panel")
            << QRect(1280, 30, 1280, 994) << QPoint(1500, 0) << QPoint(1500, 30);
        QTest::newRow("pair wider than the screen")
            << QRect(0, 0, 800, 600) << QPoint(300, 10) << QPoint(0, 10);
    }
    void mainWindowMovesInSoThatItAndItsHistoryStandOnTheScreen()
    {
        QFETCH(QRect, area);
        QFETCH(QPoint, proposed);
        const QSize history(284, 580);
        QTEST(historygeometry::mainWindowPlace(QRect(proposed, QSize(670, 560)), history, area),
              "placed");
    }

    void historyDocksOnTheSideWithRoom_data()
    {
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QPoint>("main");
        QTest::addColumn<QPoint>("docked");
        const QRect screen(0, 0, 1280, 1024);
        QTest::newRow("right edge") << screen << QPoint(100, 50) << QPoint(770, 50);
        QTest::newRow("no room on the right") << screen << QPoint(900, -20) << QPoint(616, 0);
        QTest::newRow("no room on either side")
            << QRect(0, 0, 800, 600) << QPoint(0, 10) << QPoint(516, 10);
    }
    void historyDocksOnTheSideWithRoom()
    {
        QFETCH(QRect, area);
        QFETCH(QPoint, main);
        QTEST(historygeometry::dockedPlace(QRect(main, QSize(670, 560)), QSize(284, 580), area),
              "docked");
    }

    void aNewMainWindowIsCentred()
    {
        QCOMPARE(historygeometry::centredIn(QSize(670, 561), QRect(10, 20, 1280, 1004)),
                 QRect(315, 241, 670, 561));
    }

    void pointerMovementOverBackgroundOrThumbnailSnapsTheWindowBack_data()
    {
        QTest::addColumn<QString>("over");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<bool>("snaps");
        QTest::newRow("background") << QStringLiteral("frmPicFiles") << QPoint(270, 10) << true;
        QTest::newRow("thumbnail") << QStringLiteral("img1") << QPoint(40, 60) << true;
        QTest::newRow("button") << QStringLiteral("cmdFormat") << QPoint(5, 5) << false;
    }
    void pointerMovementOverBackgroundOrThumbnailSnapsTheWindowBack()
    {
        QFETCH(QString, over);
        QFETCH(QPoint, at);
        QFETCH(bool, snaps);
        m_history->setCanvasSizeSource([] { return QSize(3, 4); });
        saveJpeg(1);
        m_history->show();
        const QRect main = m_main->frameGeometry();
        // 66 pixels (990 twips) below the docking place: within reach.
        const QPoint left(main.left() + m_main->width(), main.top() + 66);
        m_history->move(left);
        QWidget* target =
            m_history->objectName() == over ? m_history : m_history->findChild<QWidget*>(over);
        QMouseEvent move(QEvent::MouseMove, at, target->mapToGlobal(at), Qt::NoButton, {}, {});
        QApplication::sendEvent(target, &move);
        QCOMPARE(m_history->pos(), snaps ? QPoint(main.right() + 1, main.top()) : left);
    }

    void helpPopsUpJustBelowTheHelpButton()
    {
        m_history->show();
        auto* help = m_history->findChild<QPushButton*>(QStringLiteral("cmdHelp"));
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QCoreApplication::sendEvent(help, &enter);
        auto* popup = m_history->findChild<QWidget*>(QStringLiteral("frmHelp"));
        QVERIFY(popup && popup->isVisible());
        const QRect outer = m_history->frameGeometry();
        QCOMPARE(popup->pos(),
                 QPoint(outer.left(), outer.top() + outer.height() - m_history->height() +
                                          help->y() + help->height()));
        QCOMPARE(popup->size(), QSize(477, 403));
        for (int line = 1; line <= 9; ++line) {
            auto* label = popup->findChild<QLabel*>(QStringLiteral("lblHelp%1").arg(line));
            QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->width());
        }
        QVERIFY(popup->findChild<QLabel*>(QStringLiteral("imgHelp"))->pixmap().width() > 0);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(help, &leave);
        QVERIFY(!popup->isVisible());
    }

    void handPointerFromTheIconFileOrTheStandardHand()
    {
        const QCursor drawn = handpointer::load(QFINDTESTDATA("../../resources/data/hand.ico"));
        QCOMPARE(drawn.shape(), Qt::BitmapCursor);
        QCOMPARE(drawn.pixmap().size(), QSize(32, 32));
        QCOMPARE(handpointer::load(m_dir.filePath(QStringLiteral("none.ico"))).shape(),
                 Qt::PointingHandCursor);
    }
};

QTEST_MAIN(HistoryWindowTest)
#include "test_history_window.moc"
