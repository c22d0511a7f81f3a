// The engine through its public operations, on the no-sound device, against a loopback
// HTTP server.

#include "player/engine/audio_fixtures.h"
#include "player/engine/bass.h"
#include "player/engine/decoder.h"
#include "support/wait.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

using namespace lumiqo::test;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double kBytesPerSecond = 44100.0 * 4;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// What an end sync saw.
struct EndRecord {
  std::atomic<int> calls{0};
  std::atomic<bool> onMainThread{false};
  std::atomic<DWORD> channel{0};
  std::atomic<int> delivered{0}; // queued calls that ran on the UI thread
};

void CALLBACK_end(HSYNC, DWORD channel, DWORD, void *user) {
  auto *r = static_cast<EndRecord *>(user);
  r->calls++;
  r->channel = channel;
  r->onMainThread = QThread::currentThread() == qApp->thread();
  QMetaObject::invokeMethod(
      qApp, [r] { r->delivered += QThread::currentThread() == qApp->thread() ? 1 : 1000; },
      Qt::QueuedConnection);
}

class EngineTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    ASSERT_FALSE(audioFolder().empty()) << "ffmpeg could not make the test audio";
  }
  void SetUp() override { ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr)); }
  void TearDown() override {
    BASS_Free(); // no sync runs after this: deliver the queued calls while record lives
    QCoreApplication::processEvents();
  }

  HSTREAM open(const std::string &name) {
    return BASS_StreamCreateURL(server.url(name).c_str(), 0, 0, nullptr, nullptr);
  }

  AudioServer server;
  EndRecord record; // outlives the engine's streams
};

} // namespace

TEST(EngineSetup, VersionDevicesAndEnvironment) {
  EXPECT_EQ(BASS_GetVersion() >> 16, 0x0204u);

  EXPECT_FALSE(BASS_Init(7, 44100, 0, nullptr, nullptr)) << "no such device";
  EXPECT_FALSE(BASS_StreamCreateURL("http://127.0.0.1:1/a.mp3", 0, 0, nullptr, nullptr)) << "not initialised";
  EXPECT_FALSE(BASS_SetVolume(0.5f)) << "not initialised";
  ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
  EXPECT_FALSE(BASS_Init(0, 44100, 0, nullptr, nullptr)) << "already initialised";
  EXPECT_TRUE(BASS_Free());
  EXPECT_FALSE(BASS_Free());

  const char *saved = std::getenv("LUMIQO_AUDIO_DEVICE");
  std::string keep = saved ? saved : "";
  setenv("LUMIQO_AUDIO_DEVICE", "0", 1);
  EXPECT_EQ(lumiqo::audioDeviceFromEnvironment(), 0);
  setenv("LUMIQO_AUDIO_DEVICE", "1", 1);
  EXPECT_EQ(lumiqo::audioDeviceFromEnvironment(), -1);
  unsetenv("LUMIQO_AUDIO_DEVICE");
  EXPECT_EQ(lumiqo::audioDeviceFromEnvironment(), -1);
  if (saved)
    setenv("LUMIQO_AUDIO_DEVICE", keep.c_str(), 1);
}

TEST(EngineSetup, NeitherSoundServerNorAlsaDevice) {
  AlsaConfig alsa;
  alsa.use(""); // no default device
  {
    ScopedEnv pulse("PULSE_SERVER", "unix:/nonexistent/lumiqo/native");
    EXPECT_FALSE(BASS_Init(-1, 44100, 0, nullptr, nullptr)) << "no server there, no ALSA device";
  }
  {
    SilentServer silent; // accepts and never answers
    ScopedEnv pulse("PULSE_SERVER", QByteArray::fromStdString("tcp:" + silent.authority()));
    auto start = Clock::now();
    EXPECT_FALSE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
    EXPECT_LT(secondsSince(start), 60.0) << "the sound server's answer has a time-out";
  }
  EXPECT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr)) << "a failed start leaves the engine free";
  BASS_Free();
}

