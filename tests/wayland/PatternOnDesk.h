#pragma once

#include "support/PatternWindow.h"
#include "wayland/WaylandDesk.h"

#include <QPoint>
#include <QRect>
#include <QTest>
#include <memory>

namespace waylanddesk {

// The pattern window of known pixels (700 x 860, frameless, titled "pattern"), shown
// and put by the compositor with its top left at `at`; null when that failed.
inline std::unique_ptr<testsupport::PatternWindow> showPattern(const QPoint& at)
{
    auto pattern = std::make_unique<testsupport::PatternWindow>(QRect(0, 0, 700, 860));
    pattern->setWindowFlags(Qt::FramelessWindowHint);
    pattern->setWindowTitle(QStringLiteral("pattern"));
    pattern->setFixedSize(700, 860);
    pattern->show();
    if (!QTest::qWaitForWindowExposed(pattern.get()) ||
        !moveWindow(QStringLiteral("pattern"), at)) {
        return nullptr;
    }
    return pattern;
}

}  // namespace waylanddesk
