#pragma once

#include <QString>

// The carrier and model the whole program works for. The sizes come from the
// catalogue, checked there; 0 until a model is chosen.
struct PhoneModel
{
    int carrier = -1;  // position 0..3 in the carrier list, -1 until chosen
    QString carrierName;
    int model = -1;  // position in the carrier's catalogue, -1 until chosen
    QString modelName;
    int height = 0;       // screen height in pixels
    int width = 0;        // screen width in pixels
    int fileSize = 0;     // largest accepted file, bytes
    QString sizeLimitKB;  // fileSize in kilobytes (1000 bytes), one decimal, truncated
};
