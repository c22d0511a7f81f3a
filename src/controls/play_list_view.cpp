#include "controls/play_list_view.h"

#include "base/colour.h"
#include "controls/accessible/play_list_accessible.h"
#include "controls/fitted_text.h"
#include "controls/hidpi.h"
#include "controls/mouse_masks.h"
#include "controls/program_resources.h"
#include "controls/round_half_even.h"

#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace lumiqo {
namespace {

constexpr int kIconSize = 12;

} // namespace

PlayListView::PlayListView(QMListBox &model, QWidget *parent)
    : QWidget(parent), model_(model), ucBar_(new ucScrollbar(this)), backColor_(RGB(255, 255, 255)),
      bk1_(RGB(255, 255, 255)), bk2_(RGB(234, 246, 250)), selBk_(RGB(98, 148, 204)),
      norText_(RGB(76, 97, 143)), selText_(RGB(255, 255, 255)), plyText_(RGB(83, 183, 18)),
      errText_(RGB(255, 0, 0)), borderColor_(RGB(120, 163, 195)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  ucBar_->setObjectName(QStringLiteral("ucBar"));
  ucBar_->setMax(0);
  ucBar_->hide();

  connect(&model_, &QMListBox::rowRedrawRequested, this, &PlayListView::redrawRow);
  connect(&model_, &QMListBox::listRedrawRequested, this, &PlayListView::redrawRows);
  connect(&model_, &QMListBox::repaintRequested, this, qOverload<>(&QWidget::update));
  connect(&model_, &QMListBox::cleared, this, qOverload<>(&QWidget::update));
  connect(&model_, &QMListBox::scrollRangeChanged, this, &PlayListView::updateScrollRange);
  connect(&model_, &QMListBox::firstIndexChanged, this, [this](int row) {
    ucBar_->setValue(row);
    redrawRows();
  });
  connect(ucBar_, &ucScrollbar::Change, this, [this] {
    if (!ucBar_->isHidden())
      model_.setFirstIndex(ucBar_->Value());
  });
  connect(ucBar_, &ucScrollbar::Scroll, this, [this] { model_.scrollByUser(ucBar_->Value()); });
  connect(&model_, &QMListBox::rowsChanged, this, [this] { announceRowsChanged(*this); });
  connect(&model_, &QMListBox::selectionMoved, this, [this] { announceSelection(*this); });
  connect(ucBar_, &ucScrollbar::Show, this, qOverload<>(&QWidget::update));
  connect(ucBar_, &ucScrollbar::Hide, this, qOverload<>(&QWidget::update));

  computeColumnWidths();
  placeBar();
  updateScrollRange();
}

PlayListView::~PlayListView() = default;

bool PlayListView::setColour(std::uint32_t &field, std::uint32_t colour) {
  if (field == colour)
    return false;
  field = colour;
  return true;
}

void PlayListView::setBackColor(std::uint32_t colour) {
  if (!setColour(backColor_, colour))
    return;
  computeColumnWidths();
  redrawRows();
}

void PlayListView::setItemBkColor1(std::uint32_t colour) {
  if (setColour(bk1_, colour))
    redrawRows();
}

void PlayListView::setItemBkColor2(std::uint32_t colour) {
  if (setColour(bk2_, colour))
    redrawRows();
}

void PlayListView::setItemSelBkColor(std::uint32_t colour) {
  if (setColour(selBk_, colour))
    redrawRows();
}

void PlayListView::setItemNorTextColor(std::uint32_t colour) {
  if (setColour(norText_, colour))
    redrawRows();
}

void PlayListView::setItemErrTextColor(std::uint32_t colour) {
  if (setColour(errText_, colour))
    redrawRows();
}

void PlayListView::setItemSelTextColor(std::uint32_t colour) {
  if (setColour(selText_, colour))
    redrawRow(model_.ListIndex());
}

void PlayListView::setItemPlyTextColor(std::uint32_t colour) {
  if (setColour(plyText_, colour))
    redrawRow(model_.PlayIndex());
}

void PlayListView::setBorderColor(std::uint32_t colour) {
  if (setColour(borderColor_, colour) && Border())
    update();
}

void PlayListView::setBorder(bool on) {
  if (on == Border())
    return;
  model_.setBorder(on); // the model asks for a full repaint
  placeBar();
}

void PlayListView::setBorderWidth(int pixels) {
  if (pixels == BorderWidth())
    return;
  model_.setBorderWidth(pixels);
  placeBar();
}

void PlayListView::setItemHeight(int pixels) {
  model_.setItemHeight(pixels);
}

