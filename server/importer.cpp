#include "importer.h"

#include "import_writer.h"
#include "lrc_text.h"
#include "ordered_pool.h"
#include "safe_file.h"
#include "schema.h"
#include "song_reader.h"

extern "C" {
#include <libavutil/log.h>
}

#include <malloc.h>
#include <sys/stat.h>

#include <cstring>
#include <map>
#include <set>
#include <thread>

namespace lumiqo::server {
namespace {

// Songs read ahead of the writer, per reading thread. A song read holds its lyrics (up to a
// few MB): the bound keeps a folder of huge lyrics from costing more than a few tens of MB,
// and the writer, much quicker than the readers, never waits for want of more.
constexpr std::size_t kReadAheadPerThread = 2;
constexpr std::size_t kTrimEvery = 500;

class Import {
public:
  explicit Import(const ImportOptions &options) : options_(options) {}

  ImportReport run(const std::string &folder, const std::string &dbPath) {
    av_log_set_level(AV_LOG_QUIET); // a file FFmpeg cannot read is one warning of ours
    WalkCallbacks walk;
    walk.skipped = [this](Skip reason, const std::string &text) { note({reason, text}); };
    walk.found = [this](std::size_t found) { progress(ImportProgress::Phase::Scanning, found, 0); };
    const FolderContents contents = walkFolder(folder, walk);
    const CatalogueManifest manifest = readManifest(contents);
    const std::vector<SongSource> sources = songSources(contents, manifest);

    Database db(dbPath, Database::Mode::ReadWrite);
    const bool reindex = ensureSchema(db);
    Transaction tx(db);
    CatalogueWriter writer(db, reindex);
    total_ = sources.size() + unusedLyrics_.size();
    readSongs(sources, writer);
    readSearchOnlyLyrics(writer);
    progress(ImportProgress::Phase::Writing, total_, total_);
    writer.finish(contents.root, manifest, [this](const std::string &text) { note({std::nullopt, text}); });
    markIndexesCurrent(db);
    tx.commit();

    const ImportCounts &counts = writer.counts();
    report_.added = counts.added;
    report_.updated = counts.updated;
    report_.unchanged = counts.unchanged;
    report_.removed = counts.removed;
    return std::move(report_);
  }

private:
  void note(const ImportNote &n) {
    if (n.skipped)
      ++report_.skipped[static_cast<std::size_t>(*n.skipped)];
    const QString text = QString::fromStdString(n.text);
    report_.warnings << text;
    if (options_.warning)
      options_.warning(text);
  }

  void progress(ImportProgress::Phase phase, std::size_t done, std::size_t total) {
    if (options_.progress)
      options_.progress({phase, done, total});
  }

  // One more song or lyrics file done.
  void handled() {
    // FFmpeg's buffers come and go by the thousand on the reading threads; what they free in
    // the middle of a thread's heap stays resident until handed back.
    if (++done_ % kTrimEvery == 0)
      malloc_trim(0);
    progress(ImportProgress::Phase::Reading, done_, total_);
  }

  int threads() const {
    return options_.threads > 0 ? options_.threads : std::max(1u, std::thread::hardware_concurrency());
  }

  std::size_t readAhead() const { return kReadAheadPerThread * static_cast<std::size_t>(threads()); }

  // A reading that failed in a way the reader did not foresee (out of memory) is a warning.
  template <typename Reading, typename Read>
  static Reading guarded(const Read &read, const std::string &relPath) {
    try {
      return read();
    } catch (const std::exception &e) {
      Reading failed;
      failed.notes.push_back({Skip::Unreadable, "cannot read " + printableName(relPath) + ": " + e.what()});
      return failed;
    }
  }

  CatalogueManifest readManifest(const FolderContents &contents) {
    CatalogueManifest manifest;
    if (!contents.manifest)
      return manifest;
    const auto refuse = [&](Skip reason, const std::string &why) {
      note({reason, "catalogue.ini " + why + ", not used: the lists are made as without it"});
      return manifest;
    };
    const std::string tooLarge = "is over " + std::to_string(kMaxManifestBytes >> 20) + " MiB";
    if (contents.manifest->size > kMaxManifestBytes)
      return refuse(Skip::TooLarge, tooLarge);
    const OpenedFile file = openRegularFile(contents.manifest->realPath);
    if (file.problem == OpenedFile::Problem::NotRegular)
      return refuse(Skip::NotRegular, "is not a regular file");
    if (file.problem != OpenedFile::Problem::None)
      return refuse(Skip::Unreadable, std::string("cannot be read (") + std::strerror(file.error) + ")");
    const auto bytes = readAtMost(file.fd.get(), kMaxManifestBytes);
    if (!bytes)
      return errno == EFBIG
                 ? refuse(Skip::TooLarge, tooLarge)
                 : refuse(Skip::Unreadable, std::string("cannot be read (") + std::strerror(errno) + ")");
    manifest =
        parseCatalogueIni(decodeLrc(QByteArrayView(bytes->data(), static_cast<qsizetype>(bytes->size()))));
    for (const QString &w : manifest.warnings)
      note({std::nullopt, w.toStdString()});
    return manifest;
  }

