#include "lyrics/lrc_show.h"

#include "lyrics/trim_spaces.h"

#include "controls/accessible/accessible_parts.h"

#include "base/colour.h"
#include "base/twips.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>

namespace lumiqo {

namespace {

constexpr double kTwips = kTwipsPerPixel;

} // namespace

LrcShow::LrcShow(QWidget *parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent); // the surface covers the whole control
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &LrcShow::tick);
  refresh();
}

void LrcShow::setBackColor(std::uint32_t colour) {
  props_.BackColor = colour;
  refresh();
}

void LrcShow::setForeColor(std::uint32_t colour) {
  props_.ForeColor = colour;
  refresh();
}

void LrcShow::setLrcColor(std::uint32_t colour) {
  props_.LrcColor = colour;
  refresh();
}

void LrcShow::setBackPicture(const QString &path) {
  props_.BackPicturePath = path;
  refresh();
}

float LrcShow::time() {
  const float position = timeline_.position();
  tick();
  return position;
}

void LrcShow::setTime(float position) {
  timeline_.setTime(position);
  tick();
}

void LrcShow::setTimerE(bool enabled) {
  timerE_ = enabled;
  if (enabled) {
    running_ = true;
    timer_.start(kTickIntervalMs);
  } else {
    StopShow();
  }
}

void LrcShow::ReadProperties(const LrcShowProperties &properties) {
  props_ = properties;
  refresh();
}

LrcShowProperties LrcShow::WriteProperties() {
  const LrcShowProperties kept = props_;
  refresh();
  return kept;
}

void LrcShow::begin(std::int32_t PMtime, bool formFile, const QString &LrcTxt) {
  if (!timeline_.begin(PMtime, formFile, LrcTxt, props_.FilePath))
    return;
  resetLaidOut();
  surfaceChanged();
  currentLine_ = -1;
  running_ = true;
  tick();
}

void LrcShow::StopShow() {
  running_ = false;
  timer_.stop();
}

void LrcShow::redarw() {
  tick();
}

void LrcShow::Line1(double x1, double y1, double x2, double y2, std::uint32_t Color) {
  sizeSurface();
  {
    QPainter painter(&surface_);
    painter.setPen(toQColor(Color));
    painter.drawLine(QPointF(x1 / kTwips, y1 / kTwips), QPointF(x2 / kTwips, y2 / kTwips));
  }
  surfaceChanged();
}

void LrcShow::PaintPicture1(const QImage &aPicture, double aX1, double aY1, double aWidth1, double aHeight1,
                            double aX2, double aY2, double aWidth2, double aHeight2) {
  sizeSurface();
  if (!aPicture.isNull()) {
    // The source is given in the picture's logical pixels; a twice-size picture holds two
    // of its own pixels to each.
    const double scale = aPicture.devicePixelRatio() / kTwips;
    QPainter painter(&surface_);
    painter.drawImage(QRectF(aX1 / kTwips, aY1 / kTwips, aWidth1 / kTwips, aHeight1 / kTwips), aPicture,
                      QRectF(aX2 * scale, aY2 * scale, aWidth2 * scale, aHeight2 * scale));
  }
  picture_ = surface_.copy();
  surfaceChanged();
}

void LrcShow::paintEvent(QPaintEvent *event) {
  // Our own drawing asks for a repaint; any other paint notification is the host's cue to
  // lay the background again. The flag is cleared first: a host that lays a picture in
  // answer asks for the next repaint itself, which must not raise Paint again.
  const bool own = ownUpdate_;
  ownUpdate_ = false;
  if (!own)
    emit Paint();
  QPainter painter(this);
  painter.drawImage(event->rect(), surface_, event->rect());
}

void LrcShow::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  refresh();
}

void LrcShow::changeEvent(QEvent *event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    resetLaidOut();
    surfaceChanged();
  }
}

void LrcShow::refresh() {
  sizeSurface();
  picture_ = props_.BackPicturePath.isEmpty() ? QImage() : QImage(props_.BackPicturePath);
  clearSurface();
  surfaceChanged();
  emit Paint();
}

void LrcShow::sizeSurface() {
  const QSize size = this->size().expandedTo(QSize(1, 1));
  if (surface_.size() == size)
    return;
  QImage resized(size, QImage::Format_RGB32);
  resized.fill(toQColor(props_.BackColor));
  if (!surface_.isNull()) {
    QPainter painter(&resized);
    painter.drawImage(0, 0, surface_);
  }
  surface_ = std::move(resized);
  surfaceChanged();
}

void LrcShow::clearSurface() {
  surface_.fill(toQColor(props_.BackColor));
  if (!picture_.isNull()) {
    QPainter painter(&surface_);
    painter.drawImage(0, 0, picture_);
  }
}

void LrcShow::surfaceChanged() {
  shownValid_ = false;
  ownUpdate_ = true;
  update();
  // The lyrics may have to be drawn again on the next tick: stop sleeping until then.
  if (running_)
    timer_.start(kTickIntervalMs);
}

