#include "media_tags.h"

#include "base/gbk.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/mem.h>
}

#include <QStringDecoder>

#include <unistd.h>

#include <cerrno>
#include <memory>

namespace lumiqo::server {
namespace {

// FFmpeg's input, read from an open descriptor and cut off after a budget of bytes.
struct DescriptorInput {
  int fd;
  std::int64_t size;
  std::int64_t position = 0;
  std::uint64_t budget = kMaxTagBytes;

  static int read(void *opaque, uint8_t *buffer, int wanted) {
    auto &in = *static_cast<DescriptorInput *>(opaque);
    if (in.budget == 0)
      return AVERROR(EFBIG);
    const auto n =
        static_cast<size_t>(std::min<std::uint64_t>(static_cast<std::uint64_t>(wanted), in.budget));
    ssize_t got;
    do
      got = ::pread(in.fd, buffer, n, in.position);
    while (got < 0 && errno == EINTR);
    if (got < 0)
      return AVERROR(errno);
    if (got == 0)
      return AVERROR_EOF;
    in.position += got;
    in.budget -= static_cast<std::uint64_t>(got);
    return static_cast<int>(got);
  }

  static std::int64_t seek(void *opaque, std::int64_t offset, int whence) {
    auto &in = *static_cast<DescriptorInput *>(opaque);
    if (whence & AVSEEK_SIZE)
      return in.size;
    std::int64_t to = offset;
    switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET: break;
    case SEEK_CUR: to += in.position; break;
    case SEEK_END: to += in.size; break;
    default: return AVERROR(EINVAL);
    }
    if (to < 0)
      return AVERROR(EINVAL);
    in.position = to;
    return to;
  }
};

struct IoCloser {
  void operator()(AVIOContext *io) const {
    av_freep(&io->buffer);
    avio_context_free(&io);
  }
};

struct InputCloser {
  void operator()(AVFormatContext *ctx) const { avformat_close_input(&ctx); }
};

// A container may name other files or addresses (a playlist, a reference movie): none is
// opened.
int refuseNestedOpen(AVFormatContext *, AVIOContext **, const char *, int, AVDictionary **) {
  return AVERROR(EPERM);
}

// The containers of the song formats, by FFmpeg's names for their readers.
constexpr const char *kContainers = "mp3,asf,flac,mov,aac,ogg";

std::string tag(const AVDictionary *dict, const char *key, int flags = 0) {
  const AVDictionaryEntry *entry = av_dict_get(dict, key, nullptr, flags);
  return entry && entry->value ? QString::fromStdString(repairTagText(entry->value)).trimmed().toStdString()
                               : std::string();
}

void fillFrom(const AVDictionary *dict, MediaTags &tags) {
  if (tags.title.empty())
    tags.title = tag(dict, "title");
  if (tags.artist.empty())
    tags.artist = tag(dict, "artist");
  if (tags.album.empty())
    tags.album = tag(dict, "album");
  // ID3's USLT arrives as "lyrics-LANGUAGE" (or "lyrics-DESCRIPTION-LANGUAGE").
  if (tags.lyrics.empty())
    tags.lyrics = tag(dict, "lyrics", AV_DICT_IGNORE_SUFFIX);
  if (tags.lyrics.empty())
    tags.lyrics = tag(dict, "unsyncedlyrics");
}

// Title and artist from an ID3v1 tag at the end of the file. FFmpeg reads one only when the
// file has no other tag at all, but many files carry an ID3v2 tag with nothing but an encoder's
// name beside the ID3v1 tag that has the song's.
void fillFromId3v1(const DescriptorInput &input, MediaTags &tags) {
  char trailer[128];
  if (input.size < 128 || ::pread(input.fd, trailer, sizeof trailer, input.size - 128) != 128 ||
      std::string_view(trailer, 3) != "TAG")
    return;
  const auto field = [&](int at) {
    const std::string_view raw(trailer + at, 30);
    return QString::fromStdString(repairTagText(raw.substr(0, raw.find('\0')))).trimmed().toStdString();
  };
  if (tags.title.empty())
    tags.title = field(3);
  if (tags.artist.empty())
    tags.artist = field(33);
}

} // namespace

std::string repairTagText(std::string_view text) {
  const QByteArrayView bytes(text.data(), static_cast<qsizetype>(text.size()));
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString decoded = utf8(bytes);
  if (utf8.hasError()) {
    const QString gbk = fromGbk(bytes);
    return (gbk.contains(QChar(0xFFFD)) ? QString::fromLatin1(bytes) : gbk).toStdString();
  }
  QByteArray latin1;
  latin1.reserve(decoded.size());
  bool high = false;
  for (QChar c : decoded) {
    if (c.unicode() > 0xFF)
      return std::string(text);
    high |= c.unicode() >= 0x80;
    latin1 += static_cast<char>(c.unicode());
  }
  if (!high)
    return std::string(text);
  const QString gbk = fromGbk(latin1);
  return gbk.contains(QChar(0xFFFD)) ? std::string(text) : gbk.toStdString();
}

std::optional<MediaTags> readMediaTags(int fd, const std::string &name) {
  DescriptorInput input{fd, ::lseek(fd, 0, SEEK_END)};
  if (input.size < 0)
    return std::nullopt;
  constexpr int kBufferBytes = 64 * 1024;
  auto *buffer = static_cast<unsigned char *>(av_malloc(kBufferBytes));
  if (!buffer)
    return std::nullopt;
  std::unique_ptr<AVIOContext, IoCloser> io(avio_alloc_context(
      buffer, kBufferBytes, 0, &input, &DescriptorInput::read, nullptr, &DescriptorInput::seek));
  if (!io) {
    av_free(buffer);
    return std::nullopt;
  }
  AVFormatContext *raw = avformat_alloc_context();
  if (!raw)
    return std::nullopt;
  raw->pb = io.get();
  raw->flags |= AVFMT_FLAG_CUSTOM_IO;
  raw->io_open = &refuseNestedOpen;
  AVDictionary *options = nullptr;
  av_dict_set(&options, "format_whitelist", kContainers, 0);
  const int rc = avformat_open_input(&raw, name.c_str(), nullptr, &options); // frees raw on failure
  av_dict_free(&options);
  if (rc < 0)
    return std::nullopt;
  std::unique_ptr<AVFormatContext, InputCloser> ctx(raw);
  MediaTags tags;
  fillFrom(ctx->metadata, tags);
  // Ogg keeps its comments on the stream; some other files do too.
  for (unsigned i = 0; i < ctx->nb_streams; ++i)
    fillFrom(ctx->streams[i]->metadata, tags);
  if ((tags.title.empty() || tags.artist.empty()) && std::string_view(ctx->iformat->name) == "mp3")
    fillFromId3v1(input, tags);
  return tags;
}

} // namespace lumiqo::server