void PlayListView::setPlayIcon(const ClsIcon &icon) {
  playIcon_ = icon;
  ownIcon_ = true;
  redrawRow(model_.PlayIndex());
}

void PlayListView::setKeepScrollBarRoom(bool on) {
  keepScrollBarRoom_ = on;
  update();
}

QRect PlayListView::rowsArea() const {
  const int b = inset();
  const int bar = ucBar_->isHidden() && !keepScrollBarRoom_ ? 0 : ucBar_->width();
  return QRect(b, b, std::max(0, width() - bar - 2 * b), model_.innerHeight());
}

QRect PlayListView::rowRect(int row) const {
  const QRect area = rowsArea();
  return QRect(area.x(), area.y() + (row - model_.FirstIndex()) * ItemHeight(), area.width(), ItemHeight());
}

int PlayListView::wheelStep() const {
  return static_cast<int>(std::floor(static_cast<double>(model_.innerHeight()) / ItemHeight() * 0.2 + 1));
}

void PlayListView::measureNumberColumn() {
  numberSample_ = model_.numberColumnSample();
  numberWidth_ = QFontMetrics(font()).horizontalAdvance(numberSample_) + 4;
}

TextFitter &PlayListView::textFitter() {
  if (!fitter_)
    fitter_.emplace(font());
  return *fitter_;
}

void PlayListView::computeColumnWidths() {
  fitter_.reset(); // a new font measures afresh
  const QFontMetrics fm(font());
  measureNumberColumn();
  artistWidth_ = fm.horizontalAdvance(QStringLiteral("AAAAAAAAAAA")) + 4;
  timeWidth_ = fm.horizontalAdvance(QStringLiteral("00:00:00")) + 4;
}

void PlayListView::placeBar() {
  const int b = Border() ? BorderWidth() : 0;
  ucBar_->setGeometry(width() - kBarWidth - b, b, kBarWidth, std::max(0, height() - 2 * b));
}

void PlayListView::updateScrollRange() {
  followNumberColumn();
  ucBar_->setMax(std::max(0, model_.scrollMax()));
  ucBar_->setVisible(model_.scrollVisible());
}

// The number column is as wide as the row count's digits: a new width moves every row's texts.
// While a paint of every row is pending the measuring waits for it.
void PlayListView::followNumberColumn() {
  if (rowsDirty_ || numberSample_ == model_.numberColumnSample())
    return;
  const int before = numberWidth_;
  measureNumberColumn();
  if (numberWidth_ != before)
    redrawRows();
}

// One row changed: only its rectangle is drawn again.
void PlayListView::redrawRow(int row) {
  followNumberColumn();
  if (rowsDirty_ || row < 0 || row >= model_.ListCount() || row < model_.FirstIndex())
    return;
  const QRect r = rowRect(row).intersected(rowsArea());
  if (!r.isEmpty())
    update(r);
}

void PlayListView::redrawRows() {
  rowsDirty_ = true;
  update(rowsArea());
}

void PlayListView::ensurePlayIcon() {
  const qreal ratio = devicePixelRatioF() >= 2 ? 2 : 1;
  if (ownIcon_ || ratio == iconRatio_)
    return;
  iconRatio_ = ratio;
  ensureProgramResources();
  const QString plain = programResourcePath(QStringLiteral("PLAYICON.ico"));
  const QString twice = doubleSizePath(plain);
  const bool useTwice = ratio >= 2 && QFileInfo::exists(twice);
  if (!playIcon_.LoadFromFile(useTwice ? twice : plain))
    playIcon_ = ClsIcon(); // no icon: the playing row shows no mark in that column
  playIcon_.setDevicePixelRatio(useTwice ? 2 : 1);
}

void PlayListView::paintEvent(QPaintEvent *event) {
  if (numberSample_ != model_.numberColumnSample())
    measureNumberColumn();
  ensurePlayIcon();
  const QRect area = rowsArea();
  if (event->rect().contains(area))
    rowsDirty_ = false;
  QPainter p(this);
  const int b = inset();
  if (Border()) {
    p.setPen(toQColor(borderColor_));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < b; ++i)
      p.drawRect(i, i, width() - 1 - 2 * i, height() - 1 - 2 * i);
  }
  const QColor back = toQColor(backColor_);
  if (keepScrollBarRoom_ && ucBar_->isHidden())
    p.fillRect(QRect(area.right() + 1, b, ucBar_->width(), height() - 2 * b), back);
  p.setClipRect(area);
  if (model_.ListCount() == 0) {
    p.fillRect(area, back);
    return;
  }
  p.setFont(font());
  const QRect dirty = event->rect();
  const int last = model_.LastIndex();
  for (int row = model_.FirstIndex(); row <= last; ++row) {
    const QRect r = rowRect(row);
    if (r.top() > dirty.bottom() || r.top() > area.bottom())
      break;
    if (r.intersects(dirty))
      drawRow(p, row);
  }
  // Below the last row of the list, down to the bottom inset.
  const int bottom = rowRect(last).bottom() + 1;
  if (last == model_.ListCount() - 1 && bottom <= area.bottom())
    p.fillRect(QRect(area.x(), bottom, area.width(), area.bottom() + 1 - bottom), back);
}

