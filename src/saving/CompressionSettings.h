#pragma once

#include <QString>
#include <QtGlobal>

// The compression the user chose in the main window; it lasts for one main window.
struct CompressionSettings
{
    QString jpegLevel = QStringLiteral("5");  // the quality text, level 1..10
    int jpegPreset = 1;
    bool jpegProgressive = false;
    bool jpegFullChroma = false;  // 4:4:4, chosen only by fitting to the limit
    int jpegQuarters = 0;         // quarter steps toward the next quality, the same
    int pngLevel = 0;             // 0 standard, 1 low compression (fast), 2 high compression (slow)
    bool pngReduceColours = false;  // lossy palette of at most 256 colours
    qint64 sizeLimitBytes = 0;  // the largest file shown within the model's limit; 0 when unknown
    bool jpegEstimateOn = false;
    bool pngEstimateOn = false;
};
