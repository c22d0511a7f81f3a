// The playlist window: its controls, its background painted from s_list1 at every size, the
// hidden grips and the drag by the title bar.
#include "catalogue/frm_play_list.h"

#include "base/twips.h"
#include "controls/click_area.h"
#include "controls/colour_key_mask.h"
#include "controls/hidpi.h"
#include "controls/owned_window.h"
#include "controls/program_resources.h"
#include "controls/skin_resources.h"
#include "controls/vondan.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QRadioButton>

namespace lumiqo {

namespace {

// The background's size and body colour, for a program whose resources lack the picture.
constexpr QSize kBackgroundSize(306, 354);
constexpr QRgb kBody = qRgb(41, 40, 41);
// The title bar, in twips: it drags the window.
constexpr int kTitleBarHeight = 375;

} // namespace

QImage frmPlayList::resourceBackground(qreal ratio) {
  return loadProgramImage(QStringLiteral("s_list1.bmp"), ratio);
}

QRect frmPlayList::twipsRect(int left, int top, int width, int height) {
  return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

frmPlayList::frmPlayList(CatalogueState &state, std::function<muen &()> menus, PlayListHost host,
                         QWidget *owner, const QImage &background)
    // A window of its owner's, off the task bar, without decorations (the picture is its frame).
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint), state_(state), menus_(std::move(menus)),
      host_(std::move(host)), loop_(WindowDragLoop::of(this)) {
  keepOffTaskBar(this);
  ensureSkinResources();
  setAttribute(Qt::WA_OpaquePaintEvent); // the surface covers the whole window
  s_list1_ =
      windowPicture(background, QStringLiteral("s_list1.bmp"), devicePixelRatioF(), kBackgroundSize, kBody);

  // Stacking, lowest first: the title bar and its decoration, the grips, the list, the tab
  // areas, the search panel, the close box.
  Image2 = new QWidget(this);
  Image2->installEventFilter(this);
  Image1 = new QLabel(this);
  Image1->setAttribute(Qt::WA_TransparentForMouseEvents); // the title bar drags under it too
  const QImage note = loadSkinImage(QStringLiteral(":/res/Image1.bmp"), devicePixelRatioF());
  Image1->setPixmap(QPixmap::fromImage(note));
  Image1->setGeometry(QRect(QPoint(6, 2), note.deviceIndependentSize().toSize()));
  for (QWidget *&grip : size_) {
    grip = new QWidget(this);
    grip->hide(); // the window is never resized by the user
  }
  createList();
  createTabs();
  createSearchPanel();
  an_close_list = new vondan(this);
  an_close_list->setGeometry(twipsRect(4230, 105, 195, 195)); // skinned by the main window
  connect(an_close_list, &vondan::Click, this, &frmPlayList::an_close_list_Click);
  Form_Load();
  setUpAccess();
}

frmPlayList::~frmPlayList() {
  loop_->released();
  delete f_list2; // the view goes before the model it draws
}

void frmPlayList::unload() {
  unloading_ = true;
  close();
}

void frmPlayList::closeEvent(QCloseEvent *event) {
  // The desktop's own close (Alt+F4, a panel's close) is the close box's: the window fades out
  // and is remembered as hidden, so that the main window's toggle brings it back at once.
  if (!unloading_) {
    event->ignore();
    an_close_list_Click();
    return;
  }
  QWidget::closeEvent(event);
}

void frmPlayList::Form_Load() {
  // The picture's size is the least the window takes.
  const QSize least = s_list1_.deviceIndependentSize().toSize();
  setMinimumSize(least);
  resize(least);
  // A window not yet shown hears of its size only when it is shown: lay it out now.
  Form_Resize();
  MO->setCursor(myfavorites->cursor());
  for (QRadioButton *option : music_type) {
    QPalette palette = option->palette();
    palette.setColor(QPalette::Window, toQColor(kOptionBackColor));
    option->setPalette(palette);
    option->setAutoFillBackground(true);
  }
}

void frmPlayList::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  Form_Resize();
}

void frmPlayList::Form_Resize() {
  surface_ = paintSkinFrame(s_list1_, size(), kCuts);
  // Pure red is see-through; a picture without it leaves the window whole.
  const QRegion shape = colourKeyMask(surface_);
  if (shape == QRegion(rect()))
    clearMask();
  else
    setMask(shape);
  update();
  const int W = width() * kTwipsPerPixel;
  const int H = height() * kTwipsPerPixel;
  Image2->setGeometry(twipsRect(0, 0, W, kTitleBarHeight));
  placeGrips(W, H);
}

void frmPlayList::placeGrips(int W, int H) {
  // Top-left, top, top-right, left, right, bottom-left, bottom, bottom-right.
  const QRect grips[kGripCount] = {twipsRect(0, 0, 255, 255),
                                   twipsRect(255, 0, W - 510, 135),
                                   twipsRect(W - 255, 0, 255, 255),
                                   twipsRect(0, 255, 135, H - 510),
                                   twipsRect(W - 135, 255, 135, H - 510),
                                   twipsRect(0, H - 255, 255, 255),
                                   twipsRect(255, H - 135, W - 510, 135),
                                   twipsRect(W - 255, H - 255, 255, 255)};
  for (int i = 0; i < kGripCount; ++i)
    size_[static_cast<std::size_t>(i)]->setGeometry(grips[i]);
}

void frmPlayList::paintEvent(QPaintEvent *event) {
  QPainter painter(this);
  const qreal ratio = surface_.devicePixelRatio();
  painter.drawImage(event->rect(), surface_,
                    QRectF(QPointF(event->rect().topLeft()) * ratio, QSizeF(event->rect().size()) * ratio));
}

bool frmPlayList::eventFilter(QObject *watched, QEvent *event) {
  const QEvent::Type type = event->type();
  const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
  // The search panel's picture takes the presses made on it: they are not the background's.
  if (watched == pic_serach_bg && press) {
    event->accept();
    return true;
  }
  if (watched != Image2 || !(press || type == QEvent::MouseMove || type == QEvent::MouseButtonRelease))
    return QWidget::eventFilter(watched, event);
  const auto *mouse = static_cast<QMouseEvent *>(event);
  if (press)
    Image2_MouseDown(mouse->button(), mouse->globalPosition().toPoint());
  else if (type == QEvent::MouseMove)
    Image2_MouseMove(mouse->buttons(), mouse->globalPosition().toPoint());
  else
    Image2_MouseUp(mouse->button());
  return true;
}

void frmPlayList::Image2_MouseDown(Qt::MouseButton button, QPoint cursor) {
  if (button != Qt::LeftButton)
    return;
  dragArmed_ = true;
  pressCursor_ = cursor;
}

// Moving with the left button held hands the window to the move loop (the docking group's),
// from where the button went down.
void frmPlayList::Image2_MouseMove(Qt::MouseButtons buttons, QPoint cursor) {
  if (loop_->isActive()) {
    loop_->moved(cursor);
    return;
  }
  if (dragArmed_ && (buttons & Qt::LeftButton) && loop_->pressed(WindowDragLoop::Caption, pressCursor_))
    loop_->moved(cursor);
}

void frmPlayList::Image2_MouseUp(Qt::MouseButton button) {
  if (button != Qt::LeftButton)
    return;
  dragArmed_ = false;
  loop_->released();
}

} // namespace lumiqo
