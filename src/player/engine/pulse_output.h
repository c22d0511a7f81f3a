#pragma once
// The default PulseAudio sink: one threaded main loop and context for the engine, one
// playback stream per engine stream (so pausing or freeing one never touches another).

#include "player/engine/output.h"
#include "player/engine/pulse_raii.h"

#include <cstdint>
#include <memory>
#include <set>
#include <string>

namespace lumiqo::engine {

class PulseSink;

class PulseOutput final : public Output, public std::enable_shared_from_this<PulseOutput> {
public:
  // nullptr (with a reason in *error) when no server answers.
  static std::shared_ptr<PulseOutput> connect(std::string *error = nullptr);
  ~PulseOutput() override;

  std::unique_ptr<Sink> createSink(PcmSource &source) override;
  void setVolume(float volume) override;

  // How often the server has asked any sink of this process for more, so far.
  static std::uint64_t refillsSoFar();

private:
  friend class PulseSink;
  PulseOutput() = default;

  // Declared first so that it is destroyed last: the context goes before the loop.
  MainloopPtr mainloop_;
  ContextPtr context_;
  float volume_ = 1.0f;         // under the main loop lock
  std::set<PulseSink *> sinks_; // under the main loop lock
};

} // namespace lumiqo::engine
