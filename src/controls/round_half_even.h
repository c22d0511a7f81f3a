#pragma once
#include <climits>
#include <cmath>

namespace lumiqo {

// The nearest whole number, halves going to the even one (2.5 -> 2, 3.5 -> 4), as the
// controls' geometry rounds. Values beyond the int range are held at its ends; NaN is 0.
inline int roundHalfEven(double x) {
  if (std::isnan(x))
    return 0;
  const double down = std::floor(x);
  const double diff = x - down;
  double r = down;
  if (diff > 0.5 || (diff == 0.5 && std::fmod(down, 2.0) != 0))
    r = down + 1;
  if (r <= static_cast<double>(INT_MIN))
    return INT_MIN;
  if (r >= static_cast<double>(INT_MAX))
    return INT_MAX;
  return static_cast<int>(r);
}

} // namespace lumiqo
