// Import of a generated library (20 000 songs of three seconds by default, in every song
// format, tags written byte by byte on the MP3s, sidecar lyrics beside half of the songs) by
// the real `lumiqo-server import`: from a cold page cache, warm (on every core and on one),
// and unchanged. Prints files per second, the import's peak memory and the catalogue's size
// per song; figures, never verdicts.
//
// Usage: bench_server_import [SONGS]
// The library is made once into $LUMIQO_BENCH_LIBRARY (default /tmp/lumiqo-bench-library-SONGS)
// and kept for the next run. For the cold run every file of the library is evicted from the
// page cache with posix_fadvise(DONTNEED) after a sync, which leaves the rest of a shared
// machine's cache alone; LUMIQO_BENCH_DROP_CACHES=1 drops the kernel's caches instead, where the
// container allows it. It says which it did and how much of the library stayed resident.

#include "../../tests/server/server_fixture.h"

#include "base/gbk.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>

using namespace lumiqo;
using namespace lumiqo::server::test;

namespace {

const char *const kFormats[] = {"mp3", "mp3", "mp3", "mp3", "mp3", "flac", "m4a", "ogg", "opus", "wma"};

std::string loadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string a, b, c;
  in >> a >> b >> c;
  return a + " " + b + " " + c + " (1, 5, 15 min) on " + std::to_string(std::thread::hardware_concurrency()) +
         " cores";
}

QString lyricsFor(int song) {
  QString lrc = QStringLiteral("[ti:歌曲 %1]\r\n").arg(song);
  for (int line = 0; line < 30; ++line)
    lrc += QStringLiteral("[00:%1.00]第 %2 首歌的第 %3 句词\r\n")
               .arg(line * 2, 2, 10, QLatin1Char('0'))
               .arg(song)
               .arg(line);
  return lrc;
}

bool makeLibrary(const QString &folder, int songs) {
  std::printf("making a library of %d songs in %s ...\n", songs, qPrintable(folder));
  std::fflush(stdout);
  QTemporaryDir templates;
  std::map<QString, QByteArray> bodies;
  for (const char *format : kFormats) {
    const QString ext = QString::fromLatin1(format);
    const QString path = templates.filePath(QStringLiteral("t.") + ext);
    if (bodies.count(ext))
      continue;
    // ffmpeg's own encoder for each container.
    QStringList args = {"-loglevel", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=3",
                        path};
    if (QProcess::execute("ffmpeg", args) != 0)
      return false;
    bodies[ext] = ext == "mp3" ? withoutId3v2(readFile(path)) : readFile(path);
  }
  const QByteArray latin1(1, '\0');
  for (int i = 0; i < songs; ++i) {
    const QString ext = QString::fromLatin1(kFormats[i % 10]);
    const QString artist = QStringLiteral("歌手 %1").arg(i / 100, 3, 10, QLatin1Char('0'));
    const QString title = QStringLiteral("歌曲 %1").arg(i, 5, 10, QLatin1Char('0'));
    const QString stem =
        folder + QStringLiteral("/%1/专辑 %2/%3 - %4").arg(artist).arg(i / 10 % 10).arg(artist, title);
    QByteArray bytes = bodies[ext];
    if (ext == "mp3") {
      std::vector<std::pair<QByteArray, QByteArray>> frames = {
          {"TIT2", latin1 + toGbk(title)},
          {"TPE1", latin1 + toGbk(artist)},
          {"TALB", latin1 + toGbk(QStringLiteral("专辑"))}};
      if (i % 4 == 1)
        frames.push_back({"USLT", usltBody(lyricsFor(i))});
      bytes = id3v2Tag(frames) + bytes;
    }
    writeFile(stem + QLatin1Char('.') + ext, bytes);
    if (i % 2 == 0)
      writeFile(stem + QStringLiteral(".lrc"), toGbk(lyricsFor(i)));
  }
  writeFile(folder + QStringLiteral("/.complete"), "yes");
  return true;
}

// Evicts each file of the library from the page cache (or drops the kernel's caches, when
// asked and allowed); says how.
std::string evict(const QString &folder) {
  ::sync();
  if (qEnvironmentVariableIntValue("LUMIQO_BENCH_DROP_CACHES") == 1) {
    std::ofstream drop("/proc/sys/vm/drop_caches");
    if (drop && (drop << "3" << std::flush))
      return "the kernel's caches dropped (drop_caches)";
  }
  QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
  std::size_t files = 0, pages = 0, resident = 0;
  const long page = ::sysconf(_SC_PAGESIZE);
  while (it.hasNext()) {
    const QByteArray path = it.next().toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
      continue;
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > 0) {
      void *map = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_SHARED, fd, 0);
      if (map != MAP_FAILED) {
        std::vector<unsigned char> in((static_cast<size_t>(st.st_size) + page - 1) / page);
        if (::mincore(map, static_cast<size_t>(st.st_size), in.data()) == 0) {
          pages += in.size();
          for (unsigned char c : in)
            resident += c & 1;
        }
        ::munmap(map, static_cast<size_t>(st.st_size));
      }
    }
    ::close(fd);
    ++files;
  }
  char text[200];
  std::snprintf(text, sizeof text,
                "%zu files evicted with posix_fadvise(DONTNEED), %.1f%% of their pages still resident "
                "(directories and inodes stay cached)",
                files, pages ? 100.0 * double(resident) / double(pages) : 0.0);
  return text;
}

