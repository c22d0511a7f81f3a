#pragma once
// MemoryBlock: a fixed block of committed, read-write memory (never executable), kept in
// physical memory when the system allows it, with copies in and out that check both ranges:
// a copy that would reach outside the block or outside the caller's buffer copies nothing.

#include <QString>

#include <cstddef>
#include <span>

namespace lumiqo {

class MemoryBlock {
public:
  MemoryBlock() = default;
  ~MemoryBlock();
  MemoryBlock(const MemoryBlock &) = delete;
  MemoryBlock &operator=(const MemoryBlock &) = delete;

  // Releases any previous block, then commits lCount bytes of fresh (zeroed) memory. Returns
  // false, with no block, when lCount is not above 0 or the memory cannot be had.
  bool Allocate(qint64 lCount);
  // The base address, nullptr when there is no block.
  void *Handle() const { return base_; }
  qint64 Size() const { return size_; }

  // Copies lLength bytes from the block, starting offset bytes in, to the start of
  // `destination`. Copies nothing and returns false when the range lies outside the block or
  // lLength is more than the destination holds.
  bool ReadFrom(std::span<std::byte> destination, qint64 lLength, qint64 offset = 0) const;
  // Copies lLength bytes from the start of `source` into the block at offset; the same checks.
  bool WriteTo(std::span<const std::byte> source, qint64 lLength, qint64 offset = 0);
  // The NUL-terminated system-code-page string at offset, at most lMax bytes of it. Empty when
  // neither a terminator nor lMax bytes lie within the block.
  QString ExtractString(qint64 offset, qint64 lMax) const;

  void ReleaseMemory();

private:
  bool inBlock(qint64 offset, qint64 length) const;

  void *base_ = nullptr;
  qint64 size_ = 0;
  bool locked_ = false;
};

} // namespace lumiqo
