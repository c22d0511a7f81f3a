// TextBetween over any reply: with the cookie markers of the authorisation exchange, and
// with markers taken from the input itself ("start\0end\0text").
#include "catalogue/text_between.h"

#include <QByteArrayList>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace {

void check(const QString &text, const QString &start, const QString &end) {
  const QString value = lumiqo::TextBetween(text, start, end);
  if (value == lumiqo::kTextBetweenFailure)
    return;
  // A value is never empty and always stands between the two markers in the text.
  if (value.isEmpty() || !text.contains(start + value + end, Qt::CaseInsensitive))
    __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
  const QString reply = QString::fromUtf8(bytes);
  check(reply, QStringLiteral("Set-Cookie: pin="), QStringLiteral("; domain="));
  check(reply, QStringLiteral("Set-Cookie: tflag="), QStringLiteral("; domain="));

  const QList<QByteArray> parts = bytes.split('\0');
  if (parts.size() >= 3)
    check(QString::fromUtf8(bytes.mid(parts[0].size() + parts[1].size() + 2)), QString::fromUtf8(parts[0]),
          QString::fromUtf8(parts[1]));
  return 0;
}
