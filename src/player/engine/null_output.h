#pragma once
// Device 0, "no sound": each sink consumes its samples in real time on a clock thread of its
// own, in chunks, sleeping between them, and throws them away.

#include "player/engine/output.h"

namespace lumiqo::engine {

class NullOutput final : public Output {
public:
  std::unique_ptr<Sink> createSink(PcmSource &source) override;
  void setVolume(float) override {}
};

} // namespace lumiqo::engine
