#pragma once

#include "saving/CompressionPage.h"

#include <QSignalSpy>
#include <QWidget>

// Serves events until every size field of the window shows its newest figure, the
// results arriving as they do in the program (by queued calls from the pool).
inline bool sizesShown(QWidget& window)
{
    auto* page = qobject_cast<CompressionPage*>(&window);
    page = page ? page : window.findChild<CompressionPage*>();
    if (!page) {
        return false;
    }
    QSignalSpy shown(page, &CompressionPage::sizeShown);
    while (page->estimating()) {
        if (!shown.wait(30000)) {
            return false;
        }
    }
    return true;
}
