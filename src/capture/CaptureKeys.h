#pragma once

#include <QKeyEvent>

namespace capturekeys {

// The key that takes the capture: Enter on the main keyboard or the keypad.
inline bool isEnter(const QKeyEvent* event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

}  // namespace capturekeys
