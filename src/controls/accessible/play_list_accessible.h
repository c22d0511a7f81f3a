#pragma once
// The play list to assistive tools: a table of the queue's rows with four columns (number,
// title, artist, time), the selected row, and the playing row (its cells say so in their
// description). The cells are made when first read and kept until the rows change, so a
// list of 32 767 rows costs nothing until a tool reads it, and a tool that reads it twice
// meets the same cells.

#include <QAccessibleWidget>
#include <QHash>

namespace lumiqo {

class PlayListView;

class PlayListAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
  static constexpr int kColumns = 4;
  enum Column { Number, Title, Artist, Time };

  explicit PlayListAccessible(PlayListView *view);
  ~PlayListAccessible() override;

  QAccessibleInterface *parent() const override;
  void *interface_cast(QAccessible::InterfaceType t) override;
  int childCount() const override;
  QAccessibleInterface *child(int index) const override;
  int indexOfChild(const QAccessibleInterface *child) const override;
  QAccessibleInterface *childAt(int x, int y) const override;
  QAccessibleInterface *focusChild() const override;

  // QAccessibleTableInterface
  QAccessibleInterface *caption() const override { return nullptr; }
  QAccessibleInterface *summary() const override { return nullptr; }
  QAccessibleInterface *cellAt(int row, int column) const override;
  int columnCount() const override { return kColumns; }
  int rowCount() const override;
  int selectedCellCount() const override;
  int selectedColumnCount() const override { return 0; }
  int selectedRowCount() const override;
  QString columnDescription(int column) const override;
  QString rowDescription(int row) const override;
  QList<QAccessibleInterface *> selectedCells() const override;
  QList<int> selectedColumns() const override { return {}; }
  QList<int> selectedRows() const override;
  bool isColumnSelected(int) const override { return false; }
  bool isRowSelected(int row) const override;
  bool selectRow(int row) override;
  bool selectColumn(int) override { return false; }
  bool unselectRow(int) override { return false; } // the selection cannot be cleared
  bool unselectColumn(int) override { return false; }
  void modelChange(QAccessibleTableModelChangeEvent *event) override;

  PlayListView *view() const;
  // The cells made so far.
  int cellsMade() const { return static_cast<int>(cells_.size()); }

private:
  void forgetCells();

  mutable QHash<int, QAccessible::Id> cells_; // by child index: row * kColumns + column
};

// The text of a cell as the list shows it ("" outside the list).
QString playListCellText(const PlayListView &view, int row, int column);

// What the view tells assistive tools, only while one listens: the rows changed (once after a
// burst of changes, such as a list loading), the selection moved (to the focused cell, or as a
// selection change when the list has no focus), the list took the focus.
void announceRowsChanged(PlayListView &view);
void announceSelection(PlayListView &view);

} // namespace lumiqo
