#include "history/HistorySlots.h"

std::optional<int> HistorySlots::firstFree() const
{
    for (int index = 0; index < kCount; ++index) {
        if (isFree(index)) {
            return index;
        }
    }
    return std::nullopt;
}

bool HistorySlots::isFree(int index) const
{
    return !m_places.at(static_cast<size_t>(index)).taken;
}

const QString& HistorySlots::path(int index) const
{
    return m_places.at(static_cast<size_t>(index)).path;
}

void HistorySlots::take(int index, const QString& path)
{
    m_places.at(static_cast<size_t>(index)) = Place{true, path};
}

void HistorySlots::clear()
{
    m_places.fill(Place{});
}
