// The default device without a sound server: ALSA's default device, here its file plugin
// (over the null device) in a configuration of the test's own, so that what the engine
// wrote can be read back and compared with the song. Then the ALSA output on a device that
// plays in real time (ALSA's PulseAudio plugin into the lumiqo_null sink), for its clock.

#include "player/engine/alsa_output.h"
#include "player/engine/audio_fixtures.h"
#include "player/engine/audio_format.h"
#include "player/engine/bass.h"
#include "support/wait.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

using namespace lumiqo::test;

namespace {

// Silence of a given length; counts what the sink takes and the end it reports.
class CountingSource final : public lumiqo::engine::PcmSource {
public:
  explicit CountingSource(std::size_t total) : total_(total) {}
  std::size_t read(std::uint8_t *dst, std::size_t size) override {
    std::size_t n = std::min(size, total_ - given_);
    n -= n % lumiqo::engine::kBytesPerFrame;
    std::memset(dst, 0, n);
    given_ += n;
    return n;
  }
  bool finished() const override { return given_ == total_; }
  void drained() override { ++drained_; }
  std::size_t given() const { return given_; }
  int drainedCount() const { return drained_; }

private:
  const std::size_t total_;
  std::atomic<std::size_t> given_{0};
  std::atomic<int> drained_{0};
};

// PulseAudio cannot answer, and ALSA's default device writes into a file.
class EngineAlsa : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_FALSE(audioFolder().empty()) << "ffmpeg could not make the test audio";
    alsa.use("pcm.!default {\n"
             "  type file\n"
             "  slave.pcm { type null }\n"
             "  file \"" +
             written() +
             "\"\n"
             "  format \"raw\"\n"
             "}\n");
    ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr)) << "ALSA's default device takes over";
  }
  void TearDown() override { BASS_Free(); }

  std::string written() const { return alsa.folder() + "/written.raw"; }
  std::vector<std::int16_t> writtenSamples() const {
    const std::string bytes = readFile(written());
    std::vector<std::int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
  }

  // The device got the song at the given volume: every sample from where the tone begins
  // to the end, nothing lost, nothing twice. The start may differ (a decoder's priming).
  void expectTheSong(const std::vector<std::int16_t> &got, const std::string &song, float volume) {
    const std::vector<std::int16_t> want = decodedSamples(audioFolder() + "/" + song);
    ASSERT_GT(want.size(), 44100u);
    auto onset = [](const std::vector<std::int16_t> &s, int level) {
      std::size_t i = 0;
      while (i < s.size() && std::abs(int(s[i])) < level)
        ++i;
      return i - i % 2; // a frame's first sample
    };
    const std::size_t from = onset(want, 2000);
    const std::size_t at = onset(got, int(2000 * volume));
    ASSERT_LT(from, want.size());
    ASSERT_LT(at, got.size()) << "the tone reached the device";
    EXPECT_EQ(got.size() - at, want.size() - from) << "as many samples as the song has after its onset";
    std::size_t wrong = 0, firstWrong = 0;
    for (std::size_t i = 0; at + i < got.size() && from + i < want.size(); ++i)
      if (std::abs(int(got[at + i]) - int(std::lround(float(want[from + i]) * volume))) > 1 && wrong++ == 0)
        firstWrong = i;
    EXPECT_EQ(wrong, 0u) << "first wrong sample " << firstWrong << " after the onset";
  }

  AlsaConfig alsa;
  ScopedEnv noServer{"PULSE_SERVER", "unix:/nonexistent/lumiqo/native"};
  AudioServer server;
  std::atomic<int> ended{0};
};

} // namespace

TEST_F(EngineAlsa, PlaysTheSongIntoTheDefaultDeviceAndEnds) {
  HSTREAM h = BASS_StreamCreateURL(server.url("short.mp3").c_str(), 0, 0, nullptr, nullptr);
  ASSERT_NE(h, 0u);
  BASS_ChannelSetSync(h, BASS_SYNC_END, 0, countEnd, &ended);
  ASSERT_TRUE(BASS_ChannelPlay(h, 0));
  ASSERT_TRUE(waitUntil([&] { return ended > 0; }, 20000));
  EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_STOPPED);
  EXPECT_NEAR(BASS_ChannelBytes2Seconds(h, BASS_ChannelGetPosition(h, BASS_POS_BYTE)),
              BASS_ChannelBytes2Seconds(h, BASS_ChannelGetLength(h, BASS_POS_BYTE)), 0.05)
      << "every sample was heard";
  BASS_Free(); // closes the device: the file is complete
  expectTheSong(writtenSamples(), "short.mp3", 1.0f);
  EXPECT_EQ(ended, 1);
}

