#include "media_tags.h"

#include "base/gbk.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

#include <QString>

#include <memory>

namespace lumiqo::server {
namespace {

struct InputCloser {
  void operator()(AVFormatContext *ctx) const { avformat_close_input(&ctx); }
};

// A tag decoded as Latin-1 by the demuxer whose bytes form valid GBK is taken as GBK.
std::string repairGbk(const std::string &utf8) {
  const QString text = QString::fromUtf8(utf8);
  QByteArray bytes;
  bool high = false;
  for (QChar c : text) {
    if (c.unicode() > 0xFF)
      return utf8;
    high |= c.unicode() >= 0x80;
    bytes += static_cast<char>(c.unicode());
  }
  if (!high)
    return utf8;
  const QString gbk = fromGbk(bytes);
  return gbk.contains(QChar(0xFFFD)) ? utf8 : gbk.toStdString();
}

std::string tag(const AVDictionary *dict, const char *key) {
  const AVDictionaryEntry *entry = av_dict_get(dict, key, nullptr, 0);
  return entry && entry->value ? repairGbk(QString::fromUtf8(entry->value).trimmed().toStdString())
                               : std::string();
}

} // namespace

std::optional<MediaTags> readMediaTags(const std::string &path) {
  AVFormatContext *raw = nullptr;
  if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0)
    return std::nullopt;
  std::unique_ptr<AVFormatContext, InputCloser> ctx(raw);
  MediaTags tags{tag(ctx->metadata, "title"), tag(ctx->metadata, "artist"), tag(ctx->metadata, "album")};
  // Some files keep their tags on the audio stream instead.
  for (unsigned i = 0; i < ctx->nb_streams && (tags.title.empty() || tags.artist.empty()); ++i) {
    const AVDictionary *meta = ctx->streams[i]->metadata;
    if (tags.title.empty())
      tags.title = tag(meta, "title");
    if (tags.artist.empty())
      tags.artist = tag(meta, "artist");
    if (tags.album.empty())
      tags.album = tag(meta, "album");
  }
  return tags;
}

} // namespace lumiqo::server
