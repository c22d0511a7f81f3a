#include "controls/accessible/play_list_accessible.h"

#include "controls/accessible/accessible_parts.h"
#include "controls/accessible/play_list_cell.h"
#include "controls/play_list_view.h"

#include <QTimer>

namespace lumiqo {
namespace {
constexpr const char *kRowsPending = "lumiqoAccessibleRowsPending";
} // namespace

QString playListCellText(const PlayListView &view, int row, int column) {
  const QMListBox &model = view.model();
  if (row < 0 || row >= model.ListCount())
    return {};
  switch (column) {
  case PlayListAccessible::Number: return QString::number(row + 1);
  case PlayListAccessible::Title: return model.Title(row);
  case PlayListAccessible::Artist: return model.Author(row);
  case PlayListAccessible::Time: return model.StrTime(row);
  default: return {};
  }
}

PlayListAccessible::PlayListAccessible(PlayListView *view) : QAccessibleWidget(view, QAccessible::Table) {}

PlayListAccessible::~PlayListAccessible() {
  forgetCells();
}

PlayListView *PlayListAccessible::view() const {
  return static_cast<PlayListView *>(widget());
}

void PlayListAccessible::forgetCells() {
  for (QAccessible::Id id : std::as_const(cells_))
    QAccessible::deleteAccessibleInterface(id);
  cells_.clear();
}

QAccessibleInterface *PlayListAccessible::parent() const {
  return accessibleParentOf(widget());
}

void *PlayListAccessible::interface_cast(QAccessible::InterfaceType t) {
  if (t == QAccessible::TableInterface)
    return static_cast<QAccessibleTableInterface *>(this);
  return QAccessibleWidget::interface_cast(t);
}

int PlayListAccessible::rowCount() const {
  return view()->model().ListCount();
}

int PlayListAccessible::childCount() const {
  return rowCount() * kColumns;
}

QAccessibleInterface *PlayListAccessible::child(int index) const {
  if (index < 0 || index >= childCount())
    return nullptr;
  if (const auto found = cells_.constFind(index); found != cells_.cend())
    return QAccessible::accessibleInterface(*found);
  auto *cell = new PlayListCellAccessible(view(), index / kColumns, index % kColumns);
  cells_.insert(index, QAccessible::registerAccessibleInterface(cell));
  return cell;
}

int PlayListAccessible::indexOfChild(const QAccessibleInterface *child) const {
  if (!child || child->role() != QAccessible::Cell || child->parent() != this)
    return -1;
  auto *cell = const_cast<QAccessibleInterface *>(child)->tableCellInterface();
  return cell ? cell->rowIndex() * kColumns + cell->columnIndex() : -1;
}

QAccessibleInterface *PlayListAccessible::cellAt(int row, int column) const {
  if (row < 0 || row >= rowCount() || column < 0 || column >= kColumns)
    return nullptr;
  return child(row * kColumns + column);
}

QAccessibleInterface *PlayListAccessible::childAt(int x, int y) const {
  const QPoint at = view()->mapFromGlobal(QPoint(x, y));
  if (!view()->rowsArea().contains(at))
    return nullptr;
  const int row = view()->model().IndexFromPoint(static_cast<float>(at.x()), static_cast<float>(at.y()));
  for (int column = 0; column < kColumns && row >= 0; ++column) {
    QAccessibleInterface *cell = cellAt(row, column);
    if (cell && cell->rect().contains(x, y))
      return cell;
  }
  return nullptr;
}

QAccessibleInterface *PlayListAccessible::focusChild() const {
  const int row = view()->model().ListIndex();
  return view()->hasFocus() && row >= 0 ? cellAt(row, Title) : nullptr;
}

int PlayListAccessible::selectedRowCount() const {
  const int row = view()->model().ListIndex();
  return row >= 0 && row < rowCount() ? 1 : 0;
}

int PlayListAccessible::selectedCellCount() const {
  return selectedRowCount() * kColumns;
}

QList<int> PlayListAccessible::selectedRows() const {
  if (!selectedRowCount())
    return {};
  return {view()->model().ListIndex()};
}

QList<QAccessibleInterface *> PlayListAccessible::selectedCells() const {
  QList<QAccessibleInterface *> cells;
  for (int row : selectedRows())
    for (int column = 0; column < kColumns; ++column)
      cells.append(cellAt(row, column));
  return cells;
}

bool PlayListAccessible::isRowSelected(int row) const {
  return row >= 0 && row == view()->model().ListIndex();
}

// As the keyboard selects it.
bool PlayListAccessible::selectRow(int row) {
  if (row < 0 || row >= rowCount())
    return false;
  view()->model().selectByKey(row);
  return isRowSelected(row);
}

QString PlayListAccessible::columnDescription(int column) const {
  return view()->columnHeadings().value(column);
}

QString PlayListAccessible::rowDescription(int row) const {
  const QMListBox &model = view()->model();
  if (row < 0 || row >= rowCount())
    return {};
  return model.Title(row) + QStringLiteral(" — ") + model.Author(row);
}

void PlayListAccessible::modelChange(QAccessibleTableModelChangeEvent *) {
  forgetCells();
}

void announceRowsChanged(PlayListView &view) {
  if (!toolsListen() || view.property(kRowsPending).toBool())
    return;
  view.setProperty(kRowsPending, true);
  QTimer::singleShot(0, &view, [&view] {
    view.setProperty(kRowsPending, false);
    QAccessibleTableModelChangeEvent event(&view, QAccessibleTableModelChangeEvent::ModelReset);
    // The table forgets its cells whoever listens (Qt tells it only on a platform that does).
    if (QAccessibleTableInterface *table = QAccessible::queryAccessibleInterface(&view)->tableInterface())
      table->modelChange(&event);
    announce(std::move(event));
  });
}

void announceSelection(PlayListView &view) {
  const int row = view.model().ListIndex();
  if (row < 0 || row >= view.model().ListCount())
    return;
  QAccessibleEvent event(&view, view.hasFocus() ? QAccessible::Focus : QAccessible::Selection);
  event.setChild(row * PlayListAccessible::kColumns + PlayListAccessible::Title);
  announce(std::move(event));
}

} // namespace lumiqo
