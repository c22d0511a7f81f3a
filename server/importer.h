#pragma once
// Builds the catalogue database from a music folder: every song file below it (MP3, WMA,
// FLAC, M4A/AAC, Ogg Vorbis, Opus; tags through FFmpeg, the file name where they are missing),
// each song's lyrics (its sidecar .lrc, else its own lyrics tag), .lrc files without a song
// (offered by the lyrics search only), and catalogue.ini.
// The folder is a boundary: nothing outside it is read, and only regular files are opened.
// The database mirrors the folder: importing again reads only what changed (size,
// modification time, where a link leads), adds new songs, drops vanished ones, and keeps
// every song's link. Tags are read on every core; the database is written on the calling
// thread, in one transaction, so a running server sees the whole new catalogue at once.

#include "folder_walk.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstddef>
#include <functional>
#include <string>

namespace lumiqo::server {

struct ImportProgress {
  enum class Phase {
    Scanning, // looking through the folder: done counts the files found so far
    Reading,  // reading songs and lyrics: done of total
    Writing   // finishing the catalogue
  };
  Phase phase = Phase::Scanning;
  std::size_t done = 0;
  std::size_t total = 0;
};

struct ImportOptions {
  // Threads reading tags; 0: one per core.
  int threads = 0;
  // Called on the importing thread, after every file.
  std::function<void(const ImportProgress &)> progress;
  // Every warning as it arises (also kept in the report); printable.
  std::function<void(const QString &)> warning;
};

struct ImportReport {
  int added = 0;
  int updated = 0;
  int unchanged = 0;
  int removed = 0;
  int searchOnlyLyrics = 0;
  // How many things were left out, by reason (see Skip).
  std::array<int, kSkipKinds> skipped{};
  QStringList warnings;
};

// catalogue.ini is read up to this size.
inline constexpr std::uint64_t kMaxManifestBytes = 4 * 1024 * 1024;

// Throws SqliteError or std::runtime_error (the folder cannot be read).
ImportReport importFolder(const std::string &folder, const std::string &dbPath,
                          const ImportOptions &options = {});

} // namespace lumiqo::server
