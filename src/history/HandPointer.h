#pragma once

#include <QCursor>
#include <QString>

namespace handpointer {

// The pointer of the history thumbnails: the icon in the file `icoPath` with its hot
// spot at the fingertip, or the standard pointing hand when the file is missing or
// cannot be read.
QCursor load(const QString& icoPath);

}  // namespace handpointer
