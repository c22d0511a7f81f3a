#pragma once
// The interface of a control that the mouse clicks: the image button (a push button, or a
// toggle button with its checked state when it switches something on and off) and the click
// area (a button, a link or a page tab as its host says, or a plain text). Its name is the
// control's accessible name, or an area's caption when it has one; pressing it through an
// assistive tool clicks it, and the key that does the same is offered with the action.

#include <QAccessibleWidget>

namespace lumiqo {

class ClickArea;
class vondan;

class PressAccessible : public QAccessibleWidget {
public:
  explicit PressAccessible(vondan *button);
  explicit PressAccessible(ClickArea *area);

  QAccessibleInterface *parent() const override;
  QAccessible::Role role() const override;
  QString text(QAccessible::Text t) const override;
  QAccessible::State state() const override;

  QStringList actionNames() const override;
  void doAction(const QString &actionName) override;
  QStringList keyBindingsForAction(const QString &actionName) const override;

private:
  vondan *button() const;
  ClickArea *area() const;
  bool checkable() const;
  bool clickable() const;
};

} // namespace lumiqo
