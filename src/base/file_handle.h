#pragma once
// An open file descriptor, closed when it goes unless handed on.

#include <unistd.h>

#include <utility>

namespace lumiqo {

class FileHandle {
public:
  FileHandle() = default;
  explicit FileHandle(int fd) : fd_(fd) {}
  ~FileHandle() { reset(); }
  FileHandle(FileHandle &&other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FileHandle &operator=(FileHandle &&other) noexcept {
    if (this != &other) {
      reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  FileHandle(const FileHandle &) = delete;
  FileHandle &operator=(const FileHandle &) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }
  explicit operator bool() const { return fd_ >= 0; }

private:
  void reset() {
    if (fd_ >= 0)
      ::close(fd_);
  }
  int fd_ = -1;
};

} // namespace lumiqo
