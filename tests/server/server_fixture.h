#pragma once
// Helpers for the lumiqo-server tests: tiny audio files made with ffmpeg, text files in a
// chosen encoding, and a Service running on 127.0.0.1 with a free port.

#include "catalogue_store.h"
#include "service.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace lumiqo::server::test {

// A short sine tone in the song format its extension names (MP3, WMA, FLAC, M4A, AAC, Ogg
// Vorbis, Opus), with the given tags (empty: none) and more "key=value" metadata ("lyrics=..."
// goes where M4A and Vorbis comments keep lyrics; MP3's lyrics frame ffmpeg cannot write: see
// id3v2Tag). Returns false when ffmpeg fails.
bool makeAudio(const QString &path, const QString &title, const QString &artist, const QString &album = {},
               const QStringList &metadata = {});

// Tags written byte by byte, as Windows programs and tag editors write them.
// An ID3v2.3 tag: frames of four-letter ids with their bodies (encoding byte first).
QByteArray id3v2Tag(const std::vector<std::pair<QByteArray, QByteArray>> &frames);
// An MP3 without the ID3v2 tag in front of it (ffmpeg writes one naming itself).
QByteArray withoutId3v2(const QByteArray &mp3);
// A USLT (lyrics) frame body in UTF-16 with a byte-order mark.
QByteArray usltBody(const QString &lyrics);
// A 128-byte ID3v1 tag with title and artist as they are given (GBK bytes, say).
QByteArray id3v1Tag(const QByteArray &title, const QByteArray &artist);

void writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);

// A song as the catalogue holds it.
struct SongRow {
  std::string link, title, artist, album, streamPath;
  std::optional<std::string> lyrics;
};
// Every song of a catalogue, by its path below the imported folder.
std::map<std::string, SongRow> catalogueSongs(const std::string &db);

// A served catalogue: the store and the service, serving in a thread until destroyed.
class RunningServer {
public:
  RunningServer(const std::string &dbPath, ServiceOptions options = {});
  ~RunningServer();

  int port() const { return port_; }
  Service &service() { return *service_; }
  std::vector<std::string> logLines();

private:
  CatalogueStore store_;
  std::unique_ptr<Service> service_;
  std::thread thread_;
  int port_ = -1;
  std::mutex logMutex_;
  std::vector<std::string> log_;
};

} // namespace lumiqo::server::test

namespace lumiqo::server::test {

// Sends a raw request to 127.0.0.1:port and returns everything the server answers
// until it closes the connection.
std::string rawExchange(int port, const std::string &request);

// A client connection to 127.0.0.1:port that sends its request piece by piece.
class Connection {
public:
  explicit Connection(int port);
  ~Connection();
  Connection(const Connection &) = delete;
  Connection &operator=(const Connection &) = delete;

  // False once the server has closed the connection (or it never opened).
  bool send(std::string_view bytes);
  // What the server sends until it closes the connection; reading gives up after five
  // seconds without data.
  std::string receiveAll();
  // True when the server has closed the connection; waits at most `ms` for a sign of it.
  bool closedByServer(int ms);

private:
  int fd_ = -1;
};

// A raw reply taken apart: "HTTP/1.1 200 OK" gives 200; header names as sent.
struct RawReply {
  int status = 0;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
  std::string header(const std::string &name) const; // the first one, "" when missing
};
RawReply parseReply(const std::string &raw);

// Percent-encodes every byte outside [A-Za-z0-9-._~].
std::string percentEncode(const QByteArray &bytes);

} // namespace lumiqo::server::test
