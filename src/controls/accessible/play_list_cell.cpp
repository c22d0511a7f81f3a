#include "controls/accessible/play_list_cell.h"

#include "controls/accessible/play_list_accessible.h"
#include "controls/play_list_view.h"

#include <QWidget>

namespace lumiqo {

PlayListCellAccessible::PlayListCellAccessible(PlayListView *view, int row, int column)
    : view_(view), row_(row), column_(column) {}

bool PlayListCellAccessible::isValid() const {
  return view_ && row_ >= 0 && row_ < view_->model().ListCount();
}

QWindow *PlayListCellAccessible::window() const {
  return view_ ? view_->window()->windowHandle() : nullptr;
}

QAccessibleInterface *PlayListCellAccessible::parent() const {
  return table();
}

QAccessibleInterface *PlayListCellAccessible::table() const {
  return view_ ? QAccessible::queryAccessibleInterface(view_.data()) : nullptr;
}

QString PlayListCellAccessible::text(QAccessible::Text t) const {
  if (!view_)
    return {};
  switch (t) {
  case QAccessible::Name:
  case QAccessible::Value: return playListCellText(*view_, row_, column_);
  case QAccessible::Description:
    return row_ == view_->model().PlayIndex() && isValid() ? QStringLiteral("正在播放") : QString();
  default: return {};
  }
}

// Where the list shows the cell, on the screen; the columns as the rows are drawn.
QRect PlayListCellAccessible::rect() const {
  if (!view_)
    return {};
  const QRect row = view_->rowRect(row_);
  const int b = view_->inset();
  const int w = row.width();
  const int number = view_->numberColumnWidth();
  const int artist = view_->artistColumnWidth();
  const int time = view_->timeColumnWidth();
  QRect cell;
  switch (column_) {
  case PlayListAccessible::Number: cell = QRect(b, row.top(), number, row.height()); break;
  case PlayListAccessible::Title:
    cell = QRect(b + number + 2, row.top(), w - number - artist - time, row.height());
    break;
  case PlayListAccessible::Artist: cell = QRect(w - time - artist, row.top(), artist, row.height()); break;
  default: cell = QRect(w - time, row.top(), time, row.height()); break;
  }
  return QRect(view_->mapToGlobal(cell.topLeft()), cell.size());
}

QAccessible::State PlayListCellAccessible::state() const {
  QAccessible::State st;
  if (!isValid()) {
    st.invalid = true;
    return st;
  }
  const QMListBox &model = view_->model();
  st.selectable = true;
  st.focusable = true;
  st.selected = isSelected();
  st.focused = st.selected && view_->hasFocus();
  st.invisible = !view_->isVisible();
  st.offscreen = row_ < model.FirstIndex() || view_->rowRect(row_).bottom() > view_->rowsArea().bottom();
  return st;
}

void *PlayListCellAccessible::interface_cast(QAccessible::InterfaceType t) {
  if (t == QAccessible::TableCellInterface)
    return static_cast<QAccessibleTableCellInterface *>(this);
  return nullptr;
}

bool PlayListCellAccessible::isSelected() const {
  return view_ && row_ == view_->model().ListIndex();
}

} // namespace lumiqo
