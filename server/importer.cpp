#include "importer.h"

#include "catalogue_ini.h"
#include "lrc_text.h"
#include "media_tags.h"
#include "schema.h"
#include "song_index.h"
#include "sqlite.h"

extern "C" {
#include <libavutil/log.h>
}

#include <QCryptographicHash>
#include <QFile>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>

namespace fs = std::filesystem;

namespace lumiqo::server {
namespace {

struct SongRecord {
  std::string relPath;
  std::string file;
  std::string link;
  std::string streamPath;
  std::string title;
  std::string artist;
  std::string album;
  std::optional<std::string> lyrics;
  std::string lyricsPlain;

  bool sameAs(const SongRecord &o) const {
    return file == o.file && streamPath == o.streamPath && title == o.title && artist == o.artist &&
           album == o.album && lyrics == o.lyrics;
  }
};

struct LyricsRecord {
  std::string source;
  std::string title;
  std::string artist;
  std::string album;
  std::string lrc;
};

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

std::string utf8(const QString &s) {
  return s.toStdString();
}

// A list field may not hold the record separators: "," becomes a full-width comma and
// line breaks become spaces.
std::string listField(QString s) {
  s.replace(QLatin1Char(','), QChar(0xFF0C));
  for (QChar &c : s) {
    if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\t'))
      c = QLatin1Char(' ');
  }
  return utf8(s.simplified());
}

std::optional<QString> readLrc(const fs::path &path) {
  QFile file(QString::fromStdString(path.string()));
  if (!file.open(QIODevice::ReadOnly))
    return std::nullopt;
  return decodeLrc(file.readAll());
}

// "Artist - Title" file names give both fields; any other name is the title.
void fillFromFileName(const fs::path &file, QString &title, QString &artist) {
  const QString stem = QString::fromStdString(file.stem().string());
  const qsizetype dash = stem.indexOf(QLatin1String(" - "));
  if (title.isEmpty())
    title = dash > 0 ? stem.mid(dash + 3).trimmed() : stem;
  if (artist.isEmpty())
    artist = dash > 0 ? stem.left(dash).trimmed() : QStringLiteral("未知歌手");
}

std::string relativeKey(const fs::path &root, const fs::path &file) {
  return file.lexically_relative(root).lexically_normal().generic_string();
}

class FolderScan {
public:
  explicit FolderScan(const fs::path &root) : root_(root) {
    std::error_code ec;
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec);
    if (ec)
      throw std::runtime_error("cannot read " + root.string() + ": " + ec.message());
    for (const auto &entry : it) {
      if (!entry.is_regular_file())
        continue;
      const std::string ext = lower(entry.path().extension().string());
      if (ext == ".mp3" || ext == ".wma")
        audio.push_back(entry.path());
      else if (ext == ".lrc")
        lrc[stemKey(entry.path())] = entry.path();
    }
    std::sort(audio.begin(), audio.end());
  }

  // The sidecar of an audio file: same folder, same name, extension .lrc in any case.
  std::optional<fs::path> sidecar(const fs::path &audioFile) {
    auto it = lrc.find(stemKey(audioFile));
    if (it == lrc.end())
      return std::nullopt;
    used_.insert(it->first);
    return it->second;
  }

  std::vector<fs::path> unusedLyrics() const {
    std::vector<fs::path> out;
    for (const auto &[key, path] : lrc) {
      if (!used_.count(key))
        out.push_back(path);
    }
    return out;
  }

