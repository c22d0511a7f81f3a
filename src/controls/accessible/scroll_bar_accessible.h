#pragma once
// The interface of the self-drawn scroll bar: a scroll bar whose value (Min .. Max) an
// assistive tool reads and sets, as a drag of its thumb would.

#include <QAccessibleWidget>

namespace lumiqo {

class ucScrollbar;

class ScrollBarAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
  explicit ScrollBarAccessible(ucScrollbar *bar);

  QAccessibleInterface *parent() const override;
  void *interface_cast(QAccessible::InterfaceType t) override;
  QString text(QAccessible::Text t) const override;

  QVariant currentValue() const override;
  void setCurrentValue(const QVariant &value) override;
  QVariant maximumValue() const override;
  QVariant minimumValue() const override;
  QVariant minimumStepSize() const override;

private:
  ucScrollbar *bar() const;
};

} // namespace lumiqo
