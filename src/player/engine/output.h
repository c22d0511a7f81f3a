#pragma once
// Where decoded samples go: the sound server's default sink, ALSA's default device when no
// server answers, or the clocked no-sound device.
// An output makes one sink per stream; a sink pulls from its stream's source.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace lumiqo::engine {

// The stream side of a sink. Called on the output's own thread.
class PcmSource {
public:
  virtual ~PcmSource() = default;
  // Copies up to size bytes of whole frames; returns how many (0 when none are ready).
  virtual std::size_t read(std::uint8_t *dst, std::size_t size) = 0;
  // True once nothing more will come.
  virtual bool finished() const = 0;
  // The last sample has been heard.
  virtual void drained() = 0;
};

class Sink {
public:
  // Destroying a sink silences it at once; no source call happens afterwards.
  virtual ~Sink() = default;
  virtual void play() = 0;
  virtual void pause() = 0; // keeps what is buffered, and so the position
  // The source had nothing and now has data, or has finished.
  virtual void dataAvailable() = 0;
  // Bytes of the stream heard so far (what was played minus what still waits in the output).
  virtual std::uint64_t heardBytes() = 0;
};

class Output {
public:
  virtual ~Output() = default;
  // nullptr when the device refuses a new stream.
  virtual std::unique_ptr<Sink> createSink(PcmSource &source) = 0;
  // Linear 0..1, applied to every sink, present and future, at once.
  virtual void setVolume(float volume) = 0;
};

} // namespace lumiqo::engine
