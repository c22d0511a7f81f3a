#include "lyrics/frm_lrc_show.h"

#include "lyrics/lrc_show.h"

#include "base/app_folder.h"
#include "base/twips.h"
#include "controls/accessible/accessible_parts.h"
#include "controls/colour_key_mask.h"
#include "controls/focus_ring.h"
#include "controls/hidpi.h"
#include "controls/owned_window.h"
#include "controls/program_resources.h"
#include "controls/vondan.h"

#include <QCloseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace lumiqo {

namespace {

// The bitmap's size and body colour, for a program whose resources lack it.
constexpr QSize kSkinSize(306, 87);
constexpr QRgb kSkinBody = qRgb(41, 40, 41);

} // namespace

QImage frmLrcShow::resourceSkin(qreal ratio) {
  return loadProgramImage(QStringLiteral("lrcshow.bmp"), ratio);
}

frmLrcShow::frmLrcShow(QWidget *owner, const QImage &skin)
    // A window of its owner's, kept above other windows, off the task bar, without decorations
    // (the skin is its frame).
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      loop_(WindowDragLoop::of(this)) {
  keepOffTaskBar(this);
  setAttribute(Qt::WA_OpaquePaintEvent); // the surface covers the whole window
  Picture1_ = windowPicture(skin, QStringLiteral("lrcshow.bmp"), devicePixelRatioF(), kSkinSize, kSkinBody);

  LrcShow1 = new LrcShow(this);
  createGrips();
  an_close_lrc = new vondan(this);
  connect(an_close_lrc, &vondan::Click, this, &frmLrcShow::closeRequested);
  LrcShow1->ReadProperties({0, 0xFF00, kLrcColor, QString(), QString(), false});
  connect(LrcShow1, &LrcShow::Paint, this, &frmLrcShow::LrcShow1_Paint);
  Form_Load();

  // To assistive tools and the keyboard: the close button, then the lyrics, where the focus
  // starts.
  an_close_lrc->setAccessibleName(QStringLiteral("关闭"));
  LrcShow1->setAccessibleName(QStringLiteral("歌词"));
  LrcShow1->setFocusPolicy(Qt::TabFocus);
  setAccessibleParts(this, {an_close_lrc, LrcShow1});
  chainTabOrder(this);
  LrcShow1->setFocus();
  FocusRing::of(this);
}

frmLrcShow::~frmLrcShow() {
  loop_->released();
}

void frmLrcShow::unload() {
  unloading_ = true;
  close();
}

void frmLrcShow::closeEvent(QCloseEvent *event) {
  // The desktop's own close (Alt+F4, a panel's close) is the close button's: the owner hides
  // the window and remembers it as hidden, so that its toggle brings it back at once.
  if (!unloading_) {
    event->ignore();
    emit closeRequested();
    return;
  }
  QWidget::closeEvent(event);
}

void frmLrcShow::Form_Load() {
  // A missing strip costs only the button's picture.
  an_close_lrc->setUPicPath(AppFolder() + QStringLiteral("skin/close2.bmp"));
  an_close_lrc->setGeometry(an_close_lrc->x(), twipsToPixels(105), twipsToPixels(225), twipsToPixels(225));
  // Pure red is see-through from now on: the mask follows every painting of the frame.
  LrcShow1->setForeColor(kForeColor);
  cuts_ = FrameCuts{750, 750, 765, 765};
  // The bitmap's size is the least the window takes.
  const QSize least = Picture1_.deviceIndependentSize().toSize();
  setMinimumSize(least);
  resize(least);
  // A window not yet shown hears of its size only when it is shown: lay it out now.
  Form_Resize();
}

void frmLrcShow::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  Form_Resize();
}

void frmLrcShow::Form_Resize() {
  const int W = width() * kTwipsPerPixel;
  const int H = height() * kTwipsPerPixel;
  surface_ = paintSkinFrame(Picture1_, size(), cuts_);
  setMask(colourKeyMask(surface_));
  update();
  LrcShow1->setTimerE(false);
  placeGrips(W, H);
  // The view refreshes at its new size and asks for its background (LrcShow1_Paint), which
  // it then takes from the surface just painted.
  LrcShow1->setGeometry(twipsToPixels(135), twipsToPixels(510), twipsToPixels(W - 270),
                        twipsToPixels(H - 660));
  an_close_lrc->move(twipsToPixels(W - 360), an_close_lrc->y());
  // The display stays suspended while a grip is held; the release resumes it.
  if (!drag_)
    LrcShow1->setTimerE(true);
}

void frmLrcShow::paintEvent(QPaintEvent *event) {
  QPainter painter(this);
  painter.drawImage(event->rect(), surface_,
                    QRectF(QPointF(event->rect().topLeft()) * surface_.devicePixelRatio(),
                           QSizeF(event->rect().size()) * surface_.devicePixelRatio()));
}

void frmLrcShow::LrcShow1_Paint() {
  // The view's background is the part of the window's surface that lies under it.
  const QRect at = LrcShow1->geometry();
  const double x = at.x() * kTwipsPerPixel, y = at.y() * kTwipsPerPixel;
  const double w = at.width() * kTwipsPerPixel, h = at.height() * kTwipsPerPixel;
  LrcShow1->PaintPicture1(surface_, 0, 0, w, h, x, y, w, h);
}

} // namespace lumiqo
