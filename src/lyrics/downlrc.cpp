#include "lyrics/downlrc.h"

#include "base/app_folder.h"
#include "base/endpoints.h"
#include "base/gbk.h"
#include "base/lyrics_bounds.h"
#include "catalogue/web_request.h"
#include "lyrics/text_file.h"

#include <QFile>

namespace lumiqo::downlrc {

namespace {

// The text of a file as every line followed by CR LF; nothing when it cannot be read or is
// longer than maxBytes (when given).
std::optional<QString> readWithLineEnds(const QString &path, qint64 maxBytes = -1) {
  const std::optional<QStringList> lines = readGbkLines(path, maxBytes);
  if (!lines)
    return std::nullopt;
  QString text;
  for (const QString &line : *lines)
    text += line + QStringLiteral("\r\n");
  return text;
}

} // namespace

QString LyricsScratchFile() {
  return DataFolder() + QStringLiteral("lrc");
}

QString SearchScratchFile() {
  return DataFolder() + QStringLiteral("TEMP");
}

bool DownFile(const QString &address, const QString &localPath) {
  return DownloadToFile(address, localPath);
}

bool DownLrc(const QString &songName) {
  return FindLrc(songName, LyricsScratchFile());
}

QString SearchAddress(const QString &songName) {
  return endpoint(Role::Lyrics).httpBase() + QStringLiteral("/gecisearch.so?pf=&as=&st=&ac=1&query=") +
         QString::fromLatin1(toGbk(songName).toPercentEncoding()) +
         QStringLiteral("&class=5&p=40030200&dp=1");
}

bool FindLrc(const QString &songName, const QString &destination) {
  const QString scratch = SearchScratchFile();
  // A page left over from an earlier search must not stand in for this one.
  QFile::remove(scratch);
  DownFile(SearchAddress(songName), scratch);
  const std::optional<QString> page = readWithLineEnds(scratch);
  QFile::remove(scratch);
  if (!page)
    return false;

  const QString linkStart = QStringLiteral("<br><a href=\"downlrc.jsp?tGroupid=");
  const QString linkEnd = QStringLiteral("\">LRC歌词下载</a>");
  const QString root = endpoint(Role::Lyrics).httpBase() + QStringLiteral("/");
  for (qsizetype a = page->indexOf(linkStart); a >= 0; a = page->indexOf(linkStart, a + 1)) {
    const qsizetype b = page->indexOf(linkEnd, a);
    if (b < 0)
      return false;
    const QString link = page->mid(a, b - a).mid(13); // less "<br><a href=" and the quote
    if (DownFile(root + link, destination) && CheckLrc(destination))
      return true;
  }
  return false;
}

bool CheckLrc(const QString &path) {
  // A file too long to be lyrics is not usable either.
  const std::optional<QString> text = readWithLineEnds(path, kMaxLyricsFileBytes);
  if (text) {
    for (const char *tag : {"[ti:", "[ar:", "[al:", "[by:"})
      if (text->indexOf(QLatin1String(tag)) > 0)
        return true;
  }
  QFile::remove(path);
  return false;
}

} // namespace lumiqo::downlrc
