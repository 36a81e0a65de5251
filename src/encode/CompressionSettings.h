#pragma once

#include <QString>

// The compression the user chose in the main window; it lasts for one main window.
struct CompressionSettings
{
    QString jpegLevel = QStringLiteral("5");  // the quality text, level 1..10
    int jpegPreset = 1;
    bool jpegProgressive = false;
    int pngLevel = 0;  // 0 standard, 1 low compression (fast), 2 high compression (slow)
    bool jpegEstimateOn = false;
    bool pngEstimateOn = false;
};
