// How the main window answers while it works out its figures: the real frmMain at
// 480 x 854 with a 20,000-byte limit, for a carrier that takes PNG, on a photo-like picture
// (ImageMagick's plasma:fractal, seeded), driven through the capture's estimates, the fit to the
// limit, each PNG choice, the colour reduction switched on, ten quick brightness steps and the
// return to the page "画像の確認・保存", then quality 10, a fit with the save pressed at
// once, and " 取り込んだ状態に戻す" on that page. For each step: the time from the action to its
// figure shown, and the worst lateness of a 10 ms heartbeat timer on the window's thread
// (how long the window did not answer). Offscreen unless QT_QPA_PLATFORM says otherwise.
// Nothing is asserted; the goals are printed beside the figures.
#include "app/frmMain.h"
#include "common/PhoneModel.h"
#include "platform/WorkFolder.h"
#include "support/FakeDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

QImage plasma(int width, int height)
{
    QProcess convert;
    convert.start(QStringLiteral("convert"),
                  {QStringLiteral("-seed"), QStringLiteral("1"), QStringLiteral("-size"),
                   QStringLiteral("%1x%2").arg(width).arg(height), QStringLiteral("plasma:fractal"),
                   QStringLiteral("-blur"), QStringLiteral("0x1"), QStringLiteral("png:-")});
    if (!convert.waitForFinished(60000) || convert.exitCode() != 0) {
        return {};
    }
    return QImage::fromData(convert.readAllStandardOutput(), "PNG")
        .convertToFormat(QImage::Format_RGB32);
}

// The window thread's heartbeat: how late each 10 ms tick comes, the worst since reset().
class Heartbeat
{
public:
    Heartbeat()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
        m_clock.start();
        m_timer.start();
    }
    void reset()
    {
        m_worst = 0;
        m_last = m_clock.nsecsElapsed();
    }
    double worstMs() const
    {
        // A step that ends inside a long stall counts the stall so far as well.
        return std::max(m_worst, static_cast<double>(m_clock.nsecsElapsed() - m_last) / 1e6 - 10);
    }

private:
    void tick()
    {
        const qint64 now = m_clock.nsecsElapsed();
        m_worst = std::max(m_worst, static_cast<double>(now - m_last) / 1e6 - 10);
        m_last = now;
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    double m_worst = 0;
};

struct Step
{
    const char* name;
    double figureMs;
    double worstLateMs;
};

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const QImage picture = plasma(480, 854);
    if (picture.isNull()) {
        std::puts("ImageMagick's convert is needed for the picture.");
        return 1;
    }
    QTemporaryDir work;
    WorkFolder folder({work.path() + u'/'});
    FakeDialogs dialogs;
    PhoneModel phone;
    phone.height = 854;
    phone.width = 480;
    phone.fileSize = 20000;
    phone.carrier = 1;  // takes PNG: the fit advises on it, the reduction is made ahead
    frmMain main(phone, dialogs, folder);
    main.open();
    Heartbeat heartbeat;

    auto* jpeg = main.findChild<QLabel*>(QStringLiteral("lblSizeJ"));
    auto* png = main.findChild<QLabel*>(QStringLiteral("lblSizeP"));
    auto* tabs = main.findChild<QTabWidget*>(QStringLiteral("SSTab1"));
    auto* choices = main.findChild<QComboBox*>(QStringLiteral("cmbPng"));
    auto* brightness = main.findChild<QSlider*>(QStringLiteral("Slider1_0"));
    // A field greyed waits for its figure (a window that works out its figures before it
    // answers never greys one).
    const auto shown = [](std::initializer_list<QLabel*> fields) {
        return std::all_of(fields.begin(), fields.end(),
                           [](QLabel* field) { return field->isEnabled(); });
    };
    std::vector<Step> steps;
    const auto step = [&](const char* name, const std::function<void()>& action,
                          std::initializer_list<QLabel*> fields) {
        QCoreApplication::processEvents();
        heartbeat.reset();
        QElapsedTimer clock;
        clock.start();
        action();
        while (!shown(fields)) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        const double figure = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        QCoreApplication::processEvents();
        steps.push_back({name, figure, heartbeat.worstMs()});
    };
    const auto choose = [choices](int index) {
        choices->setCurrentIndex(index);
        emit choices->activated(index);
    };
    const auto serveFor = [](int ms) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, ms);
        }
    };

    step("capture: both sizes", [&] { main.deliverCapture(picture); }, {jpeg, png});
    step("fit to the limit",
         [&] { main.findChild<QPushButton*>(QStringLiteral("cmdFit"))->click(); }, {jpeg});
    step("PNG 低圧縮率(高速圧縮)", [&] { choose(1); }, {png});
    step("PNG 高圧縮率(低速圧縮)", [&] { choose(2); }, {png});
    step("PNG 標準", [&] { choose(0); }, {png});
    step("減色する(256色以下) on",
         [&] { main.findChild<QCheckBox*>(QStringLiteral("chkReduce"))->setChecked(true); }, {png});
    step("page 色調補正", [&] { tabs->setCurrentIndex(1); }, {});
    step("ten brightness steps, 30 ms apart",
         [&] {
             for (int value = 1; value <= 10; ++value) {
                 brightness->setValue(value * 3);
                 serveFor(30);
             }
         },
         {});
    step("back to 画像の確認・保存", [&] { tabs->setCurrentIndex(0); }, {jpeg, png});
    auto* quality = main.findChild<QLineEdit*>(QStringLiteral("txtJpeg"));
    const QString fitted = quality->text();
    step("quality 10", [&] { quality->setText(QStringLiteral("10")); }, {jpeg});
    const QString saved = work.filePath(QStringLiteral("saved.jpg"));
    step("fit, then at once JPEGで保存 (waits)",
         [&] {
             dialogs.savePaths = {saved};
             main.findChild<QPushButton*>(QStringLiteral("cmdFit"))->click();
             main.findChild<QPushButton*>(QStringLiteral("cmdJpeg"))->click();
         },
         {jpeg});
    step("取り込んだ状態に戻す on the page",
         [&] { main.findChild<QPushButton*>(QStringLiteral("cmdFormat"))->click(); }, {jpeg, png});

    std::printf("%-40s %12s %14s\n", "step (480 x 854, limit 20000 bytes)", "figure ms",
                "worst late ms");
    for (const Step& s : steps) {
        std::printf("%-40s %12.1f %14.1f\n", s.name, s.figureMs, s.worstLateMs);
    }
    std::printf("fitted quality text %s, saved after the second fit %lld bytes, messages %lld\n",
                qPrintable(fitted), static_cast<long long>(QFileInfo(saved).size()),
                static_cast<long long>(dialogs.messages.size()));
    std::puts(
        "goals: worst lateness <= 50 ms in every step; the colour reduction's figure "
        "<= 300 ms; the fit's figure <= 100 ms");
    return 0;
}
