#pragma once

// Window geometry is reckoned in twips: 1440 an inch, 15 to one logical pixel.
namespace twips {

constexpr int kPerPixel = 15;

// Pixels from twips, truncating toward zero.
constexpr int toPixels(int twips)
{
    return twips / kPerPixel;
}
constexpr int fromPixels(int pixels)
{
    return pixels * kPerPixel;
}

}  // namespace twips
