#pragma once

// Window-frame corrections, in twips, for the desktop window style the user chose.
struct FrameOffsets
{
    int windowStyle = 0;  // 0 classic, 1 Windows XP
    int loupeExtraHeight = 0;
    int previewExtraHeight = 0;
    int cutTop = 0;
    int cutLeft = 0;

    static constexpr int kClassic = 0;
    static constexpr int kWindowsXp = 1;

    // The corrections of one style; any style but classic counts as Windows XP.
    static constexpr FrameOffsets forStyle(int style)
    {
        if (style == kClassic) {
            return FrameOffsets{};
        }
        return FrameOffsets{kWindowsXp, 110, 100, 100, 10};
    }

    friend bool operator==(const FrameOffsets&, const FrameOffsets&) = default;
};
