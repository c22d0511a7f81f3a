#pragma once
// Lyrics are a few kilobytes: a song's LRC holds some hundred timed lines. A text beyond these
// bounds is no lyrics, wherever it comes from (the catalogue's reply, a lyrics file), so that
// no input costs more than a few megabytes and milliseconds to take apart and show.

#include <QStringView>

namespace lumiqo {

inline constexpr qsizetype kMaxLyricsChars = 1024 * 1024;
// Every "[" starts an entry of the timeline.
inline constexpr qsizetype kMaxLyricsTags = 10000;
// A lyrics file is GBK: at least one byte per character.
inline constexpr qint64 kMaxLyricsFileBytes = 2 * kMaxLyricsChars;

inline bool lyricsOverBounds(QStringView text) {
  return text.size() > kMaxLyricsChars || text.count(u'[') > kMaxLyricsTags;
}

} // namespace lumiqo
