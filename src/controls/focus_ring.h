#pragma once
// FocusRing: the ring drawn around the control that has the keyboard focus in a skinned
// window, in the skin's accent colour with a dark edge outside it so that it shows on light
// and dark parts of the face alike. It is a child of the window above the controls, takes no
// mouse, and lies in whole logical pixels, so it is crisp at every device pixel ratio.
//
// It shows while the keyboard is in use: from a key press until the next mouse press, as
// people expect of a focus ring; a mouse user never sees it. It follows the focus and the
// focused control's moves; nothing runs while the focus rests.

#include <QPointer>
#include <QWidget>

namespace lumiqo {

class FocusRing : public QWidget {
  Q_OBJECT
public:
  static constexpr int kAccentWidth = 2; // logical pixels of accent colour
  static constexpr int kEdgeWidth = 1;   // and of the dark edge outside it
  static constexpr int kMargin = kAccentWidth + kEdgeWidth;

  // The ring of `window`, made on first call.
  static FocusRing *of(QWidget *window);

  // The control the ring is around (null when the focus is elsewhere).
  QWidget *target() const { return target_; }
  // Whether the keyboard is in use, for every window of the program.
  static bool keyboardInUse();

protected:
  void paintEvent(QPaintEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  explicit FocusRing(QWidget *window);
  void follow(QWidget *focus);
  void place();

  QPointer<QWidget> target_;
};

} // namespace lumiqo
