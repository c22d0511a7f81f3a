#pragma once
// Owning handles for the FFmpeg objects the decoder uses.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
}

#include <memory>

namespace lumiqo::engine {

struct FormatContextDeleter {
  void operator()(AVFormatContext *c) const { avformat_close_input(&c); }
};
struct CodecContextDeleter {
  void operator()(AVCodecContext *c) const { avcodec_free_context(&c); }
};
struct SwrContextDeleter {
  void operator()(SwrContext *c) const { swr_free(&c); }
};
struct PacketDeleter {
  void operator()(AVPacket *p) const { av_packet_free(&p); }
};
struct FrameDeleter {
  void operator()(AVFrame *f) const { av_frame_free(&f); }
};

using FormatContextPtr = std::unique_ptr<AVFormatContext, FormatContextDeleter>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using SwrContextPtr = std::unique_ptr<SwrContext, SwrContextDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;

// An option dictionary that frees itself; pass get() where FFmpeg takes AVDictionary **.
class Dictionary {
public:
  Dictionary() = default;
  ~Dictionary() { av_dict_free(&dict_); }
  Dictionary(const Dictionary &) = delete;
  Dictionary &operator=(const Dictionary &) = delete;
  void set(const char *key, const char *value) { av_dict_set(&dict_, key, value, 0); }
  AVDictionary **get() { return &dict_; }

private:
  AVDictionary *dict_ = nullptr;
};

} // namespace lumiqo::engine
