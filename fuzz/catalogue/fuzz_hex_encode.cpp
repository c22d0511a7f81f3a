// HexEncodeTerm over any text (the input read as UTF-16, lone surrogates included): only
// lower-case hex digits come out, and the server's inverse reads them back.
#include "catalogue/hex_codec.h"

#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  QString text;
  for (std::size_t i = 0; i + 1 < size; i += 2)
    text += QChar(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  const QString term = lumiqo::HexEncodeTerm(text);
  for (QChar c : term)
    if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f')))
      __builtin_trap();
  // Without control characters and NUL (whose short codes the inverse cannot tell apart), the
  // term reads back as the text GBK carries.
  bool plain = true;
  for (QChar c : text)
    plain = plain && c.unicode() >= 16;
  QString back;
  if (plain && !lumiqo::HexDecodeTerm(term, back))
    __builtin_trap();
  return 0;
}
