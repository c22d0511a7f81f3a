// GBK at the boundaries: any bytes decode to at most one character a byte, without reading
// past them, and the text encodes to at most two bytes a character; a text decoded without a
// bad byte comes back the same from its encoding. The conversion runs in pieces that grow from
// a few bytes, so short inputs already cut characters at the pieces' ends.
#include "base/gbk.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const QByteArrayView bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
  const QString text = lumiqo::fromGbk(bytes);
  if (text.size() > bytes.size())
    __builtin_trap();
  const QByteArray encoded = lumiqo::toGbk(text);
  if (encoded.size() > 2 * text.size())
    __builtin_trap();
  // A valid text survives the way back and forth, whatever the piece ends cut.
  if (!text.contains(QChar(0xFFFD)) && lumiqo::fromGbk(encoded) != text)
    __builtin_trap();
  return 0;
}