  std::vector<fs::path> audio;

private:
  std::string stemKey(const fs::path &p) const { return relativeKey(root_, p.parent_path() / p.stem()); }
  fs::path root_;
  std::map<std::string, fs::path> lrc;
  std::set<std::string> used_;
};

SongRecord makeRecord(const fs::path &root, const fs::path &file, QString title, QString artist,
                      QString album, FolderScan &scan, QStringList &warnings) {
  SongRecord r;
  r.relPath = relativeKey(root, file);
  r.file = file.string();
  fillFromFileName(file, title, artist);
  r.title = listField(title);
  r.artist = listField(artist);
  r.album = listField(album);
  r.link = songLink(r.relPath);
  r.streamPath = streamPathFor(r.link, lower(file.extension().string()));
  if (auto side = scan.sidecar(file)) {
    if (auto text = readLrc(*side)) {
      r.lyrics = utf8(*text);
      r.lyricsPlain = utf8(lrcPlainText(*text));
    } else {
      warnings << QStringLiteral("cannot read %1").arg(QString::fromStdString(side->string()));
    }
  }
  return r;
}

std::vector<SongRecord> collectSongs(const fs::path &root, FolderScan &scan,
                                     const CatalogueManifest &manifest, QStringList &warnings) {
  std::map<std::string, SongRecord> songs;
  for (const fs::path &file : scan.audio) {
    const auto tags = readMediaTags(file.string());
    if (!tags) {
      warnings << QStringLiteral("not an audio file FFmpeg can read, skipped: %1")
                      .arg(QString::fromStdString(file.string()));
      continue;
    }
    SongRecord r =
        makeRecord(root, file, QString::fromStdString(tags->title), QString::fromStdString(tags->artist),
                   QString::fromStdString(tags->album), scan, warnings);
    songs.emplace(r.relPath, std::move(r));
  }
  // Songs described by hand override the tags; their file may be missing.
  std::set<std::string> warned;
  for (const auto &list : manifest.lists) {
    for (const ManifestEntry &e : list.value_or(std::vector<ManifestEntry>{})) {
      if (!e.byHand())
        continue;
      const fs::path file = (root / e.path.toStdString()).lexically_normal();
      if (!fs::exists(file) && !warned.count(file.string())) {
        warned.insert(file.string());
        warnings << QStringLiteral("catalogue.ini: %1 is missing; listed anyway").arg(e.path);
      }
      auto it = songs.find(relativeKey(root, file));
      QString album = it != songs.end() ? QString::fromStdString(it->second.album) : QString();
      SongRecord r = makeRecord(root, file, e.title, e.artist, album, scan, warnings);
      songs.insert_or_assign(r.relPath, std::move(r));
    }
  }
  std::vector<SongRecord> out;
  for (auto &[key, r] : songs)
    out.push_back(std::move(r));
  return out;
}

std::vector<LyricsRecord> collectSearchOnlyLyrics(const fs::path &root, const FolderScan &scan) {
  std::vector<LyricsRecord> out;
  for (const fs::path &path : scan.unusedLyrics()) {
    const auto text = readLrc(path);
    if (!text)
      continue;
    QString title = lrcHeader(*text, QLatin1String("ti"));
    QString artist = lrcHeader(*text, QLatin1String("ar"));
    fillFromFileName(path, title, artist);
    out.push_back({relativeKey(root, path), listField(title), listField(artist),
                   listField(lrcHeader(*text, QLatin1String("al"))), utf8(*text)});
  }
  return out;
}

class Writer {
public:
  explicit Writer(Database &db) : db_(db) {}

