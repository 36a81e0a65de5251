#pragma once

#include "common/CaptureSize.h"
#include "common/PhoneModel.h"

#include <optional>

// How the captured desktop area relates to the working size: shrink (the area is
// larger, a factor 1/N) or enlarge (the area is smaller, N times). Values are
// hundredths; at most one of them differs from 100.
struct CaptureScale
{
    enum class Mode { Shrink, Enlarge };

    bool scalingEnabled = true;
    Mode mode = Mode::Shrink;
    int shrinkValue = 100;   // 100..1000
    int enlargeValue = 100;  // 100..200

    static constexpr int kMinValue = 100;
    static constexpr int kMaxShrink = 1000;
    static constexpr int kMaxEnlarge = 200;

    // The desktop area under the loupe's hole, in pixels (division truncating).
    int captureHeight(const CaptureSize& size) const;
    int captureWidth(const CaptureSize& size) const;

    friend bool operator==(const CaptureScale&, const CaptureScale&) = default;
};

// What the confirm button is to do with the chosen model and scale.
struct ConfirmDecision
{
    enum class Outcome {
        Nothing,          // working size too small (or no model ever chosen): no message
        ScaleUnusable,    // the capture area would be too small for the factor
        StartLiveCapture  // everything fits
    };

    bool modelMissing = false;  // show "機種を選択してください。" first
    CaptureSize size;           // the working size to keep from now on
    Outcome outcome = Outcome::Nothing;
};

namespace capturescale {

inline constexpr int kMinHeight = 115;
inline constexpr int kMinWidth = 30;

// The working size for a model: its screen, doubled below 115 high or 30 wide.
// Nothing when no model is chosen (height or width 0).
std::optional<CaptureSize> workingSize(const PhoneModel& phone);

// The confirm's checks, in order, on the model, the working size held so far and the scale.
ConfirmDecision decideConfirm(const PhoneModel& phone, const CaptureSize& current,
                              const CaptureScale& scale);

}  // namespace capturescale
