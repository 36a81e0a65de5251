#include "edit/ColourSwatch.h"
#include "edit/DrawText.h"
#include "edit/EditImages.h"
#include "edit/TextPage.h"
#include "edit/TextSurface.h"
#include "edit/ToolColours.h"
#include "edit/ToolContext.h"
#include "platform/TextCodec.h"
#include "support/FakeDialogs.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kFamily = QString::fromUtf16(TextSurface::kFallbackFamily);

QImage blank()
{
    QImage image(QSize(200, 60), QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// The text drawn completely by the surface on its own, the reference for the tools.
QImage rendered(const QString& text, QPoint at = {}, SurfaceFont font = {kFamily},
                ColourRef colour = colourref::kBlack, const QImage& base = blank())
{
    TextSurface surface;
    surface.receive(base);
    surface.setColour(colour);
    surface.setFont(font);
    surface.textOut(at, text, 1000);
    return surface.image();
}

void enterTextTab(EditImages& images)
{
    images.setCaptured(blank());
    images.TakeUndoSnapshot();
    images.takeTextBase();
}

// A text page on a white canvas, the tab just entered.
struct PageFixture
{
    PageFixture()
    {
        enterTextTab(images);
        page.enterTab();
    }
    template <typename T>
    T* find(const char* name)
    {
        return page.findChild<T*>(QString::fromLatin1(name));
    }

    EditImages images;
    FakeDialogs dialogs;
    ToolColours colours;
    ToolContext context{images, dialogs, colours, [] {}, [](bool) {}};
    TextPage page{context};
};

QFont dialogFont(double points, bool bold = false, bool italic = false)
{
    QFont font(kFamily);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

}  // namespace

class TestText : public QObject
{
    Q_OBJECT

private slots:
    void cutsAtWholeCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bytes");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("second cut in half") << u"日本"_s << 3 << u"日"_s;
        QTest::newRow("first cut in half") << u"日本"_s << 1 << QString();
        QTest::newRow("mixed") << u"ab日c"_s << 3 << u"ab"_s;
        QTest::newRow("half-width kana is one byte") << u"ｱｲ"_s << 1 << u"ｱ"_s;
        QTest::newRow("no CP932 form: one byte") << u"é日"_s << 2 << u"é"_s;
        QTest::newRow("negative count") << u"a"_s << -1 << QString();
    }
    void cutsAtWholeCharacters()
    {
        QFETCH(QString, text);
        QFETCH(int, bytes);
        QTEST(textcodec::cp932Prefix(text, bytes), "prefix");
    }

    void languageSetsTheByteCount_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("drawn");
        const int j = static_cast<int>(TextLanguage::Japanese);
        const int e = static_cast<int>(TextLanguage::Alphanumeric);
        QTest::newRow("日本語: 日本") << j << u"日本"_s << u"日本"_s;
        QTest::newRow("英数字: 日本") << e << u"日本"_s << u"日"_s;
        QTest::newRow("日本語: Hello, count past the bytes") << j << u"Hello"_s << u"Hello"_s;
    }
    void languageSetsTheByteCount()
    {
        QFETCH(int, language);
        QFETCH(QString, text);
        QFETCH(QString, drawn);
        EditImages images;
        enterTextTab(images);
        DrawText tool(images);
        tool.settings.language = static_cast<TextLanguage>(language);
        tool.settings.text = text;
        tool.RedrawTextPreview();
        QVERIFY(images.canvas() != blank());
        QCOMPARE(images.canvas(), rendered(drawn));
    }

    void emptyTextShowsTheBaseAndKeepsAnUndoCopy()
    {
        EditImages images;
        enterTextTab(images);
        images.canvas().setPixel(3, 3, 0xff123456);
        const QImage before = images.canvas();
        DrawText tool(images);
        tool.RedrawTextPreview();
        QCOMPARE(images.canvas(), blank());
        QCOMPARE(images.picUndo(), before);
    }

    void moveAfterCommitDrawsASecondCopy()
    {
        EditImages images;
        enterTextTab(images);
        DrawText tool(images);
        tool.settings.text = u"日本"_s;
        tool.RedrawTextPreview();
        tool.CommitText();
        tool.settings.position = QPoint(90, 20);
        tool.redrawAtNewPosition();
        const QImage committed = rendered(u"日本"_s);
        QCOMPARE(images.canvas(), rendered(u"日本"_s, QPoint(90, 20), {kFamily}, 0, committed));
        QCOMPARE(images.picUndo(), committed);  // a move starts from the base
    }

    void drawsWhereNoCanvasIsToBeRepainted()
    {
        EditImages images;
        FakeDialogs dialogs;
        ToolColours colours;
        ToolContext context{images, dialogs, colours, {}, {}};
        TextPage page{context};
        enterTextTab(images);
        page.enterTab();
        page.findChild<QLineEdit*>(QStringLiteral("txtDrawText"))->setText(u"日本"_s);
        QCOMPARE(images.canvas(), rendered(u"日本"_s));
        page.findChild<QScrollBar*>(QStringLiteral("scrlDrawTextLeft"))->setValue(40);
        QCOMPARE(images.canvas(), rendered(u"日本"_s, QPoint(40, 0)));
    }

    void sizeTextFallsBackToTheUpDown_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("upDown");
        QTest::addColumn<float>("points");
        QTest::addColumn<int>("upDownAsked");  // -1: the up-down is left alone
        QTest::newRow("half to even") << u"10.5"_s << 9 << 10.5F << 10;
        QTest::newRow("half up to even") << u"11.5"_s << 9 << 11.5F << 12;
        QTest::newRow("empty") << QString() << 9 << 9.0F << -1;
        QTest::newRow("not a number") << u"12pt"_s << 14 << 14.0F << -1;
        QTest::newRow("above 100") << u"150"_s << 9 << 9.0F << -1;
        QTest::newRow("up-down clamped") << u"x"_s << 0 << 1.0F << -1;
    }
    void sizeTextFallsBackToTheUpDown()
    {
        QFETCH(QString, text);
        QFETCH(int, upDown);
        QTEST(textsize::pointSize(text, upDown), "points");
        QTEST(textsize::upDownValueFor(text).value_or(-1), "upDownAsked");
    }

    void sizeBoxAndUpDownAreCoupled()
    {
        PageFixture f;
        auto* size = f.find<QLineEdit>("txtDrawFontSize");
        auto* upDown = f.find<QSpinBox>("updnDrawFontSize");
        f.find<QLineEdit>("txtDrawText")->setText(u"日本"_s);
        size->setText(u"10.5"_s);
        QCOMPARE(size->text(), u"10"_s);
        QCOMPARE(upDown->value(), 10);
        QCOMPARE(f.images.canvas(), rendered(u"日本"_s, {}, {kFamily, 10.0F}));
        size->setText(u"abc"_s);  // the up-down's size is drawn
        QCOMPARE(upDown->value(), 10);
        QCOMPARE(f.images.canvas(), rendered(u"日本"_s, {}, {kFamily, 10.0F}));

        upDown->setValue(9);
        f.dialogs.fonts = {dialogFont(10.5)};
        f.find<QPushButton>("cmdDrawFont")->click();
        QCOMPARE(size->text(), u"10"_s);
        QCOMPARE(upDown->value(), 10);
    }

    void cancelledFontDialogTurnsBoldAndItalicOff()
    {
        PageFixture f;
        f.dialogs.fonts = {dialogFont(9, true, true), std::nullopt};
        auto* text = f.find<QLineEdit>("txtDrawText");
        auto* fontButton = f.find<QPushButton>("cmdDrawFont");
        text->setText(u"日本"_s);
        fontButton->click();
        const QImage boldItalic = rendered(u"日本"_s, {}, {kFamily, 9.0F, true, true});
        QVERIFY(boldItalic != rendered(u"日本"_s));
        QCOMPARE(f.images.canvas(), boldItalic);
        fontButton->click();  // cancelled: redraws nothing by itself
        QCOMPARE(f.images.canvas(), boldItalic);
        text->setText(u"日本語"_s);
        QCOMPARE(f.images.canvas(), rendered(u"日本語"_s));
    }

    void colourDialogColoursTheText()
    {
        PageFixture f;
        f.dialogs.colours = {QColor(Qt::red), std::nullopt};
        f.find<QLineEdit>("txtDrawText")->setText(u"A"_s);
        auto* swatch = f.find<ColourSwatch>("lblDrawColor");
        QCOMPARE(swatch->colour(), colourref::kBlack);
        swatch->click();
        QCOMPARE(swatch->colour(), colourref::kRed);
        QCOMPARE(f.images.canvas(), rendered(u"A"_s, {}, {kFamily}, colourref::kRed));
        swatch->click();  // cancelled: the colour stays
        QCOMPARE(f.dialogs.colourStarts.last(), QColor(Qt::red));
        QCOMPARE(f.images.canvas(), rendered(u"A"_s, {}, {kFamily}, colourref::kRed));
    }
};

QTEST_MAIN(TestText)
#include "test_text.moc"
