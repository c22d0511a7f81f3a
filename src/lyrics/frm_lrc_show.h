#pragma once
// frmLrcShow: the lyrics window. A frameless, always-on-top window that paints its frame from
// one skin bitmap cut into nine pieces, so it takes any size from the bitmap's upward, and
// leaves every pure red pixel see-through. It holds the lyrics view LrcShow1 (whose background
// it copies from its own surface), the close button an_close_lrc and nine invisible grips:
// the move strip along the top and the eight edges and corners that size it. The window holds
// no lyrics logic; its owner, the main window, drives the view and answers closeRequested.
// Positions and sizes are twips (15 to a pixel), as the layout gives them.

#include "controls/skin_frame.h"
#include "controls/window_drag_loop.h"

#include <QImage>
#include <QWidget>
#include <array>
#include <cstdint>

namespace lumiqo {

class LrcShow;
class vondan;

class frmLrcShow : public QWidget {
  Q_OBJECT
public:
  static constexpr std::uint32_t kForeColor = 0x9B9B; // 0xFFFF - RGB(100, 100, 0)
  static constexpr std::uint32_t kLrcColor = 0xFFFF;
  static constexpr int kGripCount = 9;
  static constexpr int kMoveStrip = 8; // the grip that moves the window

  // The frame bitmap from the program's resources, the twice-size one at a device pixel ratio
  // of 2 or more; null when the resources hold none.
  static QImage resourceSkin(qreal ratio);

  // `skin` stands in for the bitmap from the resources (tests paint their own). The window is
  // a top-level window whether or not it has an owner.
  explicit frmLrcShow(QWidget *owner = nullptr, const QImage &skin = QImage());
  ~frmLrcShow() override;

  LrcShow *LrcShow1;
  vondan *an_close_lrc;
  // The grips size(0) .. size(8) (a member named size would hide QWidget::size()).
  QWidget *sizeGrip(int index) const { return size_.at(static_cast<std::size_t>(index)); }

  // The skin bitmap and the window's painted surface.
  const QImage &Picture1() const { return Picture1_; }
  const QImage &surface() const { return surface_; }
  // A grip is held with the left button.
  bool dragFlag() const { return drag_; }

  // The move and size loop the grips run (the docking group hooks into it).
  const WindowDragLoop &dragLoop() const { return *loop_; }

  // Closes the window for good, at the program's end. Any other close, the desktop's own
  // included, is taken as a click on the close button.
  void unload();

signals:
  // The close button was clicked, or the desktop closed the window: the owner runs its lyrics
  // toggle (lrcbu).
  void closeRequested();

protected:
  void closeEvent(QCloseEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void paintEvent(QPaintEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void Form_Load();
  void Form_Resize();
  void createGrips();
  void placeGrips(int W, int H);
  void LrcShow1_Paint();
  void size_MouseDown(int index, Qt::MouseButton button, QPoint cursor);
  void size_MouseMove(int index, Qt::MouseButtons buttons, QPoint cursor);
  void size_MouseUp(Qt::MouseButton button);

  QImage Picture1_;
  QImage surface_;
  FrameCuts cuts_;
  std::array<QWidget *, kGripCount> size_{};
  bool drag_ = false;
  bool unloading_ = false;
  QPoint pressCursor_;   // where the grip was pressed, on the screen
  WindowDragLoop *loop_; // a child of the window
};

} // namespace lumiqo
