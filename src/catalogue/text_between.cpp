#include "catalogue/text_between.h"

namespace lumiqo {

QString TextBetween(QStringView text, QStringView startMarker, QStringView endMarker) {
  if (text.isEmpty() || startMarker.isEmpty() || endMarker.isEmpty() || text == kTextBetweenFailure)
    return kTextBetweenFailure;
  const qsizetype start = text.indexOf(startMarker, 0, Qt::CaseInsensitive);
  if (start < 0)
    return kTextBetweenFailure;
  const qsizetype from = start + startMarker.size();
  const qsizetype end = text.indexOf(endMarker, from, Qt::CaseInsensitive);
  if (end <= from)
    return kTextBetweenFailure;
  return text.mid(from, end - from).toString();
}

} // namespace lumiqo
