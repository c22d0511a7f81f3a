#include "player/engine/pcm_buffer.h"

#include "player/engine/audio_format.h"

#include <algorithm>
#include <cstring>

namespace lumiqo::engine {

PcmBuffer::PcmBuffer(std::size_t capacity) : data_(std::max<std::size_t>(capacity, kBytesPerFrame)) {}

bool PcmBuffer::write(const std::uint8_t *data, std::size_t size, bool *wasEmpty) {
  std::unique_lock lock(mutex_);
  if (wasEmpty)
    *wasEmpty = size_ == 0;
  while (size > 0) {
    space_.wait(lock, [&] { return cancelled_ || size_ < data_.size(); });
    if (cancelled_)
      return false;
    std::size_t tail = (head_ + size_) % data_.size();
    std::size_t n = std::min({size, data_.size() - size_, data_.size() - tail});
    std::memcpy(data_.data() + tail, data, n);
    size_ += n;
    data += n;
    size -= n;
  }
  return true;
}

void PcmBuffer::finish() {
  std::lock_guard lock(mutex_);
  finished_ = true;
}

void PcmBuffer::cancel() {
  {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
  }
  space_.notify_all();
}

std::size_t PcmBuffer::read(std::uint8_t *dst, std::size_t size) {
  std::size_t done = 0;
  {
    std::lock_guard lock(mutex_);
    size = std::min(size, size_);
    size -= size % kBytesPerFrame;
    while (done < size) {
      std::size_t n = std::min(size - done, data_.size() - head_);
      std::memcpy(dst + done, data_.data() + head_, n);
      head_ = (head_ + n) % data_.size();
      size_ -= n;
      done += n;
    }
  }
  if (done > 0)
    space_.notify_all();
  return done;
}

std::size_t PcmBuffer::available() const {
  std::lock_guard lock(mutex_);
  return size_;
}

bool PcmBuffer::finished() const {
  std::lock_guard lock(mutex_);
  return finished_;
}

bool PcmBuffer::drained() const {
  std::lock_guard lock(mutex_);
  return finished_ && size_ == 0;
}

} // namespace lumiqo::engine
