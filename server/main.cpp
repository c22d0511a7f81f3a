// lumiqo-server: the player's remote services on one local address.

#include "catalogue_store.h"
#include "import_progress.h"
#include "importer.h"
#include "safe_file.h"
#include "service.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <mutex>
#include <pthread.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

using namespace lumiqo::server;

namespace {

constexpr const char *kHelp = R"(Usage:
  lumiqo-server import DIR --db FILE [--jobs N]
  lumiqo-server serve --db FILE [options]
  lumiqo-server --help | --version

import   Builds or updates the catalogue FILE (SQLite) from the music folder DIR:
         every song below it (MP3, WMA, FLAC, M4A/AAC, Ogg Vorbis, Opus; title,
         artist and album from the tags, the file name where they are missing:
         "Artist - Title.flac" or "Title.flac"), each song's lyrics (its sidecar
         .lrc of the same name, UTF-8, UTF-16 or GBK, else the lyrics in its tags),
         .lrc files without a song (offered by the lyrics search only), and
         DIR/catalogue.ini:
             [start]                 the start list (default: every song)
             folder/song.mp3
             [chart1] ... [chart8]   the charts, in menu order (or [歌曲排行] ...)
             Title,Artist,file.mp3   a song described by hand (listed even when
                                     its file is missing)
         DIR is a boundary: links are followed only to places inside it, and only
         regular files are read; what is left out is named in a warning. Lyrics
         over 1 MiB and a catalogue.ini over 4 MiB are not used.
         Importing again reads only what changed and keeps every song's link; a
         running server serves the new catalogue at once. Progress goes to
         standard error, the summary to standard output.
  --jobs N                  threads reading tags (default: one per core)

serve    Answers the player: catalogue lists and link translations (/soft/...),
         stream authorisation (/getuuauthcode/), the stream hosts, the lyrics search
         (/gecisearch.so, /downlrc.jsp), the maker's pages (/, /qq/, /aboutus/,
         /bbs/) and the catalogue for browsers (/songs/: the start list, the charts
         and a search, each song with a link that plays it in the player).
         One access-log line per request goes to standard error, and so
         does what went wrong inside the server (the client gets a plain 500).
         A request header must arrive within 5 s of the connection (or of the
         previous reply on a kept-alive one); request lines over 8 KiB, headers
         over 8 KiB or 100 lines and request bodies are refused.
  --listen HOST:PORT        address to listen on (default 127.0.0.1:8764)
  --cookie-domain HOST      domain of the authorisation cookies (default: the HOST
                            of --listen)
  --site-address ADDR       the site address in lyrics texts (default: the listen address;
                            give what the player's LUMIQO_SITE_HOST/LUMIQO_SERVER says)
  --forum-address ADDR      requests with this Host get the forum page at /
  --secret TEXT             key of the stream pins (default: random at every start)
  --token-lifetime SECONDS  how long a tflag/pin pair opens streams (default 21600)
  --threads N               request threads (default 4); connections do not hold one
  --quiet                   no access log

help, --help, -h   show this help and exit
--version          show the version and exit
)";

int usage(const std::string &error) {
  std::cerr << "lumiqo-server: " << error << "\n\n" << kHelp;
  return 2;
}

bool splitHostPort(const std::string &text, std::string &host, int &port) {
  const auto colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0)
    return false;
  host = text.substr(0, colon);
  try {
    size_t used = 0;
    port = std::stoi(text.substr(colon + 1), &used);
    return used == text.size() - colon - 1 && port > 0 && port < 65536;
  } catch (const std::exception &) {
    return false;
  }
}

std::string authority(const std::string &host, int port) {
  return port == 80 ? host : host + ":" + std::to_string(port);
}

int runImport(const std::string &folder, const std::string &db, int jobs) {
  ProgressPrinter printer(stderr, ::isatty(STDERR_FILENO) == 1);
  ImportOptions options;
  options.threads = jobs;
  options.progress = [&](const ImportProgress &progress) { printer.update(progress); };
  options.warning = [&](const QString &text) { printer.warning(text); };
  const ImportReport report = importFolder(folder, db, options);
  printer.finish();
  std::cout << importSummary(report, printableName(folder), printableName(db));
  return 0;
}

