#pragma once

#include "jpeg/JpegBlocks.h"

#include <QSize>
#include <QtGlobal>
#include <memory>
#include <mutex>

namespace jpegwriter {

// The transforms of the last picture, for the encoders of several threads (a page's
// size estimates and its fit): what one has transformed the next takes as it is. A
// picture counts as the last one while its cache key and size are the same. Safe to use
// from any thread; the pictures it hands out are never changed.
class SharedTransforms
{
public:
    using Picture = std::shared_ptr<const jpegblocks::Picture>;

    // The transform of the picture with `key` and `size`, nothing when it is not kept.
    Picture find(qint64 key, QSize size, bool fullChroma) const;
    // Keeps `picture` as the transform of that picture; one of another picture makes
    // room for it.
    void keep(qint64 key, QSize size, bool fullChroma, Picture picture);
    // How many transforms have been kept so far.
    int kept() const;

private:
    mutable std::mutex m_mutex;
    qint64 m_key = 0;
    QSize m_size;
    Picture m_pictures[2];  // 4:2:0, 4:4:4
    int m_kept = 0;
};

}  // namespace jpegwriter
