#pragma once
// A plain stand-in for a skinned knob or track picture: it reports presses and moves with
// the mouse's x relative to itself, in twips.

#include <QLabel>

namespace lumiqo {

class KnobImage : public QLabel {
  Q_OBJECT
public:
  explicit KnobImage(QWidget *parent = nullptr);

signals:
  void MouseDown(Qt::MouseButton button, double x);
  void MouseMove(Qt::MouseButtons buttons, double x);

protected:
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
};

} // namespace lumiqo
