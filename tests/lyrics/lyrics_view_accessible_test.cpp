// The lyrics view as assistive tools read it: the current line, and one event for each new
// line that says something, none for the scrolling between lines.
#include "lyrics/accessible/lyrics_view_accessible.h"
#include "lyrics/lrc_show.h"
#include "support/accessible_spy.h"

#include <gtest/gtest.h>

namespace lumiqo {
namespace {

TEST(LyricsViewAccessible, NamesTheCurrentLineAndTellsOfEachNewOneOnly) {
  double now = 100;
  LrcShow view;
  view.setClockForTesting([&] { return now; });
  view.setAccessibleName(QStringLiteral("歌词"));
  view.resize(300, 60);
  LyricsViewAccessible iface(&view);
  EXPECT_EQ(iface.role(), QAccessible::StaticText);
  EXPECT_EQ(iface.text(QAccessible::Name), QStringLiteral("歌词")); // no lyrics yet

  test::AccessibleSpy spy;
  // Lines at 0, 2 and 4 s; a blank at 6 s, then the first words again at 8 s.
  view.begin(0, false,
             QStringLiteral("[00:00.00]第一句\r\n[00:02.00]第二句\r\n[00:04.00]第三句\r\n"
                            "[00:06.00]\r\n[00:08.00]第三句\r\n[00:10.00]尾声"));
  view.setTime(50); // half a second in
  EXPECT_EQ(iface.text(QAccessible::Name), QStringLiteral("第一句"));
  EXPECT_EQ(iface.text(QAccessible::Description), QStringLiteral("歌词"));
  const int first = spy.count(QAccessible::NameChanged, &view);
  EXPECT_EQ(first, 1);

  // The block scrolls every tick between lines: no news.
  for (float t = 60; t < 200; t += 7)
    view.setTime(t);
  EXPECT_EQ(spy.count(QAccessible::NameChanged, &view), 1);
  view.setTime(250);
  EXPECT_EQ(iface.text(QAccessible::Name), QStringLiteral("第二句"));
  EXPECT_EQ(spy.count(QAccessible::NameChanged, &view), 2);
  view.setTime(450);
  view.setTime(650); // the blank line: nothing to say
  EXPECT_EQ(spy.count(QAccessible::NameChanged, &view), 3);
  view.setTime(850); // the same words as the line before the blank: said again
  EXPECT_EQ(iface.text(QAccessible::Name), QStringLiteral("第三句"));
  EXPECT_EQ(spy.count(QAccessible::NameChanged, &view), 4);
  EXPECT_EQ(spy.events.size(), 4u);
}

} // namespace
} // namespace lumiqo
