#pragma once
// An output that opens its device again once the device has gone away (the sound server was
// killed and started again, say): when the device refuses a new sink, it connects once more
// and asks the new connection. Sinks made before keep the connection they were made on.

#include "player/engine/output.h"

#include <functional>
#include <memory>
#include <mutex>

namespace lumiqo::engine {

class ReconnectingOutput final : public Output {
public:
  // `connect` opens the device; nullptr when it cannot.
  using Connect = std::function<std::shared_ptr<Output>()>;
  ReconnectingOutput(std::shared_ptr<Output> first, Connect connect);

  std::unique_ptr<Sink> createSink(PcmSource &source) override;
  void setVolume(float volume) override;

private:
  std::mutex mutex_; // guards output_ and volume_
  std::shared_ptr<Output> output_;
  float volume_ = 1.0f;
  Connect connect_;
};

} // namespace lumiqo::engine
