#pragma once
// Title, artist, album and lyrics of an audio file, read from its tags through FFmpeg: ID3v1
// and ID3v2 (MP3), ASF (WMA), Vorbis comments (FLAC, Ogg Vorbis, Opus) and MP4 atoms (M4A).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lumiqo::server {

struct MediaTags {
  std::string title; // UTF-8; empty when the file has none
  std::string artist;
  std::string album;
  std::string lyrics; // ID3 USLT, Vorbis LYRICS or UNSYNCEDLYRICS, MP4 ©lyr; as the tag holds them
};

// FFmpeg reads at most this much of a file for its tags (cover pictures included); a file
// that needs more is not read.
inline constexpr std::uint64_t kMaxTagBytes = 32 * 1024 * 1024;

// Reads the tags of the open file `fd` (read from its start, by pread, so the descriptor's
// offset does not matter); `name` is the file's name, for FFmpeg's guess of the format.
// nullopt when FFmpeg cannot read it as one of the song containers.
std::optional<MediaTags> readMediaTags(int fd, const std::string &name);

// A tag's text as FFmpeg hands it over, made UTF-8: valid UTF-8 whose characters are all
// Latin-1 and whose bytes form GBK is GBK (Chinese files tagged by Windows programs declare
// their GBK bytes as Latin-1); bytes that are not UTF-8 at all (an ID3v1 tag, which FFmpeg
// passes on as it stands) are GBK when they decode as GBK, else Latin-1.
std::string repairTagText(std::string_view text);

} // namespace lumiqo::server
