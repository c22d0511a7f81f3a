#include "catalogue_store.h"

#include "short_grams.h"

#include <array>

namespace lumiqo::server {
namespace {

enum Query {
  kList,
  kArtist,
  kFtsTitle,
  kFtsArtist,
  kFtsKeyword,
  kShortTitle,
  kShortArtist,
  kShortKeyword,
  kTranslate,
  kStreamFile,
  kFindLyrics,
  kLyricsFile,
  kFolder,
  kQueryCount
};

#define ROWS "SELECT title, artist, link FROM songs "
#define FTS_ROWS "SELECT s.title, s.artist, s.link FROM songs_fts f JOIN songs s ON s.id = f.rowid "
#define GRAM_ROWS "SELECT s.title, s.artist, s.link FROM short_grams g JOIN songs s ON s.id = g.song_id "
#define LIMIT " LIMIT 500"

constexpr std::array<const char *, kQueryCount> kSql = {
    "SELECT s.title, s.artist, s.link FROM list_entries e JOIN songs s ON s.id = e.song_id "
    "WHERE e.list = ?1 ORDER BY e.pos",
    ROWS "WHERE artist = ?1 COLLATE NOCASE ORDER BY title, id" LIMIT,
    FTS_ROWS "WHERE songs_fts MATCH 'title : ' || ?1 ORDER BY f.rowid" LIMIT,
    FTS_ROWS "WHERE songs_fts MATCH 'artist : ' || ?1 ORDER BY f.rowid" LIMIT,
    FTS_ROWS "WHERE songs_fts MATCH ?1 ORDER BY f.rowid" LIMIT,
    GRAM_ROWS "WHERE g.gram = ?1 AND g.field = 0 ORDER BY g.song_id" LIMIT,
    GRAM_ROWS "WHERE g.gram = ?1 AND g.field = 1 ORDER BY g.song_id" LIMIT,
    GRAM_ROWS "WHERE g.gram = ?1 GROUP BY g.song_id ORDER BY g.song_id" LIMIT,
    "SELECT stream_path, lyrics FROM songs WHERE link = ?1",
    "SELECT file FROM songs WHERE stream_path = ?1",
    "SELECT id FROM lyric_files WHERE title = ?1 COLLATE NOCASE "
    "AND (?2 = '' OR artist = ?2 COLLATE NOCASE) ORDER BY id LIMIT 20",
    "SELECT title, artist, album, lrc FROM lyric_files WHERE id = ?1",
    "SELECT value FROM catalogue_meta WHERE key = 'folder'",
};

#undef ROWS
#undef FTS_ROWS
#undef GRAM_ROWS
#undef LIMIT

// A trigram phrase: the term in double quotes, its own quotes doubled.
std::string ftsPhrase(const std::string &term) {
  std::string out = "\"";
  for (char c : term) {
    out += c;
    if (c == '"')
      out += '"';
  }
  return out + '"';
}

std::vector<ListRow> rows(Statement &st) {
  std::vector<ListRow> out;
  while (st.step())
    out.push_back({st.text(0), st.text(1), st.text(2)});
  return out;
}

} // namespace

std::size_t utf8Length(std::string_view text) {
  std::size_t n = 0;
  for (char c : text)
    n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

struct CatalogueStore::Reader {
  explicit Reader(const std::string &path) : db(path, Database::Mode::ReadOnly) {}

  Statement &statement(Query q) {
    auto &slot = statements[q];
    if (!slot)
      slot = std::make_unique<Statement>(db.prepare(kSql[q]));
    return *slot;
  }

  Database db;
  std::array<std::unique_ptr<Statement>, kQueryCount> statements;
};

// A borrowed reader; goes back to the pool when the request is done. Its statement is
// reset on return, so a half-read result never holds a read transaction open.
class CatalogueStore::Lease {
public:
  Lease(const CatalogueStore &store, std::unique_ptr<Reader> reader)
      : store_(store), reader_(std::move(reader)) {}
  ~Lease() {
    if (!reader_)
      return;
    if (current_)
      current_->reset();
    std::lock_guard lock(store_.mutex_);
    store_.idle_.push_back(std::move(reader_));
  }
  Lease(Lease &&other) noexcept : store_(other.store_), reader_(std::move(other.reader_)) {}
  Lease(const Lease &) = delete;
  Lease &operator=(const Lease &) = delete;

  Statement &operator[](Query q) {
    current_ = &reader_->statement(q);
    current_->reset();
    return *current_;
  }

private:
  const CatalogueStore &store_;
  std::unique_ptr<Reader> reader_;
  Statement *current_ = nullptr;
};

// A connection of its own: SQLite's data version counts the commits of other connections
// since this one last asked.
struct CatalogueStore::VersionProbe {
  explicit VersionProbe(const std::string &path)
      : db(path, Database::Mode::ReadOnly), query(db.prepare("PRAGMA data_version")) {}
  std::mutex mutex;
  Database db;
  Statement query;
};

CatalogueStore::CatalogueStore(std::string dbPath)
    : path_(std::move(dbPath)), probe_(std::make_unique<VersionProbe>(path_)) {
  // Fails early on a missing file or one without the catalogue's tables.
  Lease lease = borrow();
  lease[kList].bind(1, std::int64_t{0}).step();
}

CatalogueStore::~CatalogueStore() = default;

CatalogueStore::Lease CatalogueStore::borrow() const {
  {
    std::lock_guard lock(mutex_);
    if (!idle_.empty()) {
      auto reader = std::move(idle_.back());
      idle_.pop_back();
      return Lease(*this, std::move(reader));
    }
  }
  return Lease(*this, std::make_unique<Reader>(path_));
}

std::vector<ListRow> CatalogueStore::list(int number) const {
  Lease lease = borrow();
  return rows(lease[kList].bind(1, std::int64_t{number}));
}

std::vector<ListRow> CatalogueStore::byArtist(const std::string &artist) const {
  Lease lease = borrow();
  return rows(lease[kArtist].bind(1, artist));
}

std::vector<ListRow> CatalogueStore::search(const std::string &term, SearchField field) const {
  if (term.empty())
    return {};
  Lease lease = borrow();
  const bool trigram = utf8Length(term) >= 3;
  const int offset = static_cast<int>(field);
  if (trigram)
    return rows(lease[static_cast<Query>(kFtsTitle + offset)].bind(1, ftsPhrase(term)));
  const std::string folded = foldTerm(QString::fromStdString(term)).toStdString();
  return rows(lease[static_cast<Query>(kShortTitle + offset)].bind(1, folded));
}

std::optional<Translation> CatalogueStore::translate(const std::string &link) const {
  Lease lease = borrow();
  Statement &st = lease[kTranslate].bind(1, link);
  if (!st.step())
    return std::nullopt;
  return Translation{st.text(0), st.optionalText(1)};
}

std::optional<StreamFile> CatalogueStore::streamFile(const std::string &streamPath) const {
  Lease lease = borrow();
  Statement &st = lease[kStreamFile].bind(1, streamPath);
  if (!st.step())
    return std::nullopt;
  StreamFile out{st.text(0), {}};
  st.reset();
  try {
    Statement &folder = lease[kFolder];
    if (folder.step())
      out.folder = folder.text(0);
  } catch (const SqliteError &) {
    // A catalogue of an earlier version, which did not keep its folder.
  }
  return out;
}

std::vector<std::int64_t> CatalogueStore::findLyrics(const std::string &title,
                                                     const std::string &artist) const {
  Lease lease = borrow();
  Statement &st = lease[kFindLyrics].bind(1, title).bind(2, artist);
  std::vector<std::int64_t> ids;
  while (st.step())
    ids.push_back(st.integer(0));
  return ids;
}

std::optional<LyricsFile> CatalogueStore::lyricsFile(std::int64_t id) const {
  Lease lease = borrow();
  Statement &st = lease[kLyricsFile].bind(1, id);
  if (!st.step())
    return std::nullopt;
  return LyricsFile{st.text(0), st.text(1), st.text(2), st.text(3)};
}

std::int64_t CatalogueStore::version() const {
  std::lock_guard lock(probe_->mutex);
  probe_->query.step();
  const std::int64_t version = probe_->query.integer(0);
  probe_->query.reset(); // ends the read, so the probe never holds a snapshot open
  return version;
}

} // namespace lumiqo::server
