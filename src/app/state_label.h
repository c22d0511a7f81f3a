#pragma once
// The state label `play_zt`: a text of one or two lines on the face. It lays its text out only
// when it paints or is measured, so setting it costs nothing before the window is drawn.
// Assistive tools hear of a new text, not of the same one written again.

#include <QWidget>

namespace lumiqo {

class StateLabel : public QWidget {
  Q_OBJECT
public:
  explicit StateLabel(QWidget *parent = nullptr);

  QString text() const { return text_; }
  void setText(const QString &text);
  QSize sizeHint() const override;

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  QString text_;
};

} // namespace lumiqo
