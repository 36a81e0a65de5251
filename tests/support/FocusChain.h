#pragma once

#include <QStringList>
#include <QWidget>

// The object names of the widgets that Tab visits, starting at `first`.
inline QStringList tabOrder(QWidget* first, int count)
{
    QStringList names;
    QWidget* w = first;
    while (w && names.size() < count) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled()) {
            names.append(w->objectName());
        }
        w = w->nextInFocusChain();
        if (w == first) {
            break;
        }
    }
    return names;
}
