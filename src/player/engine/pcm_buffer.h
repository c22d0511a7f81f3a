#pragma once
// The bounded buffer between a stream's decoder thread (writer) and its output (reader).

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace lumiqo::engine {

class PcmBuffer {
public:
  explicit PcmBuffer(std::size_t capacity);

  // Appends all of data, waiting while the buffer is full; false when cancelled first.
  // *wasEmpty tells whether the reader found nothing before this write began.
  bool write(const std::uint8_t *data, std::size_t size, bool *wasEmpty = nullptr);
  // Marks the end of the data: nothing more will be written.
  void finish();
  // Wakes a waiting writer and makes every later write fail.
  void cancel();

  // Copies up to size bytes (whole frames) without waiting; returns how many.
  std::size_t read(std::uint8_t *dst, std::size_t size);
  std::size_t available() const;
  bool finished() const; // finish() was called
  bool drained() const;  // finished and empty

private:
  mutable std::mutex mutex_;
  std::condition_variable space_;
  std::vector<std::uint8_t> data_;
  std::size_t head_ = 0; // next byte to read
  std::size_t size_ = 0;
  bool finished_ = false;
  bool cancelled_ = false;
};

} // namespace lumiqo::engine
