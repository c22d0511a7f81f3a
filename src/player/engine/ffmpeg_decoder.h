#pragma once
// The decoder over FFmpeg: opens an address (http:// or a local path) and turns its first
// audio stream into 44100 Hz stereo 16-bit samples. Built into the decoder library, which the
// engine loads when it is first needed (decoder_library.cpp), so that FFmpeg and the hundred
// libraries it brings cost the player's start nothing.

#include "player/engine/decoder.h"
#include "player/engine/ffmpeg_raii.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace lumiqo::engine {

class FfmpegDecoder final : public Decoder {
public:
  // Connects, reads the header and opens the codec; nullptr (with a reason in *error) when
  // the address cannot be reached, answers with an error, or holds no decodable audio.
  static std::unique_ptr<FfmpegDecoder> open(const std::string &location, Interrupt interrupt,
                                             std::string *error = nullptr);
  ~FfmpegDecoder() override;
  FfmpegDecoder(const FfmpegDecoder &) = delete;
  FfmpegDecoder &operator=(const FfmpegDecoder &) = delete;

  bool decode(std::vector<std::uint8_t> &out) override;
  std::uint64_t lengthBytes() const override { return lengthBytes_; }
  const char *formatName() const override;

private:
  explicit FfmpegDecoder(Interrupt interrupt);
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
