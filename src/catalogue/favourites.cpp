#include "catalogue/favourites.h"

#include "base/gbk.h"
#include "base/message_box.h"
#include "catalogue/list_text.h"
#include "catalogue/load_list.h"
#include "controls/qmlistbox.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <unistd.h>

namespace lumiqo {
namespace {

const QString kAdded = QStringLiteral("添加成功！");
const QString kDeleted = QStringLiteral("删除成功！");
const QString kAddFailed = QStringLiteral("收藏失败，收藏夹未能保存！");
const QString kDeleteFailed = QStringLiteral("删除失败，收藏夹未能保存！");

const QLatin1String kCrLf("\r\n");

QString rowRecord(const QMListBox &list, int row) {
  return ListRecordLine(list.Title(row), list.Author(row), list.URL(row));
}

// Replaces the favourites file with bytes: written beside it, flushed to the disk and renamed
// over it, so the old file stays whole until the new one is complete.
bool replaceFavourites(const QByteArray &bytes) {
  QSaveFile file(FavouritesFilePath());
  // Unbuffered: a short write shows at once, instead of being lost in a later flush.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
    return false;
  // commit() does not report a failed sync, so the data is synced here first.
  if (file.write(bytes) != bytes.size() || (::fsync(file.handle()) != 0 && errno != EINVAL)) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

// The file's bytes as they are; false when it exists but cannot be read.
bool readFavourites(QByteArray &bytes) {
  QFile file(FavouritesFilePath());
  if (!file.exists()) {
    bytes.clear();
    return true;
  }
  if (!file.open(QIODevice::ReadOnly))
    return false;
  bytes = file.readAll();
  return file.error() == QFileDevice::NoError;
}

void add(const QMListBox &list, QWidget *parent) {
  QByteArray bytes;
  const bool read = readFavourites(bytes);
  // A last line that lost its line end (a hand-edited file) is ended first, so the new
  // record does not run into it.
  if (!bytes.isEmpty() && !bytes.endsWith("\r\n") && !bytes.endsWith('\r'))
    bytes += "\r\n";
  const bool saved = read && replaceFavourites(bytes + toGbk(rowRecord(list, list.ListIndex()) + kCrLf));
  showMessage(parent, saved ? kAdded : kAddFailed, saved ? MessageIcon::None : MessageIcon::Critical);
}

void deleteAndRewrite(QMListBox &list, QWidget *parent) {
  list.RemoveItem(list.ListIndex());
  QString text;
  for (int row = 0; row < list.ListCount(); ++row)
    text += rowRecord(list, row) + kCrLf;
  text.replace(QLatin1String("\r\n\r\n"), kCrLf);
  // The text, one more line break, and the end of the written line.
  const bool saved = replaceFavourites(toGbk(text + kCrLf + kCrLf));
  showMessage(parent, saved ? kDeleted : kDeleteFailed, saved ? MessageIcon::None : MessageIcon::Critical);
}

} // namespace

void FavouritesCommand(const QString &command, QMListBox &m_list, CatalogueState &state,
                       QWidget *messageParent) {
  if (state.fav_index < 0)
    return;
  // The record is the row at the current selection; a selection left past the end of the
  // list by an earlier removal names no row and does nothing.
  const int row = m_list.ListIndex();
  if (row < 0 || row >= m_list.ListCount())
    return;
  if (command == QLatin1String("ADD"))
    add(m_list, messageParent);
  else if (command == QLatin1String("DEL"))
    m_list.RemoveItem(row);
  else if (command == QLatin1String("DELL"))
    deleteAndRewrite(m_list, messageParent);
}

} // namespace lumiqo
