#include "player/engine/reconnecting_output.h"

namespace lumiqo::engine {

ReconnectingOutput::ReconnectingOutput(std::shared_ptr<Output> first, Connect connect)
    : output_(std::move(first)), connect_(std::move(connect)) {}

std::unique_ptr<Sink> ReconnectingOutput::createSink(PcmSource &source) {
  std::shared_ptr<Output> output;
  {
    std::lock_guard lock(mutex_);
    output = output_;
  }
  if (output)
    if (std::unique_ptr<Sink> sink = output->createSink(source))
      return sink;
  // Refused: the device may have gone away. Connecting happens outside the lock.
  std::shared_ptr<Output> fresh = connect_ ? connect_() : nullptr;
  if (!fresh)
    return nullptr;
  {
    std::lock_guard lock(mutex_);
    fresh->setVolume(volume_);
    output_ = fresh;
  }
  return fresh->createSink(source);
}

void ReconnectingOutput::setVolume(float volume) {
  std::lock_guard lock(mutex_);
  volume_ = volume;
  if (output_)
    output_->setVolume(volume);
}

} // namespace lumiqo::engine
