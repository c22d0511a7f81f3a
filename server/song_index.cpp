#include "song_index.h"

#include "short_grams.h"

namespace lumiqo::server {

SongIndexWriter::SongIndexWriter(Database &db)
    : removeText_(db.prepare("DELETE FROM songs_fts WHERE rowid = ?1")),
      removeGrams_(db.prepare("DELETE FROM short_grams WHERE song_id = ?1")),
      insertText_(db.prepare(
          "INSERT INTO songs_fts(rowid, title, artist, album, lyrics) VALUES(?1, ?2, ?3, ?4, ?5)")),
      insertGram_(db.prepare("INSERT INTO short_grams(gram, song_id, field) VALUES(?1, ?2, ?3)")) {}

void SongIndexWriter::remove(std::int64_t songId) {
  removeText_.bind(1, songId).run();
  removeText_.reset();
  removeGrams_.bind(1, songId).run();
  removeGrams_.reset();
}

void SongIndexWriter::write(std::int64_t songId, const std::string &title, const std::string &artist,
                            const std::string &album, const std::string &lyricsPlain) {
  remove(songId);
  insertText_.bind(1, songId).bind(2, title).bind(3, artist).bind(4, album).bind(5, lyricsPlain).run();
  insertText_.reset();
  const std::pair<GramField, const std::string *> fields[] = {
      {kGramTitle, &title}, {kGramArtist, &artist}, {kGramAlbum, &album}, {kGramLyrics, &lyricsPlain}};
  for (const auto &[field, text] : fields) {
    for (const std::string &gram : shortGrams(QString::fromStdString(*text))) {
      insertGram_.bind(1, gram).bind(2, songId).bind(3, std::int64_t{field}).run();
      insertGram_.reset();
    }
  }
}

} // namespace lumiqo::server
