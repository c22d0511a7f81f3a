// The docking geometry on a fake desktop: windows are numbers with rectangles.
#include "controls/cmagneticwnd.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace lumiqo {
namespace {

using Rect = cMagneticWnd::Rect;
using Id = cMagneticWnd::WindowId;

constexpr Id kMain = 1, kLyrics = 2, kPlaylist = 3, kOther = 4;
const Rect kWorkArea{0, 0, 1280, 770}; // a panel below

struct FakeDesktop : cMagneticWnd::Platform {
  std::map<Id, Rect> rects;
  std::set<Id> maximised;
  std::map<Id, Rect> screenOf; // work area per window; kWorkArea when absent
  std::vector<std::string> log;

  bool IsLive(Id w) const override { return rects.count(w) > 0; }
  Rect WindowRect(Id w) const override { return rects.at(w); }
  bool IsMaximised(Id w) const override { return maximised.count(w) > 0; }
  Rect WorkArea(Id w) const override { return screenOf.count(w) ? screenOf.at(w) : kWorkArea; }
  void Subclass(Id w) override { log.push_back("+" + std::to_string(w)); }
  void Unsubclass(Id w) override { log.push_back("-" + std::to_string(w)); }
};

// The player's group: the lyrics window right of the main window, the playlist below it.
struct Group : ::testing::Test {
  FakeDesktop desk;
  cMagneticWnd dock{desk};

  void SetUp() override {
    desk.rects = {
        {kMain, {100, 100, 400, 220}}, {kLyrics, {400, 100, 600, 400}}, {kPlaylist, {100, 220, 400, 500}}};
    ASSERT_TRUE(dock.AddWindow(kMain));
    ASSERT_TRUE(dock.AddWindow(kLyrics, kMain));
    ASSERT_TRUE(dock.AddWindow(kPlaylist, kMain));
  }

