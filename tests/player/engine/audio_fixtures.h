#pragma once
// Sound files made once per test program with the ffmpeg command (a 440 Hz sine), and a
// loopback HTTP server that serves them with Range support.

#include "player/engine/bass.h"
#include "support/http_server.h"

#include "support/scoped_env.h"

#include <QByteArray>
#include <QTemporaryDir>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace lumiqo::test {

struct AudioFile {
  const char *name;    // file name, also the path on the server
  double seconds;      // the true duration
  bool lengthInHeader; // an ASF header or a Xing/Info frame gives the duration
};

// The files: cbr.mp3, vbr_xing.mp3, vbr_plain.mp3, mono22k.mp3, tone.wma (8 s each),
// short.mp3 (2 s), truncated.mp3 (the first half of short.mp3's bytes), empty.mp3 (0 bytes),
// page.html.
const AudioFile *audioFiles(int *count);
// The folder holding them; made on first use. Empty when ffmpeg failed.
std::string audioFolder();
std::string readFile(const std::string &path);

// The file's samples as the engine's decoder gives them: 44100 Hz, stereo, interleaved.
std::vector<std::int16_t> decodedSamples(const std::string &path);

// An end sync that counts: user is a std::atomic<int>.
void countEnd(HSYNC, DWORD, DWORD, void *user);

// ALSA's whole configuration replaced, while this lives, by a file the test writes
// (ALSA_CONFIG_PATH); the file's folder is the test's to use.
class AlsaConfig {
public:
  std::string folder() const { return dir_.path().toStdString(); }
  void use(const std::string &text);

private:
  QTemporaryDir dir_;
  std::optional<ScopedEnv> env_;
};

// A gate a server thread waits at until the test opens it.
class Gate {
public:
  void open();
  // False when the gate stayed shut for timeoutMs.
  bool wait(int timeoutMs);

private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool open_ = false;
};

// Serves every file at /<name>, /missing.mp3 as 404, and /stall.mp3: short.mp3's first
// stallAfter bytes, then nothing until stallGate() opens.
class AudioServer {
public:
  explicit AudioServer(std::size_t stallAfter = 8000);
  ~AudioServer();
  std::string url(const std::string &name) const { return server_.base() + "/" + name; }
  Gate &stallGate() { return gate_; }

private:
  Gate gate_;
  HttpServer server_;
};

} // namespace lumiqo::test
