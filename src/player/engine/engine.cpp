// The engine's entry points and its handle table.

#include "player/engine/bass.h"

#include "base/gbk.h"
#include "player/engine/alsa_output.h"
#include "player/engine/audio_format.h"
#include "player/engine/null_output.h"
#include "player/engine/pulse_output.h"
#include "player/engine/reconnecting_output.h"
#include "player/engine/stream.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

using lumiqo::engine::Output;
using lumiqo::engine::Stream;

namespace {

constexpr std::chrono::seconds kConnectTimeout{10};
// Stream handles carry the top bit, so that no handle is a small positive number.
constexpr DWORD kHandleTag = 0x80000000u;

struct Engine {
  std::mutex mutex;
  std::shared_ptr<Output> output;
  // Turned true by BASS_Free: a connect in progress gives up, and its stream is dropped.
  std::shared_ptr<std::atomic<bool>> closing;
  std::map<DWORD, std::unique_ptr<Stream>> streams;
  float volume = 1.0f;
  // Handles count up and are never reused within a run (2^31 streams would be needed).
  DWORD nextStream = 1;
  HSYNC nextSync = 1;
};

Engine &engine() {
  static Engine e;
  return e;
}

// Addresses go to FFmpeg as UTF-8 paths, or as web addresses whose bytes outside ASCII are
// percent-encoded; both arrive in the system code page.
std::string locationFromSystemText(const char *text) {
  std::string bytes(text);
  if (bytes.find("://") == std::string::npos)
    return lumiqo::fromGbk(QByteArrayView(bytes.data(), qsizetype(bytes.size()))).toStdString();
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (c > 0x7e || c <= 0x20) {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    } else {
      out += char(c);
    }
  }
  return out;
}

HSTREAM createStream(const char *address) {
  if (!address || !*address)
    return 0;
  Engine &e = engine();
  std::shared_ptr<Output> output;
  std::shared_ptr<std::atomic<bool>> closing;
  DWORD handle;
  {
    std::lock_guard lock(e.mutex);
    if (!e.output)
      return 0;
    output = e.output;
    closing = e.closing;
    handle = kHandleTag | e.nextStream;
    e.nextStream = (e.nextStream + 1) & ~kHandleTag;
    if (e.nextStream == 0)
      e.nextStream = 1;
  }
  // No lock while connecting: BASS_Free may end the wait.
  std::unique_ptr<Stream> stream =
      Stream::open(handle, locationFromSystemText(address), *output, closing, kConnectTimeout);
  if (!stream)
    return 0;
  std::unique_lock lock(e.mutex);
  if (e.closing != closing) {
    lock.unlock();
    return 0; // the engine was freed meanwhile; the stream goes with this scope
  }
  e.streams.emplace(handle, std::move(stream));
  return handle;
}

// Runs f on the stream under the table's lock; fallback when the handle is unknown.
template <typename F, typename R> R withStream(DWORD handle, R fallback, F f) {
  Engine &e = engine();
  std::lock_guard lock(e.mutex);
  auto it = e.streams.find(handle);
  return it == e.streams.end() ? fallback : f(*it->second);
}

} // namespace

DWORD BASS_GetVersion() {
  return 0x02040000u;
}

BOOL BASS_Init(int device, DWORD, DWORD, void *, const void *) {
  Engine &e = engine();
  std::lock_guard lock(e.mutex);
  if (e.output)
    return 0; // already initialised
  if (device == 0) {
    e.output = std::make_shared<lumiqo::engine::NullOutput>();
  } else if (device == -1 || device == 1) {
    // The sound server when one answers, else ALSA's default device. A sound server that is
    // restarted is connected to again for the next stream.
    if (std::shared_ptr<Output> pulse = lumiqo::engine::PulseOutput::connect())
      e.output = std::make_shared<lumiqo::engine::ReconnectingOutput>(
          std::move(pulse), [] { return lumiqo::engine::PulseOutput::connect(); });
    else
      e.output = lumiqo::engine::AlsaOutput::open();
    if (!e.output)
      return 0;
  } else {
    return 0;
  }
  e.closing = std::make_shared<std::atomic<bool>>(false);
  e.volume = 1.0f;
  return 1;
}

