#pragma once

#include <QString>

// The carrier and model the whole program works for. Screen sizes and the limit
// are kept as the catalogue's own texts; each reader converts them where it uses them.
struct PhoneModel
{
    int carrier = -1;  // position 0..3 in the carrier list, -1 until chosen
    QString carrierName;
    int model = -1;  // position in the carrier's catalogue, -1 until chosen
    QString modelName;
    QString height;       // screen height in pixels
    QString width;        // screen width in pixels
    QString fileSize;     // largest accepted file, bytes
    QString sizeLimitKB;  // fileSize in kilobytes (1000 bytes), one decimal, truncated
};
