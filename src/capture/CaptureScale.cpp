#include "capture/CaptureScale.h"

#include "common/Numbers.h"

#include <algorithm>
#include <limits>

namespace {

constexpr long long kIntMax = std::numeric_limits<int>::max();

int clampToInt(long long value)
{
    return static_cast<int>(std::clamp<long long>(value, -kIntMax, kIntMax));
}

int scaled(int work, const CaptureScale& scale)
{
    return clampToInt(
        numbers::divTrunc(static_cast<long long>(work) * scale.shrinkValue, scale.enlargeValue));
}

}  // namespace

int CaptureScale::captureHeight(const CaptureSize& size) const
{
    return scaled(size.workHeight, *this);
}

int CaptureScale::captureWidth(const CaptureSize& size) const
{
    return scaled(size.workWidth, *this);
}

namespace capturescale {

std::optional<CaptureSize> workingSize(const PhoneModel& phone)
{
    if (phone.height <= 0 || phone.width <= 0) {
        return std::nullopt;
    }
    const long long height = phone.height;
    const long long width = phone.width;
    const bool doubled = height < kMinHeight || width < kMinWidth;
    const long long factor = doubled ? 2 : 1;
    return CaptureSize{doubled, clampToInt(height * factor), clampToInt(width * factor)};
}

ConfirmDecision decideConfirm(const PhoneModel& phone, const CaptureSize& current,
                              const CaptureScale& scale)
{
    ConfirmDecision decision;
    const std::optional<CaptureSize> working = workingSize(phone);
    decision.modelMissing = !working;
    decision.size = working.value_or(current);

    const CaptureSize& size = decision.size;
    if (size.workHeight < kMinHeight) {
        return decision;
    }
    if (scale.captureHeight(size) < kMinHeight) {
        decision.outcome = ConfirmDecision::Outcome::ScaleUnusable;
        return decision;
    }
    if (size.workWidth < kMinWidth) {
        return decision;
    }
    if (scale.captureWidth(size) < kMinWidth) {
        decision.outcome = ConfirmDecision::Outcome::ScaleUnusable;
        return decision;
    }
    decision.outcome = ConfirmDecision::Outcome::StartLiveCapture;
    return decision;
}

}  // namespace capturescale