  // A drag of `w` from its top-left corner plus (10, 5) by (dx, dy).
  cMagneticWnd::MoveResult drag(Id w, int dx, int dy) {
    const Rect r = desk.rects.at(w);
    const QPoint start(r.left + 10, r.top + 5);
    dock.EnterSizeMove(w, start);
    // The proposal's position is replaced from the cursor; give a wrong one on purpose.
    return dock.Moving(w, r.translated(-333, 77), start + QPoint(dx, dy));
  }
};

TEST_F(Group, RegistrationRefusesDuplicatesAndDeadWindowsAndSubclassesInOrder) {
  EXPECT_FALSE(dock.AddWindow(kLyrics, kMain));
  EXPECT_FALSE(dock.AddWindow(kOther)); // not a live window
  desk.rects[kOther] = {0, 0, 10, 10};
  EXPECT_FALSE(dock.AddWindow(kOther, 99)); // dead parent
  EXPECT_FALSE(dock.AddWindow(0));
  EXPECT_EQ(dock.WindowCount(), 3);
  EXPECT_EQ(desk.log, (std::vector<std::string>{"+1", "+2", "+3"}));

  EXPECT_FALSE(dock.RemoveWindow(kOther));
  EXPECT_TRUE(dock.RemoveWindow(kLyrics));
  EXPECT_FALSE(dock.RemoveWindow(kLyrics));
  EXPECT_EQ(dock.WindowCount(), 2);
  EXPECT_TRUE(dock.AddWindow(kOther, kPlaylist));
  EXPECT_EQ(desk.log.back(), "+4");
}

TEST_F(Group, RemovingAParentOrphansItsChildrenAndDestructionReleasesLastFirst) {
  EXPECT_TRUE(dock.IsGlued(kPlaylist));
  ASSERT_TRUE(dock.RemoveWindow(kMain));
  EXPECT_FALSE(dock.IsGlued(kPlaylist)); // parent 0 now: never glued
  EXPECT_FALSE(dock.IsGlued(kLyrics));

  FakeDesktop other;
  other.rects = desk.rects;
  auto scoped = std::make_unique<cMagneticWnd>(other);
  scoped->AddWindow(kMain);
  scoped->AddWindow(kPlaylist, kMain);
  scoped->AddWindow(kLyrics, kMain);
  other.log.clear();
  scoped.reset();
  EXPECT_EQ(other.log, (std::vector<std::string>{"-2", "-3", "-1"}));
}

TEST_F(Group, AWindowRegisteredAgainIsNoLongerTheParentOfWhatItLeft) {
  ASSERT_TRUE(dock.RemoveWindow(kMain));
  // Back under the same handle, still flush with both: they are orphans now, not its children.
  ASSERT_TRUE(dock.AddWindow(kMain));
  EXPECT_FALSE(dock.IsGlued(kLyrics));
  EXPECT_FALSE(dock.IsGlued(kPlaylist));
  EXPECT_TRUE(drag(kMain, 30, 0).glued.empty()) << "nothing travels with it";

  // An orphan flush with the work area's edge is glued to nothing either.
  desk.rects[kLyrics] = {0, 300, 200, 500};
  dock.EnterSizeMove(kMain, {0, 0});
  dock.ExitSizeMove();
  EXPECT_FALSE(dock.IsGlued(kLyrics));
}

TEST(AreGlued, NeedsContactAndACommonEdgeCoordinate) {
  struct Case {
    const char *what;
    Rect a, b;
    bool glued;
  };
  const Case cases[] = {
      {"below, overlapping horizontally", {100, 100, 400, 220}, {150, 220, 350, 500}, true},
      {"right, flush", {100, 100, 400, 220}, {400, 0, 600, 150}, true},
      {"corner to corner", {0, 0, 10, 10}, {10, 10, 20, 20}, true},
      {"same rectangle", {5, 5, 50, 50}, {5, 5, 50, 50}, true},
      {"overlap without a common edge", {0, 0, 100, 100}, {50, 50, 150, 150}, false},
      {"common left edge, a gap between", {0, 0, 100, 100}, {0, 101, 100, 200}, false},
      {"one pixel apart", {0, 0, 100, 100}, {101, 0, 200, 100}, false},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(cMagneticWnd::AreGlued(c.a, c.b), c.glued) << c.what;
    EXPECT_EQ(cMagneticWnd::AreGlued(c.b, c.a), c.glued) << c.what << " (swapped)";
  }
}

TEST_F(Group, GlueIsTransitiveThroughSiblingsOfTheSameParentOnly) {
  // The lyrics window against the playlist window, not touching the main window.
  desk.rects[kLyrics] = {400, 300, 600, 450};
  dock.CheckGlueing();
  EXPECT_TRUE(dock.IsGlued(kPlaylist));
  EXPECT_TRUE(dock.IsGlued(kLyrics));
  EXPECT_FALSE(dock.IsGlued(kMain));

  // A window of another family against the glued playlist window stays loose.
  desk.rects[kOther] = {100, 500, 300, 600};
  ASSERT_TRUE(dock.AddWindow(kOther, kLyrics));
  EXPECT_FALSE(dock.IsGlued(kOther));

  desk.rects[kLyrics] = {401, 300, 600, 450};
  dock.CheckGlueing();
  EXPECT_FALSE(dock.IsGlued(kLyrics));
}

TEST_F(Group, GlueChangesOnlyWhenRecheckedByExitCommandMinimiseOrRestore) {
  desk.rects[kPlaylist] = {100, 300, 390, 500};
  dock.SysCommand(0xF060); // close: not a recheck
  EXPECT_TRUE(dock.IsGlued(kPlaylist));
  dock.SysCommand(cMagneticWnd::kScMinimize);
  EXPECT_FALSE(dock.IsGlued(kPlaylist));
  desk.rects[kPlaylist] = {100, 220, 400, 500};
  dock.SysCommand(cMagneticWnd::kScRestore);
  EXPECT_TRUE(dock.IsGlued(kPlaylist));
  desk.rects[kPlaylist] = {100, 300, 390, 500};
  dock.Command();
  EXPECT_FALSE(dock.IsGlued(kPlaylist));
  desk.rects[kPlaylist] = {100, 220, 400, 500};
  dock.ExitSizeMove();
  EXPECT_TRUE(dock.IsGlued(kPlaylist));
}

TEST_F(Group, AParentThatIsNotRegisteredIsTheWorkAreaAsLastTaken) {
  desk.rects[kOther] = {0, 300, 50, 350};
  desk.rects[5] = {900, 600, 1000, 700};
  ASSERT_TRUE(dock.AddWindow(kOther, 5));
  EXPECT_FALSE(dock.IsGlued(kOther)); // no work area taken yet
  dock.EnterSizeMove(kMain, {0, 0});
  dock.ExitSizeMove();
  EXPECT_TRUE(dock.IsGlued(kOther)); // on the work area's left edge
}

// One window dragged alone, near the work area and two other windows.
struct Snap : ::testing::Test {
  FakeDesktop desk;
  cMagneticWnd dock{desk};
  void SetUp() override {
    desk.rects = {{kMain, {300, 300, 600, 420}}};
    ASSERT_TRUE(dock.AddWindow(kMain));
  }
  Rect moveTo(int left, int top) {
    const Rect r = desk.rects.at(kMain);
    dock.EnterSizeMove(kMain, {r.left + 7, r.top + 3});
    return dock.Moving(kMain, r, {left + 7, top + 3}).rect;
  }
};

TEST_F(Snap, WithinSnapWidthJumpsFlushAtSnapWidthStays) {
  struct Case {
    int left, top, wantLeft, wantTop;
  };
  const Case cases[] = {
      {9, 300, 0, 300},     {10, 300, 10, 300},   {-9, 300, 0, 300},    {-10, 300, -10, 300},
      {300, 8, 300, 0},     {300, 10, 300, 10},   {971, 300, 980, 300}, {970, 300, 970, 300},
      {300, 641, 300, 650}, {300, 659, 300, 650}, {300, 660, 300, 660}, {5, 645, 0, 650},
  };
  for (const auto &c : cases) {
    const Rect r = moveTo(c.left, c.top);
    EXPECT_EQ(r.left, c.wantLeft) << c.left << "," << c.top;
    EXPECT_EQ(r.top, c.wantTop) << c.left << "," << c.top;
    EXPECT_EQ(r.width(), 300);
    EXPECT_EQ(r.height(), 120);
  }
  dock.setSnapWidth(20);
  EXPECT_EQ(moveTo(19, 300).left, 0);
}

TEST_F(Snap, LaterSlotDecidesAndLeftTestsComeFirst) {
  desk.rects[kLyrics] = {100, 100, 250, 200};   // left edge 100
  desk.rects[kPlaylist] = {250, 100, 405, 200}; // right edge 405
  ASSERT_TRUE(dock.AddWindow(kLyrics));
  ASSERT_TRUE(dock.AddWindow(kPlaylist));
  // Left edge 3 px right of the lyrics window's, right edge 2 px left of the playlist's.
  const Rect r = moveTo(103, 205);
  EXPECT_EQ(r.left, 105) << "the later slot (playlist, right edges) decides";
  EXPECT_EQ(r.top, 200);

  // One neighbour as wide as the window: both edges are near; the left test wins.
  desk.rects[kOther] = {700, 100, 1001, 200};
  ASSERT_TRUE(dock.AddWindow(kOther));
  EXPECT_EQ(moveTo(704, 205).left, 700);
}

// A neighbour narrower than the snap width puts both of its edges within reach of one edge
// of the window: the tests run left then right on the window, and on the neighbour.
TEST_F(Snap, WithinOneSlotTheTargetsAreTriedInTheirOrder) {
  desk.rects[kOther] = {500, 100, 506, 200};
  ASSERT_TRUE(dock.AddWindow(kOther));
  EXPECT_EQ(moveTo(503, 205).left, 500) << "window's left to neighbour's left, before its right";
  EXPECT_EQ(moveTo(203, 205).right, 500) << "window's right to neighbour's left, before its right";
  EXPECT_EQ(moveTo(512, 205).left, 506) << "only the neighbour's right in reach";
}

TEST_F(Snap, NeighboursOutOfReachOnTheOtherAxisDoNotPull) {
  desk.rects[kOther] = {100, 100, 200, 150};
  ASSERT_TRUE(dock.AddWindow(kOther));
  EXPECT_EQ(moveTo(205, 159).left, 200) << "9 px below: in reach";
  EXPECT_EQ(moveTo(205, 160).left, 205) << "10 px below: out of reach";
}

TEST_F(Snap, AMaximisedWindowCountsAsItsWorkArea) {
  desk.rects[kOther] = {500, 500, 700, 600};
  desk.maximised.insert(kOther);
  ASSERT_TRUE(dock.AddWindow(kOther));
  EXPECT_EQ(moveTo(505, 450).left, 505) << "its restored rectangle is no target";
  EXPECT_EQ(moveTo(6, 200).left, 0);
}

TEST_F(Snap, TheWorkAreaIsTheDraggedWindowsScreen) {
  desk.rects[kMain] = {1500, 300, 1800, 420};
  desk.screenOf[kMain] = {1280, 0, 2560, 1024};
  EXPECT_EQ(moveTo(1500, 900).top, 904);
  EXPECT_EQ(moveTo(1500, 655).top, 655) << "the other screen's bottom is no edge here";
  EXPECT_EQ(moveTo(2255, 300).right, 2560);
}

TEST_F(Group, GluedWindowsTravelWithTheParentKeepingTheirOffsets) {
  const auto moved = drag(kMain, 237, 121);
  EXPECT_EQ(moved.rect, (Rect{337, 221, 637, 341}));
  const std::vector<cMagneticWnd::Placement> want{{kLyrics, {637, 221}}, {kPlaylist, {337, 341}}};
  EXPECT_EQ(moved.glued, want);
  // Its own glued windows never pull the dragged window.
  EXPECT_EQ(drag(kMain, 3, 2).rect, (Rect{103, 102, 403, 222}));
}

TEST_F(Group, ALooseChildStaysBehindAndIsATarget) {
  desk.rects[kLyrics] = {700, 100, 900, 400};
  dock.CheckGlueing();
  const auto moved = drag(kMain, 304, 0); // right edge to 704
  EXPECT_EQ(moved.rect.right, 700);
  ASSERT_EQ(moved.glued.size(), 1u);
  EXPECT_EQ(moved.glued[0].window, kPlaylist);
  EXPECT_EQ(moved.glued[0].topLeft, QPoint(400, 220));
}

TEST_F(Group, AGluedChildNearTheWorkAreaEdgeBringsTheGroupThere) {
  // Playlist bottom (500) to 764: 6 px above the work area's bottom (770).
  auto moved = drag(kMain, 0, 264);
  EXPECT_EQ(moved.rect.top, 370);
  EXPECT_EQ(moved.glued[1].topLeft, QPoint(100, 490));
  // Lyrics right (600) to 1273: 7 px left of the right edge.
  moved = drag(kMain, 673, 0);
  EXPECT_EQ(moved.rect.left, 780);
  EXPECT_EQ(moved.glued[0].topLeft, QPoint(1080, 100));
  // The main window's own snap to the top loses to the playlist's snap to the bottom when
  // both are in reach.
  desk.rects[kLyrics] = {400, 150, 600, 400};
  desk.rects[kPlaylist] = {100, 220, 400, 862};
  dock.CheckGlueing();
  moved = drag(kMain, 0, -95); // main top to 5, playlist bottom to 767
  EXPECT_EQ(moved.rect.top, 8);
}

// Windows registered in the order of their handles, none with a parent; the main window's
// sizing has begun.
struct SizingDesk {
  explicit SizingDesk(const std::map<Id, Rect> &windows) {
    desk.rects = windows;
    for (const auto &window : windows)
      EXPECT_TRUE(dock.AddWindow(window.first));
    dock.EnterSizeMove(kMain, {0, 0});
  }
  Rect size(int edge, const Rect &proposed) const { return dock.Sizing(kMain, edge, proposed); }
  FakeDesktop desk;
  cMagneticWnd dock{desk};
};

TEST(Sizing, EachEdgeCodeMovesOnlyItsEdgesOntoTheTargets) {
  const SizingDesk s({{kMain, {10, 10, 60, 60}}, {kOther, {400, 300, 700, 500}}});
  struct Case {
    int edge;
    Rect proposed, want;
  };
  const Case cases[] = {
      {cMagneticWnd::Left, {706, 320, 905, 480}, {700, 320, 905, 480}},
      {cMagneticWnd::Right, {5, 320, 394, 480}, {5, 320, 400, 480}},
      {cMagneticWnd::Top, {450, 507, 650, 765}, {450, 500, 650, 765}},
      {cMagneticWnd::Bottom, {450, 4, 650, 292}, {450, 4, 650, 300}},
      {cMagneticWnd::TopLeft, {705, 505, 900, 700}, {700, 500, 900, 700}},
      {cMagneticWnd::TopRight, {100, 505, 395, 700}, {100, 500, 400, 700}},
      {cMagneticWnd::BottomLeft, {705, 100, 900, 295}, {700, 100, 900, 300}},
      {cMagneticWnd::BottomRight, {100, 100, 396, 293}, {100, 100, 400, 300}},
      {cMagneticWnd::BottomRight, {100, 100, 1275, 762}, {100, 100, 1280, 770}},
      {cMagneticWnd::TopLeft, {390, 290, 500, 400}, {390, 290, 500, 400}}, // inside reach, no edge near
  };
  for (const auto &c : cases)
    EXPECT_EQ(s.size(c.edge, c.proposed), c.want) << "edge " << c.edge;
}

// Sizing starts from the rectangles taken when it began: the window's own among them is no
// target, or every edge would snap back to where it was.
TEST(Sizing, TheWindowsOwnPlaceIsNoTarget) {
  const SizingDesk s({{kMain, {300, 300, 600, 420}}});
  for (const auto &[edge, proposed] : {std::pair{int(cMagneticWnd::Right), Rect{300, 300, 605, 420}},
                                       std::pair{int(cMagneticWnd::Left), Rect{297, 300, 600, 420}},
                                       std::pair{int(cMagneticWnd::BottomLeft), Rect{303, 300, 600, 416}},
                                       std::pair{int(cMagneticWnd::TopRight), Rect{300, 306, 592, 420}}})
    EXPECT_EQ(s.size(edge, proposed), proposed) << "edge " << edge;
}

// Within one slot the edge moved from left to right tries the neighbour's left, then its right.
TEST(Sizing, ANarrowNeighboursLeftEdgeComesFirst) {
  const SizingDesk s({{kMain, {300, 300, 600, 420}}, {kOther, {700, 300, 706, 420}}});
  EXPECT_EQ(s.size(cMagneticWnd::Right, {300, 300, 703, 420}).right, 700);
  EXPECT_EQ(s.size(cMagneticWnd::Left, {703, 300, 900, 420}).left, 700);
  EXPECT_EQ(s.size(cMagneticWnd::Left, {711, 300, 900, 420}).left, 706);
}

// The top or bottom edge is tested against a neighbour when the rectangle, as the left or
// right edge's snap left it, reaches that neighbour across: an earlier slot's snap can bring a
// later neighbour within reach.
TEST(Sizing, TheTopAndBottomTestsReachFromTheSnappedRectangle) {
  SizingDesk s({{kMain, {100, 100, 300, 300}},
                {kLyrics, {405, 0, 500, 1000}},      // its left edge 5 px beyond the dragged right edge
                {kPlaylist, {410, 204, 600, 300}}}); // 10 px beyond: out of reach until the snap
  EXPECT_EQ(s.size(cMagneticWnd::TopRight, {100, 200, 400, 400}), (Rect{100, 204, 405, 400}));
  // Without the first neighbour the second stays out of reach.
  ASSERT_TRUE(s.dock.RemoveWindow(kLyrics));
  s.dock.EnterSizeMove(kMain, {0, 0});
  EXPECT_EQ(s.size(cMagneticWnd::TopRight, {100, 200, 400, 400}), (Rect{100, 200, 400, 400}));
}

} // namespace
} // namespace lumiqo
