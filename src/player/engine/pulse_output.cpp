#include "player/engine/pulse_output.h"

#include "player/engine/audio_format.h"

#include <algorithm>
#include <atomic>

namespace lumiqo::engine {

namespace {

constexpr pa_sample_spec kSpec{PA_SAMPLE_S16LE, kSampleRate, kChannels};
// The output's buffer, and how much of it is refilled at a time. Left to itself the server
// asks for 20 ms at a time: fifty wake-ups a second of this output's thread, the decoder's
// and the server's. A second refilled 400 ms at a time wakes everyone two or three times a
// second. With an adjusted latency the server runs the device about (buffer - 2 x refill) / 2
// ahead, here 100 ms; a refill of half the buffer or more would leave it nothing and make it
// spin. Pausing stays immediate (a cork), and the
// position comes from the server's latency, so the size does not show.
constexpr pa_usec_t kTargetLatency = 1'000'000;
constexpr pa_usec_t kRefill = 400'000;
// A stream starts playing once this much waits (the server's choice would be 600 ms).
constexpr pa_usec_t kStartAfter = 200'000;
static_assert(2 * kRefill < kTargetLatency);
std::atomic<std::uint64_t> refills{0};
constexpr pa_usec_t kConnectTimeout = 5'000'000;

void signalMainloop(void *mainloop) {
  pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop *>(mainloop), 0);
}

pa_cvolume volumeOf(float linear) {
  pa_cvolume v;
  pa_cvolume_set(&v, kChannels, pa_sw_volume_from_linear(double(std::clamp(linear, 0.0f, 1.0f))));
  return v;
}

} // namespace

class PulseSink final : public Sink {
public:
  static std::unique_ptr<PulseSink> create(std::shared_ptr<PulseOutput> output, PcmSource &source);
  ~PulseSink() override;

  void play() override { cork(false); }
  void pause() override { cork(true); }
  void dataAvailable() override;
  std::uint64_t heardBytes() override;

  pa_stream *stream() const { return stream_.get(); }

private:
  PulseSink(std::shared_ptr<PulseOutput> output, PcmSource &source)
      : output_(std::move(output)), source_(source) {}
  pa_threaded_mainloop *mainloop() const { return output_->mainloop_.get(); }
  void cork(bool on);
  void fill(std::size_t wanted); // under the main loop lock
  static void onWrite(pa_stream *, std::size_t bytes, void *self) {
    refills.fetch_add(1, std::memory_order_relaxed);
    static_cast<PulseSink *>(self)->fill(bytes);
  }
  static void onDrained(pa_stream *, int success, void *self);
  static void onState(pa_stream *, void *self);

  std::shared_ptr<PulseOutput> output_;
  PcmSource &source_;
  PaStreamPtr stream_;
  OperationPtr drain_;
  bool drainRequested_ = false;
  bool drained_ = false;
  std::uint64_t written_ = 0;
  std::uint64_t heard_ = 0;
};

std::unique_ptr<PulseSink> PulseSink::create(std::shared_ptr<PulseOutput> output, PcmSource &source) {
  std::unique_ptr<PulseSink> sink(new PulseSink(std::move(output), source));
  pa_threaded_mainloop *loop = sink->mainloop();
  MainloopLock lock(loop);
  sink->stream_.reset(pa_stream_new(sink->output_->context_.get(), "Lumiqo", &kSpec, nullptr));
  pa_stream *s = sink->stream_.get();
  if (!s)
    return nullptr;
  pa_stream_set_state_callback(s, &PulseSink::onState, sink.get());
  pa_stream_set_write_callback(s, &PulseSink::onWrite, sink.get());
  pa_buffer_attr attr{};
  attr.maxlength = std::uint32_t(-1);
  attr.tlength = std::uint32_t(pa_usec_to_bytes(kTargetLatency, &kSpec));
  attr.prebuf = std::uint32_t(pa_usec_to_bytes(kStartAfter, &kSpec));
  attr.minreq = std::uint32_t(pa_usec_to_bytes(kRefill, &kSpec));
  attr.fragsize = std::uint32_t(-1);
  pa_cvolume volume = volumeOf(sink->output_->volume_);
  auto flags = pa_stream_flags_t(PA_STREAM_START_CORKED | PA_STREAM_INTERPOLATE_TIMING |
                                 PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_ADJUST_LATENCY);
  if (pa_stream_connect_playback(s, nullptr, &attr, flags, &volume, nullptr) < 0)
    return nullptr;
  for (;;) {
    pa_stream_state_t state = pa_stream_get_state(s);
    if (state == PA_STREAM_READY)
      break;
    if (!PA_STREAM_IS_GOOD(state))
      return nullptr;
    pa_threaded_mainloop_wait(loop);
  }
  sink->output_->sinks_.insert(sink.get());
  return sink;
}

PulseSink::~PulseSink() {
  MainloopLock lock(mainloop());
  output_->sinks_.erase(this);
  drain_.reset();
  stream_.reset(); // disconnecting drops what is buffered: silence at once
}

void PulseSink::cork(bool on) {
  MainloopLock lock(mainloop());
  if (pa_operation *op = pa_stream_cork(stream_.get(), on ? 1 : 0, nullptr, nullptr))
    pa_operation_unref(op); // completes on its own
}

