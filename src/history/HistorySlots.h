#pragma once

#include <QString>
#include <array>
#include <optional>

// The eight places of the history: which hold a saved file, and its path. A new
// file takes the first free place; nothing ever moves.
class HistorySlots
{
public:
    static constexpr int kCount = 8;

    // The lowest-numbered free place (0 for slot 1), or nothing when all are taken.
    std::optional<int> firstFree() const;
    bool isFree(int index) const;
    const QString& path(int index) const;

    // The place now shows the file at `path`.
    void take(int index, const QString& path);
    // Every place free and without a path; the files themselves stay where they are.
    void clear();

private:
    struct Place
    {
        bool taken = false;
        QString path;
    };
    std::array<Place, kCount> m_places{};
};
