// begin on a lyrics text: any text within the lyrics bounds gives one entry per "[" plus one,
// sorted by time (a text beyond them none), and the fast exchange-sort order equals the plain
// exchange sort.
#include "base/lyrics_bounds.h"
#include "lyrics/exchange_order.h"
#include "lyrics/lrc_timeline.h"

#include <QString>
#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
  lumiqo::LrcTimeline timeline;
  const bool built = timeline.begin(0, false, text, QString());
  if (built != (!text.isEmpty() && !lumiqo::lyricsOverBounds(text)))
    __builtin_trap();
  if (!built)
    return 0;
  const auto &lines = timeline.lines();
  if (lines.size() != static_cast<std::size_t>(text.count(u'[')) + 1)
    __builtin_trap();
  if (!std::is_sorted(lines.begin(), lines.end(), [](auto &a, auto &b) { return a.time < b.time; }))
    __builtin_trap();
  const lumiqo::LinePlace place = lumiqo::findLine(lines, static_cast<float>(size % 9000));
  if (place.c < 0 || place.n >= static_cast<int>(lines.size()) || place.d < 1)
    __builtin_trap();

  // The bytes as a list of times with many ties.
  if (size <= 400) {
    std::vector<std::int32_t> times(data, data + size);
    for (auto &t : times)
      t %= 7;
    if (lumiqo::exchangeSortOrder(times) != lumiqo::plainExchangeSortOrder(times))
      __builtin_trap();
  }
  return 0;
}
