#include "lyrics/text_file.h"

#include "base/gbk.h"

#include <QFile>

namespace lumiqo {

QStringList splitLines(const QString &text) {
  QStringList lines;
  qsizetype start = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] != u'\r')
      continue;
    lines.append(text.mid(start, i - start));
    if (i + 1 < text.size() && text[i + 1] == u'\n')
      ++i;
    start = i + 1;
  }
  if (start < text.size())
    lines.append(text.mid(start));
  return lines;
}

std::optional<QStringList> readGbkLines(const QString &path, qint64 maxBytes) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return std::nullopt;
  // Read one byte past the limit: a file that grows while it is read is caught too.
  const QByteArray bytes = maxBytes < 0 ? file.readAll() : file.read(maxBytes + 1);
  if (maxBytes >= 0 && bytes.size() > maxBytes)
    return std::nullopt;
  if (file.error() != QFile::NoError)
    return std::nullopt;
  return splitLines(fromGbk(bytes));
}

bool writeGbkText(const QString &path, const QString &text, bool append) {
  QFile file(path);
  if (!file.open(append ? QIODevice::Append : (QIODevice::WriteOnly | QIODevice::Truncate)))
    return false;
  const QByteArray bytes = toGbk(text);
  return file.write(bytes) == bytes.size() && file.flush();
}

} // namespace lumiqo
