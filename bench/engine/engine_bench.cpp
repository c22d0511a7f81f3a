// Decoding speed, what playing costs the machine (CPU time of the whole process while a
// stream plays on the no-sound device and on PulseAudio), and how long BASS_Init(-1) keeps
// the start-up waiting when no sound server answers.

#include "player/engine/bass.h"
#include "player/engine/decoder.h"

#include <alsa/asoundlib.h>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

double cpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  auto tv = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return tv(u.ru_utime) + tv(u.ru_stime);
}

// The benchmarks' scratch folder, removed at exit.
const std::string &scratch() {
  static const std::string dir = [] {
    std::string d =
        (std::filesystem::temp_directory_path() / ("lumiqo-bench-" + std::to_string(getpid()))).string();
    std::filesystem::create_directories(d);
    return d;
  }();
  // Registered after dir exists, so it runs before dir is destroyed.
  static const bool cleanup = std::atexit([] { std::filesystem::remove_all(dir); }) == 0;
  (void)cleanup;
  return dir;
}

// 30 s of a 440 Hz tone in each format, made once.
std::string sample(const std::string &name) {
  static const bool made = [] {
    const std::string &d = scratch();
    std::string ff =
        "ffmpeg -hide_banner -loglevel error -y -f lavfi -i sine=frequency=440:sample_rate=44100:"
        "duration=30 -ac 2 ";
    if (std::system((ff + "-c:a libmp3lame -b:a 128k " + d + "/tone.mp3").c_str()) != 0 ||
        std::system((ff + "-c:a wmav2 -b:a 128k -f asf " + d + "/tone.wma").c_str()) != 0)
      std::abort();
    return true;
  }();
  (void)made;
  return scratch() + "/" + name;
}

// Sets an environment variable (or unsets it, for nullopt) until the end of the scope.
class Env {
public:
  Env(const char *name, std::optional<std::string> value) : name_(name) {
    if (const char *old = std::getenv(name))
      saved_ = old;
    set(value);
  }
  ~Env() { set(saved_); }

private:
  void set(const std::optional<std::string> &value) {
    if (value)
      setenv(name_, value->c_str(), 1);
    else
      unsetenv(name_);
  }
  const char *name_;
  std::optional<std::string> saved_;
};

// Points PulseAudio at a server that is not there, and ALSA at a configuration of our own
// (or, for nullopt, at the machine's).
class WithoutSoundServer {
public:
  explicit WithoutSoundServer(const std::optional<std::string> &alsaConfig) {
    std::optional<std::string> path;
    if (alsaConfig) {
      path = scratch() + "/asound.conf";
      std::ofstream(*path) << *alsaConfig;
    }
    alsa_.emplace("ALSA_CONFIG_PATH", path);
  }

private:
  Env pulse_{"PULSE_SERVER", "unix:" + scratch() + "/no-server"};
  std::optional<Env> alsa_;
};

// Seconds of audio decoded per CPU second.
void decode(benchmark::State &state, const char *name) {
  const std::string path = sample(name);
  double audio = 0, cpu = 0;
  for (auto _ : state) {
    double c0 = cpuSeconds();
    auto decoder = lumiqo::engine::Decoder::open(path, nullptr);
    std::vector<std::uint8_t> chunk;
    std::size_t bytes = 0;
    while (decoder->decode(chunk))
      bytes += chunk.size();
    cpu += cpuSeconds() - c0;
    audio += double(bytes) / 176400.0;
  }
  state.counters["audio_s_per_cpu_s"] = audio / cpu;
}

// Plays 30 s and reports the process's CPU (user + sys) as % of one core.
void play(benchmark::State &state, int device) {
  const std::string path = sample("tone.mp3");
  for (auto _ : state) {
    if (!BASS_Init(device, 44100, 0, nullptr, nullptr)) {
      state.SkipWithError("device cannot be opened");
      return;
    }
    auto wall0 = std::chrono::steady_clock::now();
    double c0 = cpuSeconds();
    HSTREAM h = BASS_StreamCreateURL(path.c_str(), 0, 0, nullptr, nullptr);
    BASS_ChannelPlay(h, 0);
    while (BASS_ChannelIsActive(h) != BASS_ACTIVE_STOPPED)
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    double cpu = cpuSeconds() - c0;
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    BASS_Free();
    state.SetIterationTime(wall);
    state.counters["cpu_percent_of_core"] = 100.0 * cpu / wall;
    state.counters["wall_s"] = wall;
  }
}

// BASS_Init(-1) with no sound server at the address libpulse is given, so the engine turns to
// ALSA's default device: a device that opens (ALSA's file plugin over its null device), or
// the machine's own ALSA configuration (no sound card on a build machine: it fails). ALSA
// reads its configuration afresh each time, as at a program's start.
void initWithoutSoundServer(benchmark::State &state, bool fileDevice) {
  WithoutSoundServer env(fileDevice
                             ? std::optional<std::string>("pcm.!default { type file slave.pcm { type "
                                                          "null } file \"/dev/null\" format \"raw\" }\n")
                             : std::nullopt);
  int opened = 0;
  for (auto _ : state) {
    snd_config_update_free_global();
    const bool ok = BASS_Init(-1, 44100, 0, nullptr, nullptr);
    state.PauseTiming();
    opened += ok;
    if (ok)
      BASS_Free();
    state.ResumeTiming();
  }
  state.counters["opened"] = benchmark::Counter(opened, benchmark::Counter::kAvgIterations);
}

// For comparison: BASS_Init(-1) when the sound server answers.
void initWithSoundServer(benchmark::State &state) {
  for (auto _ : state) {
    if (!BASS_Init(-1, 44100, 0, nullptr, nullptr)) {
      state.SkipWithError("no sound server");
      return;
    }
    state.PauseTiming();
    BASS_Free();
    state.ResumeTiming();
  }
}

// Playing on ALSA in real time: the engine cannot reach the sound server, ALSA's default
// device can (its PulseAudio plugin, given the server's address).
void playOnAlsa(benchmark::State &state) {
  const char *server = std::getenv("PULSE_SERVER");
  if (!server) {
    state.SkipWithError("needs PULSE_SERVER (scripts/sound-server.sh sets it)");
    return;
  }
  WithoutSoundServer env("pcm.!default { type pulse server \"" + std::string(server) + "\" }\n");
  play(state, -1);
}

BENCHMARK_CAPTURE(initWithoutSoundServer, alsa_file_device, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(initWithoutSoundServer, system_alsa_config, false)->Unit(benchmark::kMillisecond);
BENCHMARK(initWithSoundServer)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode, mp3, "tone.mp3")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode, wma, "tone.wma")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(play, no_sound_device, 0)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(play, pulseaudio, -1)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(playOnAlsa)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