TEST_F(EngineTest, OpensEveryFormatWithItsLength) {
  int count = 0;
  const AudioFile *files = audioFiles(&count);
  for (int i = 0; i < count; ++i) {
    SCOPED_TRACE(files[i].name);
    const std::string name = files[i].name;
    HSTREAM h =
        name.ends_with(".wma") ? BASS_WMA_StreamCreateFile(0, server.url(name).c_str(), 0, 0, 0) : open(name);
    ASSERT_NE(h, 0u);
    EXPECT_NE(h & 0x80000000u, 0u) << "stream handles carry the top bit";
    double length = BASS_ChannelBytes2Seconds(h, BASS_ChannelGetLength(h, BASS_POS_BYTE));
    EXPECT_EQ(BASS_ChannelGetLength(h, BASS_POS_BYTE) % 4, 0u);
    if (files[i].lengthInHeader)
      EXPECT_NEAR(length, files[i].seconds, files[i].seconds * 0.01);
    else
      EXPECT_GT(length, 0.0) << "estimated from the bit rate of the first frames";
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_STOPPED) << "not played yet";
    EXPECT_EQ(BASS_ChannelGetPosition(h, BASS_POS_BYTE), 0u);
    EXPECT_TRUE(BASS_StreamFree(h));
  }
  // A local file name, as the WMA call may also be given.
  HSTREAM local = BASS_WMA_StreamCreateFile(0, (audioFolder() + "/tone.wma").c_str(), 0, 0, 0);
  EXPECT_NE(local, 0u);
  EXPECT_FALSE(BASS_WMA_StreamCreateFile(1, "tone.wma", 0, 0, 0)) << "memory streams are not offered";
}

TEST_F(EngineTest, RefusesWhatIsNotPlayableAudio) {
  for (const char *name : {"missing.mp3", "page.html", "empty.mp3"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(open(name), 0u);
  }
  const std::string refused = "http://127.0.0.1:" + std::to_string(refusedPort()) + "/song.mp3";
  EXPECT_EQ(BASS_StreamCreateURL(refused.c_str(), 0, 0, nullptr, nullptr), 0u);
  EXPECT_EQ(BASS_WMA_StreamCreateFile(0, refused.c_str(), 0, 0, 0), 0u);
  EXPECT_EQ(BASS_StreamCreateURL("concat:/etc/passwd|/etc/passwd", 0, 0, nullptr, nullptr), 0u);
  EXPECT_EQ(BASS_StreamCreateURL("", 0, 0, nullptr, nullptr), 0u);
  EXPECT_EQ(BASS_StreamCreateURL(nullptr, 0, 0, nullptr, nullptr), 0u);
}

TEST_F(EngineTest, GivesUpOnAServerThatNeverAnswers) {
  SilentServer silent;
  auto start = Clock::now();
  EXPECT_EQ(
      BASS_StreamCreateURL(("http://" + silent.authority() + "/song.mp3").c_str(), 0, 0, nullptr, nullptr),
      0u);
  EXPECT_LT(secondsSince(start), 60.0) << "the connect has a time-out";
}

TEST_F(EngineTest, FreeingTheEngineEndsAHangingConnect) {
  SilentServer silent;
  std::thread freer([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    BASS_Free();
  });
  auto start = Clock::now();
  HSTREAM h =
      BASS_StreamCreateURL(("http://" + silent.authority() + "/song.mp3").c_str(), 0, 0, nullptr, nullptr);
  double took = secondsSince(start);
  freer.join();
  EXPECT_EQ(h, 0u);
  EXPECT_LT(took, 5.0) << "far below the 10 s connect time-out";
}

TEST_F(EngineTest, PositionAdvancesPausesAndStops) {
  HSTREAM h = open("cbr.mp3");
  ASSERT_NE(h, 0u);
  ASSERT_TRUE(BASS_ChannelPlay(h, 0));
  ASSERT_TRUE(waitUntil([&] { return BASS_ChannelGetPosition(h, BASS_POS_BYTE) > 0; }, 10000));
  EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_PLAYING);
  QWORD before = BASS_ChannelGetPosition(h, BASS_POS_BYTE);
  ASSERT_TRUE(waitUntil([&] { return BASS_ChannelGetPosition(h, BASS_POS_BYTE) > before; }, 10000));
  EXPECT_EQ(BASS_ChannelGetPosition(h, BASS_POS_BYTE) % 4, 0u);

  ASSERT_TRUE(BASS_ChannelPause(h));
  EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_PAUSED);
  QWORD paused = BASS_ChannelGetPosition(h, BASS_POS_BYTE);
  settle(300);
  EXPECT_EQ(BASS_ChannelGetPosition(h, BASS_POS_BYTE), paused) << "pause keeps the position";
  EXPECT_FALSE(BASS_ChannelPause(h)) << "not playing";

  ASSERT_TRUE(BASS_ChannelPlay(h, 0));
  EXPECT_TRUE(waitUntil([&] { return BASS_ChannelGetPosition(h, BASS_POS_BYTE) > paused; }, 10000))
      << "resumes from where it paused";
  ASSERT_TRUE(BASS_ChannelStop(h));
  EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_STOPPED);
  QWORD stopped = BASS_ChannelGetPosition(h, BASS_POS_BYTE);
  settle(200);
  EXPECT_EQ(BASS_ChannelGetPosition(h, BASS_POS_BYTE), stopped);
  EXPECT_LT(BASS_ChannelBytes2Seconds(h, stopped), 8.0);
  EXPECT_DOUBLE_EQ(BASS_ChannelBytes2Seconds(h, 176400), 1.0);
}

