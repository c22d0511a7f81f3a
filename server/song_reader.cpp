#include "song_reader.h"

#include "base/gbk.h"
#include "base/lyrics_bounds.h"
#include "lrc_text.h"
#include "media_tags.h"
#include "safe_file.h"

#include <QStringDecoder>

#include <cstring>

namespace lumiqo::server {
namespace {

// Raised whenever reading a song changes, so that an import after an upgrade reads every
// song again.
constexpr const char *kReadingVersion = "2";

std::string stamp(const FoundFile &f) {
  return std::to_string(f.size) + ":" + std::to_string(f.mtimeNs) + ":" + f.realPath;
}

std::string utf8(const QString &s) {
  return s.toStdString();
}

// "Artist - Title" file names give both fields; any other name is the title.
void fillFromFileName(const std::string &relPath, QString &title, QString &artist) {
  std::string_view name(relPath);
  if (const auto slash = name.rfind('/'); slash != std::string_view::npos)
    name.remove_prefix(slash + 1);
  if (const auto dot = name.rfind('.'); dot != std::string_view::npos && dot > 0)
    name = name.substr(0, dot);
  const QString stem = nameText(name);
  const qsizetype dash = stem.indexOf(QLatin1String(" - "));
  if (title.isEmpty())
    title = dash > 0 ? stem.mid(dash + 3).trimmed() : stem;
  if (artist.isEmpty())
    artist = dash > 0 ? stem.left(dash).trimmed() : QStringLiteral("未知歌手");
}

std::string problemText(const OpenedFile &f) {
  switch (f.problem) {
  case OpenedFile::Problem::Missing: return "gone since it was found";
  case OpenedFile::Problem::NotRegular: return "not a regular file";
  default: return std::strerror(f.error);
  }
}

Skip skipFor(const OpenedFile &f) {
  return f.problem == OpenedFile::Problem::NotRegular ? Skip::NotRegular : Skip::Unreadable;
}

// The text of a lyrics file, or nullopt with a note saying why there is none.
std::optional<QString> readLrcFile(const FoundFile &file, std::vector<ImportNote> &notes) {
  const std::string shown = printableName(file.relPath);
  const auto tooLarge = [&] {
    notes.push_back({Skip::TooLarge, "lyrics over " + std::to_string(kMaxLyricsChars / (1024 * 1024)) +
                                         " MiB, not used: " + shown});
    return std::nullopt;
  };
  if (file.size > static_cast<std::uint64_t>(kMaxLyricsFileBytes))
    return tooLarge();
  OpenedFile opened = openRegularFile(file.realPath);
  if (opened.problem != OpenedFile::Problem::None) {
    notes.push_back({skipFor(opened), "cannot read the lyrics " + shown + ": " + problemText(opened)});
    return std::nullopt;
  }
  const auto bytes = readAtMost(opened.fd.get(), static_cast<std::uint64_t>(kMaxLyricsFileBytes));
  if (!bytes) {
    if (opened.info.st_size > kMaxLyricsFileBytes)
      return tooLarge();
    notes.push_back({Skip::Unreadable, "cannot read the lyrics " + shown + ": " + std::strerror(errno)});
    return std::nullopt;
  }
  const QString text = decodeLrc(QByteArrayView(bytes->data(), static_cast<qsizetype>(bytes->size())));
  if (lyricsOverBounds(text))
    return tooLarge();
  return text;
}

} // namespace

std::string listField(QString text) {
  text.replace(QLatin1Char(','), QChar(0xFF0C));
  for (QChar &c : text) {
    if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\t'))
      c = QLatin1Char(' ');
  }
  return utf8(text.simplified());
}

QString nameText(std::string_view bytes) {
  const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = utf8(view);
  return utf8.hasError() ? fromGbk(view) : text;
}

std::string SongSource::fingerprint() const {
  std::string out = kReadingVersion;
  out += '|';
  out += file.realPath.empty() ? "missing" : stamp(file);
  out += '|';
  out += sidecar ? stamp(*sidecar) : "-";
  if (byHand)
    out += "|" + utf8(byHand->first) + "\x1F" + utf8(byHand->second);
  return out;
}

SongReading readSong(const SongSource &source) {
  SongReading out;
  const std::string shown = printableName(source.file.relPath);
  QString title, artist, album, embedded;
  if (!source.file.realPath.empty()) {
    const OpenedFile opened = openRegularFile(source.file.realPath);
    std::optional<MediaTags> tags;
    if (opened.problem != OpenedFile::Problem::None)
      out.notes.push_back({skipFor(opened), "cannot read " + shown + ": " + problemText(opened)});
    else if (!(tags = readMediaTags(opened.fd.get(), source.file.realPath)))
      out.notes.push_back({Skip::NotAudio, "not an audio file FFmpeg can read, skipped: " + shown});
    // A song described by hand is listed whatever its file is.
    if (!tags && !source.byHand)
      return out;
    if (tags) {
      title = QString::fromStdString(tags->title);
      artist = QString::fromStdString(tags->artist);
      album = QString::fromStdString(tags->album);
      embedded = QString::fromStdString(tags->lyrics);
    }
  }
  if (source.byHand) {
    title = source.byHand->first;
    artist = source.byHand->second;
  }
  fillFromFileName(source.file.relPath, title, artist);

  SongRecord r;
  r.relPath = source.file.relPath;
  r.file = source.file.realPath;
  r.fingerprint = source.fingerprint();
  r.title = listField(title);
  r.artist = listField(artist);
  r.album = listField(album);
  std::optional<QString> lyrics;
  if (source.sidecar)
    lyrics = readLrcFile(*source.sidecar, out.notes);
  QString words; // lyrics without times: found by the keyword search, not shown
  if (!lyrics && !embedded.isEmpty()) {
    const QByteArray bytes = embedded.toUtf8();
    const QString text = decodeLrc(bytes);
    if (lyricsOverBounds(text))
      out.notes.push_back({Skip::TooLarge, "lyrics in the tags over " +
                                               std::to_string(kMaxLyricsChars / (1024 * 1024)) +
                                               " MiB, not used: " + shown});
    else if (lrcIsTimed(text))
      lyrics = text;
    else
      words = text;
  }
  if (lyrics)
    r.lyrics = utf8(*lyrics);
  r.lyricsPlain = utf8(lrcPlainText(lyrics ? *lyrics : words));
  out.record = std::move(r);
  return out;
}

std::string lyricsFingerprint(const FoundFile &file) {
  return std::string(kReadingVersion) + "|" + stamp(file);
}

LyricsReading readLyricsFile(const FoundFile &file) {
  LyricsReading out;
  const auto text = readLrcFile(file, out.notes);
  if (!text)
    return out;
  QString title = lrcHeader(*text, QLatin1String("ti"));
  QString artist = lrcHeader(*text, QLatin1String("ar"));
  fillFromFileName(file.relPath, title, artist);
  out.record = LyricsRecord{file.relPath,
                            lyricsFingerprint(file),
                            listField(title),
                            listField(artist),
                            listField(lrcHeader(*text, QLatin1String("al"))),
                            utf8(*text)};
  return out;
}

} // namespace lumiqo::server
