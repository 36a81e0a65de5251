#include "jpeg/JpegFit.h"
#include "saving/mdlSavedll.h"
#include "support/FitCheck.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

// Fitting on a real screen capture: a Qt window with text and controls, as the
// X server shows it, grabbed from the screen.
class TestFitScreenshot : public QObject
{
    Q_OBJECT

private slots:
    void fitsAScreenshotOfARunningWindow()
    {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(
            new QLabel(QStringLiteral("現在の設定でのファイルサイズは 12.3 KByte"), &window));
        layout->addWidget(new QLineEdit(QStringLiteral("待ち受け画像"), &window));
        auto* list = new QComboBox(&window);
        list->addItems({QStringLiteral("標準"), QStringLiteral("高画質")});
        layout->addWidget(list);
        layout->addWidget(new QCheckBox(QStringLiteral("減色する(256色以下)"), &window));
        layout->addWidget(new QPushButton(QStringLiteral(" JPEGで保存"), &window));
        window.resize(480, 854);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QScreen* screen = QGuiApplication::primaryScreen();
        const QRect frame = window.geometry();
        const QImage shot =
            screen->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height())
                .toImage()
                .convertToFormat(QImage::Format_RGB32)
                .scaled(480, 854);
        QVERIFY(!shot.isNull());

        JpegFit fit([&shot](int quality, int quarters, bool full) -> std::optional<qint64> {
            const auto file = mdlSavedll::encodeJpeg(shot, quality, false, full, quarters);
            return file ? std::optional<qint64>(file->size()) : std::nullopt;
        });
        for (const int quality : {20, 75, 97}) {
            const qint64 limit = mdlSavedll::encodeJpeg(shot, quality, false)->size();
            const QString problem = checkFit(fit, shot, limit);
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
        }
        const QString none = checkFit(fit, shot, 200);
        QVERIFY2(none.isEmpty(), qPrintable(none));
    }
};

QTEST_MAIN(TestFitScreenshot)
#include "test_fit_screenshot_x11.moc"
