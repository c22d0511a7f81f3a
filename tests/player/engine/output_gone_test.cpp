// When the output goes away (the sound server dies): a song in the middle ends rather than
// hang, and the next stream gets a sink from a new connection once the device is back (a
// device that refuses a sink is opened anew, the volume set before carries over).
#include "player/engine/audio_fixtures.h"
#include "player/engine/reconnecting_output.h"
#include "player/engine/stream.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

using namespace lumiqo::engine;

namespace {

class NoSource : public PcmSource {
public:
  std::size_t read(std::uint8_t *, std::size_t) override { return 0; }
  bool finished() const override { return true; }
  void drained() override {}
};

class SilentSink : public Sink {
public:
  void play() override {}
  void pause() override {}
  void dataAvailable() override {}
  std::uint64_t heardBytes() override { return 0; }
};

// A device that gives sinks until it has gone away.
class Device : public Output {
public:
  bool gone = false;
  int sinks = 0;
  std::vector<float> volumes;
  std::unique_ptr<Sink> createSink(PcmSource &) override {
    if (gone)
      return nullptr;
    ++sinks;
    return std::make_unique<SilentSink>();
  }
  void setVolume(float volume) override { volumes.push_back(volume); }
};

// A sink that never reads: its device has gone away. It remembers its source, to tell it so.
class DeadDevice : public Output {
public:
  PcmSource *source = nullptr;
  std::unique_ptr<Sink> createSink(PcmSource &s) override {
    source = &s;
    return std::make_unique<SilentSink>();
  }
  void setVolume(float) override {}
};

TEST(OutputGone, ASongInTheMiddleEndsWhenItsOutputGoesAway) {
  lumiqo::test::AudioServer server;
  ASSERT_FALSE(lumiqo::test::audioFolder().empty());
  DeadDevice device;
  // cbr.mp3 is eight seconds: more than the stream buffers, so its decoder waits on a full
  // buffer that nobody empties.
  std::unique_ptr<Stream> stream =
      Stream::open(0x80000001u, server.url("cbr.mp3"), device, nullptr, std::chrono::seconds(10));
  ASSERT_NE(stream, nullptr);
  ASSERT_NE(device.source, nullptr);
  static std::atomic<int> ends;
  ends = 0;
  stream->addSync(
      1, BASS_SYNC_END, [](HSYNC, DWORD, DWORD, void *) { ++ends; }, nullptr);
  ASSERT_TRUE(stream->play());
  device.source->drained(); // the output's stream failed: nothing more will be heard
  for (int i = 0; i < 2000 && ends == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(stream->activity(), BASS_ACTIVE_STOPPED);
}

TEST(OutputGone, ADeviceThatWentAwayIsOpenedAgainForTheNextSink) {
  auto first = std::make_shared<Device>();
  std::vector<std::shared_ptr<Device>> opened;
  bool serverUp = false;
  ReconnectingOutput output(first, [&]() -> std::shared_ptr<Output> {
    if (!serverUp)
      return nullptr;
    opened.push_back(std::make_shared<Device>());
    return opened.back();
  });
  NoSource source;
  ASSERT_NE(output.createSink(source), nullptr);
  EXPECT_EQ(first->sinks, 1);
  EXPECT_TRUE(opened.empty());

  output.setVolume(0.25f);
  first->gone = true; // the sound server was killed
  EXPECT_EQ(output.createSink(source), nullptr);

  serverUp = true; // and started again
  ASSERT_NE(output.createSink(source), nullptr);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0]->sinks, 1);
  EXPECT_EQ(opened[0]->volumes, std::vector<float>{0.25f});
  // From then on the new connection serves, without connecting again.
  ASSERT_NE(output.createSink(source), nullptr);
  EXPECT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0]->sinks, 2);
}

} // namespace
