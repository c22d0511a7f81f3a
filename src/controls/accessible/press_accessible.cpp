#include "controls/accessible/press_accessible.h"

#include "controls/accessible/accessible_parts.h"
#include "controls/click_area.h"
#include "controls/vondan.h"

namespace lumiqo {

PressAccessible::PressAccessible(vondan *button) : QAccessibleWidget(button, QAccessible::Button) {}

PressAccessible::PressAccessible(ClickArea *area) : QAccessibleWidget(area, area->accessibleRole()) {}

vondan *PressAccessible::button() const {
  return qobject_cast<vondan *>(object());
}

ClickArea *PressAccessible::area() const {
  return qobject_cast<ClickArea *>(object());
}

bool PressAccessible::checkable() const {
  return button() && button()->isCheckable();
}

bool PressAccessible::clickable() const {
  return button() || (area() && area()->clickable());
}

QAccessibleInterface *PressAccessible::parent() const {
  return accessibleParentOf(widget());
}

QAccessible::Role PressAccessible::role() const {
  return area() ? area()->accessibleRole() : QAccessible::Button;
}

// An area's caption, when it has one, is its name (the text it stands for); its accessible
// name stands in while the caption is blank.
QString PressAccessible::text(QAccessible::Text t) const {
  if (t == QAccessible::Name && area() && !area()->text().trimmed().isEmpty())
    return area()->text().trimmed();
  return QAccessibleWidget::text(t);
}

QAccessible::State PressAccessible::state() const {
  QAccessible::State st = QAccessibleWidget::state();
  if (checkable()) {
    st.checkable = true;
    st.checked = button()->isChecked();
  }
  if (const vondan *b = button())
    st.pressed = b->state() == 2 && b->pressed();
  return st;
}

QStringList PressAccessible::actionNames() const {
  QStringList names;
  if (clickable())
    names << (checkable() ? toggleAction() : pressAction());
  if (widget()->focusPolicy() != Qt::NoFocus)
    names << setFocusAction();
  return names;
}

void PressAccessible::doAction(const QString &actionName) {
  if ((actionName == pressAction() || actionName == toggleAction()) && clickable()) {
    if (vondan *b = button())
      b->click();
    else
      area()->click();
    return;
  }
  QAccessibleWidget::doAction(actionName);
}

QStringList PressAccessible::keyBindingsForAction(const QString &actionName) const {
  if (actionName == pressAction() || actionName == toggleAction()) {
    const QString key = accessibleKey(widget());
    if (!key.isEmpty())
      return {key};
  }
  return QAccessibleWidget::keyBindingsForAction(actionName);
}

} // namespace lumiqo
