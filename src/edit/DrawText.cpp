#include "edit/DrawText.h"

#include "common/Numbers.h"
#include "edit/EditImages.h"
#include "edit/frmDrawText.h"

#include <algorithm>

namespace textsize {
namespace {

std::optional<double> valueInRange(QStringView sizeText)
{
    const std::optional<double> value = numbers::exactValue(sizeText);
    if (!value || *value < kMinimum || *value > kMaximum) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<int> upDownValueFor(QStringView sizeText)
{
    const std::optional<double> value = valueInRange(sizeText);
    if (!value) {
        return std::nullopt;
    }
    return static_cast<int>(numbers::roundHalfEven(*value));
}

float pointSize(QStringView sizeText, int upDownValue)
{
    const std::optional<double> value = valueInRange(sizeText);
    if (value) {
        return static_cast<float>(*value);
    }
    return static_cast<float>(std::clamp(upDownValue, kMinimum, kMaximum));
}

}  // namespace textsize

DrawText::DrawText(EditImages& images) : m_images(images), m_form(std::make_unique<frmDrawText>())
{
    settings.font.name = QString::fromUtf16(TextSurface::kFallbackFamily);
}

DrawText::~DrawText() = default;

void DrawText::setLogicalDpi(int dpi)
{
    m_form->surface().setLogicalDpi(dpi);
}

void DrawText::RedrawTextPreview()
{
    if (m_images.picDrawText().isNull()) {
        return;
    }
    m_images.setUndoCopy();
    m_images.canvas() = m_images.picDrawText();
    m_form->surface().receive(m_images.canvas());
    if (settings.language == TextLanguage::Japanese) {
        m_form->DrawTextJ(settings, m_images.canvas());
    } else {
        m_form->DrawTextE(settings, m_images.canvas());
    }
}

void DrawText::redrawAtNewPosition()
{
    if (!m_images.picDrawText().isNull()) {
        m_images.canvas() = m_images.picDrawText();
        m_form->surface().receive(m_images.canvas());
    }
    RedrawTextPreview();
}

void DrawText::CommitText()
{
    m_images.takeTextBase();
}
