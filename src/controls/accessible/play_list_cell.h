#pragma once
// One cell of the play list's table: the text of its row and column as the list shows it,
// selected with its row, focused when that row is selected in the focused list, off screen
// when the list is scrolled away from it. The playing row's cells say so in their description.

#include <QAccessibleInterface>
#include <QPointer>

namespace lumiqo {

class PlayListView;

class PlayListCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
  PlayListCellAccessible(PlayListView *view, int row, int column);

  bool isValid() const override;
  QObject *object() const override { return nullptr; }
  QWindow *window() const override;
  QAccessibleInterface *parent() const override;
  QAccessibleInterface *child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface *) const override { return -1; }
  QAccessibleInterface *childAt(int, int) const override { return nullptr; }
  QString text(QAccessible::Text t) const override;
  void setText(QAccessible::Text, const QString &) override {}
  QRect rect() const override;
  QAccessible::Role role() const override { return QAccessible::Cell; }
  QAccessible::State state() const override;
  void *interface_cast(QAccessible::InterfaceType t) override;

  // QAccessibleTableCellInterface
  bool isSelected() const override;
  QList<QAccessibleInterface *> columnHeaderCells() const override { return {}; }
  QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
  int columnIndex() const override { return column_; }
  int rowIndex() const override { return row_; }
  int columnExtent() const override { return 1; }
  int rowExtent() const override { return 1; }
  QAccessibleInterface *table() const override;

private:
  QPointer<PlayListView> view_;
  int row_;
  int column_;
};

} // namespace lumiqo
