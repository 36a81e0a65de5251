#pragma once

#include "common/CaptureSize.h"
#include "common/FrameOffsets.h"
#include "common/PhoneModel.h"

// The program-wide choice: held by the selection dialog for the whole run and
// read by the capture windows and the main window.
struct SelectionState
{
    PhoneModel phone;
    FrameOffsets frame;
    CaptureSize capture;
};
