#include "player/engine/stream.h"

#include "player/engine/audio_format.h"

#include <limits>

namespace lumiqo::engine {

namespace {

// Four seconds of decoded sound ride between the network and the output.
constexpr std::size_t kBufferBytes = 4 * kBytesPerSecond;

std::int64_t nowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

} // namespace

Stream::Stream(DWORD handle, std::shared_ptr<const std::atomic<bool>> abandon)
    : handle_(handle), abandon_(std::move(abandon)), deadline_(std::numeric_limits<std::int64_t>::max()),
      buffer_(kBufferBytes) {}

std::unique_ptr<Stream> Stream::open(DWORD handle, const std::string &location, Output &output,
                                     std::shared_ptr<const std::atomic<bool>> abandon,
                                     std::chrono::milliseconds timeout, std::string *error) {
  std::unique_ptr<Stream> s(new Stream(handle, std::move(abandon)));
  s->deadline_ = nowNs() + std::chrono::duration_cast<std::chrono::nanoseconds>(timeout).count();
  s->decoder_ = Decoder::open(
      location, [self = s.get()] { return self->interrupted(); }, error);
  if (!s->decoder_)
    return nullptr;
  // From here on only a free interrupts a read; a silent server ends the song by itself
  // (the decoder's read time-out).
  s->deadline_ = std::numeric_limits<std::int64_t>::max();
  s->length_ = s->decoder_->lengthBytes();
  s->sink_ = output.createSink(*s);
  if (!s->sink_) {
    if (error)
      *error = "the output refused the stream";
    return nullptr;
  }
  s->thread_ = std::thread([self = s.get()] { self->run(); });
  return s;
}

Stream::~Stream() {
  if (sink_)
    sink_->pause(); // silent at once, before the decoder thread has even noticed
  {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
  }
  wake_.notify_all();
  buffer_.cancel();
  if (thread_.joinable()) {
    if (thread_.get_id() == std::this_thread::get_id())
      thread_.detach(); // freed from its own end sync: run() touches nothing after that
    else
      thread_.join();
  }
  sink_.reset();
}

bool Stream::interrupted() const {
  return cancelled_.load() || (abandon_ && abandon_->load()) || nowNs() > deadline_.load();
}

void Stream::run() {
  std::vector<std::uint8_t> pcm;
  // Once the buffers ahead of the output are full, the decoder's libraries are trimmed
  // (never before: the first sound must not wait for it).
  std::uint64_t decoded = 0;
  bool settled = false;
  while (!cancelled_ && decoder_->decode(pcm)) {
    decoded += pcm.size();
    if (!settled && decoded >= kBufferBytes + kBytesPerSecond) {
      settled = true;
      Decoder::streamSettled();
    }
    bool wasEmpty = false;
    if (!buffer_.write(pcm.data(), pcm.size(), &wasEmpty))
      break; // freed, or the output went away (drained() before the end)
    if (wasEmpty)
      sink_->dataAvailable();
  }
  if (cancelled_)
    return;
  buffer_.finish();
  sink_->dataAvailable();

  std::unique_lock lock(mutex_);
  wake_.wait(lock, [&] { return cancelled_ || heardEnd_; });
  if (cancelled_)
    return;
  const std::vector<Sync> syncs = syncs_;
  const DWORD handle = handle_;
  lock.unlock();
  for (const Sync &sync : syncs)
    if (sync.proc && sync.type == BASS_SYNC_END)
      sync.proc(sync.id, handle, 0, sync.user);
}

void Stream::drained() {
  {
    std::lock_guard lock(mutex_);
    heardEnd_ = true;
    state_ = State::Ended;
  }
  // When the output went away in the middle of the song (a sound server that died), nothing
  // more will be heard: the decoder, which may wait on a full buffer, stops too, and the
  // stream ends.
  buffer_.cancel();
  wake_.notify_all();
}

// The sink is called outside mutex_: its own thread takes mutex_ (through drained()) while
// holding the sink's lock.
bool Stream::play() {
  {
    std::lock_guard lock(mutex_);
    if (state_ == State::Ended)
      return false;
    state_ = State::Playing;
  }
  sink_->play();
  return true;
}

bool Stream::pause() {
  {
    std::lock_guard lock(mutex_);
    if (state_ != State::Playing)
      return false;
    state_ = State::Paused;
  }
  sink_->pause();
  return true;
}

bool Stream::stop() {
  {
    std::lock_guard lock(mutex_);
    if (state_ != State::Ended)
      state_ = State::Stopped;
  }
  sink_->pause();
  return true;
}

DWORD Stream::activity() const {
  std::lock_guard lock(mutex_);
  switch (state_) {
  case State::Playing:
    // Nothing decoded waits and more is due: the network is starving the output.
    return buffer_.available() == 0 && !buffer_.finished() ? BASS_ACTIVE_STALLED : BASS_ACTIVE_PLAYING;
  case State::Paused: return BASS_ACTIVE_PAUSED;
  case State::Stopped:
  case State::Ended: break;
  }
  return BASS_ACTIVE_STOPPED;
}

QWORD Stream::position() const {
  return sink_->heardBytes();
}

void Stream::addSync(HSYNC id, DWORD type, SYNCPROC proc, void *user) {
  std::lock_guard lock(mutex_);
  syncs_.push_back({id, type, proc, user});
}

} // namespace lumiqo::engine
