#include "import_writer.h"

#include "base/song_formats.h"
#include "safe_file.h"

#include <QCryptographicHash>

#include <algorithm>

namespace lumiqo::server {

std::string songLink(const std::string &relativePath) {
  const QByteArray hash =
      QCryptographicHash::hash(QByteArray::fromStdString(relativePath), QCryptographicHash::Sha1);
  return "lq" + hash.toHex().left(14).toStdString();
}

std::string streamPathFor(const std::string &link, const std::string &extension) {
  static const char *const kFolders[] = {"19z", "21z", "music"};
  unsigned sum = 0;
  for (char c : link)
    sum += static_cast<unsigned char>(c);
  return std::string(kFolders[sum % 3]) + "/" + link + extension;
}

std::string streamExtension(const std::string &relPath) {
  if (const SongFormat *format = songFormatOf(relPath))
    return format->extension;
  const auto slash = relPath.rfind('/');
  const auto dot = relPath.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return {};
  std::string ext = relPath.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

CatalogueWriter::CatalogueWriter(Database &db, bool reindex)
    : db_(db), reindex_(reindex), index_(db),
      insert_(db.prepare("INSERT INTO songs(rel_path, file, link, stream_path, title, artist, album, lyrics, "
                         "lyrics_plain, fingerprint) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)")),
      update_(db.prepare("UPDATE songs SET file = ?2, stream_path = ?4, title = ?5, artist = ?6, album = ?7, "
                         "lyrics = ?8, lyrics_plain = ?9, fingerprint = ?10 WHERE id = ?1")),
      indexFields_(db.prepare("SELECT title, artist, album, lyrics_plain FROM songs WHERE id = ?1")),
      upsertLyrics_(db.prepare("INSERT INTO lyric_files(source, title, artist, album, lrc, fingerprint) "
                               "VALUES(?1, ?2, ?3, ?4, ?5, ?6) "
                               "ON CONFLICT(source) DO UPDATE SET title = ?2, artist = ?3, album = ?4, lrc = "
                               "?5, fingerprint = ?6")),
      removeLyrics_(db.prepare("DELETE FROM lyric_files WHERE source = ?1")) {
  Statement songs = db.prepare("SELECT id, rel_path, link, fingerprint FROM songs");
  while (songs.step()) {
    known_.emplace(songs.text(1), Known{songs.integer(0), songs.text(2), songs.text(3)});
    links_.insert(songs.text(2));
  }
  Statement lyrics = db.prepare("SELECT source, fingerprint FROM lyric_files");
  while (lyrics.step())
    lyricsFiles_.emplace(lyrics.text(0), lyrics.text(1));
}

bool CatalogueWriter::isCurrent(const std::string &relPath, const std::string &fingerprint) const {
  const auto it = known_.find(relPath);
  return it != known_.end() && it->second.fingerprint == fingerprint;
}

void CatalogueWriter::keep(const std::string &relPath) {
  Known &song = known_.at(relPath);
  song.seen = true;
  idsByPath_[relPath] = song.id;
  keptLyrics_.insert(relPath);
  if (reindex_)
    writeIndex(song.id);
  ++counts_.unchanged;
}

void CatalogueWriter::write(SongRecord r) {
  const auto it = known_.find(r.relPath);
  const bool known = it != known_.end();
  if (known) {
    r.link = it->second.link; // a song keeps its link
  } else {
    r.link = freeLink(songLink(r.relPath));
  }
  r.streamPath = streamPathFor(r.link, streamExtension(r.relPath));
  Statement &st = known ? update_ : insert_;
  if (known)
    st.bind(1, it->second.id);
  else
    st.bind(1, r.relPath);
  st.bind(2, r.file)
      .bind(3, r.link)
      .bind(4, r.streamPath)
      .bind(5, r.title)
      .bind(6, r.artist)
      .bind(7, r.album)
      .bind(8, r.lyrics)
      .bind(9, r.lyricsPlain)
      .bind(10, r.fingerprint)
      .run();
  st.reset();
  const std::int64_t id = known ? it->second.id : db_.lastInsertId();
  if (known) {
    it->second.seen = true;
    ++counts_.updated;
  } else {
    known_.emplace(r.relPath, Known{id, r.link, r.fingerprint, true});
    ++counts_.added;
  }
  idsByPath_[r.relPath] = id;
  index_.write(id, r.title, r.artist, r.album, r.lyricsPlain);
  writeSongLyrics(r);
}

// Two paths whose links collide: the later one gets a suffix.
std::string CatalogueWriter::freeLink(const std::string &base) {
  std::string link = base;
  for (int n = 2; links_.count(link); ++n)
    link = base + "x" + std::to_string(n);
  links_.insert(link);
  return link;
}

void CatalogueWriter::writeIndex(std::int64_t id) {
  indexFields_.bind(1, id);
  if (indexFields_.step())
    index_.write(id, indexFields_.text(0), indexFields_.text(1), indexFields_.text(2), indexFields_.text(3));
  indexFields_.reset();
}

// A song's lyrics are offered by the lyrics search too.
void CatalogueWriter::writeSongLyrics(const SongRecord &r) {
  keptLyrics_.insert(r.relPath);
  if (r.lyrics) {
    writeLyricsFile({r.relPath, r.fingerprint, r.title, r.artist, r.album, *r.lyrics});
  } else {
    removeLyrics_.bind(1, r.relPath).run();
    removeLyrics_.reset();
  }
}

bool CatalogueWriter::isCurrentLyricsFile(const std::string &source, const std::string &fingerprint) const {
  const auto it = lyricsFiles_.find(source);
  return it != lyricsFiles_.end() && it->second == fingerprint;
}

void CatalogueWriter::keepLyricsFile(const std::string &source) {
  keptLyrics_.insert(source);
}

void CatalogueWriter::writeLyricsFile(const LyricsRecord &l) {
  keptLyrics_.insert(l.source);
  upsertLyrics_.bind(1, l.source)
      .bind(2, l.title)
      .bind(3, l.artist)
      .bind(4, l.album)
      .bind(5, l.lrc)
      .bind(6, l.fingerprint)
      .run();
  upsertLyrics_.reset();
}

void CatalogueWriter::finish(const std::string &root, const CatalogueManifest &manifest,
                             const std::function<void(const std::string &)> &warning) {
  Statement remove = db_.prepare("DELETE FROM songs WHERE id = ?1");
  for (const auto &[path, song] : known_) {
    if (song.seen)
      continue;
    remove.bind(1, song.id).run();
    remove.reset();
    index_.remove(song.id);
    ++counts_.removed;
  }
  for (const auto &[source, fingerprint] : lyricsFiles_) {
    if (!keptLyrics_.count(source)) {
      removeLyrics_.bind(1, source).run();
      removeLyrics_.reset();
    }
  }

  db_.exec("DELETE FROM list_entries");
  Statement insert = db_.prepare("INSERT INTO list_entries(list, pos, song_id) VALUES(?1, ?2, ?3)");
  for (std::size_t list = 0; list < manifest.lists.size(); ++list) {
    std::vector<std::int64_t> ids;
    if (manifest.lists[list]) {
      for (const ManifestEntry &e : *manifest.lists[list]) {
        const auto it = idsByPath_.find(e.relPath());
        if (it == idsByPath_.end())
          warning("catalogue.ini: no song " + printableName(e.path.toStdString()));
        else
          ids.push_back(it->second);
      }
    } else if (list == 0) {
      // Without a start list in catalogue.ini, every song starts the player.
      for (const auto &[path, id] : idsByPath_)
        ids.push_back(id);
    }
    for (std::size_t pos = 0; pos < ids.size(); ++pos) {
      insert.bind(1, static_cast<std::int64_t>(list))
          .bind(2, static_cast<std::int64_t>(pos))
          .bind(3, ids[pos])
          .run();
      insert.reset();
    }
  }
  db_.prepare("INSERT OR REPLACE INTO catalogue_meta(key, value) VALUES('folder', ?1)").bind(1, root).run();
}

} // namespace lumiqo::server
