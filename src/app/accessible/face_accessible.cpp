#include "app/accessible/face_accessible.h"

#include "app/qorvex.h"
#include "controls/accessible/accessible_parts.h"

namespace lumiqo {

FaceTextAccessible::FaceTextAccessible(QWidget *label, std::function<QString()> text)
    : QAccessibleWidget(label, QAccessible::StaticText), text_(std::move(text)) {}

QAccessibleInterface *FaceTextAccessible::parent() const {
  return accessibleParentOf(widget());
}

QString FaceTextAccessible::text(QAccessible::Text t) const {
  if (t == QAccessible::Name || t == QAccessible::Value)
    return text_();
  return QAccessibleWidget::text(t);
}

FaceBarAccessible::FaceBarAccessible(QWidget *bar, qorvex &window, Kind kind)
    : QAccessibleWidget(bar, kind == Volume ? QAccessible::Slider : QAccessible::ProgressBar),
      window_(window), kind_(kind) {}

QAccessibleInterface *FaceBarAccessible::parent() const {
  return accessibleParentOf(widget());
}

void *FaceBarAccessible::interface_cast(QAccessible::InterfaceType t) {
  if (t == QAccessible::ValueInterface)
    return static_cast<QAccessibleValueInterface *>(this);
  return QAccessibleWidget::interface_cast(t);
}

QString FaceBarAccessible::text(QAccessible::Text t) const {
  if (t != QAccessible::Value)
    return QAccessibleWidget::text(t);
  if (kind_ == Volume)
    return QString::number(window_.volumePercent()) + QLatin1Char('%');
  return window_.timeText(); // as the digits show it
}

QAccessible::State FaceBarAccessible::state() const {
  QAccessible::State st = QAccessibleWidget::state();
  st.readOnly = kind_ == Seek;
  return st;
}

QVariant FaceBarAccessible::currentValue() const {
  if (kind_ == Volume)
    return window_.volumePercent();
  return window_.playingSeconds();
}

void FaceBarAccessible::setCurrentValue(const QVariant &value) {
  if (kind_ == Volume)
    window_.setVolumePercent(value.toInt());
}

QVariant FaceBarAccessible::maximumValue() const {
  return kind_ == Volume ? 100 : window_.state().song_secs;
}

} // namespace lumiqo
