#pragma once
// What assistive tools read of the main window's face besides its buttons: the state text and
// the caption as labels whose name is their whole text (never the scrolled part of the
// caption), the volume bar as a slider (0 to 100) they may also set, and the seek bar as a
// progress indicator of the song's position in seconds, which they read but cannot move (the
// seek knob does not seek).

#include <QAccessibleWidget>
#include <functional>

namespace lumiqo {

class qorvex;

class FaceTextAccessible : public QAccessibleWidget {
public:
  FaceTextAccessible(QWidget *label, std::function<QString()> text);

  QAccessibleInterface *parent() const override;
  QString text(QAccessible::Text t) const override;

private:
  std::function<QString()> text_;
};

class FaceBarAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
  enum Kind { Volume, Seek };
  FaceBarAccessible(QWidget *bar, qorvex &window, Kind kind);

  QAccessibleInterface *parent() const override;
  void *interface_cast(QAccessible::InterfaceType t) override;
  QString text(QAccessible::Text t) const override;
  QAccessible::State state() const override;

  QVariant currentValue() const override;
  void setCurrentValue(const QVariant &value) override;
  QVariant maximumValue() const override;
  QVariant minimumValue() const override { return 0; }
  QVariant minimumStepSize() const override { return 1; }

private:
  qorvex &window_;
  Kind kind_;
};

} // namespace lumiqo
