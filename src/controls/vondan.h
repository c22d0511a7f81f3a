#pragma once
// vondan: the skinned push button. One picture, the strip, holds its four looks side by side
// (0 normal, 1 pointer over it, 2 pressed, 3 pointer has left); the button shows one of them,
// picked from the mouse, and softens each change between looks 1, 2 and 3 by showing their
// half-and-half blend for one tick of Timer1 (50 ms) before the new look. The blends are made
// once per picture. The button reports the mouse to its host through five events; X and Y are
// in the button's own coordinates in twips.
//
// The keyboard reaches it too: it takes the focus (Tab, or a click), and Space or Enter press
// it, showing the pressed look while the key is down and clicking when it comes up. A button
// that switches something on and off (a window toggle) is checkable; its checked state is what
// assistive tools read and hear about.

#include "controls/button_strip.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <array>

namespace lumiqo {

class vondan : public QWidget {
  Q_OBJECT
public:
  static constexpr int kBlendMs = 50;

  explicit vondan(QWidget *parent = nullptr);

  QString uPicPath() const { return picPath_; }
  // Loads the strip from `path` (the twice-size strip on a screen of device pixel ratio 2 or
  // more), stores the path, sizes the button to one frame, makes the blends and goes back to
  // state 0 showing look 0. A picture that cannot be loaded whole, or whose frames are wider
  // or higher than kMaxFramePixels, fails the load: false, errorString() says why, and the
  // button keeps its old picture and path.
  bool setUPicPath(const QString &path);
  QString errorString() const { return error_; }
  // The files the last setUPicPath needed and could not read (see loadSkinImage).
  const QStringList &unreadableFiles() const { return unreadable_; }

  // Switches to a state (0..3; others are ignored); a change between two of the states 1..3
  // shows their blend first.
  void vondpicy_m(int state);
  int state() const { return state_; }
  bool pressed() const { return pressed_; }

  // One frame in pixels (width / 4 and height of the plain strip, rounded halves to even).
  QSize frameSize() const { return frameSize_; }
  // The picture on show: a look 0..3, or the blend 10 a + b of looks a and b.
  int shownPicture() const { return shown_; }
  // The blend of looks a and b (both in 1..3); null for any other pair.
  QImage blendImage(int a, int b) const;
  bool timerActive() const { return Timer1.isActive(); }

  // Clicks the button as the mouse would (a key, an assistive tool).
  void click();

  bool isCheckable() const { return checkable_; }
  void setCheckable(bool on) { checkable_ = on; }
  bool isChecked() const { return checked_; }
  // Tells assistive tools when the state changes.
  void setChecked(bool on);

signals:
  void Click();
  void MouseLeave();
  void MouseMove(int Button, int Shift, float X, float Y);
  void MouseUp(int Button, int Shift, float X, float Y);
  void MouseDown(int Button, int Shift, float X, float Y);

protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void leaveEvent(QEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void keyReleaseEvent(QKeyEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;

private:
  bool inside(QPointF point) const;
  void pointerLeft();
  void showPicture(int picture);
  const QImage &picture(int shown) const;
  void Timer1_Timer();

  QString picPath_;
  QString error_;
  QStringList unreadable_;
  StripFrames frames_;           // the strip cut into its four looks
  std::array<QImage, 3> blends_; // looks 1 and 2, 1 and 3, 2 and 3 (a blend is symmetric)
  QSize frameSize_;
  qint16 state_ = 0;
  bool pressed_ = false;
  // The button holds the mouse: the pointer was last seen over it. Only then does a move
  // outside count as leaving it.
  bool captured_ = false;
  int shown_ = 0;
  bool keyHeld_ = false; // Space or Enter went down on the button and is not up yet
  bool checkable_ = false;
  bool checked_ = false;
  QTimer Timer1;
};

} // namespace lumiqo
