#include "layout/Numbers.h"

#include <cmath>
#include <limits>

namespace layout {

bool StoreInteger16(double value, std::int16_t& member) noexcept {
  if (!std::isfinite(value)) return false;
  // nearbyint follows the default rounding mode: to nearest, ties to even.
  const double rounded = std::nearbyint(value);
  if (rounded < std::numeric_limits<std::int16_t>::min() ||
      rounded > std::numeric_limits<std::int16_t>::max())
    return false;
  member = static_cast<std::int16_t>(rounded);
  return true;
}

float ToSingle(double value) noexcept {
  constexpr double kMax = std::numeric_limits<float>::max();
  if (std::isnan(value)) return std::numeric_limits<float>::quiet_NaN();
  if (value > kMax) return std::numeric_limits<float>::infinity();
  if (value < -kMax) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(value);
}

}  // namespace layout
