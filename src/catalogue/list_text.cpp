#include "catalogue/list_text.h"

namespace lumiqo {

QVector<ListRecord> ParseListText(QStringView text) {
  QVector<ListRecord> records;
  records.reserve(text.count(u"\r\n"));
  for (QStringView piece : text.tokenize(u"\r\n", Qt::SkipEmptyParts)) {
    auto fields = piece.tokenize(u',');
    auto it = fields.begin();
    QStringView f[3];
    int count = 0;
    for (; count < 3 && it != fields.end(); ++it)
      f[count++] = *it;
    if (count < 3)
      continue;
    records.append({f[0].toString(), f[1].toString(), f[2].toString()});
  }
  return records;
}

QString ListRecordLine(const QString &title, const QString &artist, const QString &link) {
  return title + u',' + artist + u',' + link;
}

} // namespace lumiqo