void PlayListView::drawRow(QPainter &p, int row) {
  model_.checkRowBeforeDrawing(row);
  const QRect r = rowRect(row);
  const int ih = ItemHeight();
  const bool selected = row == model_.ListIndex();
  const bool failed = model_.ItemError(row);
  const bool playing = row == model_.PlayIndex();
  std::uint32_t background = (row - model_.FirstIndex()) % 2 ? bk2_ : bk1_;
  std::uint32_t text = failed ? errText_ : playing ? plyText_ : norText_;
  if (selected) {
    background = selBk_;
    text = selText_;
  }
  p.fillRect(r, toQColor(background));
  p.setPen(toQColor(text));

  TextFitter &fitter = textFitter();
  const int textTop = r.top() + roundHalfEven((ih - fitter.metrics().height()) / 2.0);
  const int b = inset();
  const int w = r.width();
  if (playing && !failed)
    playIcon_.Draw(p, b + 2, r.top() + roundHalfEven((ih - kIconSize) / 2.0), 0);
  else
    fitter.draw(p, QString::number(row + 1), QRect(b, r.top(), numberWidth_, ih), textTop, true);
  const int titleWidth = w - numberWidth_ - artistWidth_ - timeWidth_;
  fitter.draw(p, model_.Title(row), QRect(b + numberWidth_ + 2, r.top(), titleWidth, ih), textTop, false);
  fitter.draw(p, model_.Author(row), QRect(w - timeWidth_ - artistWidth_, r.top(), artistWidth_, ih), textTop,
              true);
  fitter.draw(p, model_.StrTime(row), QRect(w - timeWidth_, r.top(), timeWidth_, ih), textTop, true);
}

void PlayListView::resizeEvent(QResizeEvent *) {
  placeBar();
  model_.resizeTo(height()); // last row, scroll range, then Resize
}

void PlayListView::mousePressEvent(QMouseEvent *event) {
  releaseEndsDouble_ = false;
  const QPointF at = event->position();
  model_.mousePress(buttonMask(event->button()), shiftMask(event->modifiers()), static_cast<float>(at.x()),
                    static_cast<float>(at.y()));
}

void PlayListView::mouseMoveEvent(QMouseEvent *event) {
  const QPointF at = event->position();
  model_.mouseMove(buttonMask(event->buttons()), shiftMask(event->modifiers()), static_cast<float>(at.x()),
                   static_cast<float>(at.y()));
}

void PlayListView::mouseReleaseEvent(QMouseEvent *event) {
  const QPointF at = event->position();
  model_.mouseRelease(buttonMask(event->button()), shiftMask(event->modifiers()), static_cast<float>(at.x()),
                      static_cast<float>(at.y()));
  const bool click = !releaseEndsDouble_ && rect().contains(at.toPoint());
  releaseEndsDouble_ = false;
  if (click)
    model_.click();
}

// The second press of a double click: the row under the first press becomes the playing one.
void PlayListView::mouseDoubleClickEvent(QMouseEvent *) {
  releaseEndsDouble_ = true;
  model_.doubleClick();
}

void PlayListView::wheelEvent(QWheelEvent *event) {
  event->accept();
  if (ucBar_->isHidden())
    return;
  const int turn = event->angleDelta().y();
  if (turn == 0) // a sideways wheel scrolls nothing here
    return;
  // Whole notches count at once; a high-resolution wheel's smaller turns add up to one.
  wheelRest_ = (wheelRest_ > 0) == (turn > 0) ? wheelRest_ + turn : turn;
  if (std::abs(wheelRest_) < kWheelNotch)
    return;
  const bool towardsUser = wheelRest_ < 0;
  wheelRest_ = 0;
  const int s = wheelStep();
  const int value = std::clamp(ucBar_->Value() + (towardsUser ? s : -s), 0, ucBar_->Max());
  if (value == ucBar_->Value())
    return;
  ucBar_->setValue(value);
  model_.scrollByUser(value);
}

void PlayListView::changeEvent(QEvent *event) {
  if (event->type() == QEvent::FontChange) {
    computeColumnWidths();
    redrawRows();
  }
  QWidget::changeEvent(event);
}

} // namespace lumiqo
