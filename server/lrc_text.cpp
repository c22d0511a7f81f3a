#include "lrc_text.h"

#include "base/gbk.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringList>

namespace lumiqo::server {
namespace {

QString normaliseLineEnds(QString text) {
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
  return text;
}

bool isHeaderLine(const QString &line) {
  static const QRegularExpression header(QStringLiteral("^\\s*\\[(ti|ar|al|by):"),
                                         QRegularExpression::CaseInsensitiveOption);
  return header.match(line).hasMatch();
}

} // namespace

QString decodeLrc(QByteArrayView bytes) {
  QString text;
  if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
    QStringDecoder utf16(QStringDecoder::Utf16);
    text = utf16(bytes);
  } else {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    text = utf8(bytes);
    if (utf8.hasError())
      text = fromGbk(bytes);
  }
  if (text.startsWith(QChar(0xFEFF)))
    text.remove(0, 1);
  return normaliseLineEnds(text);
}

bool lrcIsTimed(const QString &lrc) {
  static const QRegularExpression timeTag(QStringLiteral("\\[\\d+[:：]\\d"));
  return timeTag.match(lrc).hasMatch();
}

QString lrcHeader(const QString &lrc, QLatin1StringView name) {
  const QString open = QLatin1Char('[') + name + QLatin1Char(':');
  const qsizetype at = lrc.indexOf(open, 0, Qt::CaseInsensitive);
  if (at < 0)
    return {};
  const qsizetype start = at + open.size();
  const qsizetype end = lrc.indexOf(QLatin1Char(']'), start);
  const qsizetype lineEnd = lrc.indexOf(QLatin1Char('\r'), start);
  if (end < 0 || (lineEnd >= 0 && lineEnd < end))
    return {};
  return lrc.mid(start, end - start).trimmed();
}

QString lrcPlainText(const QString &lrc) {
  static const QRegularExpression tag(QStringLiteral("\\[[^\\]\\r\\n]*\\]"));
  QStringList lines;
  for (const QString &line : lrc.split(QLatin1String("\r\n"))) {
    const QString text = QString(line).remove(tag).trimmed();
    if (!text.isEmpty())
      lines << text;
  }
  return lines.join(QLatin1Char('\n'));
}

QString lrcForDownload(const QString &lrc, const QString &title, const QString &artist,
                       const QString &album) {
  // The first line carries no header tag: the player only trusts files whose tags stand
  // after the very first character.
  QString out =
      QStringLiteral("\r\n[ti:%1]\r\n[ar:%2]\r\n[al:%3]\r\n[by:Lumiqo]\r\n").arg(title, artist, album);
  for (const QString &line : normaliseLineEnds(lrc).split(QLatin1String("\r\n"))) {
    if (!line.trimmed().isEmpty() && !isHeaderLine(line))
      out += line + QLatin1String("\r\n");
  }
  return out;
}

} // namespace lumiqo::server
