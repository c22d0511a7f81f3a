#include "player/engine/audio_fixtures.h"

#include "player/engine/decoder.h"

#include <QCoreApplication>
#include <QDir>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

namespace lumiqo::test {

namespace {

const AudioFile kFiles[] = {
    {"cbr.mp3", 8, true},     {"vbr_xing.mp3", 8, true}, {"vbr_plain.mp3", 8, false},
    {"mono22k.mp3", 8, true}, {"tone.wma", 8, true},     {"short.mp3", 2, true},
};

bool run(const std::string &command) {
  return std::system(command.c_str()) == 0;
}

// ctest runs each test in a process of its own: the files are made once beside the test
// program and kept; a new set gets a new name.
std::string makeFolder() {
  const QString kept = QCoreApplication::applicationDirPath() + "/engine_test_audio.v1";
  if (QDir(kept).exists())
    return kept.toStdString();
  QTemporaryDir dir(kept + ".XXXXXX");
  if (!dir.isValid())
    return {};
  const std::string d = dir.path().toStdString();
  const std::string ff =
      "ffmpeg -hide_banner -loglevel error -y -f lavfi -i sine=frequency=440:sample_rate=44100:";
  bool ok = run(ff + "duration=8 -ac 2 -c:a libmp3lame -b:a 128k " + d + "/cbr.mp3") &&
            run(ff + "duration=8 -ac 2 -c:a libmp3lame -q:a 4 " + d + "/vbr_xing.mp3") &&
            run(ff + "duration=8 -ac 2 -c:a libmp3lame -q:a 4 -write_xing 0 " + d + "/vbr_plain.mp3") &&
            run(ff + "duration=8 -ac 1 -ar 22050 -c:a libmp3lame -b:a 64k " + d + "/mono22k.mp3") &&
            run(ff + "duration=8 -ac 2 -c:a wmav2 -b:a 128k -f asf " + d + "/tone.wma") &&
            run(ff + "duration=2 -ac 2 -c:a libmp3lame -b:a 128k " + d + "/short.mp3");
  if (!ok)
    return {};
  std::string shortBytes = readFile(d + "/short.mp3");
  std::ofstream(d + "/truncated.mp3", std::ios::binary) << shortBytes.substr(0, shortBytes.size() / 2);
  std::ofstream(d + "/empty.mp3", std::ios::binary);
  std::ofstream(d + "/page.html") << "<!DOCTYPE html>\n<html><head><title>Not here</title></head>"
                                     "<body><p>The song you asked for has moved.</p></body></html>\n";
  // Whoever renames first wins; a process that loses uses the winner's files.
  if (std::rename(d.c_str(), kept.toUtf8().constData()) == 0)
    dir.setAutoRemove(false);
  return QDir(kept).exists() ? kept.toStdString() : std::string();
}

} // namespace

const AudioFile *audioFiles(int *count) {
  *count = int(std::size(kFiles));
  return kFiles;
}

std::string audioFolder() {
  static const std::string folder = makeFolder();
  return folder;
}

std::string readFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::int16_t> decodedSamples(const std::string &path) {
  std::vector<std::int16_t> samples;
  auto decoder = lumiqo::engine::Decoder::open(path, nullptr);
  if (!decoder)
    return samples;
  std::vector<std::uint8_t> chunk;
  while (decoder->decode(chunk)) {
    const std::size_t at = samples.size();
    samples.resize(at + chunk.size() / 2);
    std::memcpy(samples.data() + at, chunk.data(), chunk.size() / 2 * 2);
  }
  return samples;
}

void AlsaConfig::use(const std::string &text) {
  const std::string path = folder() + "/asound.conf";
  std::ofstream(path) << text;
  env_.reset();
  env_.emplace("ALSA_CONFIG_PATH", QByteArray::fromStdString(path));
}

void Gate::open() {
  {
    std::lock_guard lock(mutex_);
    open_ = true;
  }
  cv_.notify_all();
}

bool Gate::wait(int timeoutMs) {
  std::unique_lock lock(mutex_);
  return cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return open_; });
}

AudioServer::AudioServer(std::size_t stallAfter) {
  const std::string folder = audioFolder();
  auto &s = server_.server();
  s.Get("/missing.mp3", [](const httplib::Request &, httplib::Response &res) {
    res.status = 404;
    res.set_content("<html><body>404 Not Found</body></html>", "text/html");
  });
  auto body = std::make_shared<std::string>(readFile(folder + "/short.mp3"));
  // Only a request that reads through the stall point starves; the probes the client makes
  // near the end of the file are answered.
  s.Get("/stall.mp3", [this, body, stallAfter](const httplib::Request &, httplib::Response &res) {
    auto from = std::make_shared<std::size_t>(SIZE_MAX);
    res.set_content_provider(
        body->size(), "audio/mpeg",
        [this, body, stallAfter, from](std::size_t offset, std::size_t length, httplib::DataSink &sink) {
          if (*from == SIZE_MAX)
            *from = offset;
          std::size_t end = offset + length;
          if (*from >= stallAfter) {
            sink.write(body->data() + offset, length);
            return true;
          }
          if (offset < stallAfter) {
            std::size_t n = std::min(end, stallAfter) - offset;
            sink.write(body->data() + offset, n);
            return true;
          }
          // Starve the client; give up at the latest after a minute.
          if (!gate_.wait(60000))
            return false;
          sink.write(body->data() + offset, length);
          return true;
        });
  });
  s.Get(R"(/([a-z0-9_]+\.(mp3|wma|html)))", [folder](const httplib::Request &req, httplib::Response &res) {
    const std::string name = req.matches[1];
    const std::string type = name.ends_with(".html")  ? "text/html"
                             : name.ends_with(".wma") ? "audio/x-ms-wma"
                                                      : "audio/mpeg";
    std::ifstream probe(folder + "/" + name, std::ios::binary);
    if (!probe) {
      res.status = 404;
      return;
    }
    res.set_content(readFile(folder + "/" + name), type); // httplib answers Range requests
  });
  server_.start();
}

AudioServer::~AudioServer() {
  gate_.open();
  server_.stop();
}

void countEnd(HSYNC, DWORD, DWORD, void *user) {
  ++*static_cast<std::atomic<int> *>(user);
}

} // namespace lumiqo::test
