#include "lyrics/tag_time.h"

#include "lyrics/trim_spaces.h"

#include <QString>
#include <cmath>

namespace lumiqo {

namespace {

// Rounds to the nearest integer, halves to even.
double roundHalfEven(double v) {
  return std::nearbyint(v);
}

} // namespace

double leadingNumber(QStringView chars) {
  double sign = 1;
  double value = 0;
  double scale = 0; // 0 before the decimal point, then 0.1, 0.01, ...
  bool started = false;
  for (QChar ch : chars) {
    if (ch == u' ')
      continue;
    if (!started && (ch == u'+' || ch == u'-')) {
      sign = ch == u'-' ? -1 : 1;
      started = true;
    } else if (ch >= u'0' && ch <= u'9') {
      const int digit = ch.unicode() - u'0';
      if (scale == 0) {
        value = value * 10 + digit;
      } else {
        value += digit * scale;
        scale /= 10;
      }
      started = true;
    } else if (ch == u'.' && scale == 0) {
      scale = 0.1;
      started = true;
    } else {
      break;
    }
  }
  return sign * value;
}

std::int32_t TagTime(QStringView tag) {
  QString s = tag.toString();
  for (QChar separator : {QChar(u':'), QChar(u'.'), QChar(u'\uFF1A'), QChar(u'\uFF0E'), QChar(u'\u3002')})
    s.replace(separator, u' ');
  const QStringView t = trimSpaces(s);
  double h = roundHalfEven(leadingNumber(t.right(2)));
  h = roundHalfEven(
      leadingNumber(t.size() > 3 ? t.sliced(3, std::min<qsizetype>(2, t.size() - 3)) : QStringView()) * 100 +
      h);
  h = roundHalfEven(leadingNumber(t.left(2)) * 6000 + h);
  return static_cast<std::int32_t>(h);
}

} // namespace lumiqo
