#pragma once

#include "catalogue/CatalogueReader.h"

#include <QString>
#include <optional>

class SettingsFile;

// The carriers, their catalogue files, and the stored choice of the selection dialog.
namespace mdlSize {

inline constexpr int kCarrierCount = 4;

// "DoCoMo", "au", "vodafone", "TU-KA" for positions 0..3; empty for any other.
QString carrierName(int carrier);

// The carrier's catalogue relative to the program folder ("dll/au.csv"); empty for
// a position outside 0..3.
QString cataloguePath(int carrier);

// The catalogue of one carrier, read from programFolder + cataloguePath(carrier).
CatalogueLoad LoadCatalogue(int carrier, const QString& programFolder);

// The seven values of section "Size", each a number or nothing (missing, empty or
// not a number; a value with a fraction is rounded half to even).
struct StoredChoice
{
    std::optional<int> maker;
    std::optional<int> model;
    std::optional<int> height;
    std::optional<int> width;
    std::optional<int> fileSize;
    std::optional<int> windowStyle;
    std::optional<int> skip;
};

StoredChoice LoadModelSettings(const SettingsFile& settings);

// Writes the choice: Maker, Model, Height, Width, FileSize (the last three the
// model's position, as the size lists follow the model), WindowStyle and Skip.
void SaveModelSettings(SettingsFile& settings, int carrier, int model, int windowStyle, bool skip);

}  // namespace mdlSize
