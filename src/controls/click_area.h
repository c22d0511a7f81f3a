#pragma once
// ClickArea: an invisible click area laid over a caption painted in a skinned window's
// background (a transparent label of the window design). It draws nothing, takes every mouse
// press made on it (so the press never reaches the background beneath), and reports a left
// click: pressed and released on it. Its caption is kept, not drawn: the design gives such
// labels blank captions.
//
// What it is to assistive tools (a button, a link, a page tab, or a plain text over a painted
// one) is its role; a clickable one takes the keyboard focus, and Space or Enter click it.

#include <QAccessible>
#include <QWidget>

namespace lumiqo {

class ClickArea : public QWidget {
  Q_OBJECT
public:
  explicit ClickArea(QWidget *parent = nullptr);

  QString text() const { return text_; }
  void setText(const QString &text) { text_ = text; }

  // Button at first. A static text takes no focus and no mouse.
  QAccessible::Role accessibleRole() const { return role_; }
  void setAccessibleRole(QAccessible::Role role);
  bool clickable() const { return role_ != QAccessible::StaticText; }

  // Clicks the area as the mouse would (a key, an assistive tool).
  void click();
  // While Click is raised: whether a key clicked (a host pops its menu at the area then,
  // not at the mouse).
  bool clickedByKey() const { return byKey_; }

signals:
  void Click();

protected:
  void mousePressEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void keyReleaseEvent(QKeyEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;

private:
  bool leftHeld_ = false;
  bool keyHeld_ = false;
  bool byKey_ = false;
  QString text_;
  QAccessible::Role role_ = QAccessible::Button;
};

} // namespace lumiqo