struct Run {
  double seconds = 0;
  long peakKb = 0;
  std::string summary;
};

// A process's peak memory counts what it held before it exec'd another program, so the
// import is not started from this big process: a fresh copy of this program, run with
// --spawn, starts it and writes its peak (in KB) after its output.
int spawn(char **argv) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::execv(argv[0], argv);
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  std::printf("\npeak_kb=%ld\n", usage.ru_maxrss);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

Run import(const QString &folder, const std::string &db, int jobs) {
  int out[2];
  if (::pipe(out) != 0)
    return {};
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(out[1], STDOUT_FILENO);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, STDERR_FILENO);
    const std::string dir = folder.toStdString(), threads = std::to_string(jobs > 0 ? jobs : 0);
    const char *args[] = {"--spawn",  LUMIQO_SERVER_PROGRAM,         "import",        dir.c_str(), "--db",
                          db.c_str(), jobs > 0 ? "--jobs" : nullptr, threads.c_str(), nullptr};
    ::execl("/proc/self/exe", "bench_server_import", args[0], args[1], args[2], args[3], args[4], args[5],
            args[6], args[7], nullptr);
    ::_exit(127);
  }
  ::close(out[1]);
  Run run;
  char buffer[4096];
  ssize_t n;
  while ((n = ::read(out[0], buffer, sizeof buffer)) > 0)
    run.summary.append(buffer, static_cast<size_t>(n));
  ::close(out[0]);
  ::waitpid(pid, nullptr, 0);
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (const auto at = run.summary.rfind("\npeak_kb="); at != std::string::npos) {
    run.peakKb = std::atol(run.summary.c_str() + at + 9);
    run.summary.resize(at);
  }
  return run;
}

void report(const char *what, const Run &run, int songs) {
  std::printf("%-34s %7.2f s  %7.0f files/s  peak RSS %5.1f MB\n", what, run.seconds, songs / run.seconds,
              double(run.peakKb) / 1024.0);
  std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv) {
  if (argc > 2 && std::string_view(argv[1]) == "--spawn")
    return spawn(argv + 2);
  QCoreApplication app(argc, argv);
  const int songs = argc > 1 ? std::atoi(argv[1]) : 20000;
  const QString library = qEnvironmentVariableIsSet("LUMIQO_BENCH_LIBRARY")
                              ? qEnvironmentVariable("LUMIQO_BENCH_LIBRARY")
                              : QStringLiteral("/tmp/lumiqo-bench-library-%1").arg(songs);
  if (!QFile::exists(library + QStringLiteral("/.complete")) && !makeLibrary(library, songs)) {
    std::fprintf(stderr, "bench_server_import: ffmpeg could not make the songs\n");
    return 1;
  }
  std::uintmax_t bytes = 0;
  for (const auto &entry : std::filesystem::recursive_directory_iterator(library.toStdString()))
    bytes += entry.is_regular_file() ? entry.file_size() : 0;
  QTemporaryDir work;
  const std::string db = work.filePath(QStringLiteral("catalogue.db")).toStdString();
  std::printf("load before: %s\n", loadAverage().c_str());
  std::printf("library: %d songs (and %d sidecars), %.0f MB, in %s\n", songs, (songs + 1) / 2,
              double(bytes) / 1e6, qPrintable(library));

  const std::string how = evict(library);
  const Run cold = import(library, db, 0);
  std::printf("cold page cache: %s\n", how.c_str());
  report("cold, a thread per core", cold, songs);
  std::printf("%s", cold.summary.c_str());
  const auto dbBytes = std::filesystem::file_size(db);

  std::filesystem::remove(db);
  report("warm, a thread per core", import(library, db, 0), songs);
  std::filesystem::remove(db);
  report("warm, one thread", import(library, db, 1), songs);
  report("unchanged re-import", import(library, db, 0), songs);
  std::printf("catalogue: %.1f MB, %.0f bytes per song\n", double(dbBytes) / 1e6, double(dbBytes) / songs);
  std::printf("load after: %s\n", loadAverage().c_str());
  return 0;
}
