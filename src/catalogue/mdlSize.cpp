#include "catalogue/mdlSize.h"

#include "app/mdlIni.h"
#include "common/Numbers.h"

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

void SaveModelSettings(SettingsFile& settings, int carrier, int model, int windowStyle, bool skip)
{
    const QString modelText = QString::number(model);
    settings.WriteIni(kSection, u"Maker", QString::number(carrier));
    settings.WriteIni(kSection, u"Model", modelText);
    settings.WriteIni(kSection, u"Height", modelText);
    settings.WriteIni(kSection, u"Width", modelText);
    settings.WriteIni(kSection, u"FileSize", modelText);
    settings.WriteIni(kSection, u"WindowStyle", QString::number(windowStyle));
    settings.WriteIni(kSection, u"Skip", skip ? QStringLiteral("1") : QStringLiteral("0"));
}

}  // namespace mdlSize
