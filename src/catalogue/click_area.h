#pragma once
// ClickArea: an invisible click area laid over a caption painted in a skinned window's
// background. It draws nothing, takes every mouse press made on it (so the press never reaches
// the background beneath), and reports a left click: pressed and released on it.

#include <QWidget>

namespace lumiqo {

class ClickArea : public QWidget {
  Q_OBJECT
public:
  explicit ClickArea(QWidget *parent = nullptr);

signals:
  void Click();

protected:
  void mousePressEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
  bool leftHeld_ = false;
};

} // namespace lumiqo
