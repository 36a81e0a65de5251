#include "platform/WorkFolder.h"
#include "saving/CompressionPage.h"
#include "saving/frmRealtime.h"
#include "support/SizesShown.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

// Fine detail, so that every quality level gives a different picture.
QImage detailed()
{
    QImage image(120, 90, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, qRgb((x * 7 + y * 3) % 256, (x * x + y) % 256, (x ^ y) * 5 % 256));
        }
    }
    return image;
}

}  // namespace

class RealtimePreviewTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_work;
    WorkFolder m_folder{{m_work.path() + QLatin1Char('/')}};
    QImage m_canvas = detailed();
    std::unique_ptr<CompressionPage> m_page;

    QCheckBox* box() const { return m_page->findChild<QCheckBox*>(QStringLiteral("chkRealtime")); }
    frmRealtime* preview() const { return m_page->findChild<frmRealtime*>(); }
    QPushButton* button(const char* name) const
    {
        return preview()->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    QImage workFile() const { return QImage(m_work.filePath(QStringLiteral("temp.jpg")), "JPEG"); }
    void setQuality(const QString& level)
    {
        m_page->findChild<QLineEdit*>(QStringLiteral("txtJpeg"))->setText(level);
    }

private slots:
    void init()
    {
        QFile::remove(m_work.filePath(QStringLiteral("temp.jpg")));
        m_page = std::make_unique<CompressionPage>(SizeEstimator(m_folder),
                                                   [this]() -> const QImage& { return m_canvas; });
        m_page->move(210, 130);
        m_page->show();
        m_page->switchEstimatesOn();
        m_page->EstimateJpegSize();
        QVERIFY(sizesShown(*m_page));
    }

    void tickingShowsTheWorkFileAtTheMainWindowCorner()
    {
        box()->setChecked(true);
        QVERIFY(preview()->isVisible());
        QCOMPARE(preview()->pos(), m_page->pos());
        QVERIFY(preview()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(preview()->pictureAreaSize(), m_canvas.size());
        QVERIFY(!button("cmd1")->isEnabled());
        QVERIFY(button("cmd2")->isEnabled());
        QCOMPARE(preview()->picture(), workFile());
    }

    void doubleKeptWhileHiddenThenSingleGivesBackTheCreatedSizes()
    {
        box()->setChecked(true);
        QPointer<frmRealtime> first = preview();
        const QSize window = preview()->size();
        button("cmd2")->click();
        QCOMPARE(preview()->pictureAreaSize(), m_canvas.size() * 2);
        QCOMPARE(preview()->size(), window + m_canvas.size());
        QVERIFY(button("cmd1")->isEnabled() && !button("cmd2")->isEnabled());
        box()->setChecked(false);
        QVERIFY(!first->isVisible());
        box()->setChecked(true);
        QCOMPARE(preview(), first.data());
        QCOMPARE(preview()->pictureAreaSize(), m_canvas.size() * 2);
        button("cmd1")->click();
        QCOMPARE(preview()->pictureAreaSize(), m_canvas.size());
        QCOMPARE(preview()->size(), window);
        QVERIFY(!button("cmd1")->isEnabled() && button("cmd2")->isEnabled());
    }

    void closingThroughTheFrameClearsTheBoxAndTheNextTickStartsFresh()
    {
        box()->setChecked(true);
        QPointer<frmRealtime> first = preview();
        button("cmd2")->click();
        first->close();
        QVERIFY(!box()->isChecked());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!first);
        box()->setChecked(true);
        QVERIFY(preview()->isVisible());
        QCOMPARE(preview()->pictureAreaSize(), m_canvas.size());
        QVERIFY(!button("cmd1")->isEnabled());
    }

    void followsTheQualityWhileVisibleAndCatchesUpWhenTickedAgain()
    {
        box()->setChecked(true);
        const QImage standard = preview()->picture();
        setQuality(QStringLiteral("1"));
        QVERIFY(sizesShown(*m_page));
        QVERIFY(preview()->picture() != standard);
        QCOMPARE(preview()->picture(), workFile());

        box()->setChecked(false);
        const QImage lowest = preview()->picture();
        setQuality(QStringLiteral("10"));
        QVERIFY(sizesShown(*m_page));
        QCOMPARE(preview()->picture(), lowest);  // a hidden preview is not refreshed
        box()->setChecked(true);
        QCOMPARE(preview()->picture(), workFile());
        QVERIFY(preview()->picture() != lowest);
    }

    void aMissingWorkFileLeavesAnEmptyUsablePreview()
    {
        QVERIFY(QFile::remove(m_work.filePath(QStringLiteral("temp.jpg"))));
        box()->setChecked(true);
        QVERIFY(preview()->isVisible());
        QVERIFY(preview()->picture().isNull());
        button("cmd2")->click();
        QCOMPARE(preview()->pictureAreaSize(), m_canvas.size() * 2);
    }
};

QTEST_MAIN(RealtimePreviewTest)
#include "test_realtime_preview.moc"
