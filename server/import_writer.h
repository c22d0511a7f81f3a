#pragma once
// The database side of an import, on one thread inside one transaction: songs added, changed,
// kept or dropped, with their search entries, the lyrics files of the lyrics search, the
// lists of catalogue.ini, and the imported folder. A song keeps its link across imports.

#include "catalogue_ini.h"
#include "song_index.h"
#include "song_reader.h"
#include "sqlite.h"

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>

namespace lumiqo::server {

struct ImportCounts {
  int added = 0;
  int updated = 0;
  int unchanged = 0;
  int removed = 0;
};

class CatalogueWriter {
public:
  // reindex: the search indexes are out of date and are written for every song.
  CatalogueWriter(Database &db, bool reindex);

  // True when the catalogue holds the song under `relPath` read from the same sources; the
  // song then stays as it is (see keep).
  bool isCurrent(const std::string &relPath, const std::string &fingerprint) const;
  void keep(const std::string &relPath);
  void write(SongRecord record);

  bool isCurrentLyricsFile(const std::string &source, const std::string &fingerprint) const;
  void keepLyricsFile(const std::string &source);
  void writeLyricsFile(const LyricsRecord &record);

  // Drops what was neither kept nor written, writes the lists and the folder. `warning` hears
  // of the entries of catalogue.ini that name no song.
  void finish(const std::string &root, const CatalogueManifest &manifest,
              const std::function<void(const std::string &)> &warning);

  const ImportCounts &counts() const { return counts_; }

private:
  struct Known {
    std::int64_t id;
    std::string link;
    std::string fingerprint;
    bool seen = false;
  };

  void writeIndex(std::int64_t id);
  void writeSongLyrics(const SongRecord &record);
  std::string freeLink(const std::string &base);

  Database &db_;
  const bool reindex_;
  SongIndexWriter index_;
  Statement insert_;
  Statement update_;
  Statement indexFields_;
  Statement upsertLyrics_;
  Statement removeLyrics_;
  std::map<std::string, Known> known_;
  std::set<std::string> links_;
  std::map<std::string, std::int64_t> idsByPath_;
  std::map<std::string, std::string> lyricsFiles_; // source -> fingerprint
  std::set<std::string> keptLyrics_;
  ImportCounts counts_;
};

// The catalogue link of a song: letters and digits only, derived from its path below the
// folder, so it survives re-imports (the favourites file keeps links).
std::string songLink(const std::string &relativePath);

// The path the stream hosts serve a song under: "19z/", "21z/" (the W host) or "music/"
// (the O host), then the link and the extension (lower case, with its dot).
std::string streamPathFor(const std::string &link, const std::string &extension);

// The extension a song's path is served with: its song format's, else its own in lower case.
std::string streamExtension(const std::string &relPath);

} // namespace lumiqo::server
