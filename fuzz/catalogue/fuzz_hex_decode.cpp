// HexDecodeText over any text from the server: never a read out of range, and never more
// characters out than pairs in.
#include "catalogue/hex_codec.h"

#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const QString text =
      QString::fromLatin1(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
  const QString decoded = lumiqo::HexDecodeText(text);
  if (decoded.size() > text.size() / 2)
    __builtin_trap();
  // What the server side encodes, the player decodes back.
  const QString sent = lumiqo::HexEncodeText(decoded);
  for (QChar c : sent)
    if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f')))
      __builtin_trap();
  return 0;
}