void writeLog(const std::string &line) {
  static std::mutex mutex;
  char stamp[32];
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&now, &tm);
  std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &tm);
  std::lock_guard lock(mutex);
  std::fprintf(stderr, "%s %s\n", stamp, line.c_str());
}

// Every connection holds a descriptor: take as many as the system allows this process.
void raiseDescriptorLimit() {
  rlimit files{};
  if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
  }
}

int runServe(const std::string &db, const std::string &host, int port, ServiceOptions options) {
  raiseDescriptorLimit();
  // SIGINT and SIGTERM are taken by a thread of their own, which stops the server.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  CatalogueStore store(db);
  Service service(store, std::move(options));
  if (!service.bind(host, port)) {
    std::cerr << "lumiqo-server: cannot listen on " << host << ":" << port << "\n";
    return 1;
  }
  std::thread waiter([&] {
    int sig = 0;
    sigwait(&stopSignals, &sig);
    service.stop();
  });
  std::cerr << "lumiqo-server: serving " << db << " on http://" << host << ":" << port << "\n";
  service.listen();
  // Ended by a signal: the waiter has returned. Ended otherwise: wake the waiter.
  pthread_kill(waiter.native_handle(), SIGTERM);
  waiter.join();
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv); // QtCore's text codecs and hashes need no event loop
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    std::cout << kHelp;
    return args.empty() ? 2 : 0;
  }
  if (args[0] == "--version") {
    std::cout << "lumiqo-server " LUMIQO_VERSION "\n";
    return 0;
  }
  const std::string command = args[0];
  std::string db, folder, host = "127.0.0.1", siteAddress, cookieDomain;
  int port = 8764;
  int jobs = 0;
  ServiceOptions options;
  options.accessLog = writeLog;
  options.errorLog = writeLog;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string &a = args[i];
    auto value = [&](std::string &out) {
      if (i + 1 >= args.size())
        return false;
      out = args[++i];
      return true;
    };
    std::string v;
    if (a == "--help" || a == "-h") {
      std::cout << kHelp;
      return 0;
    } else if (a == "--db") {
      if (!value(db))
        return usage("--db needs a file");
    } else if (command == "serve" && a == "--listen") {
      if (!value(v) || !splitHostPort(v, host, port))
        return usage("--listen needs HOST:PORT");
    } else if (command == "serve" && a == "--site-address") {
      if (!value(siteAddress))
        return usage("--site-address needs an address");
    } else if (command == "serve" && a == "--cookie-domain") {
      if (!value(cookieDomain) || cookieDomain.empty() ||
          cookieDomain.find_first_not_of(
              "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-:[]") != std::string::npos)
        return usage("--cookie-domain needs a host name or address");
    } else if (command == "serve" && a == "--forum-address") {
      if (!value(options.forumAddress))
        return usage("--forum-address needs an address");
    } else if (command == "serve" && a == "--secret") {
      if (!value(options.secret) || options.secret.empty())
        return usage("--secret needs a text");
    } else if ((command == "serve" && (a == "--token-lifetime" || a == "--threads")) ||
               (command == "import" && a == "--jobs")) {
      int n = 0;
      try {
        n = value(v) ? std::stoi(v) : 0;
      } catch (const std::exception &) {
      }
      if (n <= 0)
        return usage(a + " needs a positive number");
      if (a == "--threads")
        options.threads = n;
      else if (a == "--jobs")
        jobs = n;
      else
        options.tokenLifetimeSeconds = n;
    } else if (command == "serve" && a == "--quiet") {
      options.accessLog = nullptr;
    } else if (command == "import" && folder.empty() && !a.starts_with("-")) {
      folder = a;
    } else {
      return usage("unknown argument " + a);
    }
  }
  if (db.empty())
    return usage("--db FILE is required");
  try {
    if (command == "import") {
      if (folder.empty())
        return usage("import needs a folder");
      return runImport(folder, db, jobs);
    }
    if (command == "serve") {
      options.siteAddress = siteAddress.empty() ? authority(host, port) : siteAddress;
      options.cookieDomain = cookieDomain.empty() ? host : cookieDomain;
      return runServe(db, host, port, std::move(options));
    }
    return usage("unknown command " + command);
  } catch (const std::exception &e) {
    std::cerr << "lumiqo-server: " << e.what() << "\n";
    return 1;
  }
}
