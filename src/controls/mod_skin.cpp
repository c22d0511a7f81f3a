#include "controls/mod_skin.h"

#include "base/app_folder.h"
#include "base/gbk.h"
#include "base/regular_file.h"
#include "base/twips.h"

#include <QWidget>
#include <cmath>

namespace lumiqo {
namespace {

constexpr int kValueBytes = 127;
constexpr qint64 kMaxSettingsBytes = 4 * 1024 * 1024;

// Cuts GBK bytes to `limit`, never inside a double-byte character.
QByteArray cutGbk(const QByteArray &bytes, int limit) {
  if (bytes.size() <= limit)
    return bytes;
  int end = 0;
  while (end < limit) {
    const int step = static_cast<unsigned char>(bytes[end]) >= 0x81 ? 2 : 1;
    if (end + step > limit)
      break;
    end += step;
  }
  return bytes.left(end);
}

} // namespace

QString skinSettingsPath(const QString &file) {
  if (file.startsWith(QLatin1Char('/')))
    return file;
  QString path = AppFolder() + QLatin1Char('/') + file;
  while (path.contains(QStringLiteral("//")))
    path.replace(QStringLiteral("//"), QStringLiteral("/"));
  return path;
}

QString ReadIniString(const QString &section, const QString &key, const QString &defaultValue,
                      const QString &file) {
  // Only a regular file, opened without blocking: a FIFO in the skin folder reads as missing.
  const std::optional<QByteArray> bytes = readRegularFile(skinSettingsPath(file), kMaxSettingsBytes);
  const QByteArray wantedSection = toGbk(section.trimmed()).toLower();
  const QByteArray wantedKey = toGbk(key.trimmed()).toLower();
  QByteArray value = toGbk(defaultValue).trimmed();
  if (bytes) {
    bool inSection = false;
    for (QByteArray line : bytes->split('\n')) {
      line = line.trimmed();
      if (line.startsWith('[')) {
        const qsizetype close = line.indexOf(']');
        if (close > 0) {
          if (inSection)
            break; // the first matching section decides
          inSection = line.mid(1, close - 1).trimmed().toLower() == wantedSection;
        }
        continue;
      }
      if (!inSection || line.startsWith(';'))
        continue;
      const qsizetype eq = line.indexOf('=');
      if (eq < 0 || line.left(eq).trimmed().toLower() != wantedKey)
        continue;
      value = line.mid(eq + 1).trimmed();
      if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
          value.back() == value.front())
        value = value.mid(1, value.size() - 2);
      break;
    }
  }
  return fromGbk(cutGbk(value, kValueBytes));
}

double numberValue(const QString &text) {
  qsizetype i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
    ++i;
  QString number;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
    number += text[i++];
  bool digits = false;
  while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128) {
    number += text[i++];
    digits = true;
  }
  if (i < text.size() && text[i] == u'.') {
    number += text[i++];
    while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128) {
      number += text[i++];
      digits = true;
    }
  }
  if (!digits)
    return 0;
  bool ok = false;
  const double value = number.toDouble(&ok);
  return ok && std::isfinite(value) ? value : 0;
}

Placement parsePlacement(const QString &text) {
  const QStringList parts = text.split(QLatin1Char(','));
  Placement p;
  std::optional<double> *fields[] = {&p.left, &p.top, &p.width, &p.height};
  for (int i = 0; i < 4 && i < parts.size(); ++i)
    *fields[i] = numberValue(parts[i]);
  return p;
}

std::optional<int> placementPixels(double twips, bool isSize) {
  // Values far outside any screen are refused like negative sizes.
  constexpr double kLimit = 32767.0 * kTwipsPerPixel;
  if (!(std::abs(twips) <= kLimit) || (isSize && twips < 0))
    return std::nullopt;
  return twipsToPixels(static_cast<int>(std::lround(twips)));
}

void applyPlacement(QWidget &control, const Placement &placement) {
  auto pixels = [](const std::optional<double> &twips, bool isSize) {
    return twips ? placementPixels(*twips, isSize) : std::nullopt;
  };
  if (const auto left = pixels(placement.left, false))
    control.move(*left, control.y());
  if (const auto top = pixels(placement.top, false))
    control.move(control.x(), *top);
  if (const auto width = pixels(placement.width, true))
    control.resize(*width, control.height());
  if (const auto height = pixels(placement.height, true))
    control.resize(control.width(), *height);
}

} // namespace lumiqo
