// The lyrics timeline: splitting a text at its tags, borrowing texts, time tags, the sort
// order of equal times, the current line and the clock.
#include "lyrics/exchange_order.h"
#include "lyrics/lrc_timeline.h"
#include "lyrics/tag_time.h"

#include "base/gbk.h"
#include "base/lyrics_bounds.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>
#include <set>

namespace lumiqo {

void PrintTo(const LyricLine &l, std::ostream *os) {
  *os << "(" << l.time << ", \"" << l.text.toStdString() << "\")";
}
bool operator==(const LyricLine &a, const LyricLine &b) {
  return a.time == b.time && a.text == b.text;
}

namespace {

using Lines = std::vector<LyricLine>;

QString fileWith(const QTemporaryDir &dir, const QByteArray &bytes) {
  const QString path = dir.filePath(QStringLiteral("lyrics.lrc"));
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
  return path;
}

TEST(TagTime, ReadsTheFixedLayoutByPosition) {
  EXPECT_EQ(TagTime(u"01:23.45"), 8345);
  EXPECT_EQ(TagTime(u"01:23"), 8323);     // seconds read again as hundredths
  EXPECT_EQ(TagTime(u"01:23.456"), 8356); // the last two digits are the hundredths
  EXPECT_EQ(TagTime(u"1:23.45"), 6345);
  EXPECT_EQ(TagTime(u"  03:45.00  "), 22500);
  EXPECT_EQ(TagTime(u"01：23．45"), 8345);
  EXPECT_EQ(TagTime(u"01:23。45"), 8345);
  EXPECT_EQ(TagTime(u"-1:00.00"), -6000);
}

TEST(TagTime, LettersAndShortTagsReadAsZero) {
  EXPECT_EQ(TagTime(u"ti:Song"), 0);
  EXPECT_EQ(TagTime(u"offset:500"), 0 * 6000 + 0 * 100 + 500 % 100);
  EXPECT_EQ(TagTime(u""), 0);
  EXPECT_EQ(TagTime(u"7"), 7 * 6000 + 7);
  EXPECT_EQ(leadingNumber(u" 1 2x"), 12);
  EXPECT_EQ(leadingNumber(u"x12"), 0);
  EXPECT_DOUBLE_EQ(leadingNumber(u"-.5"), -0.5);
}

TEST(ParseLrc, GreetingGivesTwoEntriesTheFirstBorrowingTheText) {
  EXPECT_EQ(parseLrc(QStringLiteral("[00:00.00]暂无歌词")), (Lines{{0, "暂无歌词"}, {0, "暂无歌词"}}));
  EXPECT_EQ(parseLrc(QStringLiteral("[00:05.00]")), (Lines{{0, ""}, {500, ""}}));
}

TEST(ParseLrc, TagsTextsAndBorrowing) {
  // Two tags on one line share the text; a second "]" ends the text; a final tag is empty.
  const Lines lines =
      parseLrc(QStringLiteral("\r\n[00:10.00][01:10.00]Chorus\r\n[00:20.00]Hello]World\r\n[03:45.00]"));
  EXPECT_EQ(lines, (Lines{{0, "Chorus"}, {1000, "Chorus"}, {2000, "Hello"}, {7000, "Chorus"}, {22500, ""}}));
}

TEST(ParseLrc, FullWidthSpacesBecomeTwoSpacesAndCrLfASpace) {
  const Lines lines = parseLrc(QStringLiteral("[00:01.00]a\u3000b\r\nc  "));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].text, QStringLiteral("a  b c"));
}

TEST(ParseLrc, EntryCountIsTheNumberOfOpeningBrackets) {
  EXPECT_EQ(parseLrc(QStringLiteral("no tags")).size(), 1u);
  // A borrowed text is everything after the lender's first "]", further "]" included.
  EXPECT_EQ(parseLrc(QStringLiteral("[[x]]")), (Lines{{0, "]"}, {0, "]"}, {0, ""}}));
}

TEST(ParseLrc, EqualTimesChangePlacesWhenASmallerTimePasses) {
  const Lines abc = parseLrc(QStringLiteral("x[00:05.00]A[00:05.00]B[00:03.00]C"));
  // Entry 0 (time 0, text "A" borrowed) stays first.
  EXPECT_EQ(abc, (Lines{{0, "A"}, {300, "C"}, {500, "B"}, {500, "A"}}));
  const Lines kept = parseLrc(QStringLiteral("[00:00.00]A[00:00.00]B[00:01.00]C"));
  EXPECT_EQ(kept, (Lines{{0, "A"}, {0, "A"}, {0, "B"}, {100, "C"}}));
}

TEST(ExchangeOrder, MatchesThePlainExchangeSortOnRandomInputs) {
  std::mt19937 rng(7);
  for (int round = 0; round < 3000; ++round) {
    const int n = std::uniform_int_distribution<int>(0, round < 2000 ? 12 : 200)(rng);
    const int spread = std::uniform_int_distribution<int>(1, 8)(rng); // few values: many ties
    std::vector<std::int32_t> times(static_cast<std::size_t>(n));
    for (auto &t : times)
      t = std::uniform_int_distribution<int>(-1, spread)(rng) * 100;
    ASSERT_EQ(exchangeSortOrder(times), plainExchangeSortOrder(times)) << "round " << round;
  }
}

