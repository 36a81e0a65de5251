#pragma once

#include "wayland/WaylandDesk.h"

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <cmath>
#include <optional>

// Scales the test desktop's one 1280 x 1024 output by a fraction and back: sway takes
// any scale; mutter offers the scales that give whole logical sizes, fractional ones
// once its framebuffer scaling is switched on (as Ubuntu's and Fedora's settings do).
namespace waylanddesk {

namespace detail {

// The program's output; nothing when it failed.
inline std::optional<QString> run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000) || process.exitCode() != 0) {
        return std::nullopt;
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline const QStringList& displayConfig()
{
    static const QStringList call = {
        QStringLiteral("call"),          QStringLiteral("--session"),
        QStringLiteral("--dest"),        QStringLiteral("org.gnome.Mutter.DisplayConfig"),
        QStringLiteral("--object-path"), QStringLiteral("/org/gnome/Mutter/DisplayConfig"),
        QStringLiteral("--method")};
    return call;
}

// Gives mutter's monitor the offered scale nearest `wanted`; that scale, 0 on failure.
inline double applyGnomeScale(double wanted)
{
    const QString state =
        run(QStringLiteral("gdbus"),
            displayConfig() +
                QStringList{QStringLiteral("org.gnome.Mutter.DisplayConfig.GetCurrentState")})
            .value_or(QString());
    const auto serial = QRegularExpression(QStringLiteral("^\\(uint32 (\\d+),")).match(state);
    const auto mode =
        QRegularExpression(QStringLiteral("\\('([0-9x@.]+)', \\d+, \\d+, [0-9.]+, [0-9.]+, "
                                          "\\[([0-9., ]+)\\], \\{'is-current': <true>"))
            .match(state);
    if (!serial.hasMatch() || !mode.hasMatch()) {
        return 0;
    }
    double nearest = 0;
    for (const QString& offered : mode.captured(2).split(QStringLiteral(", "))) {
        const double scale = offered.toDouble();
        if (std::abs(scale - wanted) < std::abs(nearest - wanted)) {
            nearest = scale;
        }
    }
    const QString monitors = QStringLiteral("[(0, 0, %1, 0, true, [('Meta-0', '%2', @a{sv} {})])]")
                                 .arg(nearest, 0, 'f', 16)
                                 .arg(mode.captured(1));
    const QStringList apply = {QStringLiteral("org.gnome.Mutter.DisplayConfig.ApplyMonitorsConfig"),
                               serial.captured(1), QStringLiteral("1"), monitors,
                               QStringLiteral("@a{sv} {}")};
    return run(QStringLiteral("gdbus"), displayConfig() + apply) ? nearest : 0;
}

inline bool setMutterFeatures(const QString& list)
{
    return run(QStringLiteral("gsettings"),
               {QStringLiteral("set"), QStringLiteral("org.gnome.mutter"),
                QStringLiteral("experimental-features"), list})
        .has_value();
}

}  // namespace detail

// Scales the output by about 1.5; the device pixels to a logical pixel now, 0 when
// that failed.
inline double scaleOutputByAboutHalfMore()
{
    if (!isGnome()) {
        return setOutputMode(QSize(1280, 1024), 1.5) ? 1.5 : 0;
    }
    if (!detail::setMutterFeatures(QStringLiteral("['scale-monitor-framebuffer']"))) {
        return 0;
    }
    // Mutter offers the new scales a moment after the setting has changed.
    QDeadlineTimer deadline(10000);
    double scale = 0;
    while ((scale = detail::applyGnomeScale(1.5)) == 1 && !deadline.hasExpired()) {
        serveEvents();
    }
    return scale > 1 ? scale : 0;
}

// The device pixels to a logical pixel of a window on an output of `ratio`: what the
// compositor asks for in 120ths where the toolkit takes fractions (Qt 6.5 and later; the
// test desktops' compositors offer it on Debian 13), else the whole scale above it.
inline double windowRatio(double ratio)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    return std::round(ratio * 120) / 120;
#else
    return std::ceil(ratio);
#endif
}

inline void unscaleOutput()
{
    if (!isGnome()) {
        setOutputMode(QSize(1280, 1024));
        return;
    }
    // Switching the framebuffer scaling off brings back the last fractional scale.
    detail::setMutterFeatures(QStringLiteral("[]"));
    serveEvents();
    detail::applyGnomeScale(1);
}

}  // namespace waylanddesk
