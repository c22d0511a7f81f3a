// Search latency over a synthetic catalogue of $LUMIQO_BENCH_SONGS songs (default 1 000 000;
// rows only, no audio). The database is built once into $LUMIQO_BENCH_DB (default
// /tmp/lumiqo-bench-SONGS-v3.db) and reused; it prints its size per song once built. Each benchmark runs its
// queries one by one and reports the median and the 99th percentile in milliseconds, per term length: one and
// two characters take the index of short pieces, three and more the trigram index.

#include "catalogue_store.h"
#include "schema.h"
#include "short_grams.h"
#include "sqlite.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

using namespace lumiqo::server;

namespace {

int songCount() {
  static const int songs = [] {
    const char *env = std::getenv("LUMIQO_BENCH_SONGS");
    return env && std::atoi(env) > 0 ? std::atoi(env) : 1'000'000;
  }();
  return songs;
}

const char32_t kChars[] = U"的一是不我你他她们这那爱心情月光星风雨花海夜晚天地人生梦想时间路上家远方"
                          U"歌唱等待回忆春夏秋冬城市小巷街灯窗外云朵山河水火快乐幸福眼泪微笑温柔"
                          U"寂寞孤单相遇离开永远明天昨天今天青春少年故事朋友世界和平自由飞翔翅膀";

std::string utf8(const std::u32string &s) {
  std::string out;
  for (char32_t c : s) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::u32string words(std::mt19937 &rng, int least, int most) {
  const size_t n = sizeof kChars / sizeof kChars[0] - 1;
  std::u32string out;
  const int len = std::uniform_int_distribution<int>(least, most)(rng);
  for (int i = 0; i < len; ++i)
    out += kChars[rng() % n];
  return out;
}

std::vector<std::string> artistNames() {
  std::vector<std::string> names;
  QFile file(QStringLiteral(LUMIQO_ARTISTS_FILE));
  if (file.open(QIODevice::ReadOnly)) {
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
      names.push_back(line.section(QLatin1Char('\t'), 2).toStdString());
  }
  if (names.empty())
    names.push_back("群星");
  return names;
}

std::string dbPath() {
  const char *env = std::getenv("LUMIQO_BENCH_DB");
  return env ? env : "/tmp/lumiqo-bench-" + std::to_string(songCount()) + "-v3.db";
}

void buildCatalogue(const std::string &path) {
  if (std::filesystem::exists(path))
    return;
  const std::string partial = path + ".partial";
  std::filesystem::remove(partial);
  {
    Database db(partial, Database::Mode::ReadWrite);
    ensureSchema(db);
    // A bulk load into a file nobody reads yet: no journal, a large cache.
    db.exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-1000000");
    const auto artists = artistNames();
    std::mt19937 rng(20261209);
    // Bulk load: rows first, the indexes after.
    db.exec("DROP INDEX short_grams_gram; DROP INDEX short_grams_song;");
    Transaction tx(db);
    Statement gram = db.prepare("INSERT INTO short_grams(gram, song_id, field) VALUES(?1, ?2, ?3)");
    Statement insert =
        db.prepare("INSERT INTO songs(id, rel_path, file, link, stream_path, title, artist, album, "
                   "lyrics_plain) VALUES(?1, ?2, ?2, ?2, ?2, ?3, ?4, ?5, ?6)");
    for (int i = 1; i <= songCount(); ++i) {
      std::u32string title = words(rng, 2, 7);
      if (rng() % 10 == 0)
        title += U" Remix";
      const std::string fields[] = {utf8(title), artists[rng() % artists.size()], utf8(words(rng, 2, 5)),
                                    utf8(words(rng, 6, 10))};
      insert.bind(1, std::int64_t{i})
          .bind(2, "lq" + std::to_string(i))
          .bind(3, fields[0])
          .bind(4, fields[1])
          .bind(5, fields[2])
          .bind(6, fields[3])
          .run();
      insert.reset();
      for (std::int64_t f = 0; f < 4; ++f) {
        for (const std::string &g : shortGrams(QString::fromStdString(fields[f]))) {
          gram.bind(1, g).bind(2, std::int64_t{i}).bind(3, f).run();
          gram.reset();
        }
      }
    }
    db.exec("INSERT INTO songs_fts(rowid, title, artist, album, lyrics) "
            "SELECT id, title, artist, album, lyrics_plain FROM songs");
    tx.commit();
    ensureSchema(db); // the indexes again, and the journal as the server has it
    db.exec("ANALYZE");
  }
  std::filesystem::rename(partial, path);
  std::printf("catalogue of %d songs: %.0f MB, %.0f bytes per song\n", songCount(),
              double(std::filesystem::file_size(path)) / 1e6,
              double(std::filesystem::file_size(path)) / songCount());
}

CatalogueStore &store() {
  static CatalogueStore *s = [] {
    buildCatalogue(dbPath());
    return new CatalogueStore(dbPath());
  }();
  return *s;
}

// Terms of the given length, cut from real titles (and artists and lyrics for keywords).
std::vector<std::string> terms(int length, int count) {
  Database db(dbPath(), Database::Mode::ReadOnly);
  Statement st = db.prepare("SELECT title, artist, lyrics_plain FROM songs WHERE id = ?1");
  std::mt19937 rng(length);
  std::vector<std::string> out;
  while (static_cast<int>(out.size()) < count) {
    st.reset();
    st.bind(1, static_cast<std::int64_t>(rng() % songCount() + 1));
    if (!st.step())
      continue;
    const QString text = QString::fromStdString(st.text(rng() % 3 == 0 ? 2 : 0));
    const QList<uint> cps = text.toUcs4();
    if (cps.size() < length)
      continue;
    const qsizetype at = rng() % (cps.size() - length + 1);
    const QList<uint> cut = cps.mid(at, length);
    out.push_back(
        QString::fromUcs4(reinterpret_cast<const char32_t *>(cut.data()), cut.size()).toStdString());
  }
  return out;
}

void SearchLatency(benchmark::State &state) {
  const int length = static_cast<int>(state.range(0));
  const auto field = static_cast<SearchField>(state.range(1));
  CatalogueStore &s = store();
  const auto queries = terms(length, 400);
  std::vector<double> ms;
  size_t i = 0, rows = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const auto found = s.search(queries[i++ % queries.size()], field);
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    rows += found.size();
  }
  std::sort(ms.begin(), ms.end());
  state.counters["p50_ms"] = ms[ms.size() / 2];
  state.counters["p99_ms"] = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
  state.counters["rows"] = static_cast<double>(rows) / static_cast<double>(ms.size());
}

// Arguments: term length in characters, field (0 title, 1 artist, 2 keyword).
BENCHMARK(SearchLatency)
    ->ArgsProduct({{1, 2, 3, 4}, {0, 2}})
    ->Args({3, 1})
    ->Iterations(400)
    ->Unit(benchmark::kMillisecond);

void ArtistPage(benchmark::State &state) {
  CatalogueStore &s = store();
  const auto artists = artistNames();
  size_t i = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(s.byArtist(artists[i++ % artists.size()]));
}
BENCHMARK(ArtistPage)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
