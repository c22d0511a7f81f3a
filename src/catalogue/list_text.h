#pragma once
// The list record format shared by the catalogue lists and the favourites file: one record
// per line, lines ended by CR LF, fields title, artist and catalogue link separated by ",".

#include <QString>
#include <QStringView>
#include <QVector>

namespace lumiqo {

struct ListRecord {
  QString title;
  QString artist;
  QString link;
};

// Splits at every CR LF; empty pieces and pieces with fewer than three fields are passed
// over; fields after the third are ignored.
QVector<ListRecord> ParseListText(QStringView text);

// "title,artist,link" (no line end). A "," inside a field is written as it is.
QString ListRecordLine(const QString &title, const QString &artist, const QString &link);

} // namespace lumiqo
