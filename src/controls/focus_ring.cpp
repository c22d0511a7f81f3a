#include "controls/focus_ring.h"

#include "base/colour.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QRegion>

namespace lumiqo {
namespace {

constexpr QRgb kEdge = qRgb(41, 40, 41); // the face's dark body

// Watches the whole program's input for the keyboard coming into use and going out of it.
class KeyboardUse : public QObject {
  Q_OBJECT
public:
  static KeyboardUse &instance() {
    static auto *use = new KeyboardUse(qApp);
    return *use;
  }
  bool inUse() const { return inUse_; }

signals:
  void changed();

protected:
  bool eventFilter(QObject *watched, QEvent *event) override {
    switch (event->type()) {
    case QEvent::KeyPress: set(true); break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: set(false); break;
    default: break;
    }
    return QObject::eventFilter(watched, event);
  }

private:
  explicit KeyboardUse(QObject *parent) : QObject(parent) { qApp->installEventFilter(this); }
  void set(bool on) {
    if (on == inUse_)
      return;
    inUse_ = on;
    emit changed();
  }
  bool inUse_ = false;
};

} // namespace

bool FocusRing::keyboardInUse() {
  return KeyboardUse::instance().inUse();
}

FocusRing *FocusRing::of(QWidget *window) {
  if (auto *ring = window->findChild<FocusRing *>(QString(), Qt::FindDirectChildrenOnly))
    return ring;
  return new FocusRing(window);
}

FocusRing::FocusRing(QWidget *window) : QWidget(window) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::NoFocus);
  hide();
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { follow(now); });
  connect(&KeyboardUse::instance(), &KeyboardUse::changed, this, &FocusRing::place);
  follow(QApplication::focusWidget());
}

void FocusRing::follow(QWidget *focus) {
  QWidget *window = parentWidget();
  const bool ours = focus && focus != window && focus->window() == window && focus != this;
  if (target_ == (ours ? focus : nullptr))
    return place();
  if (target_)
    target_->removeEventFilter(this);
  target_ = ours ? focus : nullptr;
  if (target_)
    target_->installEventFilter(this);
  place();
}

bool FocusRing::eventFilter(QObject *watched, QEvent *event) {
  if (watched == target_) {
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide: place(); break;
    default: break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void FocusRing::place() {
  QWidget *window = parentWidget();
  if (!target_ || !keyboardInUse() || !target_->isVisibleTo(window)) {
    hide();
    return;
  }
  const QRect around(target_->mapTo(window, QPoint(0, 0)), target_->size());
  const QRect outer = around.adjusted(-kMargin, -kMargin, kMargin, kMargin).intersected(window->rect());
  setGeometry(outer);
  // Only the band is the ring's: what lies inside repaints without it.
  const QRect inner = QRect(around.topLeft() - outer.topLeft(), around.size());
  setMask(QRegion(rect()).subtracted(QRegion(inner)));
  raise();
  show();
  update();
}

void FocusRing::paintEvent(QPaintEvent *) {
  if (!target_)
    return;
  const QRect around(target_->mapTo(parentWidget(), QPoint(0, 0)) - pos(), target_->size());
  QPainter painter(this);
  // Whole logical pixels, filled without blending: crisp at 1x and 2x.
  const QRect accent = around.adjusted(-kAccentWidth, -kAccentWidth, kAccentWidth, kAccentWidth);
  const QRect edge = accent.adjusted(-kEdgeWidth, -kEdgeWidth, kEdgeWidth, kEdgeWidth);
  const QRegion accentBand = QRegion(accent).subtracted(QRegion(around));
  const QRegion edgeBand = QRegion(edge).subtracted(QRegion(accent));
  for (const QRect &r : edgeBand)
    painter.fillRect(r, QColor(kEdge));
  for (const QRect &r : accentBand)
    painter.fillRect(r, toQColor(kAccentColour));
}

} // namespace lumiqo

#include "focus_ring.moc"
