#include "controls/accessible/scroll_bar_accessible.h"

#include "controls/accessible/accessible_parts.h"
#include "controls/uc_scrollbar.h"

namespace lumiqo {

ScrollBarAccessible::ScrollBarAccessible(ucScrollbar *bar) : QAccessibleWidget(bar, QAccessible::ScrollBar) {}

ucScrollbar *ScrollBarAccessible::bar() const {
  return static_cast<ucScrollbar *>(widget());
}

QAccessibleInterface *ScrollBarAccessible::parent() const {
  return accessibleParentOf(widget());
}

void *ScrollBarAccessible::interface_cast(QAccessible::InterfaceType t) {
  if (t == QAccessible::ValueInterface)
    return static_cast<QAccessibleValueInterface *>(this);
  return QAccessibleWidget::interface_cast(t);
}

QString ScrollBarAccessible::text(QAccessible::Text t) const {
  if (t == QAccessible::Value)
    return QString::number(bar()->Value());
  return QAccessibleWidget::text(t);
}

QVariant ScrollBarAccessible::currentValue() const {
  return bar()->Value();
}

// As the end of a thumb drag: the value moves (Change follows) and the host hears Scroll.
void ScrollBarAccessible::setCurrentValue(const QVariant &value) {
  const int before = bar()->Value();
  bar()->setValue(value.toInt());
  if (bar()->Value() != before)
    emit bar()->Scroll();
}

QVariant ScrollBarAccessible::maximumValue() const {
  return bar()->Max();
}

QVariant ScrollBarAccessible::minimumValue() const {
  return bar()->Min();
}

QVariant ScrollBarAccessible::minimumStepSize() const {
  return bar()->SmallChange();
}

} // namespace lumiqo
