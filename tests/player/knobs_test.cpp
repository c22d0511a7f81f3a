#include "player/knobs.h"

#include <gtest/gtest.h>
#include <set>

namespace lumiqo {
namespace {

TEST(VolumeKnob, TrackEndsGiveFullAndNoVolume) {
  // The far right pixel of the 750-twip track: the knob is pulled back by its width.
  const VolumeClick right = clickVolumeTrack(750 - 15);
  EXPECT_FLOAT_EQ(right.volume, 1.0f);
  EXPECT_DOUBLE_EQ(right.left, 5880 + 735 - 150);
  const VolumeClick left = clickVolumeTrack(0);
  EXPECT_FLOAT_EQ(left.volume, 0.0f);
  EXPECT_DOUBLE_EQ(left.left, 5880);
  // Up to the point where the knob would leave the track it lands where clicked.
  EXPECT_DOUBLE_EQ(clickVolumeTrack(600).left, 6480);
  EXPECT_DOUBLE_EQ(clickVolumeTrack(615).left, 6345);
}

TEST(VolumeKnob, ElevenValuesSixtyOneAndAHalfTwipsApart) {
  std::set<int> tenths;
  for (double left = 5700; left <= 6700; left += 0.25)
    tenths.insert(static_cast<int>(volumeFromKnobLeft(left) * 10 + 0.5f));
  EXPECT_EQ(tenths.size(), 11u);
  EXPECT_EQ(*tenths.begin(), 0);
  EXPECT_EQ(*tenths.rbegin(), 10);
  // Steps change half-way between the values: 30.75 twips, then every 61.5.
  for (int k = 0; k < 10; ++k) {
    const double edge = 5880 + 30.75 + 61.5 * k;
    EXPECT_NEAR(volumeFromKnobLeft(edge - 0.01), k / 10.0, 1e-6) << k;
    EXPECT_NEAR(volumeFromKnobLeft(edge + 0.01), (k + 1) / 10.0, 1e-6) << k;
  }
}

TEST(VolumeKnob, DragFollowsMouseAndIsHeldInRange) {
  // The knob stands at 6450 after start-up; a drag to the right clamps at 6495 and sets 1.0.
  VolumeDrag d = dragVolumeKnob(6450, 75, 75 + 300);
  EXPECT_DOUBLE_EQ(d.left, 6495);
  ASSERT_TRUE(d.volume);
  EXPECT_FLOAT_EQ(*d.volume, 1.0f);
  d = dragVolumeKnob(6000, 75, 75 - 500);
  EXPECT_DOUBLE_EQ(d.left, 5880);
  ASSERT_TRUE(d.volume);
  EXPECT_FLOAT_EQ(*d.volume, 0.0f);
  d = dragVolumeKnob(6000, 30, 60);
  EXPECT_DOUBLE_EQ(d.left, 6030);
  EXPECT_FLOAT_EQ(*d.volume, 0.2f);
  // A knob outside its range (left there by a track click) does not follow, nor set the
  // volume, but is pulled back into range.
  d = dragVolumeKnob(6510, 0, 45);
  EXPECT_FALSE(d.volume);
  EXPECT_DOUBLE_EQ(d.left, 6495);
}

TEST(SeekKnob, DragIsClampedAndProgressRunsPastTheDragBound) {
  EXPECT_DOUBLE_EQ(dragSeekKnob(2505, 10, 1000), 3495);
  EXPECT_DOUBLE_EQ(dragSeekKnob(4400, 10, 1000), 4500);
  EXPECT_DOUBLE_EQ(dragSeekKnob(2600, 10, -1000), 2505);
  // Beyond the drag bound (the end of a song) the knob does not follow the mouse.
  EXPECT_DOUBLE_EQ(dragSeekKnob(4545, 0, -300), 4500);

  EXPECT_DOUBLE_EQ(*seekKnobLeftFor(0, 185), 2505);
  EXPECT_DOUBLE_EQ(*seekKnobLeftFor(185, 185), 4545);
  EXPECT_DOUBLE_EQ(*seekKnobLeftFor(50, 100), 3525);
  EXPECT_FALSE(seekKnobLeftFor(12, 0));
}

} // namespace
} // namespace lumiqo
