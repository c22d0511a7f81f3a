// The parsing of a handed-over link: any text, as it may arrive from a web page.
#include "app/instance/handed_link.h"

#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
  if (const auto link = lumiqo::parseHandedLink(text)) {
    // What was accepted holds no "/" and no field separator.
    if (link->link.contains(QLatin1Char('/')) || link->link.contains(QLatin1Char('_')) ||
        link->title.contains(QChar(0xFFFD)) || link->artist.contains(QChar(0xFFFD)))
      __builtin_trap();
  }
  return 0;
}
