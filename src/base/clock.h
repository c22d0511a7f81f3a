#pragma once
#include <chrono>

namespace lumiqo {

// Seconds from a monotonic clock with sub-millisecond resolution.
inline double ClockSeconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace lumiqo
