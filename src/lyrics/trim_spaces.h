#pragma once
#include <QStringView>

namespace lumiqo {

// Leading and trailing ASCII spaces removed; tabs and line ends stay.
inline QStringView trimSpaces(QStringView s) {
  qsizetype from = 0;
  qsizetype to = s.size();
  while (from < to && s[from] == u' ')
    ++from;
  while (to > from && s[to - 1] == u' ')
    --to;
  return s.sliced(from, to - from);
}

} // namespace lumiqo
