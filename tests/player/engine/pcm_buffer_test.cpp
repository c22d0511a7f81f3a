// The buffer between decoder and output: order across the wrap, whole frames, and a
// writer that waits for room gives up when the stream is freed.

#include "player/engine/pcm_buffer.h"

#include <gtest/gtest.h>

#include <numeric>
#include <thread>

using lumiqo::engine::PcmBuffer;

TEST(EnginePcmBuffer, KeepsOrderAcrossTheWrapAndReadsWholeFrames) {
  PcmBuffer buffer(40);
  std::vector<std::uint8_t> in(1000);
  std::iota(in.begin(), in.end(), std::uint8_t(0));
  std::vector<std::uint8_t> out;
  std::thread writer([&] { EXPECT_TRUE(buffer.write(in.data(), in.size())); });
  std::uint8_t chunk[14];
  while (out.size() < in.size()) {
    std::size_t n = buffer.read(chunk, sizeof chunk);
    EXPECT_EQ(n % 4, 0u) << "only whole frames";
    out.insert(out.end(), chunk, chunk + n);
  }
  writer.join();
  EXPECT_EQ(out, in);
  EXPECT_FALSE(buffer.drained()) << "not finished yet";
  buffer.finish();
  EXPECT_TRUE(buffer.drained());
}

TEST(EnginePcmBuffer, CancelReleasesAWaitingWriter) {
  PcmBuffer buffer(16);
  std::vector<std::uint8_t> data(64, 7);
  bool wasEmpty = false;
  std::thread writer([&] { EXPECT_FALSE(buffer.write(data.data(), data.size(), &wasEmpty)); });
  buffer.cancel(); // before or after the writer blocks: it must return either way
  writer.join();
  EXPECT_TRUE(wasEmpty);
  EXPECT_FALSE(buffer.write(data.data(), 4)) << "a freed stream takes nothing more";
}
