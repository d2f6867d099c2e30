#include "layout/Twips.h"

#include <cmath>
#include <limits>

namespace layout {

int TwipsToPixels(double twips, double dotsPerInch) noexcept {
  const double pixels = std::round(twips * dotsPerInch / kTwipsPerInch);
  if (std::isnan(pixels)) return 0;
  if (pixels >= std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (pixels <= std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(pixels);
}

double PixelsToTwips(int pixels, double dotsPerInch) noexcept {
  return pixels * kTwipsPerInch / dotsPerInch;
}

}  // namespace layout
