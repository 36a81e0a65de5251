#include "saving/mdlPng.h"

#include "saving/mdlSavedll.h"

#include <QFile>
#include <new>

namespace mdlPng {

QImage LoadPngPicture(const QString& path)
{
    if (path.isEmpty()) {
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    try {
        return mdlSavedll::decodePng(file.readAll());
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace mdlPng
