// The list text parser over any GBK bytes: records have three fields, no line break inside
// any field, no "," inside the first two, and a record written back parses to itself.
#include "base/gbk.h"
#include "catalogue/list_text.h"

#include <QByteArrayView>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const QString text =
      lumiqo::fromGbk(QByteArrayView(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
  for (const lumiqo::ListRecord &r : lumiqo::ParseListText(text)) {
    if (r.title.contains(u',') || r.artist.contains(u',') || r.link.contains(u','))
      __builtin_trap();
    for (const QString *field : {&r.title, &r.artist, &r.link})
      if (field->contains(QLatin1String("\r\n")))
        __builtin_trap();
    const auto again =
        lumiqo::ParseListText(lumiqo::ListRecordLine(r.title, r.artist, r.link) + QLatin1String("\r\n"));
    const bool empty = r.title.isEmpty() && r.artist.isEmpty() && r.link.isEmpty();
    if (again.size() != 1 && !empty)
      __builtin_trap();
    if (again.size() == 1 &&
        (again[0].title != r.title || again[0].artist != r.artist || again[0].link != r.link))
      __builtin_trap();
  }
  return 0;
}
