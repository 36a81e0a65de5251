#include "catalogue/mdlSize.h"

#include "common/Numbers.h"
#include "platform/mdlIni.h"

#include <QDir>
#include <QFileInfo>
#include <array>
#include <limits>

namespace mdlSize {
namespace {

struct CarrierInfo
{
    const char16_t* name;
    const char16_t* file;
};

constexpr std::array<CarrierInfo, kCarrierCount> kCarriers{{
    {u"DoCoMo", u"dll/docomo.csv"},
    {u"au", u"dll/au.csv"},
    {u"vodafone", u"dll/vodafone.csv"},
    {u"TU-KA", u"dll/tu-ka.csv"},
}};

constexpr char16_t kSection[] = u"Size";

std::optional<int> storedNumber(const SettingsFile& settings, QStringView key)
{
    const std::optional<double> value = numbers::exactValue(settings.ReadIni(kSection, key));
    if (!value) {
        return std::nullopt;
    }
    const long long rounded = numbers::roundHalfEven(*value);
    if (rounded < std::numeric_limits<int>::min() || rounded > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(rounded);
}

}  // namespace

QString carrierName(int carrier)
{
    if (carrier < 0 || carrier >= kCarrierCount) {
        return {};
    }
    return QString::fromUtf16(kCarriers[static_cast<size_t>(carrier)].name);
}

QString cataloguePath(int carrier)
{
    if (carrier < 0 || carrier >= kCarrierCount) {
        return {};
    }
    return QString::fromUtf16(kCarriers[static_cast<size_t>(carrier)].file);
}

CatalogueLoad LoadCatalogue(int carrier, const QString& programFolder)
{
    const QString relative = cataloguePath(carrier);
    if (relative.isEmpty()) {
        return {};
    }
    return loadCatalogueFile(programFolder + relative);
}

StoredChoice LoadModelSettings(const SettingsFile& settings)
{
    StoredChoice choice;
    choice.maker = storedNumber(settings, u"Maker");
    choice.model = storedNumber(settings, u"Model");
    choice.height = storedNumber(settings, u"Height");
    choice.width = storedNumber(settings, u"Width");
    choice.fileSize = storedNumber(settings, u"FileSize");
    choice.windowStyle = storedNumber(settings, u"WindowStyle");
    choice.skip = storedNumber(settings, u"Skip");
    return choice;
}

int storedCarrier(const StoredChoice& stored)
{
    return stored.maker && *stored.maker >= 0 && *stored.maker < kCarrierCount ? *stored.maker : -1;
}

StartPlan planStart(const StoredChoice& stored, const QList<CatalogueEntry>& catalogue,
                    bool catalogueProblem)
{
    StartPlan plan;
    plan.carrier = storedCarrier(stored);
    // The size positions always follow the model; stored positions for them that
    // differ from the model's are not applied, so a hand-edited file cannot pair
    // one model with another line's sizes.
    if (plan.carrier >= 0 && stored.model && *stored.model >= 0 &&
        *stored.model < catalogue.size()) {
        plan.model = *stored.model;
    }
    if (stored.windowStyle == 0 || stored.windowStyle == 1) {
        plan.windowStyle = *stored.windowStyle;
    }
    plan.skip = stored.skip == 1;
    if (!plan.skip) {
        return plan;
    }
    const bool usable =
        plan.model >= 0 && canGoOn(carrierName(plan.carrier), catalogue.at(plan.model).modelName);
    if (!usable) {
        plan.then = StartPlan::Then::ExplainAndShow;
    } else if (!catalogueProblem) {
        plan.then = StartPlan::Then::GoOn;
    }
    return plan;
}

bool canGoOn(const QString& carrierText, const QString& modelText)
{
    return !carrierText.isEmpty() && !modelText.isEmpty();
}

bool SaveModelSettings(SettingsFile& settings, int carrier, int model, int windowStyle, bool skip)
{
    if (!QDir().mkpath(QFileInfo(settings.path()).absolutePath())) {
        return false;
    }
    const QString carrierText = QString::number(carrier);
    const QString modelText = QString::number(model);
    const QString styleText = QString::number(windowStyle);
    // One replacement of the file: a failure part-way never leaves a mixed choice.
    return settings.WriteIni(kSection, {{u"Maker", carrierText},
                                        {u"Model", modelText},
                                        {u"Height", modelText},
                                        {u"Width", modelText},
                                        {u"FileSize", modelText},
                                        {u"WindowStyle", styleText},
                                        {u"Skip", skip ? u"1" : u"0"}});
}

}  // namespace mdlSize
