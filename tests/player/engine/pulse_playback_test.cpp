// Plays a 440 Hz tone through the PulseAudio null sink lumiqo_null (started by
// scripts/sound-server.sh) and listens to its monitor.

#include "player/engine/audio_fixtures.h"
#include "player/engine/bass.h"
#include "player/engine/pulse_output.h"
#include "support/null_sink.h"
#include "support/wait.h"

#include <QCoreApplication>
#include <QProcess>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

using namespace lumiqo::test;

namespace {

// Peak of |x| over samples [from, to).
int peak(const std::vector<std::int16_t> &s, std::size_t from, std::size_t to) {
  int p = 0;
  for (std::size_t i = from; i < to && i < s.size(); ++i)
    p = std::max(p, std::abs(int(s[i])));
  return p;
}

} // namespace

TEST(EnginePulse, PlaysTheToneIntoTheNullSinkAndTheVolumeActsAtOnce) {
  ASSERT_FALSE(audioFolder().empty());
  if (!nullSinkExists())
    GTEST_SKIP() << "no PulseAudio server with the lumiqo_null sink (scripts/sound-server.sh starts one)";
  qputenv("PULSE_SINK", "lumiqo_null"); // libpulse sends our streams there
  if (!BASS_Init(-1, 44100, 0, nullptr, nullptr))
    GTEST_SKIP() << "PulseAudio cannot be reached";

  AudioServer server;
  HSTREAM h = BASS_StreamCreateURL(server.url("cbr.mp3").c_str(), 0, 0, nullptr, nullptr);
  ASSERT_NE(h, 0u);
  QStringList source{"-d", "lumiqo_null.monitor"};
  if (int index = ourSinkInput(); index >= 0)
    source << "--monitor-stream=" + QString::number(index);
  QProcess recorder;
  // Recorded in 20 ms pieces, as a low-latency program beside the player would make the
  // sink run: the output must still be refilled in large pieces.
  recorder.start("parec", source + QStringList{"--raw", "--format=s16le", "--rate=44100", "--channels=1",
                                               "--latency-msec=20"});
  ASSERT_TRUE(recorder.waitForStarted(5000));
  settle(300);
  std::atomic<int> ended{0};
  BASS_ChannelSetSync(h, BASS_SYNC_END, 0, countEnd, &ended);
  const std::uint64_t refillsBefore = lumiqo::engine::PulseOutput::refillsSoFar();
  ASSERT_TRUE(BASS_ChannelPlay(h, 0));
  // Half-way through, a quarter of the volume.
  auto start = std::chrono::steady_clock::now();
  while (BASS_ChannelBytes2Seconds(h, BASS_ChannelGetPosition(h, BASS_POS_BYTE)) < 4.0 &&
         std::chrono::steady_clock::now() - start < std::chrono::seconds(20))
    settle(20);
  EXPECT_GT(BASS_ChannelGetPosition(h, BASS_POS_BYTE), 0u) << "the position follows the sound";
  ASSERT_TRUE(BASS_SetVolume(0.25f));
  while (ended == 0 && std::chrono::steady_clock::now() - start < std::chrono::seconds(30))
    settle(20);
  EXPECT_EQ(ended, 1);
  // The server asks for sound in large pieces, not fifty times a second: the eight seconds
  // went in a few dozen refills at most.
  EXPECT_LE(lumiqo::engine::PulseOutput::refillsSoFar() - refillsBefore, 40u);
  settle(300);
  BASS_Free();
  recorder.terminate();
  recorder.waitForFinished(5000);

  QByteArray raw = recorder.readAllStandardOutput();
  std::vector<std::int16_t> s(std::size_t(raw.size()) / 2);
  std::memcpy(s.data(), raw.data(), s.size() * 2);
  // The tone is where the recording is loud.
  std::size_t first = 0, last = 0;
  for (std::size_t i = 0; i < s.size(); ++i)
    if (std::abs(int(s[i])) > 300) {
      if (!first)
        first = i;
      last = i;
    }
  ASSERT_GT(last, first + 44100) << "at least a second of tone was recorded";
  int crossings = 0;
  for (std::size_t i = first + 1; i <= last; ++i)
    crossings += (s[i - 1] < 0) != (s[i] < 0);
  double seconds = double(last - first) / 44100.0;
  EXPECT_NEAR(crossings / 2.0 / seconds, 440.0, 10.0);
  EXPECT_NEAR(seconds, 8.0, 1.0);

  // Loud in the first second, a quarter as loud in the last.
  double loud = peak(s, first + 4410, first + 44100);
  double quiet = peak(s, last - 44100, last - 4410);
  ASSERT_GT(loud, 1000);
  EXPECT_NEAR(quiet / loud, 0.25, 0.05);
}
