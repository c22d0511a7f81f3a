#pragma once
// A decoder: an address (http:// or a local path) turned into 44100 Hz stereo 16-bit samples.
// The decoding itself lives in a library of its own beside the program, loaded the first time
// it is needed (or earlier, in the background, when `prepare` is called), so that the player
// starts and idles without FFmpeg and the libraries it brings.

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
  // the address cannot be reached, answers with an error, or holds no decodable audio, or
  // when the decoder library cannot be loaded. Waits for a load that `prepare` started.
  static std::unique_ptr<Decoder> open(const std::string &location, Interrupt interrupt,
                                       std::string *error = nullptr);
  // Starts loading the decoder library on a thread of its own, once; returns at once.
  static void prepare();
  // Called on a stream's own thread once its buffers are full: hands back the pages of the
  // decoder's libraries that only loading and opening needed.
  static void streamSettled();

  virtual ~Decoder() = default;

  // Replaces out with the next decoded samples; false once the stream has ended (or broke).
  virtual bool decode(std::vector<std::uint8_t> &out) = 0;
  // The stream's duration in bytes of the decoded format; 0 when unknown.
  virtual std::uint64_t lengthBytes() const = 0;
  virtual const char *formatName() const = 0;

protected:
  Decoder() = default;
  Decoder(const Decoder &) = delete;
  Decoder &operator=(const Decoder &) = delete;
};

} // namespace lumiqo::engine

// The decoder library's one entry point, which `Decoder::open` finds by name: the same as
// `Decoder::open`, with the decoder handed over to the caller.
extern "C" __attribute__((visibility("default"))) lumiqo::engine::Decoder *
lumiqo_decoder_open(const std::string &location, lumiqo::engine::Decoder::Interrupt interrupt,
                    std::string *error);