  void writeSongs(const std::vector<SongRecord> &songs, bool reindex, ImportReport &report) {
    std::map<std::string, std::pair<std::int64_t, SongRecord>> existing;
    {
      Statement st = db_.prepare(
          "SELECT id, rel_path, file, link, stream_path, title, artist, album, lyrics FROM songs");
      while (st.step()) {
        SongRecord r{st.text(1), st.text(2), st.text(3),         st.text(4), st.text(5),
                     st.text(6), st.text(7), st.optionalText(8), {}};
        std::string key = r.relPath;
        existing.emplace(std::move(key), std::make_pair(st.integer(0), std::move(r)));
      }
    }
    std::set<std::string> links;
    for (const auto &[path, entry] : existing)
      links.insert(entry.second.link);

    Statement insert = db_.prepare(
        "INSERT INTO songs(rel_path, file, link, stream_path, title, artist, album, lyrics, lyrics_plain) "
        "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
    Statement update = db_.prepare("UPDATE songs SET file = ?2, stream_path = ?4, title = ?5, artist = ?6, "
                                   "album = ?7, lyrics = ?8, lyrics_plain = ?9 WHERE id = ?1");
    for (SongRecord r : songs) {
      auto it = existing.find(r.relPath);
      if (it != existing.end()) {
        const std::int64_t id = it->second.first;
        r.link = it->second.second.link; // a song keeps its link
        r.streamPath = streamPathFor(r.link, lower(fs::path(r.file).extension().string()));
        if (r.sameAs(it->second.second)) {
          if (reindex)
            writeIndex(id, r);
          ++report.unchanged;
        } else {
          bindSong(update, r).bind(1, id).run();
          update.reset();
          writeIndex(id, r);
          ++report.updated;
        }
        idsByPath_[r.relPath] = id;
        existing.erase(it);
        continue;
      }
      // Two paths whose links collide: the later one gets a suffix.
      const std::string base = r.link;
      for (int n = 2; links.count(r.link); ++n)
        r.link = base + "x" + std::to_string(n);
      links.insert(r.link);
      r.streamPath = streamPathFor(r.link, lower(fs::path(r.file).extension().string()));
      bindSong(insert, r).run();
      insert.reset();
      const std::int64_t id = db_.lastInsertId();
      writeIndex(id, r);
      idsByPath_[r.relPath] = id;
      ++report.added;
    }
    Statement remove = db_.prepare("DELETE FROM songs WHERE id = ?1");
    for (const auto &[path, entry] : existing) {
      remove.bind(1, entry.first).run();
      remove.reset();
      index_.remove(entry.first);
      ++report.removed;
    }
  }

  void writeLyricsFiles(const std::vector<SongRecord> &songs, const std::vector<LyricsRecord> &searchOnly) {
    std::vector<LyricsRecord> all = searchOnly;
    for (const SongRecord &r : songs) {
      if (r.lyrics)
        all.push_back({r.relPath, r.title, r.artist, r.album, *r.lyrics});
    }
    db_.exec("CREATE TEMP TABLE IF NOT EXISTS kept(source TEXT PRIMARY KEY); DELETE FROM kept;");
    Statement keep = db_.prepare("INSERT OR IGNORE INTO kept(source) VALUES(?1)");
    Statement upsert =
        db_.prepare("INSERT INTO lyric_files(source, title, artist, album, lrc) VALUES(?1, ?2, ?3, ?4, ?5) "
                    "ON CONFLICT(source) DO UPDATE SET title = ?2, artist = ?3, album = ?4, lrc = ?5");
    for (const LyricsRecord &l : all) {
      upsert.bind(1, l.source).bind(2, l.title).bind(3, l.artist).bind(4, l.album).bind(5, l.lrc).run();
      upsert.reset();
      keep.bind(1, l.source).run();
      keep.reset();
    }
    db_.exec("DELETE FROM lyric_files WHERE source NOT IN (SELECT source FROM kept)");
  }

  void writeLists(const fs::path &root, const CatalogueManifest &manifest, QStringList &warnings) {
    db_.exec("DELETE FROM list_entries");
    Statement insert = db_.prepare("INSERT INTO list_entries(list, pos, song_id) VALUES(?1, ?2, ?3)");
    for (std::size_t list = 0; list < manifest.lists.size(); ++list) {
      std::vector<std::int64_t> ids;
      if (manifest.lists[list]) {
        for (const ManifestEntry &e : *manifest.lists[list]) {
          const std::string key = relativeKey(root, (root / e.path.toStdString()).lexically_normal());
          auto it = idsByPath_.find(key);
          if (it == idsByPath_.end())
            warnings << QStringLiteral("catalogue.ini: no song %1").arg(e.path);
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
  }

private:
  static Statement &bindSong(Statement &st, const SongRecord &r) {
    return st.bind(2, r.file)
        .bind(3, r.link)
        .bind(4, r.streamPath)
        .bind(5, r.title)
        .bind(6, r.artist)
        .bind(7, r.album)
        .bind(8, r.lyrics)
        .bind(9, r.lyricsPlain)
        .bind(1, r.relPath);
  }

  void writeIndex(std::int64_t id, const SongRecord &r) {
    index_.write(id, r.title, r.artist, r.album, r.lyricsPlain);
  }

  Database &db_;
  SongIndexWriter index_{db_};
  std::map<std::string, std::int64_t> idsByPath_;
};

} // namespace

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

ImportReport importFolder(const std::string &folder, const std::string &dbPath) {
  const fs::path root = fs::absolute(folder).lexically_normal();
  if (!fs::is_directory(root))
    throw std::runtime_error(folder + " is not a folder");
  av_log_set_level(AV_LOG_ERROR); // files that are not audio are reported once, as warnings
  ImportReport report;
  FolderScan scan(root);

  CatalogueManifest manifest;
  if (auto ini = readLrc(root / "catalogue.ini")) {
    manifest = parseCatalogueIni(*ini);
    report.warnings << manifest.warnings;
  }
  const std::vector<SongRecord> songs = collectSongs(root, scan, manifest, report.warnings);
  const std::vector<LyricsRecord> searchOnly = collectSearchOnlyLyrics(root, scan);
  report.searchOnlyLyrics = static_cast<int>(searchOnly.size());

  Database db(dbPath, Database::Mode::ReadWrite);
  const bool reindex = ensureSchema(db);
  Transaction tx(db);
  Writer writer(db);
  writer.writeSongs(songs, reindex, report);
  writer.writeLyricsFiles(songs, searchOnly);
  writer.writeLists(root, manifest, report.warnings);
  markIndexesCurrent(db);
  tx.commit();
  return report;
}

} // namespace lumiqo::server
