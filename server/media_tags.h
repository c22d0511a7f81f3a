#pragma once
// Title, artist and album of an audio file, read from its tags through FFmpeg.

#include <optional>
#include <string>

namespace lumiqo::server {

struct MediaTags {
  std::string title;
  std::string artist;
  std::string album;
};

// Empty fields for missing tags; nullopt when FFmpeg cannot open the file at all.
// Tags stored as Latin-1 that are really GBK bytes (common in older Chinese files) are
// read as GBK.
std::optional<MediaTags> readMediaTags(const std::string &path);

} // namespace lumiqo::server