TEST_F(EngineAlsa, AStallAndAPauseLoseNothingAndTheVolumeScales) {
  ASSERT_TRUE(BASS_SetVolume(0.5f));
  HSTREAM h = BASS_StreamCreateURL(server.url("stall.mp3").c_str(), 0, 0, nullptr, nullptr);
  ASSERT_NE(h, 0u);
  BASS_ChannelSetSync(h, BASS_SYNC_END, 0, countEnd, &ended);
  ASSERT_TRUE(BASS_ChannelPlay(h, 0));
  ASSERT_TRUE(waitUntil([&] { return BASS_ChannelGetPosition(h, BASS_POS_BYTE) > 0; }, 15000))
      << "what came before the stall is played";
  ASSERT_TRUE(waitUntil([&] { return BASS_ChannelIsActive(h) == BASS_ACTIVE_STALLED; }, 15000));
  settle(300);
  ASSERT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_STALLED) << "starved, not between two packets";

  ASSERT_TRUE(BASS_ChannelPause(h));
  const QWORD paused = BASS_ChannelGetPosition(h, BASS_POS_BYTE);
  server.stallGate().open(); // the rest arrives while paused
  settle(500);
  EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_PAUSED);
  EXPECT_EQ(BASS_ChannelGetPosition(h, BASS_POS_BYTE), paused) << "a paused stream stands still";
  EXPECT_EQ(ended, 0);

  ASSERT_TRUE(BASS_ChannelPlay(h, 0));
  ASSERT_TRUE(waitUntil([&] { return ended > 0; }, 20000));
  BASS_Free();
  expectTheSong(writtenSamples(), "short.mp3", 0.5f);
}

TEST(EngineAlsaDevice, PositionCountsTheDeviceLatencyAndAPauseLosesNothing) {
  using namespace lumiqo::engine;
  AlsaConfig alsa;
  alsa.use("pcm.!default { type pulse }\n");
  ScopedEnv sinkName("PULSE_SINK", "lumiqo_null");
  std::shared_ptr<AlsaOutput> output = AlsaOutput::open();
  if (!output)
    GTEST_SKIP() << "no PulseAudio server behind ALSA's pulse plugin (scripts/sound-server.sh starts one)";
  constexpr std::size_t kTotal = 3 * lumiqo::engine::kBytesPerSecond;
  CountingSource source(kTotal);
  std::unique_ptr<Sink> sink = output->createSink(source);
  ASSERT_TRUE(sink);
  settle(200);
  EXPECT_EQ(source.given(), 0u) << "nothing is taken before play";
  sink->play();
  ASSERT_TRUE(waitUntil([&] { return sink->heardBytes() > lumiqo::engine::kBytesPerSecond / 2; }, 10000));
  EXPECT_LT(sink->heardBytes(), source.given()) << "what waits in the device has not been heard";

  sink->pause();
  const std::uint64_t paused = sink->heardBytes();
  settle(100);
  const std::size_t given = source.given();
  settle(400);
  EXPECT_EQ(sink->heardBytes(), paused) << "a paused sink stands still";
  EXPECT_EQ(source.given(), given) << "and takes nothing";
  EXPECT_EQ(paused % kBytesPerFrame, 0u);

  sink->play();
  ASSERT_TRUE(waitUntil([&] { return sink->heardBytes() > paused; }, 5000)) << "resumes where it stood";
  ASSERT_TRUE(waitUntil([&] { return source.drainedCount() > 0; }, 15000));
  EXPECT_EQ(sink->heardBytes(), kTotal) << "what the pause took back from the device was played once";
  settle(200);
  EXPECT_EQ(source.drainedCount(), 1);
}
