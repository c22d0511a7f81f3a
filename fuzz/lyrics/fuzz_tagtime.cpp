// TagTime on any tag content: never fails, and stays within what two-character fields give.
#include "lyrics/tag_time.h"

#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const QString tag = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
  const std::int32_t h = lumiqo::TagTime(tag);
  // Each field is at most two characters: |value| <= 99 minutes, 99 seconds, 99 hundredths.
  if (h > 99 * 6000 + 99 * 100 + 99 || h < -(99 * 6000 + 99 * 100 + 99))
    __builtin_trap();
  (void)lumiqo::leadingNumber(tag);
  return 0;
}
