#pragma once

#include "saving/CompressionSettings.h"

#include <QByteArray>
#include <QImage>
#include <QtGlobal>
#include <optional>
#include <vector>

// The files the saving page's estimates have made of the newest canvas, by their
// settings: settings made before (a tick undone, a level chosen again, the fit's
// answer, the colour reduction made ahead) find their file at once. A canvas asked
// about anew makes room for its own files; files of any other canvas are not kept.
class KeptFiles
{
public:
    struct Key
    {
        qint64 canvas = 0;
        int level = -1;      // JPEG quality, or PNG choice
        bool flag = false;   // progressive JPEG, or colour reduction
        bool other = false;  // 4:4:4 JPEG
        qint64 limit = 0;    // the reduction's aim
        int quarters = 0;    // JPEG quarter steps beyond the quality
        bool operator==(const Key&) const = default;
    };
    // A file made for `key` (nothing: it could not be made).
    struct Made
    {
        Key key;
        std::optional<QByteArray> file;
    };

    // The key of the JPEG and of the PNG file `settings` make of `canvas`.
    static Key jpegKey(const QImage& canvas, const CompressionSettings& settings);
    static Key pngKey(const QImage& canvas, const CompressionSettings& settings);

    // The canvas asked about now; the files of another one go.
    void setCanvas(qint64 canvas);
    qint64 canvas() const { return m_canvas; }
    // Keeps `made` when it is of the canvas asked about.
    void keep(const Made& made);
    // The file kept for `key`, if one is.
    const Made* find(const Key& key) const;

private:
    static constexpr std::size_t kMost = 24;  // JPEG files at the limit are small
    qint64 m_canvas = 0;
    std::vector<Made> m_made;  // the oldest first
};
