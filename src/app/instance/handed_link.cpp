#include "app/instance/handed_link.h"

#include "catalogue/hex_codec.h"

#include <QStringList>

namespace lumiqo {
namespace {

bool isHexText(QStringView field) {
  if (field.size() % 2 != 0)
    return false;
  for (QChar c : field) {
    const char16_t u = c.unicode();
    const bool digit = (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
    if (!digit)
      return false;
  }
  return true;
}

// The decoded text, or nothing when the digits do not make GBK characters (the decoder
// marks those with U+FFFD, which GBK itself cannot carry).
std::optional<QString> decodeField(QStringView field) {
  if (!isHexText(field))
    return std::nullopt;
  QString text = HexDecodeText(field);
  if (text.contains(QChar(0xFFFD)))
    return std::nullopt;
  return text;
}

} // namespace

std::optional<HandedLink> parseHandedLink(QStringView text) {
  if (text.isEmpty() || text.size() > kMaxLinkTextLength)
    return std::nullopt;
  QString rest = text.toString();
  rest.remove(kLinkPrefix.toString(), Qt::CaseSensitive);
  rest.remove(QLatin1Char('/'));
  const QStringList fields = rest.split(QLatin1Char('_'), Qt::KeepEmptyParts);
  if (fields.size() != 3)
    return std::nullopt;
  auto title = decodeField(fields[0]);
  auto artist = decodeField(fields[1]);
  if (!title || !artist)
    return std::nullopt;
  return HandedLink{std::move(*title), std::move(*artist), fields[2]};
}

} // namespace lumiqo
