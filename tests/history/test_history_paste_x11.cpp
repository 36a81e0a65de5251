#include "history/HistorySlot.h"
#include "history/frmPicFiles.h"

#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

// On a real screen: a click on a thumbnail and a paste into a text field, as into
// an upload form's file field.
class HistoryPasteTest : public QObject
{
    Q_OBJECT

private slots:
    void clickedPathPastesIntoATextField()
    {
        QTemporaryDir dir;
        QImage picture(60, 80, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        const QString path = dir.filePath(QStringLiteral("保存.png"));
        QVERIFY(picture.save(path, "PNG"));

        QWidget main;
        main.setGeometry(50, 50, 400, 300);
        auto* history = new frmPicFiles(&main);
        auto* field = new QLineEdit(&main);
        main.show();
        history->show();
        history->snapToWindow(main);
        QVERIFY(QTest::qWaitForWindowExposed(history));
        history->AddPngToHistory(path);

        QTest::mouseClick(history->findChild<SlotThumbnail*>(QStringLiteral("img1")),
                          Qt::LeftButton);
        main.activateWindow();
        field->setFocus();
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(field->text(), path);
    }
};

QTEST_MAIN(HistoryPasteTest)
#include "test_history_paste_x11.moc"
