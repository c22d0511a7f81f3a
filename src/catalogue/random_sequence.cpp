#include "catalogue/random_sequence.h"

namespace lumiqo {

double RandomSequence::next() {
  state_ = (state_ * 1140671485u + 12820163u) & 0xFFFFFFu;
  return state_ / 16777216.0;
}

} // namespace lumiqo