TEST_F(EngineTest, EndSyncFiresOnceOnAnEngineThreadAfterTheLastSample) {
  HSTREAM h = open("short.mp3");
  ASSERT_NE(h, 0u);
  EXPECT_NE(BASS_ChannelSetSync(h, BASS_SYNC_END, 0, CALLBACK_end, &record), 0u);
  EXPECT_EQ(BASS_ChannelSetSync(h, 99, 0, CALLBACK_end, &record), 0u) << "only the end sync is offered";
  QWORD length = BASS_ChannelGetLength(h, BASS_POS_BYTE);
  ASSERT_TRUE(BASS_ChannelPlay(h, 0));
  ASSERT_TRUE(waitUntil([&] { return record.delivered > 0; }, 20000));
  EXPECT_FALSE(record.onMainThread);
  EXPECT_EQ(record.channel, h);
  EXPECT_EQ(record.delivered, 1) << "the queued call ran on the UI thread";
  EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_STOPPED);
  double heard = BASS_ChannelBytes2Seconds(h, BASS_ChannelGetPosition(h, BASS_POS_BYTE));
  EXPECT_NEAR(heard, BASS_ChannelBytes2Seconds(h, length), 0.05) << "every sample was heard";
  settle(500);
  EXPECT_EQ(record.calls, 1);
  EXPECT_FALSE(BASS_ChannelPlay(h, 0)) << "an ended stream does not start again";
}

TEST_F(EngineTest, TruncatedFilePlaysWhatItHasAndEnds) {
  HSTREAM h = open("truncated.mp3");
  ASSERT_NE(h, 0u);
  BASS_ChannelSetSync(h, BASS_SYNC_END, 0, CALLBACK_end, &record);
  ASSERT_TRUE(BASS_ChannelPlay(h, 0));
  ASSERT_TRUE(waitUntil([&] { return record.calls > 0; }, 20000));
  double heard = BASS_ChannelBytes2Seconds(h, BASS_ChannelGetPosition(h, BASS_POS_BYTE));
  EXPECT_GT(heard, 0.5);
  EXPECT_LT(heard, 1.5) << "half of a 2 s file";
}

TEST_F(EngineTest, StalledWhileTheNetworkStarvesThenPlayingAgain) {
  HSTREAM h = open("stall.mp3");
  ASSERT_NE(h, 0u);
  BASS_ChannelSetSync(h, BASS_SYNC_END, 0, CALLBACK_end, &record);
  ASSERT_TRUE(BASS_ChannelPlay(h, 0));
  ASSERT_TRUE(waitUntil([&] { return BASS_ChannelGetPosition(h, BASS_POS_BYTE) > 0; }, 10000))
      << "the bytes that came are played";
  ASSERT_TRUE(waitUntil([&] { return BASS_ChannelIsActive(h) == BASS_ACTIVE_STALLED; }, 15000));
  QWORD starved = BASS_ChannelGetPosition(h, BASS_POS_BYTE);
  EXPECT_EQ(record.calls, 0) << "a starved stream has not ended";
  server.stallGate().open();
  ASSERT_TRUE(waitUntil([&] { return BASS_ChannelIsActive(h) != BASS_ACTIVE_STALLED; }, 15000));
  EXPECT_TRUE(waitUntil([&] { return BASS_ChannelGetPosition(h, BASS_POS_BYTE) > starved; }, 15000));
  EXPECT_TRUE(waitUntil([&] { return record.calls == 1; }, 20000));
}

