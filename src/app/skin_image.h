#pragma once
// An image control of the skinned main window: shows one picture stretched over its
// rectangle (the face `s_main1`, the tracks and knobs, the time digits) and reports the mouse
// with positions relative to itself in twips.

#include <QImage>
#include <QWidget>

namespace lumiqo {

class SkinImage : public QWidget {
  Q_OBJECT
public:
  explicit SkinImage(QWidget *parent = nullptr);

  // Loads the picture (the twice-size one on a screen of device pixel ratio 2 or more); false,
  // with the picture unchanged, when it cannot be read.
  bool load(const QString &path);
  void setPicture(const QImage &picture);
  const QImage &picture() const { return picture_; }
  // The picture's own size in logical pixels.
  QSize pictureSize() const;
  // Where on the screen the pointer was in the mouse event reported last, as the window
  // system gave it. A drag follows this rather than the twips mapped through the window's
  // position, which may be one the window manager has not applied (yet, or ever).
  QPoint pointerOnScreen() const { return pointerOnScreen_; }

signals:
  void MouseDown(Qt::MouseButton button, double x, double y);
  void MouseMove(Qt::MouseButtons buttons, double x, double y);
  void MouseUp(Qt::MouseButton button, double x, double y);

protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;

private:
  QImage picture_;
  QPoint pointerOnScreen_;
};

} // namespace lumiqo
