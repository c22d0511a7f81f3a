// The play list view and the keyboard: moving the selection, playing the selected row, asking
// for its removal.
#include "controls/accessible/play_list_accessible.h"
#include "controls/play_list_view.h"

#include <QKeyEvent>

namespace lumiqo {

void PlayListView::keyPressEvent(QKeyEvent *event) {
  const int count = model_.ListCount();
  const int selected = model_.ListIndex();
  // Without a selection the first key selects the first row shown.
  const int from = selected >= 0 ? selected : model_.FirstIndex();
  const bool none = selected < 0;
  const int page = model_.pageRows();
  if (event->modifiers() & ~Qt::KeypadModifier) {
    QWidget::keyPressEvent(event);
    return;
  }
  switch (event->key()) {
  case Qt::Key_Up: model_.selectByKey(none ? from : from - 1); break;
  case Qt::Key_Down: model_.selectByKey(none ? from : from + 1); break;
  case Qt::Key_PageUp: model_.selectByKey(from - page); break;
  case Qt::Key_PageDown: model_.selectByKey(from + page); break;
  case Qt::Key_Home: model_.selectByKey(0); break;
  case Qt::Key_End: model_.selectByKey(count - 1); break;
  case Qt::Key_Return:
  case Qt::Key_Enter: model_.playSelected(); break;
  case Qt::Key_Delete:
    if (selected >= 0 && selected < count)
      emit deleteKeyPressed();
    break;
  default: QWidget::keyPressEvent(event); return;
  }
  event->accept();
}

// The selected row is where the focus lands inside the list.
void PlayListView::focusInEvent(QFocusEvent *event) {
  QWidget::focusInEvent(event);
  announceSelection(*this);
}

} // namespace lumiqo
