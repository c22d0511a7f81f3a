#include "lyrics/lrc_timeline.h"

#include "lyrics/trim_spaces.h"

#include "base/clock.h"
#include "base/lyrics_bounds.h"
#include "lyrics/exchange_order.h"
#include "lyrics/tag_time.h"
#include "lyrics/text_file.h"

#include <algorithm>

namespace lumiqo {

namespace {

// What follows the first "]" of a part; the whole part when it has none.
QStringView remainderOf(QStringView part) {
  const qsizetype close = part.indexOf(u']');
  return close < 0 ? part : part.sliced(close + 1);
}

// A line's text as shown: CR LF pairs become spaces, then the spaces around are trimmed.
QString shownText(QStringView raw) {
  QString text = raw.toString();
  text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
  return trimSpaces(text).toString();
}

} // namespace

std::optional<QString> readLrcFile(const QString &path) {
  const std::optional<QStringList> lines = readGbkLines(path, kMaxLyricsFileBytes);
  if (!lines)
    return std::nullopt;
  QString text;
  for (const QString &line : *lines)
    text += QStringLiteral("\r\n") + line;
  return text;
}

std::vector<LyricLine> parseLrc(const QString &source) {
  QString text = source;
  text.replace(QChar(u'\u3000'), QStringLiteral("  "));

  std::vector<QStringView> parts;
  {
    const QStringView all(text);
    qsizetype start = 0;
    for (qsizetype open = all.indexOf(u'['); open >= 0; open = all.indexOf(u'[', start)) {
      parts.push_back(all.sliced(start, open - start));
      start = open + 1;
    }
    parts.push_back(all.sliced(start));
  }

  // For every part, the index of the first later part with a non-empty remainder: a line
  // whose tag is followed at once by another tag borrows its text from there.
  const auto count = static_cast<qsizetype>(parts.size());
  std::vector<qsizetype> lender(parts.size() + 1, -1);
  for (qsizetype i = count - 1; i >= 0; --i)
    lender[i] = (i + 1 < count && !remainderOf(parts[i + 1]).isEmpty()) ? i + 1 : lender[i + 1];

  // A borrowed text is made once per lending part and shared by every line that borrows it,
  // so a run of tags before one long text holds that text once.
  std::vector<std::optional<QString>> lent(parts.size());
  const auto borrowed = [&](qsizetype i) -> QString {
    const qsizetype from = lender[i];
    if (from < 0)
      return {};
    std::optional<QString> &text = lent[from];
    if (!text)
      text = shownText(remainderOf(parts[from]));
    return *text;
  };

  std::vector<LyricLine> entries(parts.size());
  for (qsizetype i = 0; i < count; ++i) {
    const QStringView part = parts[i];
    if (part.isEmpty()) {
      entries[i].text = borrowed(i);
      continue;
    }
    const qsizetype firstClose = part.indexOf(u']');
    const QStringView tag = firstClose < 0 ? part : part.first(firstClose);
    QStringView second;
    bool ownText = false;
    if (firstClose >= 0) {
      const QStringView rest = part.sliced(firstClose + 1);
      const qsizetype secondClose = rest.indexOf(u']');
      second = secondClose < 0 ? rest : rest.first(secondClose);
      ownText = !second.isEmpty() || tag.isEmpty();
    }
    entries[i].text = ownText ? shownText(second) : borrowed(i);
    entries[i].time = TagTime(tag);
  }

  std::vector<std::int32_t> times(entries.size());
  std::transform(entries.begin(), entries.end(), times.begin(), [](const LyricLine &l) { return l.time; });
  std::vector<LyricLine> sorted;
  sorted.reserve(entries.size());
  for (std::size_t index : exchangeSortOrder(times))
    sorted.push_back(std::move(entries[index]));
  return sorted;
}

// The duration of a line that no later line ends (the last one, or one with the next's time).
constexpr float kOpenLineDuration = 1.0f;

LinePlace findLine(const std::vector<LyricLine> &lines, float position) {
  const int last = static_cast<int>(lines.size()) - 1;
  const auto started = std::partition_point(lines.begin(), lines.end(), [position](const LyricLine &l) {
    return static_cast<double>(l.time) < static_cast<double>(position);
  });
  LinePlace p;
  p.c = std::max(static_cast<int>(started - lines.begin()) - 1, 0);
  p.n = std::min(p.c + 1, last);
  p.q = std::max(p.c - 1, 0);
  const std::int32_t span = lines[p.n].time - lines[p.c].time;
  p.d = span == 0 ? kOpenLineDuration : static_cast<float>(span);
  p.r = static_cast<float>(lines[p.n].time) - position;
  p.e = position - static_cast<float>(lines[p.c].time);
  if (p.n == p.c && p.e > 0) {
    // The last line has begun and nothing follows it: it holds where a line starts, fully
    // lit, until the song ends or new lyrics come.
    p.r = p.d;
    p.e = std::min(p.e, p.d);
  }
  return p;
}

float heldFrom(const std::vector<LyricLine> &lines) {
  return static_cast<float>(lines.back().time) + kOpenLineDuration;
}

LrcTimeline::LrcTimeline() : clock_([] { return ClockSeconds(); }) {}

bool LrcTimeline::begin(std::int32_t PMtime, bool formFile, const QString &LrcTxt, const QString &filePath) {
  QString text;
  if (formFile) {
    std::optional<QString> read = readLrcFile(filePath);
    if (!read)
      return false;
    text = std::move(*read);
  } else {
    text = LrcTxt;
  }
  if (text.isEmpty() || lyricsOverBounds(text))
    return false;
  lines_ = parseLrc(text);
  allocated_ = true;
  reference_ = clock_() - static_cast<double>(PMtime) / 100.0;
  return true;
}

void LrcTimeline::setTime(float position) {
  lastWritten_ = position;
  reference_ = (clock_() * 100.0 - static_cast<double>(position)) / 100.0;
}

float LrcTimeline::position() const {
  return static_cast<float>((clock_() - reference_) * 100.0);
}

void LrcTimeline::setClockForTesting(std::function<double()> clock) {
  clock_ = std::move(clock);
}

} // namespace lumiqo
