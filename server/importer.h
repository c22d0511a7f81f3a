#pragma once
// Builds the catalogue database from a music folder: every MP3 and WMA below it (tags
// through FFmpeg, the file name where they are missing), sidecar .lrc files (UTF-8 or GBK),
// .lrc files without a song (offered by the lyrics search only), and catalogue.ini.
// The database mirrors the folder: importing again updates changed songs, adds new ones and
// drops vanished ones, and keeps every song's link.

#include <QString>
#include <QStringList>

#include <string>

namespace lumiqo::server {

struct ImportReport {
  int added = 0;
  int updated = 0;
  int unchanged = 0;
  int removed = 0;
  int searchOnlyLyrics = 0;
  QStringList warnings;
};

// Throws SqliteError or std::runtime_error (the folder cannot be read).
ImportReport importFolder(const std::string &folder, const std::string &dbPath);

// The catalogue link of a song: letters and digits only, derived from its path below the
// folder, so it survives re-imports (the favourites file keeps links).
std::string songLink(const std::string &relativePath);

// The path the stream hosts serve a song under: "19z/", "21z/" (the W host) or "music/"
// (the O host), then the link and the file's extension.
std::string streamPathFor(const std::string &link, const std::string &extension);

} // namespace lumiqo::server
