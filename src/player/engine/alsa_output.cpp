#include "player/engine/alsa_output.h"

#include "player/engine/alsa_raii.h"
#include "player/engine/audio_format.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace lumiqo::engine {

namespace {

using Clock = std::chrono::steady_clock;

// The device's buffer: a fifth of a second (ALSA splits it into periods and wakes us once a
// period is free). Pausing and freeing drop it at once; the volume acts on what is written
// after a change, so within this time.
constexpr unsigned kLatencyUs = 200'000;
// Device errors recovered in a row before the stream is given up as ended.
constexpr int kMaxRecoveries = 4;

void ignoreAlsaMessages(const char *, int, const char *, int, const char *, ...) {}

// ALSA's default device, opened for our format; nullptr with the reason in *error.
PcmPtr openDefaultDevice(std::string *error) {
  // Failures reach the caller (the start-up reports them); ALSA's own lines on stderr would
  // only repeat them.
  snd_lib_error_set_handler(&ignoreAlsaMessages);
  snd_pcm_t *raw = nullptr;
  int err = snd_pcm_open(&raw, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
  PcmPtr pcm(err < 0 ? nullptr : raw);
  if (pcm)
    err = snd_pcm_set_params(raw, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, kChannels,
                             kSampleRate, 1, kLatencyUs);
  if (err < 0) {
    if (error)
      *error = snd_strerror(err);
    return nullptr;
  }
  return pcm;
}

class AlsaSink final : public Sink {
public:
  AlsaSink(PcmPtr pcm, PcmSource &source, std::shared_ptr<const std::atomic<float>> volume);
  ~AlsaSink() override;
  bool started() const { return thread_.joinable(); }

  void play() override;
  void pause() override;
  void dataAvailable() override { wake_.signal(); }
  std::uint64_t heardBytes() override;

private:
  enum class Fill { DeviceFull, SourceEmpty, SourceFinished, DeviceFailed };

  void run();
  Fill fill();
  snd_pcm_sframes_t writeFrames(std::size_t frames);
  void takeBackUnheard();
  int msUntilHeard();
  snd_pcm_sframes_t unheardFrames() const;
  void snapshot();
  void end();
  void wait(bool forDevice, int timeoutMs);
  std::uint64_t positionLocked();

  PcmPtr pcm_;
  PcmSource &source_;
  const std::shared_ptr<const std::atomic<float>> volume_;
  WakeFd wake_;
  std::size_t marginBytes_ = 0; // a period of the device
  int periodMs_ = 0;
  std::vector<pollfd> pollFds_;

  // The thread's own.
  std::vector<std::uint8_t> pending_; // taken from the source (or taken back), not yet written
  std::vector<std::uint8_t> history_; // the last bytes written, unscaled: what may be unheard
  std::vector<std::int16_t> scaled_;
  bool deviceIdle_ = true; // nothing written since the device was last stopped
  bool ended_ = false;

  std::mutex mutex_;
  bool playing_ = false;
  bool quit_ = false;
  std::uint64_t written_ = 0;  // bytes of the stream handed to the device
  std::uint64_t heard_ = 0;    // at stamp_
  std::uint64_t reported_ = 0; // the position never goes back
  bool running_ = false;       // the device is playing: the position moves on from heard_
  Clock::time_point stamp_;
  std::thread thread_;
};

AlsaSink::AlsaSink(PcmPtr pcm, PcmSource &source, std::shared_ptr<const std::atomic<float>> volume)
    : pcm_(std::move(pcm)), source_(source), volume_(std::move(volume)) {
  snd_pcm_uframes_t bufferFrames = 0, periodFrames = 0;
  snd_pcm_get_params(pcm_.get(), &bufferFrames, &periodFrames);
  marginBytes_ = std::size_t(periodFrames) * kBytesPerFrame;
  periodMs_ = std::max(1, int(periodFrames * 1000 / kSampleRate));
  pollFds_.resize(1 + std::size_t(std::max(0, snd_pcm_poll_descriptors_count(pcm_.get()))));
  if (wake_.valid()) // without it the thread could not be woken
    thread_ = std::thread([this] { run(); });
}

AlsaSink::~AlsaSink() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  wake_.signal();
  if (thread_.joinable())
    thread_.join();
  // pcm_ closes after this: closing drops whatever the device still holds.
}

void AlsaSink::play() {
  {
    std::lock_guard lock(mutex_);
    playing_ = true;
  }
  wake_.signal();
}

void AlsaSink::pause() {
  {
    std::lock_guard lock(mutex_);
    if (playing_) {
      // The position stands still from this call on; the thread takes back what the device
      // holds beyond it.
      heard_ = positionLocked();
      running_ = false;
      playing_ = false;
    }
  }
  wake_.signal();
}

std::uint64_t AlsaSink::positionLocked() {
  std::uint64_t heard = heard_;
  if (running_) {
    double since = std::chrono::duration<double>(Clock::now() - stamp_).count();
    heard = std::min(written_, heard + std::uint64_t(since * double(kBytesPerSecond)));
  }
  heard -= heard % kBytesPerFrame;
  reported_ = std::max(reported_, heard);
  return reported_;
}

std::uint64_t AlsaSink::heardBytes() {
  std::lock_guard lock(mutex_);
  return positionLocked();
}

void AlsaSink::run() {
  for (;;) {
    // Cleared before the state is read: a request made after this wakes the wait below.
    wake_.clear();
    bool playing;
    {
      std::lock_guard lock(mutex_);
      if (quit_)
        return;
      playing = playing_;
    }
    if (!playing) {
      takeBackUnheard();
      wait(false, -1);
      continue;
    }
    if (ended_) {
      wait(false, -1);
      continue;
    }
    switch (fill()) {
    case Fill::DeviceFull:
      snapshot();
      wait(true, -1);
      break;
    case Fill::SourceEmpty: // dataAvailable() wakes us; the device may run dry meanwhile
      snapshot();
      wait(false, -1);
      break;
    case Fill::SourceFinished:
      if (int ms = msUntilHeard(); ms > 0)
        wait(false, ms);
      else
        end();
      break;
    case Fill::DeviceFailed: // unplugged or taken away: nothing more will be heard
      end();
      break;
    }
  }
}

AlsaSink::Fill AlsaSink::fill() {
  snd_pcm_t *pcm = pcm_.get();
  int recoveries = 0;
  auto recover = [&](int err) { return ++recoveries <= kMaxRecoveries && snd_pcm_recover(pcm, err, 1) >= 0; };
  for (;;) {
    snd_pcm_sframes_t room = snd_pcm_avail_update(pcm);
    if (room < 0) {
      if (!recover(int(room))) // an underrun after a stall, or a suspend
        return Fill::DeviceFailed;
      continue;
    }
    if (room == 0)
      return Fill::DeviceFull;
    if (pending_.empty()) {
      pending_.resize(std::size_t(room) * kBytesPerFrame);
      pending_.resize(source_.read(pending_.data(), pending_.size()));
      if (pending_.empty())
        return source_.finished() ? Fill::SourceFinished : Fill::SourceEmpty;
    }
    snd_pcm_sframes_t done = writeFrames(std::min(pending_.size() / kBytesPerFrame, std::size_t(room)));
    if (done == -EAGAIN || done == 0)
      return Fill::DeviceFull;
    if (done < 0 && !recover(int(done)))
      return Fill::DeviceFailed;
  }
}

// Writes the first frames of pending_ at the present volume and moves what the device took
// into the history; what snd_pcm_writei answered.
snd_pcm_sframes_t AlsaSink::writeFrames(std::size_t frames) {
  scaled_.resize(frames * kChannels);
  std::memcpy(scaled_.data(), pending_.data(), frames * kBytesPerFrame);
  const float volume = std::clamp(volume_->load(), 0.0f, 1.0f);
  if (volume < 1.0f)
    for (std::int16_t &s : scaled_)
      s = std::int16_t(std::lround(float(s) * volume));
  const snd_pcm_sframes_t done = snd_pcm_writei(pcm_.get(), scaled_.data(), frames);
  if (done <= 0)
    return done;
  const std::size_t bytes = std::size_t(done) * kBytesPerFrame;
  history_.insert(history_.end(), pending_.begin(), pending_.begin() + std::ptrdiff_t(bytes));
  pending_.erase(pending_.begin(), pending_.begin() + std::ptrdiff_t(bytes));
  deviceIdle_ = false;
  {
    std::lock_guard lock(mutex_);
    written_ += bytes;
  }
  snapshot(); // also keeps the history short when the device takes everything at once
  return done;
}

// Paused: silences the device at once and keeps what it had not yet played, to be written
// again first when the stream resumes, so that the pause loses no sound and the position
// picks up where it stood.
void AlsaSink::takeBackUnheard() {
  if (deviceIdle_)
    return;
  deviceIdle_ = true;
  snd_pcm_drop(pcm_.get());
  snd_pcm_prepare(pcm_.get());
  std::size_t unheard;
  {
    std::lock_guard lock(mutex_);
    unheard = std::size_t(std::min<std::uint64_t>(written_ - std::min(written_, heard_), history_.size()));
    unheard -= unheard % kBytesPerFrame;
    written_ -= unheard;
    heard_ = written_;
  }
  pending_.insert(pending_.begin(), history_.end() - std::ptrdiff_t(unheard), history_.end());
  history_.resize(history_.size() - unheard);
}

// Frames written and not yet heard.
snd_pcm_sframes_t AlsaSink::unheardFrames() const {
  const snd_pcm_state_t state = snd_pcm_state(pcm_.get());
  if (state != SND_PCM_STATE_RUNNING && state != SND_PCM_STATE_PREPARED)
    return 0; // run dry (some plugins still answer the delay from before), or dropped
  snd_pcm_sframes_t delay = 0;
  return snd_pcm_delay(pcm_.get(), &delay) < 0 ? 0 : std::max<snd_pcm_sframes_t>(delay, 0);
}

// Everything is written. Milliseconds until the device has played it, 0 when it has.
int AlsaSink::msUntilHeard() {
  if (snd_pcm_state(pcm_.get()) == SND_PCM_STATE_PREPARED)
    snd_pcm_start(pcm_.get()); // too short to have reached the start threshold
  snapshot();
  const snd_pcm_sframes_t delay = unheardFrames();
  return delay > 0 ? int(delay * 1000 / kSampleRate) + 1 : 0;
}

// Takes the device's own account of what has been heard.
void AlsaSink::snapshot() {
  const snd_pcm_sframes_t delay = unheardFrames();
  const bool running = snd_pcm_state(pcm_.get()) == SND_PCM_STATE_RUNNING;
  // Only what the device still holds may be taken back; a period more covers a pause that
  // comes between here and the device's next account.
  const std::size_t keep = std::size_t(delay) * kBytesPerFrame + marginBytes_;
  if (history_.size() > keep)
    history_.erase(history_.begin(), history_.end() - std::ptrdiff_t(keep));
  std::lock_guard lock(mutex_);
  if (!playing_)
    return; // paused meanwhile: the position stays where pause() left it
  heard_ = written_ - std::min(written_, std::uint64_t(delay) * kBytesPerFrame);
  running_ = running;
  stamp_ = Clock::now();
}

void AlsaSink::end() {
  ended_ = true;
  {
    std::lock_guard lock(mutex_);
    heard_ = written_;
    running_ = false;
  }
  source_.drained();
}

void AlsaSink::wait(bool forDevice, int timeoutMs) {
  pollFds_[0] = {wake_.fd(), POLLIN, 0};
  int count = 1;
  if (forDevice) {
    count +=
        std::max(0, snd_pcm_poll_descriptors(pcm_.get(), pollFds_.data() + 1, unsigned(pollFds_.size() - 1)));
    if (count == 1) // a device without descriptors: look again after a period
      timeoutMs = periodMs_;
  }
  if (::poll(pollFds_.data(), nfds_t(count), timeoutMs) > 0 && count > 1) {
    // Lets the device's plugins acknowledge their events (a timer, a pipe).
    unsigned short revents = 0;
    snd_pcm_poll_descriptors_revents(pcm_.get(), pollFds_.data() + 1, unsigned(count - 1), &revents);
  }
}

} // namespace

std::shared_ptr<AlsaOutput> AlsaOutput::open(std::string *error) {
  // Opened once to learn that it can be; each stream opens it again for itself, so that an
  // idle player keeps no device open.
  if (!openDefaultDevice(error))
    return nullptr;
  return std::shared_ptr<AlsaOutput>(new AlsaOutput);
}

std::unique_ptr<Sink> AlsaOutput::createSink(PcmSource &source) {
  PcmPtr pcm = openDefaultDevice(nullptr);
  if (!pcm)
    return nullptr;
  auto sink = std::make_unique<AlsaSink>(std::move(pcm), source, volume_);
  if (!sink->started())
    return nullptr;
  return sink;
}

void AlsaOutput::setVolume(float volume) {
  volume_->store(volume);
}

} // namespace lumiqo::engine
