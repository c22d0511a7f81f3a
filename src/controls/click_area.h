#pragma once
// ClickArea: an invisible click area laid over a caption painted in a skinned window's
// background (a transparent label of the window design). It draws nothing, takes every mouse
// press made on it (so the press never reaches the background beneath), and reports a left
// click: pressed and released on it. Its caption is kept, not drawn: the design gives such
// labels blank captions.

#include <QWidget>

namespace lumiqo {

class ClickArea : public QWidget {
  Q_OBJECT
public:
  explicit ClickArea(QWidget *parent = nullptr);

  QString text() const { return text_; }
  void setText(const QString &text) { text_ = text; }

signals:
  void Click();

protected:
  void mousePressEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
  bool leftHeld_ = false;
  QString text_;
};

} // namespace lumiqo
