#pragma once

// The working size of a live capture, in pixels: the phone's screen, doubled
// for very small screens.
struct CaptureSize
{
    bool doubled = false;
    int workHeight = 0;
    int workWidth = 0;

    friend bool operator==(const CaptureSize&, const CaptureSize&) = default;
};