TEST(ExchangeOrder, HostileTextStaysLinear) {
  // 200 000 brackets, empty tags among falling times: finishes at once instead of after minutes.
  QString text;
  for (int i = 0; i < 100000; ++i)
    text += QStringLiteral("[[%1:00.00]").arg(99 - i % 100, 2, 10, QChar(u'0'));
  const Lines lines = parseLrc(text);
  EXPECT_EQ(lines.size(), 200001u);
  EXPECT_TRUE(std::is_sorted(lines.begin(), lines.end(), [](auto &a, auto &b) { return a.time < b.time; }));
}

TEST(ParseLrc, ARunOfTagsBeforeOneLongTextHoldsItOnce) {
  QString text;
  for (int i = 0; i < 200; ++i)
    text += QStringLiteral("[00:%1.00]").arg(i % 60, 2, 10, QChar(u'0'));
  text += QString(20000, QLatin1Char('x')) + QStringLiteral("\r\n");
  const Lines lines = parseLrc(text);
  ASSERT_EQ(lines.size(), 201u);
  std::set<const QChar *> copies;
  for (const LyricLine &line : lines) {
    ASSERT_EQ(line.text.size(), 20000);
    copies.insert(line.text.constData());
  }
  EXPECT_LE(copies.size(), 2u); // the last tag's own text, and the one every other line borrows
}

TEST(LrcTimeline, TextsBeyondTheBoundsAreNoLyricsAndKeepTheTimeline) {
  QTemporaryDir dir;
  LrcTimeline timeline;
  ASSERT_TRUE(timeline.begin(0, false, QStringLiteral("[00:01.00]kept"), {}));
  const QString manyTags(kMaxLyricsTags + 1, QLatin1Char('['));
  const QString long_ = QString(kMaxLyricsChars - 9, QLatin1Char('a')) + QStringLiteral("[00:01.00]");
  for (const QString &text : {manyTags, long_, QString(5 * 1024 * 1024, QLatin1Char('['))})
    EXPECT_FALSE(timeline.begin(0, false, text, {})) << text.size();
  EXPECT_FALSE(timeline.begin(0, true, {}, fileWith(dir, QByteArray(kMaxLyricsFileBytes + 1, '['))));
  EXPECT_EQ(timeline.lines(), (Lines{{0, "kept"}, {100, "kept"}}));

  // Right at the bounds, lyrics are lyrics.
  ASSERT_TRUE(timeline.begin(0, false, manyTags.left(kMaxLyricsTags), {}));
  EXPECT_EQ(timeline.lines().size(), static_cast<size_t>(kMaxLyricsTags + 1));
  ASSERT_TRUE(timeline.begin(0, false, long_.left(kMaxLyricsChars), {}));
}

TEST(FindLine, AgreesWithAFullScan) {
  const Lines lines = parseLrc(QStringLiteral("[00:01.00]a[00:01.00]b[00:02.00]c[00:04.00]d[00:04.00]e"));
  const int last = static_cast<int>(lines.size()) - 1;
  for (float p = -100; p <= 600; p += 12.5f) {
    int c = 0;
    for (int i = 0; i <= last; ++i)
      if (lines[i].time < p)
        c = i;
    const LinePlace place = findLine(lines, p);
    ASSERT_EQ(place.c, c) << p;
    EXPECT_EQ(place.n, std::min(c + 1, last));
    EXPECT_EQ(place.q, std::max(c - 1, 0));
    const int span = lines[place.n].time - lines[c].time;
    EXPECT_EQ(place.d, span == 0 ? 1 : span);
    if (c == last && p > lines[c].time) { // the last line, begun: it holds, lit
      EXPECT_FLOAT_EQ(place.r, place.d) << p;
      EXPECT_FLOAT_EQ(place.e, std::min<float>(p - lines[c].time, place.d)) << p;
      continue;
    }
    EXPECT_FLOAT_EQ(place.r, lines[place.n].time - p);
    EXPECT_FLOAT_EQ(place.e, p - lines[c].time);
  }
}

TEST(LrcTimeline, ReadsGbkFilesWithCrLfOrLoneCr) {
  QTemporaryDir dir;
  LrcTimeline timeline;
  const QString path = fileWith(dir, toGbk(u"[ti:歌]\r[00:12.34]First\r\n[00:20.00]第二\r\n"));
  ASSERT_TRUE(timeline.begin(0, true, {}, path));
  EXPECT_EQ(timeline.lines(), (Lines{{0, ""}, {0, ""}, {1234, "First"}, {2000, "第二"}}));

  ASSERT_TRUE(timeline.begin(0, true, {}, fileWith(dir, "[00:12.34]First")));
  EXPECT_EQ(timeline.lines(), (Lines{{0, "First"}, {1234, "First"}}));
}

TEST(LrcTimeline, EmptyOrUnreadableSourceKeepsTimelineAndClock) {
  QTemporaryDir dir;
  double now = 1000;
  LrcTimeline timeline;
  timeline.setClockForTesting([&] { return now; });
  EXPECT_FALSE(timeline.hasLines());
  ASSERT_TRUE(timeline.begin(250, false, QStringLiteral("[00:01.00]x"), {}));
  now += 1;
  EXPECT_FLOAT_EQ(timeline.position(), 350);

  EXPECT_FALSE(timeline.begin(0, false, QString(), {}));
  EXPECT_FALSE(timeline.begin(0, true, {}, dir.filePath(QStringLiteral("missing"))));
  EXPECT_FALSE(timeline.begin(0, true, {}, fileWith(dir, "")));
  EXPECT_EQ(timeline.lines().size(), 2u);
  EXPECT_FLOAT_EQ(timeline.position(), 350);

  timeline.setTime(9000);
  now += 0.5;
  EXPECT_FLOAT_EQ(timeline.position(), 9050);
}

} // namespace
} // namespace lumiqo
