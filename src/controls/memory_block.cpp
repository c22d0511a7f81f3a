#include "controls/memory_block.h"

#include "base/gbk.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstring>

namespace lumiqo {

MemoryBlock::~MemoryBlock() {
  ReleaseMemory();
}

bool MemoryBlock::Allocate(qint64 lCount) {
  ReleaseMemory();
  if (lCount <= 0)
    return false;
  void *p = mmap(nullptr, static_cast<std::size_t>(lCount), PROT_READ | PROT_WRITE,
                 MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED)
    return false;
  base_ = p;
  size_ = lCount;
  // Keeping it in physical memory is a wish: an ordinary user's lock limit may refuse it.
  locked_ = mlock(base_, static_cast<std::size_t>(size_)) == 0;
  return true;
}

void MemoryBlock::ReleaseMemory() {
  if (!base_)
    return;
  if (locked_)
    munlock(base_, static_cast<std::size_t>(size_));
  munmap(base_, static_cast<std::size_t>(size_));
  base_ = nullptr;
  size_ = 0;
  locked_ = false;
}

bool MemoryBlock::inBlock(qint64 offset, qint64 length) const {
  return base_ && offset >= 0 && length >= 0 && offset <= size_ && length <= size_ - offset;
}

bool MemoryBlock::ReadFrom(std::span<std::byte> destination, qint64 lLength, qint64 offset) const {
  if (!inBlock(offset, lLength) || static_cast<quint64>(lLength) > destination.size())
    return false;
  if (lLength > 0)
    std::memcpy(destination.data(), static_cast<const std::byte *>(base_) + offset,
                static_cast<std::size_t>(lLength));
  return true;
}

bool MemoryBlock::WriteTo(std::span<const std::byte> source, qint64 lLength, qint64 offset) {
  if (!inBlock(offset, lLength) || static_cast<quint64>(lLength) > source.size())
    return false;
  if (lLength > 0)
    std::memcpy(static_cast<std::byte *>(base_) + offset, source.data(), static_cast<std::size_t>(lLength));
  return true;
}

QString MemoryBlock::ExtractString(qint64 offset, qint64 lMax) const {
  if (lMax <= 0 || !inBlock(offset, 0))
    return {};
  const char *start = static_cast<const char *>(base_) + offset;
  const qint64 available = size_ - offset;
  const qint64 scan = std::min(lMax, available);
  const void *nul = std::memchr(start, 0, static_cast<std::size_t>(scan));
  if (nul)
    return fromGbk(QByteArrayView(start, static_cast<const char *>(nul) - start));
  // No terminator within lMax bytes: the first lMax bytes, when the block holds them.
  if (lMax <= available)
    return fromGbk(QByteArrayView(start, lMax));
  return {};
}

} // namespace lumiqo
