#include "jpeg/SharedTransforms.h"

namespace jpegwriter {

SharedTransforms::Picture SharedTransforms::find(qint64 key, QSize size, bool fullChroma) const
{
    const std::lock_guard lock(m_mutex);
    return key == m_key && size == m_size ? m_pictures[fullChroma ? 1 : 0] : nullptr;
}

void SharedTransforms::keep(qint64 key, QSize size, bool fullChroma, Picture picture)
{
    const std::lock_guard lock(m_mutex);
    if (key != m_key || size != m_size) {
        m_key = key;
        m_size = size;
        m_pictures[0] = nullptr;
        m_pictures[1] = nullptr;
    }
    m_pictures[fullChroma ? 1 : 0] = std::move(picture);
    ++m_kept;
}

int SharedTransforms::kept() const
{
    const std::lock_guard lock(m_mutex);
    return m_kept;
}

}  // namespace jpegwriter
