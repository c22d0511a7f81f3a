#include "short_grams.h"

#include <QList>

namespace lumiqo::server {
namespace {

bool isSpace(char32_t c) {
  return QChar::isSpace(c);
}

std::string utf8(const char32_t *cps, qsizetype n) {
  return QString::fromUcs4(cps, n).toStdString();
}

} // namespace

std::set<std::string> shortGrams(const QString &text) {
  std::set<std::string> out;
  const QList<uint> cps = foldTerm(text).toUcs4();
  const auto *p = reinterpret_cast<const char32_t *>(cps.data());
  for (qsizetype i = 0; i < cps.size(); ++i) {
    if (!isSpace(p[i]))
      out.insert(utf8(p + i, 1));
    if (i + 1 < cps.size() && !(isSpace(p[i]) && isSpace(p[i + 1])))
      out.insert(utf8(p + i, 2));
  }
  return out;
}

} // namespace lumiqo::server
