#pragma once
// Owning handles for the ALSA output: the PCM device, and the event counter that wakes a
// sink's thread from its poll.

#include <alsa/asoundlib.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <memory>

namespace lumiqo::engine {

struct PcmDeleter {
  void operator()(snd_pcm_t *p) const { snd_pcm_close(p); } // drops what is buffered
};
using PcmPtr = std::unique_ptr<snd_pcm_t, PcmDeleter>;

// An eventfd: signal() from any thread makes fd() readable until clear().
class WakeFd {
public:
  WakeFd() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
  ~WakeFd() {
    if (fd_ >= 0)
      ::close(fd_);
  }
  WakeFd(const WakeFd &) = delete;
  WakeFd &operator=(const WakeFd &) = delete;

  bool valid() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  void signal() {
    std::uint64_t one = 1;
    (void)!::write(fd_, &one, sizeof one); // only fails when the counter is already huge
  }
  void clear() {
    std::uint64_t count;
    (void)!::read(fd_, &count, sizeof count); // EAGAIN when nothing was signalled
  }

private:
  int fd_;
};

} // namespace lumiqo::engine