BOOL BASS_Free() {
  Engine &e = engine();
  std::map<DWORD, std::unique_ptr<Stream>> streams;
  std::shared_ptr<Output> output;
  {
    std::lock_guard lock(e.mutex);
    if (!e.output)
      return 0;
    e.closing->store(true);
    e.closing.reset();
    streams.swap(e.streams);
    output.swap(e.output);
  }
  streams.clear(); // each stream silences itself and joins its thread: no sync fires later
  output.reset();
  return 1;
}

BOOL BASS_SetVolume(float volume) {
  if (!(volume >= 0.0f && volume <= 1.0f))
    return 0;
  Engine &e = engine();
  std::lock_guard lock(e.mutex);
  if (!e.output)
    return 0;
  e.volume = volume;
  e.output->setVolume(volume);
  return 1;
}

float BASS_GetVolume() {
  Engine &e = engine();
  std::lock_guard lock(e.mutex);
  return e.output ? e.volume : -1.0f;
}

HSTREAM BASS_StreamCreateURL(const char *url, DWORD, DWORD, DOWNLOADPROC, void *) {
  return createStream(url);
}

HSTREAM BASS_WMA_StreamCreateFile(BOOL mem, const void *file, QWORD, QWORD, DWORD) {
  if (mem)
    return 0; // only names are opened
  return createStream(static_cast<const char *>(file));
}

BOOL BASS_StreamFree(HSTREAM handle) {
  Engine &e = engine();
  std::unique_ptr<Stream> stream;
  {
    std::lock_guard lock(e.mutex);
    auto it = e.streams.find(handle);
    if (it == e.streams.end())
      return 0;
    stream = std::move(it->second);
    e.streams.erase(it);
  }
  stream.reset(); // outside the lock: waits for the decoder thread
  return 1;
}

HSYNC BASS_ChannelSetSync(DWORD handle, DWORD type, QWORD, SYNCPROC proc, void *user) {
  if (type != BASS_SYNC_END || !proc)
    return 0;
  Engine &e = engine();
  std::lock_guard lock(e.mutex);
  auto it = e.streams.find(handle);
  if (it == e.streams.end())
    return 0;
  HSYNC id = e.nextSync++;
  if (e.nextSync == 0)
    e.nextSync = 1;
  it->second->addSync(id, type, proc, user);
  return id;
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL) {
  return withStream(handle, BOOL(0), [](Stream &s) { return BOOL(s.play()); });
}
BOOL BASS_ChannelPause(DWORD handle) {
  return withStream(handle, BOOL(0), [](Stream &s) { return BOOL(s.pause()); });
}
BOOL BASS_ChannelStop(DWORD handle) {
  return withStream(handle, BOOL(0), [](Stream &s) { return BOOL(s.stop()); });
}
DWORD BASS_ChannelIsActive(DWORD handle) {
  return withStream(handle, BASS_ACTIVE_STOPPED, [](Stream &s) { return s.activity(); });
}
QWORD BASS_ChannelGetPosition(DWORD handle, DWORD mode) {
  if (mode != BASS_POS_BYTE)
    return 0;
  return withStream(handle, QWORD(0), [](Stream &s) { return s.position(); });
}
QWORD BASS_ChannelGetLength(DWORD handle, DWORD mode) {
  if (mode != BASS_POS_BYTE)
    return 0;
  return withStream(handle, QWORD(0), [](Stream &s) { return s.length(); });
}
double BASS_ChannelBytes2Seconds(DWORD, QWORD pos) {
  return double(pos) / double(lumiqo::engine::kBytesPerSecond);
}

namespace lumiqo {
int audioDeviceFromEnvironment() {
  const char *value = std::getenv("LUMIQO_AUDIO_DEVICE");
  return value && std::strcmp(value, "0") == 0 ? 0 : -1;
}
} // namespace lumiqo
