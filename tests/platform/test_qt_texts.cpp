#include "platform/QtTexts.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <memory>

// Qt's own texts come in Japanese, whatever language the desktop runs in.
class TestQtTexts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QVERIFY(qttexts::useJapanese(*qApp));
    }

    void standardButtonsAndEditMenusAreJapanese()
    {
        QDialogButtonBox buttons(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
        QLineEdit field(QStringLiteral("abc"));
        const std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
        QStringList texts;
        for (const QAction* action : menu->actions()) {
            texts << action->text();
        }
        QVERIFY2(texts.join(QString()).contains(QStringLiteral("コピー")),
                 qPrintable(texts.join(QLatin1Char('|'))));
    }

    void colourDialogIsJapanese()
    {
        QColorDialog dialog;
        dialog.setOption(QColorDialog::DontUseNativeDialog);
        const QList<QPushButton*> pushButtons = dialog.findChildren<QPushButton*>();
        QStringList texts;
        for (const QPushButton* button : pushButtons) {
            texts << button->text();
        }
        QVERIFY2(!texts.filter(QStringLiteral("カスタムカラー")).isEmpty() ||
                     !texts.filter(QStringLiteral("追加")).isEmpty(),
                 qPrintable(texts.join(QLatin1Char('|'))));
    }
};

QTEST_MAIN(TestQtTexts)
#include "test_qt_texts.moc"
