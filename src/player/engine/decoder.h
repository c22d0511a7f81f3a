#pragma once
// Opens an address (http:// or a local path) with FFmpeg and turns its first audio stream
// into 44100 Hz stereo 16-bit samples.

#include "player/engine/ffmpeg_raii.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace lumiqo::engine {

class Decoder {
public:
  // Answers true when blocking I/O should give up (the stream is freed, or a time-out).
  using Interrupt = std::function<bool()>;

  // Connects, reads the header and opens the codec; nullptr (with a reason in *error) when
  // the address cannot be reached, answers with an error, or holds no decodable audio.
  static std::unique_ptr<Decoder> open(const std::string &location, Interrupt interrupt,
                                       std::string *error = nullptr);
  ~Decoder();
  Decoder(const Decoder &) = delete;
  Decoder &operator=(const Decoder &) = delete;

  // Replaces out with the next decoded samples; false once the stream has ended (or broke).
  bool decode(std::vector<std::uint8_t> &out);

  // The stream's duration in bytes of the decoded format; 0 when unknown.
  std::uint64_t lengthBytes() const { return lengthBytes_; }
  const char *formatName() const;

private:
  explicit Decoder(Interrupt interrupt);
  static int interruptCallback(void *opaque);
  bool convert(const AVFrame &frame, std::vector<std::uint8_t> &out);
  void flushResampler(std::vector<std::uint8_t> &out);

  Interrupt interrupt_;
  FormatContextPtr format_;
  CodecContextPtr codec_;
  SwrContextPtr resampler_;
  PacketPtr packet_;
  FramePtr frame_;
  int streamIndex_ = -1;
  std::uint64_t lengthBytes_ = 0;
  bool inputDone_ = false;
  bool finished_ = false;
  // What the resampler was set up for.
  int inRate_ = 0;
  int inFormat_ = -1;
  AVChannelLayout inLayout_{};
};

} // namespace lumiqo::engine
