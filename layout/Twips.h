#pragma once

namespace layout {

inline constexpr double kTwipsPerInch = 1440.0;

// Conversions between twips and whole device-independent pixels at a logical DPI.
// Pixels are rounded to the nearest, halves away from zero; the result is clamped to
// what an int holds, so callers must test the range themselves when it matters.
int TwipsToPixels(double twips, double dotsPerInch) noexcept;
double PixelsToTwips(int pixels, double dotsPerInch) noexcept;

}  // namespace layout
