#pragma once
// ALSA's default device, for machines where no sound server answers. Each engine stream
// opens the device for itself and plays on a thread of its own, which sleeps in poll() until
// the device wants data, the stream has some, or the program asks for something.

#include "player/engine/output.h"

#include <atomic>
#include <memory>
#include <string>

namespace lumiqo::engine {

class AlsaOutput final : public Output {
public:
  // nullptr (with a reason in *error) when the default device cannot be opened in our format.
  static std::shared_ptr<AlsaOutput> open(std::string *error = nullptr);

  std::unique_ptr<Sink> createSink(PcmSource &source) override;
  void setVolume(float volume) override;

private:
  AlsaOutput() = default;

  // Read by every sink's thread as it writes; shared so that a sink never outlives it.
  std::shared_ptr<std::atomic<float>> volume_ = std::make_shared<std::atomic<float>>(1.0f);
};

} // namespace lumiqo::engine
