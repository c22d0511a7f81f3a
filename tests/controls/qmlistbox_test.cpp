#include "controls/qmlistbox.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace lumiqo {
namespace {

constexpr int L = QMListBox::kLeftButton;
constexpr int R = QMListBox::kRightButton;

// Records the control's events in order, as text.
struct EventLog {
  explicit EventLog(QMListBox &box) {
    QObject::connect(&box, &QMListBox::ListIndexChanged, [this](int o, int &n, int c) {
      log.push_back("List " + std::to_string(o) + ">" + std::to_string(n) + " " + std::to_string(c));
      if (redirectTo)
        n = *redirectTo;
    });
    QObject::connect(&box, &QMListBox::PlayIndexChanged, [this](int o, int &n, int c) {
      log.push_back("Play " + std::to_string(o) + ">" + std::to_string(n) + " " + std::to_string(c));
      if (redirectTo)
        n = *redirectTo;
    });
    auto mouse = [this](const char *name) {
      return [this, name](int b, int s, float x, float y) {
        log.push_back(std::string(name) + " " + std::to_string(b) + " " + std::to_string(s) + " " +
                      std::to_string(static_cast<int>(x)) + " " + std::to_string(static_cast<int>(y)));
      };
    };
    QObject::connect(&box, &QMListBox::MouseDown, mouse("Down"));
    QObject::connect(&box, &QMListBox::Click, mouse("Click"));
    QObject::connect(&box, &QMListBox::DBClick, mouse("DBClick"));
    QObject::connect(&box, &QMListBox::rowRedrawRequested, [this](int row) { redrawnRows.push_back(row); });
  }
  std::vector<std::string> log;
  std::vector<int> redrawnRows;
  std::optional<int> redirectTo;
};

// A control 182 pixels high with a 1-pixel border: an inner height of 180, ten 18-pixel rows.
void fill(QMListBox &box, int rows) {
  box.resizeTo(182);
  for (int i = 0; i < rows; ++i)
    box.AddItem(QStringLiteral("t%1").arg(i), QStringLiteral("a%1").arg(i), QStringLiteral("u%1").arg(i),
                QStringLiteral("0%1:00").arg(i % 10));
}

// The vertical position of the middle of a visible row.
float yOf(const QMListBox &box, int row) {
  return 1 + (row - box.FirstIndex()) * 18 + 9;
}

TEST(QMListBoxAdd, AppendAndInsertForms) {
  QMListBox box;
  EXPECT_EQ(box.AddItem(QStringLiteral("alone")), 1);
  EXPECT_EQ(box.ListCount(), 1);
  EXPECT_EQ(box.Author(0), QStringLiteral("UnKnow"));
  EXPECT_EQ(box.URL(0), QString());
  EXPECT_EQ(box.StrTime(0), QString());
  EXPECT_EQ(box.numberColumnSample(), QStringLiteral("1"));
  // An author given as empty text stays empty.
  EXPECT_EQ(box.AddItem(QStringLiteral("t"), QString(), QStringLiteral("u"), QStringLiteral("03:25")), 2);
  EXPECT_EQ(box.Author(1), QString());
  EXPECT_EQ(box.StrTime(1), QStringLiteral("03:25"));

  // Insert at ListCount appends; outside 0 .. ListCount is refused.
  EXPECT_EQ(box.AddItem(QStringLiteral("end"), std::nullopt, {}, QStringLiteral("125"), 2), 3);
  EXPECT_EQ(box.Title(2), QStringLiteral("end"));
  EXPECT_EQ(box.StrTime(2), QStringLiteral("125"));
  EXPECT_EQ(box.LongTime(2), 125);
  EXPECT_EQ(box.AddItem(QStringLiteral("x"), std::nullopt, {}, {}, 4), -1);
  EXPECT_EQ(box.AddItem(QStringLiteral("x"), std::nullopt, {}, {}, -1), -1);
  EXPECT_EQ(box.ListCount(), 3);

  // Inserting at the front moves rows down but not the marks; StrTime is the whole number.
  box.setListIndex(1);
  box.setPlayIndex(2);
  EXPECT_EQ(box.AddItem(QStringLiteral("front"), QStringLiteral("a"), {}, QStringLiteral("03:25"), 0), 4);
  EXPECT_EQ(box.Title(0), QStringLiteral("front"));
  EXPECT_EQ(box.Title(1), QStringLiteral("alone"));
  EXPECT_EQ(box.StrTime(0), QStringLiteral("3"));
  EXPECT_EQ(box.ListIndex(), 1);
  EXPECT_EQ(box.PlayIndex(), 2);
}

TEST(QMListBoxAdd, RefusesRowsPastTheSixteenBitLimit) {
  QMListBox box;
  for (int i = 0; i < QMListBox::kMaxRows; ++i)
    ASSERT_EQ(box.AddItem(QStringLiteral("t")), i + 1);
  EXPECT_EQ(box.AddItem(QStringLiteral("one too many")), -1);
  EXPECT_EQ(box.ListCount(), QMListBox::kMaxRows);
}

TEST(QMListBoxRemove, MarksFollowTheRules) {
  QMListBox box;
  fill(box, 5);
  box.setListIndex(3);
  box.setPlayIndex(2);
  // An earlier row goes: the marks keep their numbers (now other songs).
  EXPECT_EQ(box.RemoveItem(0), 4);
  EXPECT_EQ(box.ListIndex(), 3);
  EXPECT_EQ(box.PlayIndex(), 2);
  EXPECT_EQ(box.Title(2), QStringLiteral("t3"));
  // The playing row goes: no play mark.
  EXPECT_EQ(box.RemoveItem(2), 3);
  EXPECT_EQ(box.PlayIndex(), -1);
  EXPECT_EQ(box.ListIndex(), 3);
  // Not rows.
  EXPECT_EQ(box.RemoveItem(3), -1);
  EXPECT_EQ(box.RemoveItem(-1), -1);
  // Emptying from the top, as list loading does, ends with both marks at -1.
  while (box.ListCount() > 0)
    box.RemoveItem(0);
  EXPECT_EQ(box.ListIndex(), -1);
  EXPECT_EQ(box.PlayIndex(), -1);
  EXPECT_EQ(box.FirstIndex(), 0);
  EXPECT_EQ(box.RemoveItem(0), -1);
}

TEST(QMListBoxRemove, OnlyRowActsAsClear) {
  QMListBox box;
  box.AddItem(QStringLiteral("one"));
  box.setListIndex(0);
  box.setPlayIndex(0);
  int cleared = 0;
  QObject::connect(&box, &QMListBox::cleared, [&] { ++cleared; });
  EXPECT_EQ(box.RemoveItem(0), 0);
  EXPECT_EQ(box.ListCount(), 0);
  EXPECT_EQ(box.ListIndex(), -1);
  EXPECT_EQ(box.PlayIndex(), -1);
  EXPECT_EQ(cleared, 1);
  box.Clear(); // nothing to clear: no notification
  EXPECT_EQ(cleared, 1);
}

TEST(QMListBoxFields, OutOfRangeReadsAndWrites) {
  QMListBox box;
  fill(box, 3);
  EventLog events(box);
  EXPECT_EQ(box.Title(5), QString());
  EXPECT_EQ(box.Author(-1), QString());
  EXPECT_EQ(box.URL(3), QString());
  EXPECT_EQ(box.StrTime(3), QString());
  EXPECT_FALSE(box.ItemError(5));
  EXPECT_EQ(box.LongTime(5), 0);
  box.setTitle(5, QStringLiteral("x"));
  box.setItemError(5, true);
  box.setLongTime(-1, 3);
  EXPECT_EQ(box.ListCount(), 3);
  EXPECT_TRUE(events.redrawnRows.empty());

  // Title, Author, LongTime and ItemError redraw their row; URL and StrTime do not.
  box.setTitle(1, QStringLiteral("new"));
  box.setURL(1, QStringLiteral("link"));
  box.setStrTime(1, QStringLiteral("01:00"));
  box.setLongTime(1, 61);
  box.setItemError(1, true);
  box.setItemError(1, true); // the value it already has
  EXPECT_EQ(events.redrawnRows, (std::vector<int>{1, 1, 1}));
  EXPECT_EQ(box.Title(1), QStringLiteral("new"));
  EXPECT_EQ(box.URL(1), QStringLiteral("link"));
  EXPECT_EQ(box.StrTime(1), QStringLiteral("01:00"));
  EXPECT_EQ(box.LongTime(1), 61);
  EXPECT_TRUE(box.ItemError(1));
  // An mm:ss text read as seconds gives its leading number.
  EXPECT_EQ(box.LongTime(0), 0);
  EXPECT_EQ(box.LongTime(2), 2);
}

TEST(QMListBoxIndexes, SettingByProgram) {
  QMListBox box;
  EventLog events(box);
  box.setListIndex(0); // empty list
  EXPECT_EQ(box.ListIndex(), -1);
  fill(box, 3);
  box.setListIndex(1);
  box.setListIndex(-1); // cannot clear the selection this way
  box.setListIndex(3);  // no such row: refused
  EXPECT_EQ(box.ListIndex(), 1);
  box.setPlayIndex(2);
  EXPECT_EQ(events.log, (std::vector<std::string>{"List -1>1 1", "Play -1>2 1"}));

  // A handler redirects the change.
  events.redirectTo = 0;
  box.setPlayIndex(1);
  EXPECT_EQ(box.PlayIndex(), 0);
  box.mousePress(L, 0, 5, yOf(box, 2));
  EXPECT_EQ(box.ListIndex(), 0);
}

TEST(QMListBoxIndexes, ProgrammaticChangeBringsTheNewRowIntoView) {
  QMListBox box;
  fill(box, 30); // ten rows fit; Max = 20
  EXPECT_TRUE(box.scrollVisible());
  EXPECT_EQ(box.scrollMax(), 20);
  std::vector<int> moves;
  QObject::connect(&box, &QMListBox::firstIndexChanged, [&](int row) { moves.push_back(row); });
  box.setPlayIndex(9); // visible
  EXPECT_EQ(box.FirstIndex(), 0);
  box.setPlayIndex(12);
  EXPECT_EQ(box.FirstIndex(), 12);
  EXPECT_EQ(box.LastIndex(), 23);
  box.setListIndex(29); // clamped to the scroll range
  EXPECT_EQ(box.FirstIndex(), 20);
  EXPECT_EQ(box.LastIndex(), 29);
  box.setListIndex(3);
  EXPECT_EQ(box.FirstIndex(), 3);
  EXPECT_EQ(moves, (std::vector<int>{12, 20, 3}));
  // Removing rows below the window keeps the window on the list.
  while (box.ListCount() > 8)
    box.RemoveItem(box.ListCount() - 1);
  EXPECT_EQ(box.FirstIndex(), 0);
  EXPECT_FALSE(box.scrollVisible());
}

TEST(QMListBoxScrollRange, TenRowsFitElevenScroll) {
  QMListBox box;
  fill(box, 10);
  EXPECT_FALSE(box.scrollVisible());
  box.AddItem(QStringLiteral("eleventh"));
  EXPECT_TRUE(box.scrollVisible());
  EXPECT_EQ(box.scrollMax(), 1);
  int scrolls = 0;
  QObject::connect(&box, &QMListBox::Scroll, [&] { ++scrolls; });
  box.setFirstIndex(5); // beyond Max
  EXPECT_EQ(box.FirstIndex(), 1);
  EXPECT_EQ(scrolls, 0);
  box.scrollByUser(0);
  EXPECT_EQ(box.FirstIndex(), 0);
  EXPECT_EQ(scrolls, 1);
}

TEST(QMListBoxMouse, PressSelectsAndSkipsSelectedOrEmptyRows) {
  QMListBox box;
  fill(box, 3);
  EventLog events(box);
  box.mousePress(L, 0, 10, yOf(box, 1));
  EXPECT_EQ(box.ListIndex(), 1);
  box.mousePress(L, 1, 11, yOf(box, 1)); // already selected
  box.click();
  box.mousePress(R, 0, 12, yOf(box, 7)); // below the last row
  box.click();
  box.mousePress(R, 2, 13, yOf(box, 2));                        // the right button selects too
  box.mousePress(QMListBox::kMiddleButton, 0, 14, yOf(box, 0)); // the middle one does not
  EXPECT_EQ(box.ListIndex(), 2);
  EXPECT_EQ(events.log,
            (std::vector<std::string>{"List -1>1 0", "Down 1 0 10 28", "Click 1 1 11 28", "Click 2 0 12 136",
                                      "List 1>2 0", "Down 2 2 13 46", "Down 4 0 14 10"}));
}

TEST(QMListBoxMouse, DoubleClickMarksTheRowUnderThePress) {
  QMListBox box;
  fill(box, 3);
  box.setPlayIndex(0);
  EventLog events(box);
  box.mousePress(L, 0, 3, yOf(box, 2));
  box.doubleClick();
  EXPECT_EQ(box.PlayIndex(), 2);
  box.mousePress(L, 0, 3, yOf(box, 5)); // below the last row
  box.doubleClick();
  EXPECT_EQ(box.PlayIndex(), 2);
  box.mousePress(R, 0, 3, yOf(box, 1)); // a right double-click marks nothing
  box.doubleClick();
  EXPECT_EQ(box.PlayIndex(), 2);
  EXPECT_EQ(events.log, (std::vector<std::string>{"List -1>2 0", "Down 1 0 3 46", "Play 0>2 0",
                                                  "DBClick 1 0 3 46", "DBClick 1 0 3 100", "List 2>1 0",
                                                  "Down 2 0 3 28", "DBClick 2 0 3 28"}));
}

TEST(QMListBoxMouse, IndexFromPointFollowsBorderAndScroll) {
  QMListBox box;
  EXPECT_EQ(box.IndexFromPoint(0, 5), -1); // empty
  fill(box, 30);
  EXPECT_EQ(box.IndexFromPoint(0, 1), 0);
  EXPECT_EQ(box.IndexFromPoint(0, 18.9f), 0);
  EXPECT_EQ(box.IndexFromPoint(0, 19), 1);
  box.setFirstIndex(20);
  EXPECT_EQ(box.IndexFromPoint(0, 1), 20);
  EXPECT_EQ(box.IndexFromPoint(0, 0), 19); // the border belongs to the row above
  EXPECT_EQ(box.IndexFromPoint(0, 1 + 18 * 10), -1);
  box.setBorder(false);
  EXPECT_EQ(box.IndexFromPoint(0, 0), 20);
}

TEST(QMListBoxFailedMark, AutoCheckErrorTestsTheUrlAsAFile) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("song.mp3"));
  QFile(file).open(QIODevice::WriteOnly);
  QMListBox box;
  box.AddItem(QStringLiteral("off"), std::nullopt, QStringLiteral("/no/such/file"));
  EXPECT_FALSE(box.ItemError(0)); // off: nothing is tested
  int redraws = 0;
  QObject::connect(&box, &QMListBox::listRedrawRequested, [&] { ++redraws; });
  box.setAutoCheckError(true);
  EXPECT_EQ(redraws, 1);
  box.AddItem(QStringLiteral("missing"), std::nullopt, QStringLiteral("/no/such/file"));
  box.AddItem(QStringLiteral("empty"));
  box.AddItem(QStringLiteral("folder"), std::nullopt, dir.path());
  box.AddItem(QStringLiteral("present"), std::nullopt, file);
  EXPECT_TRUE(box.ItemError(1));
  EXPECT_TRUE(box.ItemError(2));
  EXPECT_TRUE(box.ItemError(3));
  EXPECT_FALSE(box.ItemError(4));
  // Drawing tests again, in both directions; the insert form does not test.
  QFile::remove(file);
  box.setURL(1, dir.filePath(QStringLiteral("late.mp3")));
  QFile(dir.filePath(QStringLiteral("late.mp3"))).open(QIODevice::WriteOnly);
  box.checkRowBeforeDrawing(1);
  box.checkRowBeforeDrawing(4);
  EXPECT_FALSE(box.ItemError(1));
  EXPECT_TRUE(box.ItemError(4));
  box.AddItem(QStringLiteral("inserted"), std::nullopt, QStringLiteral("/no/such/file"), {}, 0);
  EXPECT_FALSE(box.ItemError(0));
}

} // namespace
} // namespace lumiqo
