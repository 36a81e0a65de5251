#include "history/HandPointer.h"

#include <QPixmap>

namespace handpointer {

QCursor load(const QString& icoPath)
{
    const QPixmap icon(icoPath);
    if (icon.isNull()) {
        return QCursor(Qt::PointingHandCursor);
    }
    // The hand points up with its fingertip at (13, 1) of 32 x 32.
    return QCursor(icon, icon.width() * 13 / 32, icon.height() / 32);
}

}  // namespace handpointer
