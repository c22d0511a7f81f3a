#pragma once
// One open stream: its decoder, the decoder thread that fills the buffer, the output's sink
// that plays from it, and the syncs to call at the end.

#include "player/engine/bass.h"
#include "player/engine/decoder.h"
#include "player/engine/output.h"
#include "player/engine/pcm_buffer.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lumiqo::engine {

class Stream final : public PcmSource {
public:
  // Connects and reads the format, giving up after timeout or once *abandon turns true;
  // nullptr when the address cannot be played.
  static std::unique_ptr<Stream> open(DWORD handle, const std::string &location, Output &output,
                                      std::shared_ptr<const std::atomic<bool>> abandon,
                                      std::chrono::milliseconds timeout, std::string *error = nullptr);
  // Silences the stream at once, interrupts its network reads and waits for its thread.
  ~Stream() override;
  Stream(const Stream &) = delete;
  Stream &operator=(const Stream &) = delete;

  bool play();
  bool pause();
  bool stop();
  DWORD activity() const;
  QWORD position() const;
  QWORD length() const { return length_; }
  void addSync(HSYNC id, DWORD type, SYNCPROC proc, void *user);

  // PcmSource, for the sink.
  std::size_t read(std::uint8_t *dst, std::size_t size) override { return buffer_.read(dst, size); }
  bool finished() const override { return buffer_.drained(); }
  void drained() override;

private:
  enum class State { Stopped, Playing, Paused, Ended };
  struct Sync {
    HSYNC id;
    DWORD type;
    SYNCPROC proc;
    void *user;
  };

  Stream(DWORD handle, std::shared_ptr<const std::atomic<bool>> abandon);
  bool interrupted() const;
  void run();

  const DWORD handle_;
  std::shared_ptr<const std::atomic<bool>> abandon_; // the engine was freed
  std::atomic<bool> cancelled_{false};               // this stream is being freed
  std::atomic<std::int64_t> deadline_;               // steady-clock ns; open only
  std::unique_ptr<Decoder> decoder_;
  PcmBuffer buffer_;
  std::unique_ptr<Sink> sink_;
  QWORD length_ = 0;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  State state_ = State::Stopped;
  bool heardEnd_ = false;
  std::vector<Sync> syncs_;
  std::thread thread_;
};

} // namespace lumiqo::engine
