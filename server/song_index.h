#pragma once
// Writes a song's search entries: its row of the trigram index and its one- and
// two-character pieces. Used by the import (and by whoever fills a catalogue directly).

#include "sqlite.h"

#include <cstdint>
#include <string>

namespace lumiqo::server {

class SongIndexWriter {
public:
  explicit SongIndexWriter(Database &db);

  // Replaces whatever the index held for the song. Texts are UTF-8; lyrics without tags.
  void write(std::int64_t songId, const std::string &title, const std::string &artist,
             const std::string &album, const std::string &lyricsPlain);
  void remove(std::int64_t songId);

private:
  Statement removeText_;
  Statement removeGrams_;
  Statement insertText_;
  Statement insertGram_;
};

} // namespace lumiqo::server