TEST_F(EngineTest, FreeingSilencesAtOnceAndRetiresTheHandle) {
  HSTREAM stalled = open("stall.mp3"); // its connection hangs mid-body
  HSTREAM playing = open("cbr.mp3");
  ASSERT_NE(stalled, 0u);
  ASSERT_NE(playing, 0u);
  BASS_ChannelSetSync(stalled, BASS_SYNC_END, 0, CALLBACK_end, &record);
  BASS_ChannelPlay(stalled, 0);
  BASS_ChannelPlay(playing, 0);
  ASSERT_TRUE(waitUntil([&] { return BASS_ChannelIsActive(stalled) == BASS_ACTIVE_STALLED; }, 15000));

  for (HSTREAM h : {stalled, playing}) {
    auto start = Clock::now();
    EXPECT_TRUE(BASS_StreamFree(h));
    EXPECT_LT(secondsSince(start), 5.0) << "no waiting for a network time-out";
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_STOPPED);
    EXPECT_FALSE(BASS_ChannelPlay(h, 0));
    EXPECT_EQ(BASS_ChannelGetPosition(h, BASS_POS_BYTE), 0u);
    EXPECT_FALSE(BASS_StreamFree(h)) << "freeing twice is harmless";
  }
  EXPECT_FALSE(BASS_StreamFree(0));
  HSTREAM next = open("short.mp3");
  EXPECT_NE(next, 0u);
  EXPECT_NE(next, stalled);
  EXPECT_NE(next, playing);
  server.stallGate().open();
  settle(300);
  EXPECT_EQ(record.calls, 0);
}

TEST_F(EngineTest, NoSyncAfterTheEngineIsFreed) {
  HSTREAM h = open("truncated.mp3");
  ASSERT_NE(h, 0u);
  BASS_ChannelSetSync(h, BASS_SYNC_END, 0, CALLBACK_end, &record);
  ASSERT_TRUE(BASS_ChannelPlay(h, 0));
  ASSERT_TRUE(waitUntil([&] { return BASS_ChannelGetPosition(h, BASS_POS_BYTE) > 0; }, 10000));
  auto start = Clock::now();
  EXPECT_TRUE(BASS_Free());
  EXPECT_LT(secondsSince(start), 5.0);
  EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_STOPPED);
  settle(2000); // longer than the rest of the file
  EXPECT_EQ(record.calls, 0);
  EXPECT_EQ(record.delivered, 0);
}

TEST_F(EngineTest, Volume) {
  EXPECT_FLOAT_EQ(BASS_GetVolume(), 1.0f);
  EXPECT_TRUE(BASS_SetVolume(0.3f));
  EXPECT_FLOAT_EQ(BASS_GetVolume(), 0.3f);
  EXPECT_FALSE(BASS_SetVolume(1.5f));
  EXPECT_FALSE(BASS_SetVolume(-0.1f));
  EXPECT_FALSE(BASS_SetVolume(std::nanf("")));
  EXPECT_FLOAT_EQ(BASS_GetVolume(), 0.3f);
  EXPECT_TRUE(BASS_SetVolume(0.0f));
  EXPECT_FLOAT_EQ(BASS_GetVolume(), 0.0f);
}

// The decoder itself: every format comes out as 44100 Hz stereo carrying the 440 Hz tone.
TEST(EngineDecoder, ResamplesEveryFormatTo44100Stereo) {
  ASSERT_FALSE(audioFolder().empty());
  for (const char *name : {"cbr.mp3", "mono22k.mp3", "tone.wma"}) {
    SCOPED_TRACE(name);
    auto decoder = lumiqo::engine::Decoder::open(audioFolder() + "/" + name, nullptr);
    ASSERT_TRUE(decoder);
    std::vector<std::uint8_t> chunk;
    std::vector<std::int16_t> left, right;
    while (decoder->decode(chunk)) {
      ASSERT_EQ(chunk.size() % 4, 0u);
      for (std::size_t i = 0; i + 3 < chunk.size(); i += 4) {
        left.push_back(std::int16_t(chunk[i] | chunk[i + 1] << 8));
        right.push_back(std::int16_t(chunk[i + 2] | chunk[i + 3] << 8));
      }
    }
    EXPECT_NEAR(double(left.size()) / 44100.0, 8.0, 0.08);
    EXPECT_EQ(left, right) << "the same tone in both channels";
    int crossings = 0;
    for (std::size_t i = 1; i < left.size(); ++i)
      crossings += (left[i - 1] < 0) != (left[i] < 0);
    EXPECT_NEAR(crossings / 2.0 / (double(left.size()) / 44100.0), 440.0, 5.0);
  }
}
