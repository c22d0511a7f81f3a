#include "player/engine/null_output.h"

#include "player/engine/audio_format.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace lumiqo::engine {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kChunk = std::chrono::milliseconds(40);
constexpr std::size_t kChunkBytes = kBytesPerSecond * 40 / 1000;

class NullSink final : public Sink {
public:
  explicit NullSink(PcmSource &source) : source_(source), scratch_(kChunkBytes) {
    thread_ = std::thread([this] { run(); });
  }
  ~NullSink() override {
    {
      std::lock_guard lock(mutex_);
      quit_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }

  void play() override {
    {
      std::lock_guard lock(mutex_);
      playing_ = true;
    }
    wake_.notify_all();
  }
  void pause() override {
    {
      std::lock_guard lock(mutex_);
      playing_ = false;
    }
    wake_.notify_all();
  }
  void dataAvailable() override {}
  std::uint64_t heardBytes() override {
    std::lock_guard lock(mutex_);
    return heard_;
  }

private:
  // Each tick consumes one chunk's worth: those samples were "heard" during the chunk that
  // just elapsed.
  void run() {
    std::unique_lock lock(mutex_);
    Clock::time_point next;
    bool wasPlaying = false;
    while (!quit_) {
      if (!playing_ || drainedSent_) {
        wasPlaying = false;
        wake_.wait(lock, [&] { return quit_ || (playing_ && !drainedSent_); });
        continue;
      }
      if (!wasPlaying) {
        next = Clock::now();
        wasPlaying = true;
      }
      next += kChunk;
      if (wake_.wait_until(lock, next, [&] { return quit_ || !playing_; }))
        continue;
      lock.unlock();
      std::size_t got = source_.read(scratch_.data(), scratch_.size());
      bool done = source_.finished();
      lock.lock();
      heard_ += got;
      if (done) {
        drainedSent_ = true;
        lock.unlock();
        source_.drained();
        lock.lock();
      }
      // After a long stall of the machine, do not race to catch up.
      if (Clock::now() > next + std::chrono::seconds(1))
        next = Clock::now();
    }
  }

  PcmSource &source_;
  std::vector<std::uint8_t> scratch_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool playing_ = false;
  bool quit_ = false;
  bool drainedSent_ = false;
  std::uint64_t heard_ = 0;
  std::thread thread_;
};

} // namespace

std::unique_ptr<Sink> NullOutput::createSink(PcmSource &source) {
  return std::make_unique<NullSink>(source);
}

} // namespace lumiqo::engine