  // Every song of the folder, and every song catalogue.ini describes by hand, with its sidecar.
  std::vector<SongSource> songSources(const FolderContents &contents, const CatalogueManifest &manifest) {
    std::map<std::string, const FoundFile *> lyrics; // by the path without its extension
    const auto stem = [](const std::string &relPath) {
      const auto dot = relPath.rfind('.');
      const auto slash = relPath.rfind('/');
      return dot == std::string::npos || (slash != std::string::npos && dot < slash) ? relPath
                                                                                     : relPath.substr(0, dot);
    };
    for (const FoundFile &f : contents.lyrics)
      lyrics.emplace(stem(f.relPath), &f);
    std::set<std::string> usedLyrics;
    const auto sidecar = [&](const std::string &relPath) -> std::optional<FoundFile> {
      const auto it = lyrics.find(stem(relPath));
      if (it == lyrics.end())
        return std::nullopt;
      usedLyrics.insert(it->first);
      return *it->second;
    };

    // Songs described by hand override the tags; the last description of a file wins.
    std::map<std::string, std::pair<QString, QString>> byHand;
    std::map<std::string, QString> handPaths;
    for (const auto &list : manifest.lists) {
      for (const ManifestEntry &e : list.value_or(std::vector<ManifestEntry>{})) {
        if (e.byHand()) {
          byHand[e.relPath()] = {e.title, e.artist};
          handPaths[e.relPath()] = e.path;
        }
      }
    }
    std::vector<SongSource> sources;
    std::set<std::string> found;
    for (const FoundFile &f : contents.songs) {
      found.insert(f.relPath);
      const auto hand = byHand.find(f.relPath);
      sources.push_back(
          {f, sidecar(f.relPath), hand == byHand.end() ? std::nullopt : std::optional(hand->second)});
    }
    for (const auto &[relPath, fields] : byHand) {
      if (found.count(relPath))
        continue;
      const std::string shown = printableName(handPaths[relPath].toStdString());
      struct stat st {};
      if (::lstat((contents.root + "/" + relPath).c_str(), &st) == 0) {
        // There, but the walk did not take it: outside the folder, not a regular file, not a song.
        note({std::nullopt, "catalogue.ini: " + shown + " is not a song file of the folder; refused"});
        continue;
      }
      note({std::nullopt, "catalogue.ini: " + shown + " is missing; listed anyway"});
      sources.push_back({FoundFile{relPath, {}, 0, 0}, sidecar(relPath), fields});
    }
    std::sort(sources.begin(), sources.end(),
              [](const SongSource &a, const SongSource &b) { return a.file.relPath < b.file.relPath; });
    for (const FoundFile &f : contents.lyrics) {
      if (!usedLyrics.count(stem(f.relPath)))
        unusedLyrics_.push_back(f);
    }
    return sources;
  }

  void readSongs(const std::vector<SongSource> &sources, CatalogueWriter &writer) {
    std::vector<const SongSource *> stale;
    for (const SongSource &s : sources) {
      if (!writer.isCurrent(s.file.relPath, s.fingerprint()))
        stale.push_back(&s);
    }
    OrderedPool<SongReading> pool(stale.size(), threads(), readAhead(), [&](std::size_t i) {
      return guarded<SongReading>([&] { return readSong(*stale[i]); }, stale[i]->file.relPath);
    });
    std::size_t next = 0;
    for (std::size_t i = 0; i < sources.size(); ++i) {
      if (next < stale.size() && stale[next] == &sources[i]) {
        ++next;
        SongReading reading = pool.next();
        for (const ImportNote &n : reading.notes)
          note(n);
        if (reading.record)
          writer.write(std::move(*reading.record));
      } else {
        writer.keep(sources[i].file.relPath);
      }
      handled();
    }
  }

  void readSearchOnlyLyrics(CatalogueWriter &writer) {
    std::vector<const FoundFile *> stale;
    for (const FoundFile &f : unusedLyrics_) {
      if (writer.isCurrentLyricsFile(f.relPath, lyricsFingerprint(f))) {
        writer.keepLyricsFile(f.relPath);
        ++report_.searchOnlyLyrics;
        handled();
      } else {
        stale.push_back(&f);
      }
    }
    OrderedPool<LyricsReading> pool(stale.size(), threads(), readAhead(), [&](std::size_t i) {
      return guarded<LyricsReading>([&] { return readLyricsFile(*stale[i]); }, stale[i]->relPath);
    });
    for (std::size_t i = 0; i < stale.size(); ++i) {
      const LyricsReading reading = pool.next();
      for (const ImportNote &n : reading.notes)
        note(n);
      if (reading.record) {
        writer.writeLyricsFile(*reading.record);
        ++report_.searchOnlyLyrics;
      }
      handled();
    }
  }

  const ImportOptions &options_;
  ImportReport report_;
  std::vector<FoundFile> unusedLyrics_;
  std::size_t total_ = 0;
  std::size_t done_ = 0;
};

} // namespace

ImportReport importFolder(const std::string &folder, const std::string &dbPath,
                          const ImportOptions &options) {
  return Import(options).run(folder, dbPath);
}

} // namespace lumiqo::server
