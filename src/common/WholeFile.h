#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <optional>

namespace wholefile {

// Whether a replacement waits until the new file is on the disk.
enum class Sync {
    ToDisk,  // survives a power failure: saves, settings
    Later,   // left to the system: files rewritten often, that a crash may lose
};

// Replaces the file at `path` with `bytes` in one step: they go to a new file beside it,
// which takes the name only once every byte has reached it. On failure the old file is
// untouched and nothing is left behind. `permissions`, when given, are the new file's
// before it takes the name. NoError, or what failed.
QFileDevice::FileError replace(const QString& path, const QByteArray& bytes,
                               Sync sync = Sync::ToDisk,
                               std::optional<QFileDevice::Permissions> permissions = {});

}  // namespace wholefile
