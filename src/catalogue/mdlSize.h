#pragma once

#include "catalogue/CatalogueReader.h"

#include <QList>
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

// The stored carrier's position, -1 when none is stored or it is not 0..3.
int storedCarrier(const StoredChoice& stored);

// What the selection dialog does when it opens.
struct StartPlan
{
    enum class Then {
        ShowDialog,      // the user chooses
        GoOn,            // skip: hand over without showing the dialog
        ExplainAndShow,  // skip without a usable choice: show the dialog, then say why
    };

    int carrier = -1;  // to select, -1 for none
    int model = -1;    // to select, -1 for none
    int windowStyle = 0;
    bool skip = false;
    Then then = Then::ShowDialog;

    friend bool operator==(const StartPlan&, const StartPlan&) = default;
};

// The start from the stored choice and the stored carrier's catalogue (its good
// entries, and whether reading it reported a problem, which the user is to see in
// the dialog before anything goes on by itself).
StartPlan planStart(const StoredChoice& stored, const QList<CatalogueEntry>& catalogue,
                    bool catalogueProblem);

// " 次へ " goes on only with a carrier and a model that have names.
bool canGoOn(const QString& carrierText, const QString& modelText);

// Writes the choice: Maker, Model, Height, Width, FileSize (the last three the
// model's position, as the size lists follow the model), WindowStyle and Skip.
// Creates the settings folder when missing. False when the folder or a value
// could not be written; the writing stops at the first failure.
bool SaveModelSettings(SettingsFile& settings, int carrier, int model, int windowStyle, bool skip);

}  // namespace mdlSize
