#pragma once
// The program's pseudo-random sequence: a 24-bit linear congruential generator started from
// a fixed seed and never reseeded, so every run draws the same values in the same order.

#include <cstdint>

namespace lumiqo {

class RandomSequence {
public:
  // The next value in [0, 1).
  double next();

private:
  std::uint32_t state_ = 0x50000;
};

} // namespace lumiqo
