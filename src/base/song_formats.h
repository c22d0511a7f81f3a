#pragma once
// The kinds of song file the catalogue holds and the player plays, known by the extension
// of their path: the stream hosts name a song's path after its file, so the same extension
// tells the server what a file is and the player how to open its address.

#include <QString>

#include <string_view>

namespace lumiqo {

struct SongFormat {
  const char *extension; // lower case, with the dot
  const char *contentType;
};

inline constexpr SongFormat kSongFormats[] = {
    {".mp3", "audio/mpeg"}, {".wma", "audio/x-ms-wma"}, {".flac", "audio/flac"}, {".m4a", "audio/mp4"},
    {".aac", "audio/aac"},  {".ogg", "audio/ogg"},      {".opus", "audio/ogg"},
};

// The format a file name ends in (its extension in any letter case), or nullptr.
inline const SongFormat *songFormatOf(std::string_view name) {
  for (const SongFormat &format : kSongFormats) {
    const std::string_view ext(format.extension);
    if (name.size() <= ext.size())
      continue;
    const std::string_view tail = name.substr(name.size() - ext.size());
    bool same = true;
    for (size_t i = 0; i < ext.size() && same; ++i)
      same = (tail[i] >= 'A' && tail[i] <= 'Z' ? tail[i] + ('a' - 'A') : tail[i]) == ext[i];
    if (same)
      return &format;
  }
  return nullptr;
}

// How the player opens a stream address: WMA through its own call, every other song format
// as the URL stream that MP3 uses; None plays nothing.
enum class StreamKind { Mp3, Wma, None };

// ".mp3" anywhere in the address wins, then ".wma" anywhere; otherwise the address's path
// (before any query) ending in another song format's extension is opened as MP3 is.
inline StreamKind streamKindFor(const QString &address) {
  if (address.contains(QLatin1String(".mp3")))
    return StreamKind::Mp3;
  if (address.contains(QLatin1String(".wma")))
    return StreamKind::Wma;
  const QString path = address.section(QLatin1Char('?'), 0, 0);
  for (const SongFormat &format : kSongFormats) {
    if (path.endsWith(QLatin1String(format.extension)))
      return StreamKind::Mp3;
  }
  return StreamKind::None;
}

} // namespace lumiqo
