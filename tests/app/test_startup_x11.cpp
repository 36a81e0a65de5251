#include "app/ProgramFlow.h"
#include "catalogue/frmSize.h"
#include "platform/WorkFolder.h"
#include "platform/mdlIni.h"
#include "support/CatalogueFolder.h"
#include "support/FakeDialogs.h"
#include "support/RecordingLiveCapture.h"

#include <QAbstractButton>
#include <QGlyphRun>
#include <QLabel>
#include <QRawFont>
#include <QScreen>
#include <QTest>
#include <QTextLayout>
#include <memory>

namespace {

// Texts whose characters the widget's font (with fallbacks) cannot draw come out
// as glyph 0, the empty box.
QStringList undrawable(QWidget* window)
{
    QStringList missing;
    auto check = [&missing](const QString& text, const QFont& font) {
        QTextLayout layout(text, font);
        layout.beginLayout();
        while (layout.createLine().isValid()) {
        }
        layout.endLayout();
        for (const QGlyphRun& run : layout.glyphRuns()) {
            if (run.glyphIndexes().contains(0u)) {
                missing.append(text);
                return;
            }
        }
    };
    for (QLabel* label : window->findChildren<QLabel*>()) {
        check(label->text(), label->font());
    }
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        check(button->text(), button->font());
    }
    return missing;
}

}  // namespace

class TestStartupX11 : public QObject
{
    Q_OBJECT

private slots:
    void selectionDialogOnARealScreen()
    {
        CatalogueFolder folder;
        folder.write(QStringLiteral("dll/au.csv"), "QVGA 240x320,320,240,102400\r\n");
        SettingsFile settings(folder.settingsPath());
        FakeDialogs dialogs;
        RecordingLiveCapture live;
        WorkFolder work({folder.path() + QStringLiteral("temp/")});
        ProgramFlow flow(settings, dialogs, live, folder.path(), work);
        flow.start();

        frmSize& size = flow.sizeDialog();
        QVERIFY(QTest::qWaitForWindowExposed(&size));
        QCOMPARE(size.size(), QSize(553, 484));
        const QRect screen = size.screen()->availableGeometry();
        QVERIFY2(qAbs(size.geometry().center().x() - screen.center().x()) <= 40,
                 "the selection dialog is centred");
        QCOMPARE(undrawable(&size), QStringList());

        // The texts really reach the screen: the title's area is not blank.
        const QImage title =
            size.grab(size.findChild<QLabel*>(QStringLiteral("lblTitle"))->geometry()).toImage();
        QImage blank = title.copy();
        blank.fill(title.pixel(0, 0));
        QVERIFY(title != blank);
    }
};

QTEST_MAIN(TestStartupX11)
#include "test_startup_x11.moc"
