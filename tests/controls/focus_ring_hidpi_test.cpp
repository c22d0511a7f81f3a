// The focus ring on a screen of device pixel ratio 2: whole device pixels, nothing blended.
#include "controls/focus_ring_check.h"

// This program runs at twice the size; the variable is read when the test main makes the
// application.
static const bool kTwiceSize = qputenv("QT_SCALE_FACTOR", "2");

namespace lumiqo {
namespace {

TEST(FocusRingHiDpi, IsCrispAtTwiceTheSize) {
  ASSERT_TRUE(kTwiceSize);
  test::expectCrispRing();
}

} // namespace
} // namespace lumiqo
