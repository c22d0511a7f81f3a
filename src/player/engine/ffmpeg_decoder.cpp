#include "player/engine/ffmpeg_decoder.h"

#include "player/engine/audio_format.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
}

#include <cmath>

namespace lumiqo::engine {

namespace {

std::string errorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

void setError(std::string *error, std::string text) {
  if (error)
    *error = std::move(text);
}

// Duration from the container (ASF header, Xing/VBRI frame), else the bit rate times the
// size; as it will be heard, 0 when unknown.
std::uint64_t durationBytes(AVFormatContext &format, const AVStream &stream) {
  double seconds = 0;
  double skipped = 0;
  if (stream.duration != AV_NOPTS_VALUE && stream.duration > 0) {
    seconds = double(stream.duration) * av_q2d(stream.time_base);
    // An MP3 starts at its encoder delay, which the decoder skips: that much is never heard.
    if (stream.start_time != AV_NOPTS_VALUE && stream.start_time > 0)
      skipped = double(stream.start_time) * av_q2d(stream.time_base);
  } else if (format.duration != AV_NOPTS_VALUE && format.duration > 0) {
    seconds = double(format.duration) / AV_TIME_BASE;
  } else {
    std::int64_t size = format.pb ? avio_size(format.pb) : -1;
    std::int64_t bitRate = stream.codecpar->bit_rate > 0 ? stream.codecpar->bit_rate : format.bit_rate;
    if (size > 0 && bitRate > 0)
      seconds = double(size) * 8.0 / double(bitRate);
  }
  seconds -= skipped;
  if (!(seconds > 0) || !std::isfinite(seconds))
    return 0;
  return std::uint64_t(std::llround(seconds * kSampleRate)) * kBytesPerFrame;
}

// The header told everything the decoder needs (MP3 frame headers and ASF headers do).
bool headerIsEnough(const AVFormatContext &format) {
  if (format.nb_streams == 0 || (format.ctx_flags & AVFMTCTX_NOHEADER))
    return false;
  for (unsigned i = 0; i < format.nb_streams; ++i) {
    const AVCodecParameters &p = *format.streams[i]->codecpar;
    if (p.codec_type == AVMEDIA_TYPE_AUDIO && p.codec_id != AV_CODEC_ID_NONE && p.sample_rate > 0 &&
        p.ch_layout.nb_channels > 0)
      return true;
  }
  return false;
}

} // namespace

FfmpegDecoder::FfmpegDecoder(Interrupt interrupt)
    : interrupt_(std::move(interrupt)), packet_(av_packet_alloc()), frame_(av_frame_alloc()) {}

FfmpegDecoder::~FfmpegDecoder() {
  av_channel_layout_uninit(&inLayout_);
}

int FfmpegDecoder::interruptCallback(void *opaque) {
  auto *self = static_cast<FfmpegDecoder *>(opaque);
  return self->interrupt_ && self->interrupt_() ? 1 : 0;
}

std::unique_ptr<FfmpegDecoder> FfmpegDecoder::open(const std::string &location, Interrupt interrupt,
                                                   std::string *error) {
  std::unique_ptr<FfmpegDecoder> d(new FfmpegDecoder(std::move(interrupt)));
  if (!d->packet_ || !d->frame_)
    return setError(error, "out of memory"), nullptr;

  AVFormatContext *raw = avformat_alloc_context();
  if (!raw)
    return setError(error, "out of memory"), nullptr;
  raw->interrupt_callback.callback = &FfmpegDecoder::interruptCallback;
  raw->interrupt_callback.opaque = d.get();
  Dictionary options;
  // Only plain files and web addresses; no concat:, subfile: or other nested protocols.
  options.set("protocol_whitelist", "file,http,https,tcp,tls");
  // A connection that goes quiet mid-song ends the song rather than hanging forever.
  options.set("rw_timeout", "15000000");
  options.set("probesize", "262144");
  // Enough frames to know the codec; longer probes hold up the connect on a slow network.
  options.set("analyzeduration", "200000");
  options.set("user_agent", "Lumiqo");
  int rc = avformat_open_input(&raw, location.c_str(), nullptr, options.get());
  if (rc < 0) // avformat_open_input frees the context on failure
    return setError(error, "open: " + errorText(rc)), nullptr;
  d->format_.reset(raw);

  // Probing the stream would read seconds of it; a header that names the codec is enough
  // to start, and a slow network then does not hold up the connect.
  if (!headerIsEnough(*raw)) {
    rc = avformat_find_stream_info(raw, nullptr);
    if (rc < 0)
      return setError(error, "probe: " + errorText(rc)), nullptr;
  }
  if (d->interrupt_ && d->interrupt_())
    return setError(error, "interrupted"), nullptr;

  const AVCodec *codec = nullptr;
  d->streamIndex_ = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
  if (d->streamIndex_ < 0 || !codec)
    return setError(error, "no audio stream"), nullptr;
  for (unsigned i = 0; i < raw->nb_streams; ++i)
    if (int(i) != d->streamIndex_)
      raw->streams[i]->discard = AVDISCARD_ALL;
  AVStream *stream = raw->streams[d->streamIndex_];

  d->codec_.reset(avcodec_alloc_context3(codec));
  if (!d->codec_ || avcodec_parameters_to_context(d->codec_.get(), stream->codecpar) < 0)
    return setError(error, "codec parameters"), nullptr;
  rc = avcodec_open2(d->codec_.get(), codec, nullptr);
  if (rc < 0)
    return setError(error, "codec: " + errorText(rc)), nullptr;
  if (d->codec_->sample_rate <= 0 || d->codec_->ch_layout.nb_channels <= 0)
    return setError(error, "no sample format"), nullptr;

  d->lengthBytes_ = durationBytes(*raw, *stream);
  return d;
}

const char *FfmpegDecoder::formatName() const {
  return format_->iformat ? format_->iformat->name : "";
}

bool FfmpegDecoder::decode(std::vector<std::uint8_t> &out) {
  out.clear();
  while (out.empty() && !finished_) {
    int rc = avcodec_receive_frame(codec_.get(), frame_.get());
    if (rc == 0) {
      bool ok = convert(*frame_, out);
      av_frame_unref(frame_.get());
      if (!ok) {
        finished_ = true;
        break;
      }
      continue;
    }
    if (rc == AVERROR_EOF) {
      flushResampler(out);
      finished_ = true;
      break;
    }
    if (rc != AVERROR(EAGAIN)) {
      // The decoder is broken beyond one bad packet; end the stream here.
      finished_ = true;
      break;
    }
    if (inputDone_) { // cannot happen after a flush packet; be safe
      finished_ = true;
      break;
    }
    rc = av_read_frame(format_.get(), packet_.get());
    if (rc < 0) {
      // End of file, a network error or an interruption: play out what was decoded.
      inputDone_ = true;
      avcodec_send_packet(codec_.get(), nullptr);
      continue;
    }
    if (packet_->stream_index == streamIndex_)
      avcodec_send_packet(codec_.get(), packet_.get()); // a damaged packet is skipped
    av_packet_unref(packet_.get());
  }
  return !out.empty();
}

bool FfmpegDecoder::convert(const AVFrame &frame, std::vector<std::uint8_t> &out) {
  if (frame.nb_samples <= 0)
    return true;
  AVChannelLayout layout{};
  if (frame.ch_layout.nb_channels > 0 && frame.ch_layout.order != AV_CHANNEL_ORDER_UNSPEC)
    av_channel_layout_copy(&layout, &frame.ch_layout);
  else
    av_channel_layout_default(&layout, frame.ch_layout.nb_channels > 0 ? frame.ch_layout.nb_channels
                                                                       : codec_->ch_layout.nb_channels);
  if (!resampler_ || frame.sample_rate != inRate_ || frame.format != inFormat_ ||
      av_channel_layout_compare(&layout, &inLayout_) != 0) {
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    SwrContext *raw = nullptr;
    if (swr_alloc_set_opts2(&raw, &stereo, AV_SAMPLE_FMT_S16, kSampleRate, &layout,
                            AVSampleFormat(frame.format), frame.sample_rate, 0, nullptr) < 0 ||
        swr_init(raw) < 0) {
      swr_free(&raw);
      av_channel_layout_uninit(&layout);
      return false;
    }
    resampler_.reset(raw);
    inRate_ = frame.sample_rate;
    inFormat_ = frame.format;
    av_channel_layout_uninit(&inLayout_);
    av_channel_layout_copy(&inLayout_, &layout);
  }
  av_channel_layout_uninit(&layout);

  int room = swr_get_out_samples(resampler_.get(), frame.nb_samples);
  if (room <= 0)
    return true;
  std::size_t start = out.size();
  out.resize(start + std::size_t(room) * kBytesPerFrame);
  std::uint8_t *dst = out.data() + start;
  int got = swr_convert(resampler_.get(), &dst, room, const_cast<const std::uint8_t **>(frame.extended_data),
                        frame.nb_samples);
  out.resize(start + std::size_t(got > 0 ? got : 0) * kBytesPerFrame);
  return got >= 0;
}

void FfmpegDecoder::flushResampler(std::vector<std::uint8_t> &out) {
  if (!resampler_)
    return;
  int room = swr_get_out_samples(resampler_.get(), 0);
  if (room <= 0)
    return;
  std::size_t start = out.size();
  out.resize(start + std::size_t(room) * kBytesPerFrame);
  std::uint8_t *dst = out.data() + start;
  int got = swr_convert(resampler_.get(), &dst, room, nullptr, 0);
  out.resize(start + std::size_t(got > 0 ? got : 0) * kBytesPerFrame);
}

} // namespace lumiqo::engine

lumiqo::engine::Decoder *lumiqo_decoder_open(const std::string &location,
                                             lumiqo::engine::Decoder::Interrupt interrupt,
                                             std::string *error) {
  // FFmpeg's warnings about damaged frames are not ours to print.
  static const bool quiet = (av_log_set_level(AV_LOG_ERROR), true);
  (void)quiet;
  return lumiqo::engine::FfmpegDecoder::open(location, std::move(interrupt), error).release();
}
