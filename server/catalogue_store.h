#pragma once
// The read side of the catalogue database, shared by the request threads: each request
// borrows a read-only connection (with its prepared statements) from a small pool.
// Texts are UTF-8.

#include "sqlite.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace lumiqo::server {

struct ListRow {
  std::string title;
  std::string artist;
  std::string link;
};

enum class SearchField { Title = 0, Artist = 1, Keyword = 2 };

struct Translation {
  std::string streamPath;
  std::optional<std::string> lyrics;
};

struct StreamFile {
  std::string file;   // where the song's file is, resolved at import
  std::string folder; // the imported folder, resolved; "" for a catalogue imported before it was kept
};

struct LyricsFile {
  std::string title;
  std::string artist;
  std::string album;
  std::string lrc;
};

class CatalogueStore {
public:
  // Longest list a search or an artist's page answers.
  static constexpr int kMaxRows = 500;

  // Throws SqliteError when the database cannot be opened or has no catalogue.
  explicit CatalogueStore(std::string dbPath);
  ~CatalogueStore();
  CatalogueStore(const CatalogueStore &) = delete;
  CatalogueStore &operator=(const CatalogueStore &) = delete;

  // 0: the start list; 1 to 8: the charts.
  std::vector<ListRow> list(int number) const;
  std::vector<ListRow> byArtist(const std::string &artist) const;
  // Substring search, case-insensitive. Terms of three or more characters go through the
  // trigram index; shorter ones, which no trigram holds, through the index of one- and
  // two-character pieces.
  std::vector<ListRow> search(const std::string &term, SearchField field) const;
  std::optional<Translation> translate(const std::string &link) const;
  // The audio file behind a stream path.
  std::optional<StreamFile> streamFile(const std::string &streamPath) const;
  // Lyrics files whose title (and artist, unless empty) match, case-insensitively.
  std::vector<std::int64_t> findLyrics(const std::string &title, const std::string &artist) const;
  std::optional<LyricsFile> lyricsFile(std::int64_t id) const;

  // Changes whenever the catalogue has been changed (by an import) since the last call.
  std::int64_t version() const;

private:
  struct Reader;
  class Lease;
  struct VersionProbe;
  Lease borrow() const;

  std::string path_;
  mutable std::mutex mutex_;
  mutable std::vector<std::unique_ptr<Reader>> idle_;
  std::unique_ptr<VersionProbe> probe_;
};

// Number of Unicode characters in a UTF-8 text.
std::size_t utf8Length(std::string_view text);

} // namespace lumiqo::server