void PulseSink::dataAvailable() {
  MainloopLock lock(mainloop());
  std::size_t writable = pa_stream_writable_size(stream_.get());
  fill(writable == std::size_t(-1) ? 0 : writable);
}

void PulseSink::fill(std::size_t wanted) {
  while (wanted >= kBytesPerFrame && !drainRequested_) {
    void *data = nullptr;
    std::size_t size = wanted;
    if (pa_stream_begin_write(stream_.get(), &data, &size) < 0 || !data)
      break;
    std::size_t got = source_.read(static_cast<std::uint8_t *>(data), size);
    if (got == 0) {
      pa_stream_cancel_write(stream_.get());
      break;
    }
    if (pa_stream_write(stream_.get(), data, got, nullptr, 0, PA_SEEK_RELATIVE) < 0)
      break;
    written_ += got;
    wanted -= std::min(wanted, got);
  }
  if (!drainRequested_ && source_.finished()) {
    // Everything is written: ask to be told when it has been played (this also starts a
    // stream too short to fill the pre-buffer).
    drainRequested_ = true;
    drain_.reset(pa_stream_drain(stream_.get(), &PulseSink::onDrained, this));
  }
}

void PulseSink::onDrained(pa_stream *, int success, void *self) {
  auto *sink = static_cast<PulseSink *>(self);
  if (!success || sink->drained_)
    return;
  sink->drained_ = true;
  sink->source_.drained();
}

void PulseSink::onState(pa_stream *stream, void *self) {
  auto *sink = static_cast<PulseSink *>(self);
  signalMainloop(sink->mainloop());
  // The server went away or dropped the stream: nothing more will be heard, so the stream
  // ends rather than playing silence for ever.
  if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream)) && sink->stream_ && !sink->drained_) {
    sink->drained_ = true;
    sink->source_.drained();
  }
}

std::uint64_t PulseSink::heardBytes() {
  MainloopLock lock(mainloop());
  if (drained_)
    return written_;
  pa_usec_t latency = 0;
  int negative = 0;
  if (pa_stream_get_latency(stream_.get(), &latency, &negative) == 0) {
    std::uint64_t waiting = negative ? 0 : pa_usec_to_bytes(latency, &kSpec);
    std::uint64_t heard = written_ > waiting ? written_ - waiting : 0;
    heard -= heard % kBytesPerFrame;
    heard_ = std::max(heard_, heard); // interpolation may wobble; the position never goes back
  }
  return heard_;
}

std::shared_ptr<PulseOutput> PulseOutput::connect(std::string *error) {
  auto fail = [error](const char *why) {
    if (error)
      *error = why;
    return std::shared_ptr<PulseOutput>();
  };
  std::shared_ptr<PulseOutput> out(new PulseOutput);
  out->mainloop_.reset(pa_threaded_mainloop_new());
  if (!out->mainloop_)
    return fail("no main loop");
  pa_threaded_mainloop *loop = out->mainloop_.get();
  out->context_.reset(pa_context_new(pa_threaded_mainloop_get_api(loop), "Lumiqo"));
  if (!out->context_)
    return fail("no context");
  pa_context *context = out->context_.get();
  pa_context_set_state_callback(
      context, [](pa_context *, void *m) { signalMainloop(m); }, loop);
  if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
    return fail("no server");
  if (pa_threaded_mainloop_start(loop) < 0)
    return fail("main loop did not start");
  MainloopLock lock(loop);
  // A server that accepts and never answers must not hold up the start.
  struct Timer {
    pa_threaded_mainloop *loop;
    bool expired = false;
  } timer{loop};
  pa_time_event *deadline = pa_context_rttime_new(
      context, pa_rtclock_now() + kConnectTimeout,
      [](pa_mainloop_api *, pa_time_event *, const struct timeval *, void *t) {
        static_cast<Timer *>(t)->expired = true;
        signalMainloop(static_cast<Timer *>(t)->loop);
      },
      &timer);
  const pa_mainloop_api *api = pa_threaded_mainloop_get_api(loop);
  const char *why = nullptr;
  for (;;) {
    pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY)
      break;
    if (!PA_CONTEXT_IS_GOOD(state)) {
      why = pa_strerror(pa_context_errno(context));
      break;
    }
    if (timer.expired) {
      why = "the server did not answer";
      break;
    }
    pa_threaded_mainloop_wait(loop);
  }
  if (deadline)
    api->time_free(deadline);
  return why ? fail(why) : out;
}

std::uint64_t PulseOutput::refillsSoFar() {
  return refills.load(std::memory_order_relaxed);
}

PulseOutput::~PulseOutput() {
  if (mainloop_) {
    MainloopLock lock(mainloop_.get());
    context_.reset();
  }
}

std::unique_ptr<Sink> PulseOutput::createSink(PcmSource &source) {
  return PulseSink::create(shared_from_this(), source);
}

void PulseOutput::setVolume(float volume) {
  MainloopLock lock(mainloop_.get());
  volume_ = volume;
  pa_cvolume v = volumeOf(volume);
  for (PulseSink *sink : sinks_)
    if (pa_operation *op = pa_context_set_sink_input_volume(
            context_.get(), pa_stream_get_index(sink->stream()), &v, nullptr, nullptr))
      pa_operation_unref(op);
}

} // namespace lumiqo::engine
