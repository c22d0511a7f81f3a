// The lyrics window's grips: where the nine of them lie at every size, and the move and size
// loop that a held grip runs.
#include "lyrics/frm_lrc_show.h"

#include "lyrics/lrc_show.h"

#include "base/twips.h"

#include <QMouseEvent>
#include <algorithm>

namespace lumiqo {

namespace {

struct Grip {
  int left, top, width, height; // twips, at the window's design size
  int hitCode;
  Qt::CursorShape pointer;
};

// The design rectangles; placeGrips rewrites the coordinates that follow the window's size.
constexpr Grip kGrips[frmLrcShow::kGripCount] = {
    {0, 0, 255, 255, WindowDragLoop::TopLeft, Qt::SizeFDiagCursor},
    {240, 0, 3975, 68, WindowDragLoop::Top, Qt::SizeVerCursor},
    {4200, 0, 255, 255, WindowDragLoop::TopRight, Qt::SizeBDiagCursor},
    {0, 240, 135, 735, WindowDragLoop::Left, Qt::SizeHorCursor},
    {4320, 240, 135, 735, WindowDragLoop::Right, Qt::SizeHorCursor},
    {0, 960, 255, 255, WindowDragLoop::BottomLeft, Qt::SizeBDiagCursor},
    {240, 1080, 3975, 135, WindowDragLoop::Bottom, Qt::SizeVerCursor},
    {4200, 960, 255, 255, WindowDragLoop::BottomRight, Qt::SizeFDiagCursor},
    {240, 0, 3975, 375, WindowDragLoop::Caption, Qt::ArrowCursor},
};

} // namespace

void frmLrcShow::createGrips() {
  // Stacking: the move strip lowest, the edges and corners above it (the top edge wins where
  // it overlaps the strip); the close button, made later, lies above them all.
  size_[kMoveStrip] = new QWidget(this);
  for (int i = 0; i < kMoveStrip; ++i)
    size_[static_cast<std::size_t>(i)] = new QWidget(this);
  for (int i = 0; i < kGripCount; ++i) {
    QWidget *grip = size_[static_cast<std::size_t>(i)];
    grip->setCursor(kGrips[i].pointer);
    grip->installEventFilter(this);
  }
}

void frmLrcShow::placeGrips(int W, int H) {
  for (int i = 0; i < kGripCount; ++i) {
    Grip g = kGrips[i];
    switch (i) {
    case 1: g.width = W - 510; break;
    case 2: g.left = W - 255; break;
    case 3: g.height = H - 510; break;
    case 4:
      g.left = W - 135;
      g.height = H - 510;
      break;
    case 5: g.top = H - 255; break;
    case 6:
      g.width = W - 510;
      g.top = H - g.height;
      break;
    case 7:
      g.left = W - 255;
      g.top = H - 255;
      break;
    case 8: g.width = W - 510; break;
    default: break;
    }
    size_[static_cast<std::size_t>(i)]->setGeometry(twipsToPixels(g.left), twipsToPixels(g.top),
                                                    twipsToPixels(g.width), twipsToPixels(g.height));
  }
}

bool frmLrcShow::eventFilter(QObject *watched, QEvent *event) {
  const auto grip = std::find(size_.begin(), size_.end(), watched);
  if (grip == size_.end())
    return QWidget::eventFilter(watched, event);
  const int index = static_cast<int>(grip - size_.begin());
  switch (event->type()) {
  case QEvent::MouseButtonPress:
  case QEvent::MouseButtonDblClick: {
    const auto *mouse = static_cast<QMouseEvent *>(event);
    size_MouseDown(index, mouse->button(), mouse->globalPosition().toPoint());
    return true;
  }
  case QEvent::MouseMove: {
    const auto *mouse = static_cast<QMouseEvent *>(event);
    size_MouseMove(index, mouse->buttons(), mouse->globalPosition().toPoint());
    return true;
  }
  case QEvent::MouseButtonRelease: size_MouseUp(static_cast<QMouseEvent *>(event)->button()); return true;
  default: return QWidget::eventFilter(watched, event);
  }
}

void frmLrcShow::size_MouseDown(int, Qt::MouseButton button, QPoint cursor) {
  if (button == Qt::LeftButton) {
    drag_ = true;
    pressCursor_ = cursor;
  }
  LrcShow1->setTimerE(false);
}

void frmLrcShow::size_MouseMove(int index, Qt::MouseButtons buttons, QPoint cursor) {
  if (loop_->isActive()) {
    loop_->moved(cursor);
    return;
  }
  const QSize least = Picture1_.deviceIndependentSize().toSize();
  if (width() < least.width() || height() < least.height() || !(buttons & Qt::LeftButton) || !drag_)
    return;
  if (loop_->pressed(kGrips[index].hitCode, pressCursor_))
    loop_->moved(cursor);
}

void frmLrcShow::size_MouseUp(Qt::MouseButton button) {
  // The loop belongs to the left button; another button going up meanwhile changes nothing.
  if (loop_->isActive() && button != Qt::LeftButton)
    return;
  loop_->released();
  drag_ = false;
  LrcShow1->setTimerE(true);
}

} // namespace lumiqo
