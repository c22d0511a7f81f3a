#pragma once
// A click area over the skin: a label whose caption is blank space and that reports a click
// (a left press and release over it).

#include <QLabel>

namespace lumiqo {

class LinkArea : public QLabel {
  Q_OBJECT
public:
  explicit LinkArea(QWidget *parent = nullptr);

signals:
  void Click();

protected:
  void mousePressEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;

private:
  bool pressed_ = false;
};

} // namespace lumiqo
