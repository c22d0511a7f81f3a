#include "schema.h"

namespace lumiqo::server {

namespace {
// Raised whenever what the search indexes hold changes.
constexpr int kIndexVersion = 2;
} // namespace

bool ensureSchema(Database &db) {
  db.exec(R"sql(
CREATE TABLE IF NOT EXISTS songs(
  id INTEGER PRIMARY KEY,
  rel_path TEXT NOT NULL UNIQUE,     -- below the imported folder, '/'-separated
  file TEXT NOT NULL,                -- absolute path of the audio file
  link TEXT NOT NULL UNIQUE,         -- catalogue link: letters and digits only
  stream_path TEXT NOT NULL UNIQUE,  -- what the stream hosts serve it under
  title TEXT NOT NULL,
  artist TEXT NOT NULL,
  album TEXT NOT NULL DEFAULT '',
  lyrics TEXT,                       -- LRC text with CR LF line ends; NULL when none
  lyrics_plain TEXT NOT NULL DEFAULT '', -- the lyrics without time tags, for searching
  fingerprint TEXT NOT NULL DEFAULT ''   -- what it was read from; an import reads it again when it changes
);
CREATE INDEX IF NOT EXISTS songs_artist ON songs(artist COLLATE NOCASE);
CREATE TABLE IF NOT EXISTS list_entries(
  list INTEGER NOT NULL,
  pos INTEGER NOT NULL,
  song_id INTEGER NOT NULL REFERENCES songs(id) ON DELETE CASCADE,
  PRIMARY KEY(list, pos)
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS lyric_files(
  id INTEGER PRIMARY KEY,            -- the tGroupid of the lyrics search
  source TEXT NOT NULL UNIQUE,       -- the .lrc file below the imported folder
  title TEXT NOT NULL,
  artist TEXT NOT NULL,
  album TEXT NOT NULL DEFAULT '',
  lrc TEXT NOT NULL,
  fingerprint TEXT NOT NULL DEFAULT ''
);
CREATE INDEX IF NOT EXISTS lyric_files_title ON lyric_files(title COLLATE NOCASE);
CREATE TABLE IF NOT EXISTS short_grams(
  gram TEXT NOT NULL,                -- one or two characters, lower case
  song_id INTEGER NOT NULL,
  field INTEGER NOT NULL             -- 0 title, 1 artist, 2 album, 3 lyrics
);
CREATE INDEX IF NOT EXISTS short_grams_gram ON short_grams(gram, song_id, field);
CREATE INDEX IF NOT EXISTS short_grams_song ON short_grams(song_id);
CREATE TABLE IF NOT EXISTS catalogue_meta(
  key TEXT PRIMARY KEY,              -- 'folder': the imported folder, resolved
  value TEXT NOT NULL
);
CREATE VIRTUAL TABLE IF NOT EXISTS songs_fts USING fts5(title, artist, album, lyrics, tokenize='trigram');
)sql");
  // Catalogues of earlier versions lack the columns added since.
  for (const char *table : {"songs", "lyric_files"}) {
    Statement columns = db.prepare(std::string("PRAGMA table_info(") + table + ")");
    bool found = false;
    while (columns.step())
      found |= columns.text(1) == "fingerprint";
    if (!found)
      db.exec(std::string("ALTER TABLE ") + table + " ADD COLUMN fingerprint TEXT NOT NULL DEFAULT ''");
  }
  // Last: a bulk load that runs without a journal builds its indexes here without one too.
  db.exec("PRAGMA journal_mode=WAL");
  Statement version = db.prepare("PRAGMA user_version");
  return version.step() && version.integer(0) < kIndexVersion;
}

void markIndexesCurrent(Database &db) {
  db.exec("PRAGMA user_version = " + std::to_string(kIndexVersion));
}

} // namespace lumiqo::server
