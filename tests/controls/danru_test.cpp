// The fade: the alphas it applies and reports, when it stops, and what a step of 0 does.
#include "controls/danru.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <limits>
#include <set>

namespace lumiqo {
namespace {

class DanruTest : public ::testing::Test {
protected:
  // Runs the fade until its timer stops (the test fails when it never does) and returns the
  // alphas it reported.
  std::vector<int> runToEnd() {
    EXPECT_TRUE(QTest::qWaitFor([this] { return !fade.running(); }, 10000));
    return reported;
  }
  void SetUp() override {
    QObject::connect(&fade, &danru::FadeStep, [this](int alpha) {
      reported.push_back(alpha);
      opacityAtEvent.push_back(window.windowOpacity());
    });
  }

  QWidget window;
  danru fade;
  std::vector<int> reported;
  std::vector<double> opacityAtEvent;
};

TEST_F(DanruTest, FadeInTakesNineStepsAndAppliesEachBeforeReportingIt) {
  fade.begin(&window, 255, 0, 255, 32);
  EXPECT_TRUE(fade.running());
  EXPECT_EQ(runToEnd(), (std::vector<int>{0, 32, 64, 96, 128, 160, 192, 224, 255}));
  for (std::size_t i = 0; i < reported.size(); ++i)
    EXPECT_NEAR(opacityAtEvent[i], reported[i] / 255.0, 0.5 / 255) << i;
  EXPECT_EQ(window.windowOpacity(), 1.0);
  EXPECT_EQ(fade.current(), 288);
}

TEST_F(DanruTest, FadeOutTakesNineStepsDownToZero) {
  QWidget child(&window); // a control's window fades the whole top-level window
  fade.begin(&child, 255, 255, 0, -32);
  EXPECT_EQ(runToEnd(), (std::vector<int>{255, 223, 191, 159, 127, 95, 63, 31, 0}));
  EXPECT_EQ(window.windowOpacity(), 0.0);
  EXPECT_EQ(fade.keyColour(), 255u);
}

TEST_F(DanruTest, AStepOfZeroRepeatsTheStartUntilStopped) {
  fade.begin(&window, 255, 100, 0, 0);
  ASSERT_TRUE(QTest::qWaitFor([this] { return reported.size() >= 4; }, 10000));
  EXPECT_TRUE(fade.running());
  fade.stop();
  EXPECT_EQ(std::set<int>(reported.begin(), reported.end()), std::set<int>{100});
  EXPECT_NEAR(window.windowOpacity(), 100 / 255.0, 0.5 / 255);
}

TEST_F(DanruTest, ABeginDuringAFadeGoesOnFromTheNewStart) {
  fade.begin(&window, 255, 0, 255, 32);
  ASSERT_TRUE(QTest::qWaitFor([this] { return reported.size() >= 2; }, 10000));
  fade.begin(&window, 255, 255, 0, -128);
  const std::vector<int> all = runToEnd();
  const std::vector<int> tail(all.end() - 3, all.end());
  EXPECT_EQ(tail, (std::vector<int>{255, 127, 0}));
}

TEST_F(DanruTest, AFadeStartedFromTheEventBeginsAtItsOwnStart) {
  bool restarted = false;
  QObject::connect(&fade, &danru::FadeStep, [&](int alpha) {
    if (alpha == 255 && !restarted) {
      restarted = true;
      fade.begin(&window, 255, 255, 0, -255);
    }
  });
  fade.begin(&window, 255, 200, 255, 100);
  EXPECT_EQ(runToEnd(), (std::vector<int>{200, 255, 255, 0}));
}

TEST_F(DanruTest, ValuesOutsideTheAlphaRangeAreClampedAndNeverWrap) {
  const int most = std::numeric_limits<std::int32_t>::max();
  fade.begin(&window, 255, -500, most, most);
  EXPECT_EQ(runToEnd(), (std::vector<int>{0, 255, 255}));
  EXPECT_EQ(fade.current(), most);
}

} // namespace
} // namespace lumiqo
