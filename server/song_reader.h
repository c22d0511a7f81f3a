#pragma once
// One song of the folder as the catalogue keeps it: its fields from the tags (or the file's
// name, or catalogue.ini), its lyrics from the sidecar .lrc or else from the file's own tags.
// Reading runs on the import's worker threads: it touches nothing shared.

#include "folder_walk.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace lumiqo::server {

// What the import knows of a song before reading it.
struct SongSource {
  FoundFile file;                   // realPath empty: a song of catalogue.ini whose file is missing
  std::optional<FoundFile> sidecar; // the .lrc of the same name beside it
  std::optional<std::pair<QString, QString>> byHand; // title and artist from catalogue.ini

  // Changes whenever what the song is read from changes: the file, the sidecar, the hand entry.
  std::string fingerprint() const;
};

// Something the reading has to say: a warning, and whether it left something out.
struct ImportNote {
  std::optional<Skip> skipped;
  std::string text; // printable
};

struct SongRecord {
  std::string relPath;
  std::string file; // resolved path
  std::string link;
  std::string streamPath;
  std::string fingerprint;
  std::string title; // list fields: no "," and no line breaks
  std::string artist;
  std::string album;
  std::optional<std::string> lyrics; // LRC with CR LF line ends
  std::string lyricsPlain;
};

struct SongReading {
  std::optional<SongRecord> record; // nullopt: skipped (a note says why)
  std::vector<ImportNote> notes;
};

SongReading readSong(const SongSource &source);

// A lyrics file on its own, offered by the lyrics search: title and artist from its [ti:] and
// [ar:] tags or its name.
struct LyricsRecord {
  std::string source; // relPath of the .lrc
  std::string fingerprint;
  std::string title;
  std::string artist;
  std::string album;
  std::string lrc;
};

struct LyricsReading {
  std::optional<LyricsRecord> record;
  std::vector<ImportNote> notes;
};

LyricsReading readLyricsFile(const FoundFile &file);
// What readLyricsFile's record carries as its fingerprint, known without reading the file.
std::string lyricsFingerprint(const FoundFile &file);

// A list field may not hold the record separators: "," becomes a full-width comma and line
// breaks and tabs become spaces.
std::string listField(QString text);

// A file name's bytes as text: UTF-8 when they are, else GBK (names from old Windows archives).
QString nameText(std::string_view bytes);

} // namespace lumiqo::server