void LrcShow::tick() {
  sizeSurface();
  if (!timeline_.hasLines() || timeline_.lines().empty())
    return;
  const float position = timeline_.position();
  const LrcFrame frame = computeFrame(timeline_.lines(), position, props_.ForeColor, props_.LrcColor);
  followCurrentLine(frame.place.c);
  std::vector<PlacedLine> visible;
  if (tickDraws(frame, lastOffset_, lastColour_, &visible)) {
    clearSurface();
    drawLines(visible); // lines wholly outside the surface would leave no pixel
    shown_ = std::move(visible);
    shownValid_ = true;
    ownUpdate_ = true;
    update();
  }
  lastOffset_ = frame.offset;
  lastColour_ = frame.previousColour;
  if (running_)
    scheduleNextTick(position);
}

QString LrcShow::currentLine() const {
  const auto &lines = timeline_.lines();
  if (currentLine_ < 0 || currentLine_ >= static_cast<int>(lines.size()))
    return {};
  return lines[static_cast<std::size_t>(currentLine_)].text;
}

// A new line is news to assistive tools when it says something new: not a blank gap, not the
// same words again.
void LrcShow::followCurrentLine(int index) {
  if (index == currentLine_)
    return;
  const QString before = currentLine();
  currentLine_ = index;
  const QString now = currentLine();
  if (!now.isEmpty() && now != before)
    announce(this, QAccessible::NameChanged);
}

bool LrcShow::tickDraws(const LrcFrame &frame, float lastOffset, std::uint32_t lastColour,
                        std::vector<PlacedLine> *visible) const {
  if (!frameChanged(lastOffset, lastColour, frame.offset, frame.previousColour))
    return false;
  // A picture identical to the one on the surface is not drawn again.
  std::vector<PlacedLine> lines = visibleLines(frame);
  if (shownValid_ && lines == shown_)
    return false;
  if (visible)
    *visible = std::move(lines);
  return true;
}

void LrcShow::scheduleNextTick(float position) {
  // The last line holds fully lit from here on: no later position draws anything else, so
  // no tick is due until something sets one.
  if (position >= heldFrom(timeline_.lines())) {
    timer_.stop();
    return;
  }
  float lastOffset = lastOffset_;
  std::uint32_t lastColour = lastColour_;
  int ticks = 1;
  for (; ticks < kLookaheadTicks; ++ticks) {
    const float ahead = position + static_cast<float>(ticks * kTickIntervalMs) / 10.0f;
    const LrcFrame frame = computeFrame(timeline_.lines(), ahead, props_.ForeColor, props_.LrcColor);
    if (tickDraws(frame, lastOffset, lastColour, nullptr))
      break;
    lastOffset = frame.offset;
    lastColour = frame.previousColour;
  }
  timer_.start(ticks * kTickIntervalMs);
}

std::vector<PlacedLine> LrcShow::visibleLines(const LrcFrame &frame) const {
  const float height = static_cast<float>(surface_.height() * kTwips);
  const float textHeight = static_cast<float>(QFontMetricsF(font()).height() * kTwips);
  std::vector<PlacedLine> visible;
  for (const PlacedLine &line : layoutFrame(frame, static_cast<int>(timeline_.lines().size()) - 1, height,
                                            textHeight, props_.ForeColor, props_.LrcColor))
    if (line.top + textHeight > 0 && line.top < height)
      visible.push_back(line);
  return visible;
}

void LrcShow::resetLaidOut() {
  // A fresh vector: the layouts of longer lyrics before are given back, not kept as capacity.
  laidOut_ = std::vector<std::optional<QStaticText>>(timeline_.lines().size());
}

const QStaticText &LrcShow::laidOut(int index) {
  std::optional<QStaticText> &slot = laidOut_[static_cast<std::size_t>(index)];
  if (!slot) {
    QStringView text = trimSpaces(timeline_.lines()[static_cast<std::size_t>(index)].text);
    if (text.size() > kMaxLaidOutChars)
      text = text.sliced((text.size() - kMaxLaidOutChars) / 2, kMaxLaidOutChars);
    slot.emplace(text.toString());
    slot->setTextFormat(Qt::PlainText);
    slot->prepare(QTransform(), font());
  }
  return *slot;
}

void LrcShow::drawLines(const std::vector<PlacedLine> &placed) {
  QPainter painter(&surface_);
  painter.setFont(font());
  const double width = surface_.width() * kTwips;
  for (const PlacedLine &line : placed) {
    const QStaticText &text = laidOut(line.index);
    const double left = (width - text.size().width() * kTwips) / 2;
    // Each coloured line leaves the text colour at ForeColor again.
    painter.setPen(toQColor(line.colour));
    painter.drawStaticText(QPointF(left / kTwips, line.top / kTwips), text);
    painter.setPen(toQColor(props_.ForeColor));
  }
}

} // namespace lumiqo
